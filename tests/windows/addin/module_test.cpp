// The DLL module's registration loop over an object map of the test's own: the
// classes in the map's order, the thread's locale switched to the system default
// for the duration and put back, and the first failure ending the loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AtlModule.h"

namespace {

struct Visit {
  std::string who;
  BOOL doRegister;
  LCID locale;  // the thread's locale while the class's script ran
};
std::vector<Visit> g_visits;
HRESULT g_iconWriterResult = S_OK;

HRESULT IconWriterScript(BOOL doRegister) {
  g_visits.push_back({"icon writer", doRegister, GetThreadLocale()});
  return g_iconWriterResult;
}
HRESULT AddinScript(BOOL doRegister) {
  g_visits.push_back({"add-in", doRegister, GetThreadLocale()});
  return S_OK;
}
HRESULT NoObject(IUnknown*, REFIID, void** ppv) {
  if (ppv) *ppv = nullptr;
  return E_NOTIMPL;
}

const CLSID kIconWriter = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x01}};
const CLSID kAddin = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x02}};
const GUID kLibrary = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x03}};

ComObjectMapEntry g_map[] = {
    {&kIconWriter, &IconWriterScript, &NoObject, nullptr},
    {&kAddin, &AddinScript, &NoObject, nullptr},
    {nullptr, nullptr, nullptr, nullptr},
};

class ModuleRegistration : public ::testing::Test {
 protected:
  void SetUp() override {
    g_visits.clear();
    g_iconWriterResult = S_OK;
    m_before = GetThreadLocale();
    // A thread locale other than the system default, so that the switch shows.
    m_own = PRIMARYLANGID(LANGIDFROMLCID(GetSystemDefaultLCID())) == LANG_GERMAN ? LCID(0x040C) : LCID(0x0407);
    ASSERT_TRUE(SetThreadLocale(m_own));
  }
  void TearDown() override { SetThreadLocale(m_before); }

  CComDllModule m_module{kLibrary, g_map};
  LCID m_before = 0;
  LCID m_own = 0;
};

TEST_F(ModuleRegistration, RunsEveryClassInMapOrderUnderTheSystemLocale) {
  // Without the type library step: this program carries none.
  for (const BOOL doRegister : {TRUE, FALSE}) {
    SCOPED_TRACE(doRegister);
    g_visits.clear();
    const HRESULT hr = doRegister ? m_module.RegisterServer(FALSE) : m_module.UnregisterServer(FALSE);
    EXPECT_EQ(hr, S_OK);
    ASSERT_EQ(g_visits.size(), 2u);
    EXPECT_EQ(g_visits[0].who, "icon writer");
    EXPECT_EQ(g_visits[1].who, "add-in");
    for (const Visit& v : g_visits) {
      EXPECT_EQ(v.doRegister, doRegister);
      EXPECT_EQ(v.locale, GetSystemDefaultLCID());
    }
    EXPECT_EQ(GetThreadLocale(), m_own);
  }
}

TEST_F(ModuleRegistration, TheFirstFailureEndsTheLoopAndIsTheResult) {
  // The failure comes back rather than the type library's (which this program
  // does not carry), so the type library step was skipped.
  g_iconWriterResult = HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
  for (const BOOL doRegister : {TRUE, FALSE}) {
    SCOPED_TRACE(doRegister);
    g_visits.clear();
    const HRESULT hr = doRegister ? m_module.RegisterServer(TRUE) : m_module.UnregisterServer(TRUE);
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    ASSERT_EQ(g_visits.size(), 1u);
    EXPECT_EQ(g_visits[0].who, "icon writer");
    EXPECT_EQ(GetThreadLocale(), m_own);
  }
}

}  // namespace
