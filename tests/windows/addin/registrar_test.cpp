// The registry-script registrar, on scripts of its own under a scratch key of
// HKEY_CURRENT_USER.
#include <windows.h>

#include <gtest/gtest.h>

#include "AddinTestSupport.h"
#include "AtlRegistrar.h"

using namespace addintest;

namespace {

const std::wstring kRoot = L"Software\\PlymoraRegistrarTest" + std::to_wstring(GetCurrentProcessId());

// Wraps the keys of a test in the scratch key, which is NoRemove so it survives.
std::wstring Script(const std::wstring& keys) {
  return L"HKCU\n{\n NoRemove Software\n {\n  NoRemove '" + kRoot.substr(9) + L"'\n  {\n" + keys + L"\n  }\n }\n}\n";
}

class Registrar : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str());
    m_registrar.AddReplacement(L"MODULE", L"C:\\dir\\x.dll");
    m_registrar.AddReplacement(L"APPID", L"");
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot.c_str()); }
  std::wstring K(const std::wstring& sub) const { return sub.empty() ? kRoot : kRoot + L"\\" + sub; }
  std::wstring Text(const std::wstring& key, const std::wstring& name) const {
    auto v = ReadValue(HKEY_CURRENT_USER, K(key), name);
    return v && v->type == REG_SZ ? v->text : L"<none>";
  }

  CRegistrar m_registrar;
};

TEST_F(Registrar, WritesKeysDefaultAndNamedValuesOfBothTypes) {
  const std::wstring script = Script(LR"(
    'Quoted Key' = s 'it''s %MODULE%'
    {
      val Name = s '100%% %APPID%done'
      val Count = d '42'
      val Hex = d '0x10'
      Bare.Key-1 { val Empty = s '' }
    }
    Plain = d '0'
  )");
  ASSERT_EQ(m_registrar.StringRegister(script.c_str()), S_OK);
  EXPECT_EQ(Text(L"Quoted Key", L""), L"it's C:\\dir\\x.dll");
  EXPECT_EQ(Text(L"Quoted Key", L"Name"), L"100% done");
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, K(L"Quoted Key"), L"Count")->number, 42u);
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, K(L"Quoted Key"), L"Hex")->number, 16u);
  EXPECT_EQ(Text(L"Quoted Key\\Bare.Key-1", L"Empty"), L"");
  auto plain = ReadValue(HKEY_CURRENT_USER, K(L"Plain"), L"");
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(plain->number, 0u);

  ASSERT_EQ(m_registrar.StringUnregister(script.c_str()), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K(L"Quoted Key")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K(L"Plain")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K(L"")));  // NoRemove
}

TEST_F(Registrar, ForceRemoveRewritesAKeyWholeAndPlainKeysMerge) {
  HKEY h = nullptr;
  for (const wchar_t* stale : {L"Forced\\Stale", L"Merged\\Stale"}) {
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, K(stale).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
  }
  const std::wstring script = Script(LR"(
    ForceRemove Forced = s 'new' { Child = s 'c' }
    Merged = s 'new' { Child = s 'c' }
  )");
  ASSERT_EQ(m_registrar.StringRegister(script.c_str()), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K(L"Forced\\Stale")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K(L"Forced\\Child")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K(L"Merged\\Stale")));
  EXPECT_EQ(Text(L"Merged", L""), L"new");
  // Registering twice gives the same result.
  ASSERT_EQ(m_registrar.StringRegister(script.c_str()), S_OK);
  EXPECT_EQ(Text(L"Forced\\Child", L""), L"c");
}

TEST_F(Registrar, UnregisterKeepsNoRemoveKeysButTheirListedValuesGo) {
  const std::wstring script = Script(LR"(
    NoRemove Shared
    {
      val Mine = s 'x'
      Owned = s 'o'
      NoRemove Deeper { Leaf = s 'l' }
    }
  )");
  ASSERT_EQ(m_registrar.StringRegister(script.c_str()), S_OK);
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, K(L"Shared\\Neighbour").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(h);
  ASSERT_EQ(m_registrar.StringUnregister(script.c_str()), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K(L"Shared")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K(L"Shared\\Neighbour")));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K(L"Shared\\Deeper")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K(L"Shared\\Owned")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K(L"Shared\\Deeper\\Leaf")));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, K(L"Shared"), L"Mine").has_value());
  // Unregistering what is gone already is no failure.
  EXPECT_EQ(m_registrar.StringUnregister(script.c_str()), S_OK);
}

TEST_F(Registrar, AKeyNamedByAnEmptyReplacementIsSkipped) {
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, K(L"Parent\\Other").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                            nullptr),
            ERROR_SUCCESS);
  RegCloseKey(h);
  const std::wstring script = Script(LR"(
    NoRemove Parent
    {
      '%APPID%' = s 'would overwrite the parent'
      Mine { val AppID = s '%APPID%' }
    }
  )");
  ASSERT_EQ(m_registrar.StringRegister(script.c_str()), S_OK);
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, K(L"Parent"), L"").has_value());
  EXPECT_EQ(Text(L"Parent\\Mine", L"AppID"), L"");
  ASSERT_EQ(m_registrar.StringUnregister(script.c_str()), S_OK);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, K(L"Parent\\Other")));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K(L"Parent\\Mine")));
}

TEST_F(Registrar, MalformedScriptsFailAndWriteNothing) {
  struct Case {
    const char* what;
    std::wstring script;
  };
  const Case cases[] = {
      {"unclosed brace", Script(L"Good = s 'g'\n A { B = s 'b'")},
      {"unclosed quote", Script(L"Good = s 'g'\n A = s 'no end")},
      {"unknown replacement", Script(L"Good = s 'g'\n A = s '%NOSUCH%'")},
      {"unterminated replacement", Script(L"Good = s 'g'\n A = s '50%'")},
      {"unknown value type", Script(L"Good = s 'g'\n A = b '00'")},
      {"number out of range", Script(L"Good = s 'g'\n A = d '4294967296'")},
      {"not a number", Script(L"Good = s 'g'\n A = d 'twelve'")},
      {"negative number", Script(L"Good = s 'g'\n A = d '-1'")},
      {"missing value", Script(L"Good = s 'g'\n A = s")},
      {"value without a key", Script(L"Good = s 'g'\n = s 'x'")},
      {"a path as a key name", Script(L"Good = s 'g'\n 'A\\B' = s 'x'")},
      {"unknown root", L"HKXX\n{\n Good = s 'g'\n}\n"},
      {"stray closing brace", Script(L"Good = s 'g'") + L"}"},
      {"deep nesting", Script(std::wstring(200, L'{'))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(FAILED(m_registrar.StringRegister(c.script.c_str())));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, K(L"")));
    EXPECT_TRUE(FAILED(m_registrar.StringUnregister(c.script.c_str())));
  }
  EXPECT_EQ(m_registrar.StringRegister(nullptr), E_POINTER);
  EXPECT_EQ(m_registrar.StringRegister(L""), S_OK);  // an empty script names nothing
}

TEST_F(Registrar, AMissingScriptResourceIsAFailure) {
  // (The scripts the DLL carries are run by the registration tests.)
  EXPECT_TRUE(FAILED(m_registrar.ResourceRegister(GetModuleHandleW(nullptr), 9999, L"REGISTRY")));
  EXPECT_TRUE(FAILED(m_registrar.ResourceUnregister(nullptr, 9999, L"REGISTRY")));
}

}  // namespace
