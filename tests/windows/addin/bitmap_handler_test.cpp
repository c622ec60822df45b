// CBitmapHandler, run in-process: the program links the DLL's classes and
// resources, so the bitmaps are found in its own module.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "AddinTestSupport.h"
#include "BitmapHandler.h"
#include "PlymoraModule.h"
#include "resource.h"

using namespace addintest;

namespace {

class BitmapHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CComObject<CBitmapHandler>::CreateInstance(&m_handler), S_OK);
    m_handler->AddRef();
  }
  void TearDown() override {
    if (m_handler) m_handler->Release();
  }
  std::wstring Create(ULONG id, HRESULT* hr = nullptr) {
    BSTR path = nullptr;
    const HRESULT r = m_handler->CreateBitmapFileFromResource(id, &path);
    if (hr) *hr = r;
    std::wstring p = path ? std::wstring(path, SysStringLen(path)) : std::wstring();
    SysFreeString(path);
    return p;
  }

  ComApartment m_apartment;
  PrivateTempFolder m_temp;
  CComObject<CBitmapHandler>* m_handler = nullptr;
};

TEST_F(BitmapHandlerTest, WritesEachIconAsA24BitBmpOfItsSize) {
  struct Case {
    ULONG id;
    int width;
    int height;
  };
  const Case cases[] = {
      {IDB_MAIN_ICON_LARGE, 24, 24},
      {IDB_MAIN_ICON_SMALL, 16, 16},
      {IDB_TOOLBAR_LARGE, 96, 24},
      {IDB_TOOLBAR_SMALL, 64, 16},
      {IDB_MAIN_ICON_LARGE + 65536, 24, 24},  // only the low 16 bits name the resource
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    HRESULT hr = E_FAIL;
    const std::wstring path = Create(c.id, &hr);
    ASSERT_EQ(hr, S_OK);
    // In the temporary folder, named by the system from the prefix "swt", .TMP.
    ASSERT_GT(path.size(), m_temp.Path().size());
    EXPECT_TRUE(SameText(path.substr(0, m_temp.Path().size()), m_temp.Path()));
    const std::wstring name = path.substr(m_temp.Path().size());
    EXPECT_TRUE(SameText(name.substr(0, 3), L"swt"));
    EXPECT_TRUE(SameText(name.substr(name.size() - 4), L".TMP"));
    const BmpInfo bmp = InspectBmp(ReadFileBytes(path));
    EXPECT_TRUE(bmp.valid) << bmp.problem;
    EXPECT_EQ(bmp.width, c.width);
    EXPECT_EQ(std::abs(bmp.height), c.height);
    EXPECT_EQ(bmp.bitCount, 24);
  }
  EXPECT_EQ(m_handler->m_BitmapFiles.size(), std::size(cases));
}

TEST_F(BitmapHandlerTest, KeepsTheNewestFileFirstAndDisposeDeletesThemAll) {
  const std::wstring first = Create(IDB_TOOLBAR_SMALL);
  const std::wstring second = Create(IDB_TOOLBAR_SMALL);
  const std::wstring third = Create(IDB_MAIN_ICON_LARGE);
  ASSERT_FALSE(first.empty());
  EXPECT_NE(first, second);  // two calls for one resource give two files
  ASSERT_EQ(m_handler->m_BitmapFiles.size(), 3u);
  auto it = m_handler->m_BitmapFiles.begin();
  EXPECT_EQ(it++->Str(), third);
  EXPECT_EQ(it++->Str(), second);
  EXPECT_EQ(it++->Str(), first);
  for (const auto& p : {first, second, third}) EXPECT_TRUE(FileExists(p));

  EXPECT_EQ(m_handler->Dispose(), S_OK);
  EXPECT_TRUE(m_handler->m_BitmapFiles.empty());
  EXPECT_TRUE(m_temp.Files().empty());
  // Again, and on an empty list: nothing to do, still S_OK.
  EXPECT_EQ(m_handler->Dispose(), S_OK);
}

TEST_F(BitmapHandlerTest, AFileThatCannotBeDeletedIsDroppedFromTheList) {
  const std::wstring kept = Create(IDB_MAIN_ICON_SMALL);
  const std::wstring gone = Create(IDB_MAIN_ICON_SMALL);
  // Held open without delete sharing, the first file cannot be deleted.
  HANDLE h = CreateFileW(kept.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(m_handler->Dispose(), S_OK);
  CloseHandle(h);
  EXPECT_TRUE(m_handler->m_BitmapFiles.empty());
  EXPECT_FALSE(FileExists(gone));
  EXPECT_TRUE(FileExists(kept));
}

TEST_F(BitmapHandlerTest, FailuresGiveEFailLeaveTheResultAndLeaveNoFile) {
  struct Case {
    const char* what;
    ULONG id;
  };
  const Case cases[] = {
      {"an id that names no resource", 203},
      {"a registry script, not a bitmap", IDR_PLYMORA},
      {"id 0", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BSTR marker = SysAllocString(L"untouched");
    BSTR path = marker;
    EXPECT_EQ(m_handler->CreateBitmapFileFromResource(c.id, &path), E_FAIL);
    EXPECT_EQ(path, marker);
    SysFreeString(marker);
    EXPECT_TRUE(m_temp.Files().empty());
  }
  EXPECT_TRUE(m_handler->m_BitmapFiles.empty());
  EXPECT_EQ(m_handler->CreateBitmapFileFromResource(IDB_MAIN_ICON_LARGE, nullptr), E_POINTER);
  EXPECT_TRUE(m_temp.Files().empty());
}

TEST_F(BitmapHandlerTest, NoTemporaryFolderGivesEFail) {
  SetEnvironmentVariableW(L"TMP", L"Z:\\no\\such\\folder\\");
  SetEnvironmentVariableW(L"TEMP", L"Z:\\no\\such\\folder\\");
  BSTR path = nullptr;
  EXPECT_EQ(m_handler->CreateBitmapFileFromResource(IDB_MAIN_ICON_LARGE, &path), E_FAIL);
  EXPECT_EQ(path, nullptr);
  EXPECT_TRUE(m_handler->m_BitmapFiles.empty());
}

TEST_F(BitmapHandlerTest, SavingRefusesWhatCannotBeWritten) {
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(ComModuleInstance(), MAKEINTRESOURCEW(IDB_MAIN_ICON_SMALL),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  BSTR good = SysAllocString((m_temp.Path() + L"direct.bmp").c_str());
  BSTR bad = SysAllocString(L"Z:\\no\\such\\folder\\direct.bmp");
  EXPECT_TRUE(m_handler->SaveBitmapToFile(good, bitmap, nullptr));
  EXPECT_TRUE(InspectBmp(ReadFileBytes(good)).valid);
  EXPECT_FALSE(m_handler->SaveBitmapToFile(bad, bitmap, nullptr));
  EXPECT_FALSE(m_handler->SaveBitmapToFile(good, nullptr, nullptr));
  EXPECT_FALSE(m_handler->SaveBitmapToFile(nullptr, bitmap, nullptr));
  DeleteFileW(good);
  SysFreeString(good);
  SysFreeString(bad);
  DeleteObject(bitmap);
}

TEST_F(BitmapHandlerTest, DestroyingWithoutDisposeLeavesTheFilesAndTheModuleLock) {
  const LONG locksBefore = theModule.GetLockCount();
  const std::wstring path = Create(IDB_TOOLBAR_LARGE);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(m_handler->Release(), 0u);
  m_handler = nullptr;
  EXPECT_EQ(theModule.GetLockCount(), locksBefore - 1);
  EXPECT_TRUE(FileExists(path));
}

}  // namespace
