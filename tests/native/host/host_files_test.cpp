// The stand-in host's file side: application 58 reads the file it is asked to load
// at the moment of the call, document 509 answers as it is told. Calls go through
// literal table positions, as a client's do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CString.h"
#include "ComHolders.h"
#include "StandInHostTest.h"

namespace {

using Lines = std::vector<std::string>;

template <int N, class Obj, class... Args>
HRESULT At(Obj* object, Args... args) {
  return HostOp::Call<N>(object, args...);
}

class HostFileSide : public standin::StandInHostTest {
 protected:
  HostFileSide() {
    m_folder = std::filesystem::temp_directory_path() / ("standin-files-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directory(m_folder);
  }
  ~HostFileSide() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  std::wstring Make(const std::string& name, const std::string& content) const {
    std::ofstream(m_folder / name, std::ios::binary) << content;
    return (m_folder / name).wstring();
  }
  std::wstring Folder() const { return m_folder.wstring(); }

 private:
  std::filesystem::path m_folder;
};

TEST_F(HostFileSide, LoadReadsTheFileWhenAsked) {
  const std::wstring part = Make("part.dxf", "0\nEOF\n");
  const std::wstring refused = Make("refused.dxf", "x");
  const std::wstring missing = Folder() + L"/missing.dxf";
  host.Files().RefuseFile(refused);
  struct Case {
    std::wstring path;
    HRESULT result;
    bool readable;
    std::string content;
  };
  const Case cases[] = {
      {part, S_OK, true, "0\nEOF\n"},
      {refused, E_FAIL, true, "x"},
      {missing, E_FAIL, false, ""},
      {Folder(), E_FAIL, false, ""},  // a folder is no file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CString(c.path.c_str()).ToUtf8());
    BstrHolder path(c.path.c_str());
    BstrHolder argument(L"");
    LONG loaded = 7;
    EXPECT_EQ(At<58>(host.Application(), path.Get(), argument.Get(), &loaded), c.result);
    EXPECT_EQ(loaded, c.result == S_OK ? 1 : 0);
    const standin::FileLoad& load = host.Files().Loads().back();
    EXPECT_EQ(load.path, c.path);
    EXPECT_EQ(load.readable, c.readable);
    EXPECT_EQ(load.content, c.content);
    EXPECT_EQ(load.result, c.result);
    EXPECT_FALSE(load.argumentNull);
  }
  // No texts and no out-pointer: recorded, refused, nothing written.
  EXPECT_EQ(At<58>(host.Application(), BSTR{}, BSTR{}, static_cast<LONG*>(nullptr)), E_FAIL);
  EXPECT_EQ(host.Files().Loads().back().path, L"");
  EXPECT_TRUE(host.Files().Loads().back().argumentNull);
  EXPECT_EQ(host.Log().Lines().back(), "HostApplication.58(null,null,null)");
  EXPECT_EQ(host.Files().Loads().size(), 5u);
}

TEST_F(HostFileSide, ExtractionAnswersAsToldAndRecordsItsArguments) {
  standin::Document& part = host.AddDocument(standin::DocumentKind::Part);
  HostDocument* doc = part.DocumentInterface();
  BstrHolder path(L"out.x_b");
  LONG error = 9;
  EXPECT_EQ(At<509>(doc, path.Get(), LONG{0}, SHORT{-1}, SHORT{-1}, &error), S_OK);
  EXPECT_EQ(error, 0);
  host.Files().SetExtractionOutcome(E_FAIL, 4);
  EXPECT_EQ(At<509>(doc, path.Get(), LONG{2}, SHORT{1}, SHORT{0}, &error), E_FAIL);
  EXPECT_EQ(error, 4);
  EXPECT_EQ(At<509>(doc, BSTR{}, LONG{0}, SHORT{0}, SHORT{0}, static_cast<LONG*>(nullptr)), E_FAIL);
  EXPECT_EQ(host.Log().Args("HostDocument", 509),
            (Lines{"\"out.x_b\",0,-1,-1,&", "\"out.x_b\",2,1,0,&", "null,0,0,0,null"}));
  ASSERT_EQ(host.Files().Extractions().size(), 3u);
  const standin::SolidDataExtraction& second = host.Files().Extractions()[1];
  EXPECT_EQ(second.document, part.Id());
  EXPECT_EQ(second.path, L"out.x_b");
  EXPECT_EQ(second.option, 2);
  EXPECT_EQ(second.first, 1);
  EXPECT_EQ(second.second, 0);
  EXPECT_TRUE(second.errorOut);
  EXPECT_FALSE(host.Files().Extractions()[2].errorOut);
}

}  // namespace
