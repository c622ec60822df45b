// The reader on files: the fixtures, file-system failures and non-ASCII paths.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "HBXOBJ.h"

namespace {

namespace fs = std::filesystem;

CString Fixture(const char* name) { return CString((std::string(PLYMORA_FIXTURES) + "/obj/" + name).c_str()); }

// The path as the host hands it over: wide, in the platform's own form.
CString Wide(const fs::path& p) {
#ifdef _WIN32
  return CString(p.wstring());
#else
  return CString(p.string().c_str());
#endif
}

TEST(HBXOBJFiles, Fixtures) {
  struct Case {
    const char* file;
    int meshes, faces, quads;  // faces and quads over all meshes
    const char* error;         // the end of the error text, when reading fails
  } cases[] = {
      {"cube.obj", 1, 6, 6, nullptr},
      {"crlf_relative.obj", 2, 2, 0, nullptr},
      {"concave_pentagon.obj", 1, 3, 0, nullptr},
      {"ignored_statements.obj", 1, 1, 0, nullptr},
      {"no_faces.obj", 0, 0, 0, nullptr},
      {"utf8_bom.obj", 1, 1, 0, nullptr},
      {"utf16le_bom.obj", 1, 1, 0, nullptr},
      {"utf16be_bom.obj", 1, 1, 0, nullptr},
      {"bad_index.obj", 0, 0, 0, "Line 4: face refers to vertex 4, but only 3 vertices are defined."},
      {"missing_texcoords.obj", 0, 0, 0,
       "Line 4: face refers to texture coordinate 1, but no texture coordinates are defined."},
      {"two_corners.obj", 0, 0, 0, "Line 4: a face needs at least three corners, but this one has 2."},
      {"bad_token.obj", 0, 0, 0,
       "Line 4: face corner \"x\" is not of the form v, v/vt, v//vn or v/vt/vn with whole numbers."},
      {"float_overflow.obj", 0, 0, 0, "Line 1: vertex coordinate \"1e39\" is too large for a float."},
  };
  for (const Case& c : cases) {
    ON_ClassArray<ON_Mesh> meshes;
    const CString path = Fixture(c.file);
    const int ok = HBXOBJ::OBJToMesh(path, meshes);
    if (c.error) {
      EXPECT_EQ(ok, 0) << c.file;
      EXPECT_EQ(HBXOBJ::GetError(), CString(L"Cannot read \"") + path + L"\". " + CString(c.error)) << c.file;
      EXPECT_EQ(meshes.Count(), 0) << c.file;
      continue;
    }
    EXPECT_NE(ok, 0) << c.file << ": " << HBXOBJ::GetError().ToUtf8();
    int faces = 0, quads = 0;
    for (int i = 0; i < meshes.Count(); ++i) {
      faces += meshes[i].FaceCount();
      quads += meshes[i].QuadCount();
    }
    EXPECT_EQ(meshes.Count(), c.meshes) << c.file;
    EXPECT_EQ(faces, c.faces) << c.file;
    EXPECT_EQ(quads, c.quads) << c.file;
  }
}

TEST(HBXOBJFiles, FileSystemFailuresAreClearErrors) {
  struct Case {
    CString path;
    const wchar_t* why;
  } cases[] = {
      {Fixture("does_not_exist.obj"), L"The file does not exist."},
      {Fixture("no_such_folder/x.obj"), L"The file does not exist."},
      {CString((std::string(PLYMORA_FIXTURES) + "/obj").c_str()), L"It is a folder, not a file."},
      {CString(L""), L"No file name was given."},
  };
  for (const Case& c : cases) {
    ON_ClassArray<ON_Mesh> meshes;
    EXPECT_EQ(HBXOBJ::OBJToMesh(c.path, meshes), 0) << c.path.ToUtf8();
    EXPECT_EQ(HBXOBJ::GetError(), CString(L"Cannot read \"") + c.path + L"\". " + c.why) << c.path.ToUtf8();
    EXPECT_EQ(meshes.Count(), 0);
  }
}

TEST(HBXOBJFiles, NonAsciiPath) {
  const fs::path dir = fs::temp_directory_path() / fs::path(u8"plymora_\u00e4\u00f6\u00fc_\u6a21\u578b");
  std::error_code ec;
  fs::create_directories(dir, ec);
  ASSERT_FALSE(ec) << ec.message();
  const fs::path file = dir / fs::path(u8"W\u00fcrfel \u20ac.obj");
  fs::copy_file(std::string(PLYMORA_FIXTURES) + "/obj/cube.obj", file, fs::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << ec.message();
  ON_ClassArray<ON_Mesh> meshes;
  const int ok = HBXOBJ::OBJToMesh(Wide(file), meshes);
  EXPECT_NE(ok, 0) << HBXOBJ::GetError().ToUtf8();
  ASSERT_EQ(meshes.Count(), 1);
  EXPECT_EQ(meshes[0].QuadCount(), 6);
  // A failure names the file as given, its characters intact.
  const fs::path missing = dir / fs::path(u8"\u00fc.obj");
  EXPECT_EQ(HBXOBJ::OBJToMesh(Wide(missing), meshes), 0);
  EXPECT_NE(HBXOBJ::GetError().Find(L"\u00fc.obj"), -1) << HBXOBJ::GetError().ToUtf8();
  fs::remove_all(dir, ec);
}

}  // namespace
