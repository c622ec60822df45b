// The reader on texts in memory: meshes, faces, text forms, errors and threads.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "HBXOBJ.h"
#include "ObjReader.h"

namespace {

// A mesh written out compactly: "x y z|x y z|...; a b c d|a b c d|...".
std::string Dump(const ON_Mesh& m) {
  std::string s;
  char b[64];
  for (int i = 0; i < m.VertexCount(); ++i) {
    std::snprintf(b, sizeof b, "%s%g %g %g", i ? "|" : "", m.m_V[i].x, m.m_V[i].y, m.m_V[i].z);
    s += b;
  }
  s += ";";
  for (int i = 0; i < m.FaceCount(); ++i) {
    const ON_MeshFace& f = m.m_F[i];
    std::snprintf(b, sizeof b, "%s%d %d %d %d", i ? "| " : " ", f.vi[0], f.vi[1], f.vi[2], f.vi[3]);
    s += b;
  }
  return s;
}

struct Result {
  int ok = 0;
  std::string error;
  std::vector<std::string> meshes;
};

Result Read(const std::string& text, int threads = 1) {
  HBXOBJ::SetThreadCount(threads);
  ON_ClassArray<ON_Mesh> meshes;
  Result r;
  r.ok = HBXOBJ::OBJTextToMesh(text.data(), text.size(), CString(L"test.obj"), meshes);
  if (!r.ok) r.error = HBXOBJ::GetError().ToUtf8();
  for (int i = 0; i < meshes.Count(); ++i) {
    EXPECT_TRUE(meshes[i].m_F.Count() > 0);
    for (int f = 0; f < meshes[i].FaceCount(); ++f)
      EXPECT_TRUE(meshes[i].m_F[f].IsValid(meshes[i].VertexCount())) << "face " << f << " of mesh " << i;
    r.meshes.push_back(Dump(meshes[i]));
  }
  HBXOBJ::SetThreadCount(0);
  return r;
}

const char* const kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

struct MeshCase {
  const char* what;
  std::string text;
  std::vector<std::string> meshes;
};

void ExpectMeshes(const std::vector<MeshCase>& cases) {
  for (const MeshCase& c : cases) {
    const Result r = Read(c.text);
    EXPECT_EQ(r.ok, 1) << c.what << ": " << r.error;
    EXPECT_EQ(r.meshes, c.meshes) << c.what;
  }
}

TEST(HBXOBJ, OneMeshPerNameInOrderOfFirstFace) {
  ExpectMeshes({
      {"faces before any name form the first mesh", std::string(kSquare) + "f 1 2 3\ng a\nf 1 3 4\n",
       {"0 0 0|1 0 0|1 1 0; 0 1 2 2", "0 0 0|1 1 0|0 1 0; 0 1 2 2"}},
      {"o and g both name the mesh; a name seen again continues it",
       std::string(kSquare) + "o a\nf 1 2 3\ng b\nf 2 3 4\no a\nf 1 3 4\n",
       {"0 0 0|1 0 0|1 1 0|0 1 0; 0 1 2 2| 0 2 3 3", "1 0 0|1 1 0|0 1 0; 0 1 2 2"}},
      {"a name without faces makes no mesh, and its order comes from its first face",
       std::string(kSquare) + "g empty\ng late\ng first\nf 1 2 3\ng late\nf 2 3 4\ng empty\n",
       {"0 0 0|1 0 0|1 1 0; 0 1 2 2", "1 0 0|1 1 0|0 1 0; 0 1 2 2"}},
      {"g with several names: the whole rest of the line, blanks and tabs evened out",
       std::string(kSquare) + "g left right\nf 1 2 3\ng left\nf 1 3 4\ng  left \t right  # same\nf 2 3 4\n",
       {"0 0 0|1 0 0|1 1 0|0 1 0; 0 1 2 2| 1 2 3 3", "0 0 0|1 1 0|0 1 0; 0 1 2 2"}},
      {"each mesh holds only the vertices it uses, in first-use order",
       "v 9 9 9\nv 1 0 0\nv 0 1 0\nv 0 0 1\nv 8 8 8\nf 4 2 3\nf 3 2 4\n",
       {"0 0 1|1 0 0|0 1 0; 0 1 2 2| 2 1 0 0"}},
      {"a name whose faces all fall away makes no mesh; the others keep their order",
       std::string(kSquare) + "o gone1\nf 1 2 1 2 1 2\no kept1\nf 1 2 3\no gone2\nf 3 3 3\no kept2\nf 2 3 4\n"
                              "o gone3\nf 4 1 4 1\n",
       {"0 0 0|1 0 0|1 1 0; 0 1 2 2", "1 0 0|1 1 0|0 1 0; 0 1 2 2"}},
      {"no faces at all: read, no mesh", "v 1 2 3\nv 4 5 6\ng nothing\n", {}},
      {"an empty text: read, no mesh", "", {}},
  });
}

TEST(HBXOBJ, FacesAndTheirCorners) {
  ExpectMeshes({
      {"a triangle repeats its third index; a quad keeps its corners in file order",
       std::string(kSquare) + "f 1 2 3\nf 4 3 2 1\n", {"0 0 0|1 0 0|1 1 0|0 1 0; 0 1 2 2| 3 2 1 0"}},
      {"negative indices count back from the face",
       "v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 0 1 0\nf -4 -2 -1\n",
       {"0 0 0|1 0 0|1 1 0|0 1 0; 0 1 2 2| 0 2 3 3"}},
      {"v/vt, v//vn and v/vt/vn corners, also mixed in one face",
       std::string(kSquare) + "vt 0 0\nvt 1 0\nvt 1 1\nvn 0 0 1\nf 1/1 2/2 3/3\nf 1//1 3//1 4//1\nf 2/2/1 3/3/1 4/1/1 1\n",
       {"0 0 0|1 0 0|1 1 0|0 1 0; 0 1 2 2| 0 2 3 3| 1 2 3 0"}},
      {"an empty texture or normal field is no reference", std::string(kSquare) + "f 1/ 2/ 3/\nf 1// 3// 4//\n",
       {"0 0 0|1 0 0|1 1 0|0 1 0; 0 1 2 2| 0 2 3 3"}},
      {"repeated corners merge, the closing one too; what is left decides the face",
       std::string(kSquare) + "f 1 1 2 2 3 3 1\nf 1 2 3 4 4 1 1\n",
       {"0 0 0|1 0 0|1 1 0|0 1 0; 0 1 2 2| 0 1 2 3"}},
      {"fewer than three distinct vertices, or a quad that runs back and forth: nothing",
       std::string(kSquare) + "f 1 1 1\nf 1 2 1\nf 1 2 2 1\nf 1 2 1 3\nf 1 2 3 2\nf 2 3 4\n",
       {"1 0 0|1 1 0|0 1 0; 0 1 2 2"}},
      {"a pentagon becomes three triangles",
       "v 0 0 0\nv 2 0 0\nv 3 1 0\nv 1 2 0\nv -1 1 0\nf 1 2 3 4 5\n",
       {"-1 1 0|0 0 0|2 0 0|1 2 0|3 1 0; 0 1 2 2| 3 0 2 2| 4 3 2 2"}},
      {"fo is the old spelling of f", std::string(kSquare) + "fo 1 2 3\n", {"0 0 0|1 0 0|1 1 0; 0 1 2 2"}},
  });
}

TEST(HBXOBJ, TextForms) {
  const std::string tri = "0 0 0|1 0 0|0 1 0; 0 1 2 2";
  ExpectMeshes({
      {"LF", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", {tri}},
      {"CRLF", "v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3\r\n", {tri}},
      {"CR alone", "v 0 0 0\rv 1 0 0\rv 0 1 0\rf 1 2 3\r", {tri}},
      {"no final line end", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3", {tri}},
      {"UTF-8 byte-order mark", "\xEF\xBB\xBFv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", {tri}},
      {"tabs, runs of blanks, blank lines, leading blanks",
       "\t v\t0   0 0\n\n   \nv 1\t\t0 0 \nv 0 1 0\t\n  f 1   2\t3  \n", {tri}},
      {"comments, on their own lines and after a statement",
       "# a comment\nv 0 0 0 # after\nv 1 0 0#glued\nv 0 1 0\n#f 9 9 9\nf 1 2 3 # the end\n", {tri}},
      {"a backslash joins lines, in any line-end form",
       "v 0 0 \\\n 0\nv 1 \\\r\n0 0\nv 0 \\\r1 0\nf 1 \\\n\\\n 2 3\n", {tri}},
      {"a comment ends at its own line, backslash or not", "# C:\\models\\\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", {tri}},
      {"a backslash at the very end", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3 \\", {tri}},
      {"v with w, with a colour, with a colour and alpha",
       "v 0 0 0 1\nv 1 0 0 0.5 0.5 0.5\nv 0 1 0 1 0 0 1\nf 1 2 3\n", {tri}},
      {"every number form strtod takes", "v 0x0p0 -0.0e5 +0\nv 1. .0 0E0\nv .0e1 0x1p0 0X0\nf +1 2 +3\n",
       {"0 -0 0|1 0 0|0 1 0; 0 1 2 2"}},
      {"unknown statements and the ones that do not make faces are ignored",
       "mtllib a.mtl\nusemtl red\ns 1\ns off\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvp 0.5\nl 1 2\np 1\n"
       "cstype bspline\ndeg 3\ncurv 0 1 1 2\nsurf 0 1 0 1 1 2 3\nparm u 0 1\nend\nmg 1\nlod 1\n"
       "bevel on\nc_interp off\nd_interp off\nshadow_obj x.obj\ntrace_obj x.obj\nxyzzy 1 2 3\n"
       "vx 1\nfoo\ngroup x\nv\\x\nf 1 2 3\n",
       {tri}},
  });
  // UTF-16 with its byte-order mark, in both byte orders.
  const std::string utf8 = "v 0 0 0\nv 1 0 0\nv 0 1 0\ng \xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\nf 1 2 3\n";
  for (bool little : {true, false}) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    const CString wide(utf8.c_str());
    std::u16string units;
    for (wchar_t w : wide.Str()) {
      const uint32_t c = static_cast<uint32_t>(w);
      if constexpr (sizeof(wchar_t) == 4) {
        if (c >= 0x10000) {
          units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
          units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
          continue;
        }
      }
      units += static_cast<char16_t>(c);
    }
    for (char16_t u : units) {
      const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
      bytes += little ? lo : hi;
      bytes += little ? hi : lo;
    }
    const Result r = Read(bytes);
    EXPECT_EQ(r.ok, 1) << r.error;
    EXPECT_EQ(r.meshes, std::vector<std::string>{tri}) << (little ? "UTF-16 LE" : "UTF-16 BE");
  }
}

// Each of these is a fault some well-known reader gets wrong: an index stored
// unchecked, a bad token that shifts the next face, or a whole file rejected.
TEST(HBXOBJ, ContentErrorsNameTheLineAndWhatIsWrong) {
  struct Case {
    const char* what;
    std::string text;
    std::string error;
  } cases[] = {
      {"index beyond the vertices", "v 0 0 0\nv 1 0 0\nv 0 1 0\n\n\n\n\n\n\n\n\nf 1 2 999999\n",
       "Line 12: face refers to vertex 999999, but only 3 vertices are defined."},
      {"index 0", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n",
       "Line 4: face refers to vertex 0, but indices start at 1 (or at -1 for the last one)."},
      {"a vertex defined only after the face", "v 0 0 0\nv 1 0 0\nf 1 2 3\nv 0 1 0\n",
       "Line 3: face refers to vertex 3, but only 2 vertices are defined."},
      {"relative index too far back", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -1 -2 -4\n",
       "Line 4: face refers to vertex -4 (counted back from the face), but only 3 vertices are defined before it."},
      {"index beyond 32 bits", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4294967299\n",
       "Line 4: face refers to vertex 4294967299, but only 3 vertices are defined."},
      {"negative index beyond 64 bits", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -99999999999999999999999\n",
       "Line 4: face refers to vertex -99999999999999999999999 (counted back from the face), but only 3 vertices are "
       "defined before it."},
      {"texture coordinates referred to but not defined", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1 2/1 3/1\n",
       "Line 4: face refers to texture coordinate 1, but no texture coordinates are defined."},
      {"normal out of range", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//1 2//2 3//1\n",
       "Line 5: face refers to normal 2, but only 1 normal is defined."},
      {"a face of two corners", "v 0 0 0\nv 1 0 0\nf 1 2\n",
       "Line 3: a face needs at least three corners, but this one has 2."},
      {"a face of no corners", "f\n", "Line 1: a face needs at least three corners, but this one has 0."},
      {"a corner that is not a number", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 x\nf 1 2 3\n",
       "Line 4: face corner \"x\" is not of the form v, v/vt, v//vn or v/vt/vn with whole numbers."},
      {"a corner of four parts", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1 2 3/1/1/1\n",
       "Line 5: face corner \"3/1/1/1\" is not of the form v, v/vt, v//vn or v/vt/vn with whole numbers."},
      {"a corner without its vertex", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1 2 /1\n",
       "Line 5: face corner \"/1\" is not of the form v, v/vt, v//vn or v/vt/vn with whole numbers."},
      {"a fraction as index", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3.0\n",
       "Line 4: face corner \"3.0\" is not of the form v, v/vt, v//vn or v/vt/vn with whole numbers."},
      {"a malformed coordinate", "v 0 0 0\nv 1 0 0\nv 0 1,5 0\n",
       "Line 3: vertex coordinate \"1,5\" is not a number."},
      {"a coordinate too large for a float", "v 0 0 1e39\n", "Line 1: vertex coordinate \"1e39\" is too large for a float."},
      {"infinity", "v 0 inf 0\n", "Line 1: vertex coordinate \"inf\" is not a finite number."},
      {"not a number", "v nan 0 0\n", "Line 1: vertex coordinate \"nan\" is not a finite number."},
      {"a vertex of two coordinates", "v 1 2\n",
       "Line 1: a vertex needs three coordinates (x y z), but this one has 2."},
      {"a vertex of eight values", "v 1 2 3 4 5 6 7 8\n",
       "Line 1: a vertex has at most seven values (x y z and w or a colour), but this one has more."},
      {"line numbers count CRLF, CR and joined lines", "v 0 0 0\r\nv 1 0 \\\r\n0\rv 0 1 0\nf 1 2 4\n",
       "Line 5: face refers to vertex 4, but only 3 vertices are defined."},
      {"UTF-16 cut in the middle of a character", "\xFF\xFEv\0 ",
       "The file is UTF-16 text, but it ends in the middle of a character."},
  };
  for (const Case& c : cases) {
    for (int threads : {1, 4}) {
      const Result r = Read(c.text, threads);
      EXPECT_EQ(r.ok, 0) << c.what;
      EXPECT_EQ(r.error, std::string("Cannot read \"test.obj\". ") + c.error) << c.what;
      EXPECT_TRUE(r.meshes.empty()) << c.what;
    }
  }
}

// On failure nothing partly read is handed on: the array is as it was.
TEST(HBXOBJ, FailureLeavesTheArrayAsItWas) {
  ON_ClassArray<ON_Mesh> meshes;
  meshes.AppendNew().SetTriangle(0, 0, 0, 0);
  const std::string text = std::string(kSquare) + "g a\nf 1 2 3\ng b\nf 1 2 3\nf 1 2 5\n";
  EXPECT_EQ(HBXOBJ::OBJTextToMesh(text.data(), text.size(), CString(L"x.obj"), meshes), 0);
  ASSERT_EQ(meshes.Count(), 1);
  EXPECT_EQ(meshes[0].FaceCount(), 1);
  // And a success appends after what was there, the error text staying.
  const std::string good = std::string(kSquare) + "f 1 2 3\n";
  EXPECT_EQ(HBXOBJ::OBJTextToMesh(good.data(), good.size(), CString(L"y.obj"), meshes), 1);
  EXPECT_EQ(meshes.Count(), 2);
  EXPECT_NE(HBXOBJ::GetError().Find(L"x.obj"), -1);
}

// The meshes array grows through its own storage operation, the one the caller's
// side of a module boundary provides.
struct CountingMeshes : ON_ClassArray<ON_Mesh> {
  int reallocs = 0;
  ON_Mesh* Realloc(ON_Mesh* p, int capacity) override {
    ++reallocs;
    return ON_ClassArray<ON_Mesh>::Realloc(p, capacity);
  }
};

TEST(HBXOBJ, GrowsTheArrayThroughItsOwnStorageOperation) {
  CountingMeshes meshes;
  std::string text = kSquare;
  for (int i = 0; i < 20; ++i) {
    text += "g m";
    text += std::to_string(i);
    text += "\nf 1 2 3\n";
  }
  ASSERT_EQ(HBXOBJ::OBJTextToMesh(text.data(), text.size(), CString(L"m.obj"), meshes), 1);
  EXPECT_EQ(meshes.Count(), 20);
  EXPECT_GT(meshes.reallocs, 0);
}

// A text of many pieces: groups that come back, relative and absolute indices,
// polygons, joined lines and CRLF, so that the pieces' borders fall everywhere.
std::string BigText(unsigned seed, int maxCorners) {
  std::mt19937 rng(seed);
  std::string s;
  long long v = 0;
  char b[128];
  for (int block = 0; block < 3000; ++block) {
    if (rng() % 5 == 0) {
      s += "g group";
      s += std::to_string(rng() % 7);
      s += rng() % 2 ? "\r\n" : "\n";
    }
    const int nv = 3 + static_cast<int>(rng() % 6);
    for (int i = 0; i < nv; ++i) {
      std::snprintf(b, sizeof b, "v %.6f %.5f \\\n %.4f\n", (rng() % 20000) / 1000.0, (rng() % 20000) / 1000.0,
                    (rng() % 20000) / 1000.0);
      s += b;
      ++v;
    }
    s += "vt 0.5 0.5\n";
    for (int f = 0; f < 4; ++f) {
      const int corners = 3 + static_cast<int>(rng() % static_cast<unsigned>(maxCorners - 2));
      s += "f";
      for (int c = 0; c < corners; ++c) {
        const long long k = v - nv + 1 + static_cast<long long>(rng() % nv);
        if (rng() % 2) std::snprintf(b, sizeof b, " %lld/1", k);
        else std::snprintf(b, sizeof b, " %lld", k - v - 1);
        s += b;
      }
      s += rng() % 3 ? "\n" : "\r\n";
    }
    if (rng() % 50 == 0) s += "# a comment \\\n";
  }
  return s;
}

TEST(HBXOBJ, SameResultWhateverTheNumberOfThreads) {
  hbx::SetMinimumChunkSize(4096);
  hbx::SetLargeMeshCorners(1000);  // meshes of triangles and quads then built on all threads
  for (int maxCorners : {6, 4}) {
    const std::string text = BigText(7, maxCorners);
    ASSERT_GT(text.size(), 500000u);
    const Result one = Read(text, 1);
    ASSERT_EQ(one.ok, 1) << one.error;
    ASSERT_GT(one.meshes.size(), 3u);
    for (int threads : {2, 3, 8}) {
      const Result r = Read(text, threads);
      EXPECT_EQ(r.ok, 1) << r.error;
      EXPECT_EQ(r.meshes, one.meshes) << threads << " threads, faces of up to " << maxCorners << " corners";
    }
  }
  // A fault late in the text is reported alike, also when an earlier piece is fine
  // and a later one is broken too.
  std::string broken = BigText(7, 6);
  broken.insert(broken.find("\nf ", broken.size() * 2 / 3) + 1, "f 1 2 0\n");
  broken += "v 1 2\n";
  const Result e1 = Read(broken, 1);
  EXPECT_EQ(e1.ok, 0);
  EXPECT_NE(e1.error.find("indices start at 1"), std::string::npos) << e1.error;
  for (int threads : {2, 8}) EXPECT_EQ(Read(broken, threads).error, e1.error) << threads << " threads";
  hbx::SetMinimumChunkSize(size_t{1} << 18);
  hbx::SetLargeMeshCorners(uint64_t{1} << 20);
}

// A file is read block by block: statements, CR LF pairs and joined lines cut by
// a block's end, a statement longer than a block, and the line numbers of errors
// in later blocks all come out as when the text is read at once.
TEST(HBXOBJ, FilesReadInBlocksGiveTheSameResult) {
  namespace fs = std::filesystem;
  // A name of its own: test runs of other builds on the machine write their texts too.
  const fs::path file = fs::temp_directory_path() / ("plymora_blocks_test_" + std::to_string(std::random_device{}()) + ".obj");
  auto readFile = [&](const std::string& text, int threads) {
    {
      std::ofstream out(file, std::ios::binary);
      out << text;
    }
    HBXOBJ::SetThreadCount(threads);
    ON_ClassArray<ON_Mesh> meshes;
    Result r;
    r.ok = HBXOBJ::OBJToMesh(CString(file.wstring()), meshes);
    if (!r.ok) r.error = HBXOBJ::GetError().ToUtf8();
    for (int i = 0; i < meshes.Count(); ++i) r.meshes.push_back(Dump(meshes[i]));
    HBXOBJ::SetThreadCount(0);
    return r;
  };
  std::string longFace = "f";
  for (int i = 0; i < 3000; ++i) {
    longFace += ' ';
    longFace += std::to_string(i % 2 ? 1 + i % 3 : 3 - i % 3);
  }
  // The third has line feeds alone, so that its blocks are counted the wide way,
  // and a run of empty lines longer than a block.
  std::string texts[3] = {"\xEF\xBB\xBF", BigText(12, 4), BigText(13, 5)};
  texts[0] += BigText(11, 6);
  std::erase(texts[2], '\r');
  texts[2].insert(texts[2].find("\nv ", texts[2].size() / 2) + 1, std::string(10000, '\n'));
  texts[1] += "# ";
  texts[1] += std::string(20000, 'x');
  texts[1] += '\n';
  texts[1] += longFace;
  texts[1] += '\n';
  hbx::SetMinimumChunkSize(1024);
  hbx::SetBlockSize(4099);
  for (const std::string& text : texts) {
    const Result whole = Read(text, 1);
    ASSERT_EQ(whole.ok, 1) << whole.error;
    for (int threads : {1, 2, 8}) {
      const Result r = readFile(text, threads);
      EXPECT_EQ(r.ok, 1) << r.error;
      EXPECT_EQ(r.meshes, whole.meshes) << threads << " threads";
    }
    std::string broken = text;
    broken += text.find('\r') == std::string::npos ? "v 1 2 3\nf 1 2 \\\n 3 -9999999\n" : "v 1 2 3\r\nf 1 2 \\\r\n 3 -9999999\n";
    const Result e = Read(broken, 1);
    ASSERT_EQ(e.ok, 0);
    for (int threads : {1, 8}) {
      const Result r = readFile(broken, threads);
      EXPECT_EQ(r.error.substr(r.error.find("Line")), e.error.substr(e.error.find("Line"))) << threads << " threads";
    }
  }
  hbx::SetBlockSize(size_t{2} << 20);
  hbx::SetMinimumChunkSize(size_t{1} << 18);
  std::error_code ec;
  fs::remove(file, ec);
}

}  // namespace
