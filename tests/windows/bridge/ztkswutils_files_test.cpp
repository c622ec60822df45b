// The host file utilities under Wine, on real files in a folder each test makes and
// removes: DXF files handed to the host and consumed, and the active document's
// solid data. Host calls are asserted on their literal table positions.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "StandInHostTest.h"
#include "ZTKSWUtils.h"

namespace {

using standin::Fault;
using Lines = std::vector<std::string>;
using Names = std::vector<std::wstring>;

const wchar_t kEarlier[] = L"an earlier failure";
const wchar_t kNotLoaded[] = L"Unable to load DXF file\n";
const wchar_t kNo2DData[] = L"Unable to read 2D data\n";
const wchar_t kPathTooLong[] = L"Path too long to read 2D data\n";

// A folder of its own under the temporary folder, removed with what is left in it.
class TempFolder {
 public:
  TempFolder() {
    static int made = 0;
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    m_path = std::wstring(temp, n) + L"plymora-files-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++made) + L"\\";
    m_ok = CreateDirectoryW(m_path.c_str(), nullptr) != 0;
  }
  ~TempFolder() {
    for (const std::wstring& name : Files()) DeleteFileW((m_path + name).c_str());
    RemoveDirectoryW(m_path.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  bool Ok() const { return m_ok; }
  // Ends in the separator.
  const std::wstring& Path() const { return m_path; }
  // Writes files whose content holds their own name, so a load shows which file it read.
  void Make(const Names& names) const {
    for (const std::wstring& name : names) MakeOne(name);
  }
  static std::string Content(const std::wstring& name) { return "0\nSECTION\n999\n" + CString(name.c_str()).ToUtf8(); }
  // The files in the folder, sorted.
  Names Files() const {
    Names names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_path + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  void MakeOne(const std::wstring& name) const {
    HANDLE file = CreateFileW((m_path + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot make " << CString(name.c_str()).ToUtf8();
    const std::string content = Content(name);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
  }

  std::wstring m_path;
  bool m_ok = false;
};

class FileUtilities : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.Ok());
    ZTKSWUtils::SetLastErrorText(kEarlier);
  }

  // The file names (in the test folder) of the loads so far, sorted: the search
  // gives them in the platform's order.
  Names LoadedNames() const {
    Names names;
    for (const standin::FileLoad& load : host.Files().Loads()) {
      const std::wstring& path = load.path;
      names.push_back(path.compare(0, folder.Path().size(), folder.Path()) == 0 ? path.substr(folder.Path().size())
                                                                                  : L"(elsewhere) " + path);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // Every load of the run: the file was there with its own content, the second
  // text was an empty string, and the host's answer.
  void ExpectEveryLoadReadItsFile() const {
    for (const standin::FileLoad& load : host.Files().Loads()) {
      SCOPED_TRACE(CString(load.path.c_str()).ToUtf8());
      EXPECT_TRUE(load.readable) << "the file existed when the host was asked to load it";
      const std::wstring name = load.path.substr(load.path.find_last_of(L"\\/") + 1);
      EXPECT_EQ(load.content, TempFolder::Content(name));
      EXPECT_EQ(load.argument, L"");
      EXPECT_FALSE(load.argumentNull) << "an empty string, not a missing one";
    }
  }

  TempFolder folder;
};

TEST_F(FileUtilities, LoadDXFFilesLoadsAndDeletesTheFilesOfThePath) {
  folder.Make({L"part.dxf", L"part1.dxf", L"part-sheet.dxf", L"other.dxf", L"part.txt"});
  int count = -5;
  EXPECT_EQ(LoadDXFFiles(host.Application(), (folder.Path() + L"part.sldprt").c_str(), count), TRUE);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(LoadedNames(), (Names{L"part-sheet.dxf", L"part.dxf", L"part1.dxf"}));
  ExpectEveryLoadReadItsFile();
  for (const standin::FileLoad& load : host.Files().Loads()) EXPECT_EQ(load.result, S_OK);
  EXPECT_EQ(folder.Files(), (Names{L"other.dxf", L"part.txt"})) << "the loaded files are gone, the others untouched";
  const Lines calls = host.Log().Lines(true);
  EXPECT_EQ(calls.size(), 3u) << "nothing but the three loads";
  for (const std::string& call : calls) EXPECT_EQ(call.rfind("HostApplication.58(", 0), 0u) << call;
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kEarlier) << "success leaves the text";
}

TEST_F(FileUtilities, OnlyTheFolderAndTheFileNameMakeThePattern) {
  const Names all = {L"part.dxf", L"part1.dxf", L"part-sheet.dxf", L"other.dxf", L"Part2.DXF", L"part.txt"};
  struct Case {
    const wchar_t* given;  // after the folder
    Names loaded;
  };
  const Case cases[] = {
      {L"", {L"Part2.DXF", L"other.dxf", L"part-sheet.dxf", L"part.dxf", L"part1.dxf"}},  // the folder itself
      {L"part.sldprt", {L"Part2.DXF", L"part-sheet.dxf", L"part.dxf", L"part1.dxf"}},
      {L"part.dxf", {L"Part2.DXF", L"part-sheet.dxf", L"part.dxf", L"part1.dxf"}},
      {L"part", {L"Part2.DXF", L"part-sheet.dxf", L"part.dxf", L"part1.dxf"}},
      {L"part.a.b", {}},  // the file name is "part.a": nothing begins with it
      {L"part1.x", {L"part1.dxf"}},
      {L"oth.sldasm", {L"other.dxf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CString(c.given).ToUtf8());
    TempFolder own;
    ASSERT_TRUE(own.Ok());
    own.Make(all);
    standin::StandInHost fresh;
    int count = -1;
    const BOOL result = LoadDXFFiles(fresh.Application(), (own.Path() + c.given).c_str(), count);
    EXPECT_EQ(result, c.loaded.empty() ? FALSE : TRUE);
    EXPECT_EQ(count, static_cast<int>(c.loaded.size()));
    Names loaded;
    for (const standin::FileLoad& load : fresh.Files().Loads()) {
      EXPECT_TRUE(load.readable);
      loaded.push_back(load.path.substr(own.Path().size()));
    }
    std::sort(loaded.begin(), loaded.end());
    EXPECT_EQ(loaded, c.loaded);
    Names left;
    for (const std::wstring& name : all)
      if (std::find(c.loaded.begin(), c.loaded.end(), name) == c.loaded.end()) left.push_back(name);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(own.Files(), left);
    EXPECT_TRUE(fresh.ReferenceProblems().empty());
  }
}

TEST_F(FileUtilities, AFileTheHostRefusesIsCountedOutAndDeletedAllTheSame) {
  folder.Make({L"part.dxf", L"part1.dxf", L"part-sheet.dxf", L"other.dxf"});
  host.Files().RefuseFile(folder.Path() + L"part1.dxf");
  int count = -1;
  EXPECT_EQ(LoadDXFFiles(host.Application(), (folder.Path() + L"part.sldprt").c_str(), count), FALSE);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kNotLoaded);
  EXPECT_EQ(LoadedNames(), (Names{L"part-sheet.dxf", L"part.dxf", L"part1.dxf"})) << "the loads go on after the refusal";
  ExpectEveryLoadReadItsFile();
  for (const standin::FileLoad& load : host.Files().Loads())
    EXPECT_EQ(load.result, load.path == folder.Path() + L"part1.dxf" ? E_FAIL : S_OK);
  EXPECT_EQ(folder.Files(), (Names{L"other.dxf"})) << "all three consumed, the refused one too";

  // Every load refused: the count stays 0, and the text is the same.
  folder.Make({L"part.dxf", L"part1.dxf"});
  host.Files().RefuseFile(folder.Path() + L"part.dxf");
  ZTKSWUtils::SetLastErrorText(kEarlier);
  EXPECT_EQ(LoadDXFFiles(host.Application(), (folder.Path() + L"part.sldprt").c_str(), count), FALSE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kNotLoaded);
  EXPECT_EQ(folder.Files(), (Names{L"other.dxf"}));
}

TEST_F(FileUtilities, NoMatchingFileLoadsAndDeletesNothing) {
  folder.Make({L"other.dxf", L"part.txt", L"part.dx"});
  const std::wstring missing = folder.Path() + L"no such folder\\part.sldprt";
  for (const std::wstring& path : {folder.Path() + L"part.sldprt", missing}) {
    SCOPED_TRACE(CString(path.c_str()).ToUtf8());
    ZTKSWUtils::SetLastErrorText(kEarlier);
    int count = 7;
    EXPECT_EQ(LoadDXFFiles(host.Application(), path.c_str(), count), FALSE);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kNo2DData);
    EXPECT_EQ(folder.Files(), (Names{L"other.dxf", L"part.dx", L"part.txt"}));
    EXPECT_TRUE(host.Log().Lines(true).empty()) << "no host call";
  }
}

TEST_F(FileUtilities, WithoutAHostNothingIsConsumed) {
  folder.Make({L"part.dxf"});
  int count = 7;
  EXPECT_EQ(LoadDXFFiles(nullptr, (folder.Path() + L"part.sldprt").c_str(), count), FALSE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kNotLoaded);
  EXPECT_EQ(folder.Files(), (Names{L"part.dxf"}));
  ZTKSWUtils::SetLastErrorText(kEarlier);
  EXPECT_EQ(LoadDXFFile(nullptr, (folder.Path() + L"part.dxf").c_str()), FALSE);
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kNotLoaded);
}

TEST_F(FileUtilities, LoadDXFFileHandsOneFileToTheHost) {
  folder.Make({L"part.dxf", L"refused.dxf"});
  host.Files().RefuseFile(folder.Path() + L"refused.dxf");
  struct Case {
    const wchar_t* name;
    BOOL result;
    bool readable;
  };
  const Case cases[] = {
      {L"part.dxf", TRUE, true},
      {L"refused.dxf", FALSE, true},
      {L"missing.dxf", FALSE, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(CString(c.name).ToUtf8());
    ZTKSWUtils::SetLastErrorText(kEarlier);
    host.Log().Clear();
    const size_t before = host.Files().Loads().size();
    const std::wstring path = folder.Path() + c.name;
    EXPECT_EQ(LoadDXFFile(host.Application(), path.c_str()), c.result);
    EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), c.result ? kEarlier : kNotLoaded);
    ASSERT_EQ(host.Files().Loads().size(), before + 1);
    const standin::FileLoad& load = host.Files().Loads().back();
    EXPECT_EQ(load.path, path);
    EXPECT_EQ(load.readable, c.readable);
    EXPECT_EQ(load.argument, L"");
    EXPECT_FALSE(load.argumentNull);
    const Lines calls = host.Log().Lines(true);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("HostApplication.58(\"", 0), 0u) << calls[0];
    EXPECT_EQ(calls[0].substr(calls[0].size() - 6), ",\"\",&)") << "an empty text, then the out-value";
  }
  EXPECT_EQ(folder.Files(), (Names{L"part.dxf", L"refused.dxf"})) << "a single load deletes nothing";

  // Any failure of the call counts, with or without an out-value written.
  host.InjectFault("HostApplication", 58, Fault::Fail(S_FALSE));
  EXPECT_EQ(LoadDXFFile(host.Application(), (folder.Path() + L"part.dxf").c_str()), FALSE);
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kNotLoaded);
}

// Drive at most 2 characters, folder, file name and extension at most 255 each: a
// longer part fails before anything is searched, loaded or deleted, with the text
// the search failure would not give; parts at their limit are taken.
TEST_F(FileUtilities, OverLongPathsFailAndTouchNothing) {
  folder.Make({L"part.dxf", L"part1.dxf"});
  const std::wstring dir255 = L"\\" + std::wstring(253, L'd') + L"\\";
  const std::wstring dir256 = L"\\" + std::wstring(254, L'd') + L"\\";
  struct Case {
    const char* name;
    std::wstring path;
    const wchar_t* text;
  };
  const Case cases[] = {
      {"folder of 255", L"C:" + dir255 + L"part.sldprt", kNo2DData},
      {"folder of 256", L"C:" + dir256 + L"part.sldprt", kPathTooLong},
      {"folder of 256 without drive", dir256 + L"part.sldprt", kPathTooLong},
      {"file name of 255", folder.Path() + std::wstring(255, L'p') + L".sldprt", kNo2DData},
      {"file name of 256", folder.Path() + L"part" + std::wstring(252, L'p') + L".sldprt", kPathTooLong},
      {"extension of 255", folder.Path() + L"part." + std::wstring(254, L'x'), nullptr},  // loads the two files
      {"extension of 256", folder.Path() + L"part." + std::wstring(255, L'x'), kPathTooLong},
      {"all at their limit", L"C:" + dir255 + std::wstring(255, L'p') + L"." + std::wstring(254, L'x'), kNo2DData},
      {"a path of 100000 characters", folder.Path() + L"part" + std::wstring(100000, L'\\'), kPathTooLong},
      {"a path of 100000 characters", folder.Path() + L"part" + std::wstring(100000, L'.'), kPathTooLong},
      {"folder of 100000", L"C:\\" + std::wstring(100000, L'd') + L"\\part", kPathTooLong},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZTKSWUtils::SetLastErrorText(kEarlier);
    host.Log().Clear();
    int count = 7;
    const BOOL result = LoadDXFFiles(host.Application(), c.path.c_str(), count);
    if (!c.text) {
      EXPECT_EQ(result, TRUE);
      EXPECT_EQ(count, 2);
      EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), kEarlier);
      folder.Make({L"part.dxf", L"part1.dxf"});
      continue;
    }
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), c.text);
    EXPECT_TRUE(host.Log().Lines(true).empty()) << "no host call";
    EXPECT_EQ(folder.Files(), (Names{L"part.dxf", L"part1.dxf"}));
  }
}

// Active document, extraction with the path, 0 and two 16-bit values with all bits
// set, then the document's release, and only then the verdict.
TEST_F(FileUtilities, ExtractSolidDataAsksTheActiveDocument) {
  struct Case {
    const char* name;
    bool document;
    HRESULT result;
    LONG error;
    bool injectFault;  // the call fails and writes no error value
    BOOL expected;
    const wchar_t* text;
  };
  const Case cases[] = {
      {"success", true, S_OK, 0, false, TRUE, kEarlier},
      {"no active document", false, S_OK, 0, false, FALSE, L"Unable to retrieve active model"},
      {"S_OK with an error value", true, S_OK, 3, false, FALSE, L"Unable to extract solid data"},
      {"S_OK with a negative error value", true, S_OK, -1, false, FALSE, L"Unable to extract solid data"},
      {"a failing call", true, E_FAIL, 0, false, FALSE, L"Unable to extract solid data"},
      {"S_FALSE", true, S_FALSE, 0, false, FALSE, L"Unable to extract solid data"},
      {"an injected failure", true, E_FAIL, 0, true, FALSE, L"Unable to extract solid data"},
  };
  const std::wstring path = folder.Path() + L"solid.x_b";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    standin::StandInHost fresh;
    if (c.document) fresh.AddDocument(standin::DocumentKind::Part);
    fresh.Files().SetExtractionOutcome(c.result, c.error);
    if (c.injectFault) fresh.InjectFault("HostDocument", 509, Fault::Fail(c.result));
    // The text when the document is let go: a verdict already given would show.
    std::vector<std::wstring> textAtRelease;
    fresh.SetReleaseObserver([&](const standin::Face& face) {
      if (std::string(face.RoleName()) == "HostDocument") textAtRelease.push_back(ZTKSWUtils::GetLastErrorText().Str());
    });
    ZTKSWUtils::SetLastErrorText(kEarlier);
    EXPECT_EQ(ExtractSolidData(fresh.Application(), path.c_str()), c.expected);
    EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), c.text);
    EXPECT_TRUE(fresh.ReferenceProblems().empty()) << "the document is released on every path";
    if (!c.document) {
      EXPECT_EQ(fresh.Log().Lines(true), (Lines{"HostApplication.8(&)"}));
      continue;
    }
    const Lines args = fresh.Log().Args("HostDocument", 509);
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0].substr(args[0].size() - 10), ",0,-1,-1,&") << args[0];
    EXPECT_EQ(fresh.Log().Lines(true), (Lines{"HostApplication.8(&)", "HostDocument.509(" + args[0] + ")",
                                              "HostDocument.2()"}))
        << "the release follows the extraction at once, and nothing after it";
    EXPECT_EQ(textAtRelease, (std::vector<std::wstring>{kEarlier})) << "released before the result is judged";
    if (c.injectFault) continue;
    ASSERT_EQ(fresh.Files().Extractions().size(), 1u);
    const standin::SolidDataExtraction& e = fresh.Files().Extractions()[0];
    EXPECT_EQ(e.document, fresh.ActiveDocument()->Id());
    EXPECT_EQ(e.path, path);
    EXPECT_EQ(e.option, 0);
    EXPECT_EQ(e.first, -1);
    EXPECT_EQ(e.second, -1);
    EXPECT_TRUE(e.errorOut);
  }

  // An active-document call that fails and hands out nothing, and no host at all.
  standin::StandInHost fresh;
  fresh.AddDocument(standin::DocumentKind::Part);
  fresh.InjectFault("HostApplication", 8, Fault::Fail(E_FAIL));
  EXPECT_EQ(ExtractSolidData(fresh.Application(), path.c_str()), FALSE);
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), L"Unable to retrieve active model");
  EXPECT_EQ(fresh.Log().Lines(true), (Lines{"HostApplication.8(&)"}));
  ZTKSWUtils::SetLastErrorText(kEarlier);
  EXPECT_EQ(ExtractSolidData(nullptr, path.c_str()), FALSE);
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), L"Unable to retrieve active model");
}

}  // namespace
