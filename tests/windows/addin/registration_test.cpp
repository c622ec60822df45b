// Self-registration of Plymora.dll: the keys and values of both registry scripts,
// the type library, and what unregistration removes and leaves.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "AddinTestSupport.h"

using namespace addintest;

namespace {

const wchar_t kAddinClsid[] = L"{D9ACA42C-3764-4FCC-AF67-058E75C3D392}";
const wchar_t kHandlerClsid[] = L"{08BFF3CB-814D-433B-BDA3-1749AAC9D41A}";
const wchar_t kLibid[] = L"{8A8FB7E9-9767-4F45-A990-CDC9645E984E}";
const GUID kLibidGuid = {0x8A8FB7E9, 0x9767, 0x4F45, {0xA9, 0x90, 0xCD, 0xC9, 0x64, 0x5E, 0x98, 0x4E}};
const wchar_t kAddInsKey[] = L"SOFTWARE\\SolidWorks\\AddIns";
const wchar_t kDescription[] =
    L"Wavefront OBJ file import add-in for SolidWorks developed by ZENTIK (http://www.zentik.com)";

std::wstring Key(std::initializer_list<std::wstring> parts) {
  std::wstring k;
  for (const auto& p : parts) k += (k.empty() ? L"" : L"\\") + p;
  return k;
}

// Expected (key, value name, text) rows under HKCR; value name empty = default.
struct TextRow {
  std::wstring key;
  std::wstring name;
  std::wstring text;
};

std::vector<TextRow> ClassRows(const std::wstring& clsid, const std::wstring& progId, const std::wstring& desc) {
  const std::wstring cls = L"CLSID\\" + clsid;
  return {
      {progId + L".1", L"", desc},
      {progId + L".1\\CLSID", L"", clsid},
      {progId, L"", desc},
      {progId + L"\\CLSID", L"", clsid},
      {progId + L"\\CurVer", L"", progId + L".1"},
      {cls, L"", desc},
      {cls, L"AppID", L""},
      {cls + L"\\ProgID", L"", progId + L".1"},
      {cls + L"\\VersionIndependentProgID", L"", progId},
      {cls + L"\\InprocServer32", L"ThreadingModel", L"Both"},
      {cls + L"\\TypeLib", L"", kLibid},
  };
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_server.Loaded()); }
  // The prefix is left registered, as the other tests of the add-in expect it.
  void TearDown() override { EXPECT_EQ(m_server.Register(), S_OK); }

  void ExpectClassRegistered(const std::wstring& clsid, const std::wstring& progId, const std::wstring& desc) {
    for (const TextRow& row : ClassRows(clsid, progId, desc)) {
      auto v = ReadValue(HKEY_CLASSES_ROOT, row.key, row.name);
      ASSERT_TRUE(v.has_value()) << "missing HKCR\\" << std::string(row.key.begin(), row.key.end());
      EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
      EXPECT_EQ(v->text, row.text) << std::string(row.key.begin(), row.key.end());
    }
    const std::wstring cls = L"CLSID\\" + clsid;
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + L"\\Programmable"));
    auto server = ReadValue(HKEY_CLASSES_ROOT, cls + L"\\InprocServer32", L"");
    ASSERT_TRUE(server.has_value());
    EXPECT_TRUE(SameText(NormalPath(server->text), DllPath()));
  }

  void ExpectClassGone(const std::wstring& clsid, const std::wstring& progId) {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, progId));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, progId + L".1"));
  }

  // Every key and value of both scripts, and the type library at 1.0.
  void ExpectEverythingRegistered() {
    ExpectClassRegistered(kAddinClsid, L"Plymora.SwAddin", L"SwAddin Class");
    ExpectClassRegistered(kHandlerClsid, L"Plymora.BitmapHandler", L"BitmapHandler Class");
    auto appId = ReadValue(HKEY_CLASSES_ROOT, L"AppID\\Plymora.DLL", L"AppID");
    ASSERT_TRUE(appId.has_value());
    EXPECT_EQ(appId->text, L"");
    const std::wstring addin = Key({kAddInsKey, kAddinClsid});
    auto def = ReadValue(HKEY_LOCAL_MACHINE, addin, L"");
    ASSERT_TRUE(def.has_value());
    EXPECT_EQ(def->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(def->number, 0u);
    auto title = ReadValue(HKEY_LOCAL_MACHINE, addin, L"Title");
    ASSERT_TRUE(title.has_value());
    EXPECT_EQ(title->text, L"Plymora for SolidWorks");
    auto desc = ReadValue(HKEY_LOCAL_MACHINE, addin, L"Description");
    ASSERT_TRUE(desc.has_value());
    EXPECT_EQ(desc->text, kDescription);
    BSTR path = nullptr;
    ASSERT_EQ(QueryPathOfRegTypeLib(kLibidGuid, 1, 0, 0x0409, &path), S_OK);
    EXPECT_TRUE(SameText(NormalPath(std::wstring(path, SysStringLen(path))), DllPath()));
    SysFreeString(path);
  }

  // Nothing of the scripts but their NoRemove keys, and no type library.
  void ExpectEverythingGone() {
    ExpectClassGone(kAddinClsid, L"Plymora.SwAddin");
    ExpectClassGone(kHandlerClsid, L"Plymora.BitmapHandler");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\Plymora.DLL"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key({kAddInsKey, kAddinClsid})));
    BSTR path = nullptr;
    EXPECT_NE(QueryPathOfRegTypeLib(kLibidGuid, 1, 0, 0x0409, &path), S_OK);
    SysFreeString(path);
    for (const wchar_t* key : {L"SOFTWARE", L"SOFTWARE\\SolidWorks", kAddInsKey})
      EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key)) << std::string(key, key + wcslen(key));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"AppID"));
  }

  ComApartment m_apartment;
  LoadedServer m_server;
};

TEST_F(Registration, WritesBothClassesTheAddInKeyAndTheTypeLibrary) {
  ASSERT_EQ(m_server.Register(), S_OK);
  // Every key and value of both scripts; the add-in's application entries carry no
  // id, since the AppID replacement is empty.
  ExpectEverythingRegistered();
  // The icon writer is no add-in of its own.
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Key({kAddInsKey, kHandlerClsid})));
  // The type library is registered under its own name.
  auto libName = ReadValue(HKEY_CLASSES_ROOT, Key({L"TypeLib", kLibid, L"1.0"}), L"");
  ASSERT_TRUE(libName.has_value());
  EXPECT_EQ(libName->text, L"Plymora 1.0 Type Library");
}

TEST_F(Registration, UnregistrationRemovesOnlyTheServersOwnEntries) {
  ASSERT_EQ(m_server.Register(), S_OK);
  // Neighbours that must survive: another add-in, another class, another AppID.
  HKEY h = nullptr;
  const std::wstring otherAddin = Key({kAddInsKey, L"{00000000-1111-2222-3333-444444444444}"});
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, otherAddin.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(h);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"AppID\\Neighbour.DLL", 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(h);
  auto appIdDefaultBefore = ReadValue(HKEY_CLASSES_ROOT, L"AppID", L"");

  ASSERT_EQ(m_server.Unregister(), S_OK);
  // What the scripts mark NoRemove stays (ExpectEverythingGone), and so does what
  // belongs to others.
  ExpectEverythingGone();
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, otherAddin));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"AppID\\Neighbour.DLL"));
  // The empty application id names no key: the AppID key's own default value is
  // neither written nor removed.
  auto appIdDefaultAfter = ReadValue(HKEY_CLASSES_ROOT, L"AppID", L"");
  EXPECT_EQ(appIdDefaultBefore.has_value(), appIdDefaultAfter.has_value());

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, otherAddin.c_str());
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"AppID\\Neighbour.DLL");
}

TEST_F(Registration, RegisteringOverAStaleClassKeyReplacesItWhole) {
  ASSERT_EQ(m_server.Register(), S_OK);
  struct Stale {
    HKEY root;
    std::wstring key;
  };
  const Stale stale[] = {
      {HKEY_CLASSES_ROOT, Key({L"CLSID", kAddinClsid, L"StaleSubkey"})},
      {HKEY_CLASSES_ROOT, Key({L"CLSID", kHandlerClsid, L"StaleSubkey"})},
      {HKEY_LOCAL_MACHINE, Key({kAddInsKey, kAddinClsid, L"StaleSubkey"})},
  };
  for (const Stale& s : stale) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(s.root, s.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr), ERROR_SUCCESS);
    const wchar_t text[] = L"old";
    RegSetValueExW(h, L"StaleValue", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
    RegCloseKey(h);
  }
  // A stale named value on the class key itself goes with the key.
  HKEY cls = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, Key({L"CLSID", kAddinClsid}).c_str(), 0, KEY_WRITE, &cls), ERROR_SUCCESS);
  const wchar_t text[] = L"old";
  RegSetValueExW(cls, L"StaleValue", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(cls);

  ASSERT_EQ(m_server.Register(), S_OK);
  for (const Stale& s : stale) EXPECT_FALSE(KeyExists(s.root, s.key));
  EXPECT_FALSE(ReadValue(HKEY_CLASSES_ROOT, Key({L"CLSID", kAddinClsid}), L"StaleValue").has_value());
  ExpectClassRegistered(kAddinClsid, L"Plymora.SwAddin", L"SwAddin Class");
  ExpectClassRegistered(kHandlerClsid, L"Plymora.BitmapHandler", L"BitmapHandler Class");
}

// Wine's own regsvr32, in a process of its own, as an installation registers the
// DLL: /s registers everything, /u /s takes it all away again.
DWORD RunRegsvr32(const std::wstring& options) {
  std::wstring command = L"regsvr32.exe " + options + L" \"" + DllPath() + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return GetLastError() | 0x80000000u;
  DWORD code = WAIT_TIMEOUT;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  else TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST_F(Registration, Regsvr32RegistersAndUnregistersTheServer) {
  m_server.Unregister();  // a clean prefix, whatever the tests before left in it
  ExpectEverythingGone();
  ASSERT_EQ(RunRegsvr32(L"/s"), 0u);
  ExpectEverythingRegistered();
  ASSERT_EQ(RunRegsvr32(L"/u /s"), 0u);
  ExpectEverythingGone();
  // Over a stale class key, registration writes the key afresh.
  HKEY h = nullptr;
  const std::wstring stale = Key({L"CLSID", kAddinClsid, L"StaleSubkey"});
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, stale.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(h);
  ASSERT_EQ(RunRegsvr32(L"/s"), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, stale));
  ExpectEverythingRegistered();
}

TEST_F(Registration, RestoresTheThreadLocale) {
  const LCID before = GetThreadLocale();
  ASSERT_EQ(m_server.Register(), S_OK);
  EXPECT_EQ(GetThreadLocale(), before);
  ASSERT_EQ(m_server.Unregister(), S_OK);
  EXPECT_EQ(GetThreadLocale(), before);
}

TEST_F(Registration, UnregisteringTwiceIsHarmless) {
  ASSERT_EQ(m_server.Unregister(), S_OK);
  // Nothing of the scripts is left to remove; the keys above them still stay.
  m_server.Unregister();
  ExpectClassGone(kAddinClsid, L"Plymora.SwAddin");
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kAddInsKey));
}

}  // namespace
