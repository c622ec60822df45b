// swhost in process with a small add-in of the test's own, made available to COM
// by a class object registered in this process: the windows the add-in shows are
// reported and closed, so the program never hangs on them.
#include <gtest/gtest.h>

#include <sstream>

#include "HostContract.h"
#include "SwHost.h"

namespace {

const CLSID kFakeAddin = {0x5354414E, 0x00F0, 0x4D48, {0x8F, 0x00, 0x53, 0x54, 0x41, 0x4E, 0x44, 0xF0}};

// The callback name of the fake add-in's File Open item: "Warn" unless a test
// makes it register a name it does not answer.
const wchar_t* g_openCallback = L"Warn";

// Connect registers the add-in's callbacks with the host (application method 155)
// and a File Open item for *.fak (method 247), and keeps the application;
// disconnect lets it go. Its one callback, "Warn", shows a warning box and waits
// for it.
class FakeAddin final : public IDispatch {
 public:
  virtual ~FakeAddin() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) *ppv = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, SWPublished::IID_ISwAddin)) *ppv = &m_face;
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = --m_refs;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
    if (wcscmp(names[0], L"Warn") != 0) return DISP_E_UNKNOWNNAME;
    *ids = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != 1) return DISP_E_MEMBERNOTFOUND;
    MessageBoxW(nullptr, L"careful", L"Fake add-in", MB_ICONWARNING);
    return S_OK;
  }

 private:
  struct Face : SWPublished::ISwAddin {
    FakeAddin* outer;
    explicit Face(FakeAddin* o) : outer(o) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override { return outer->QueryInterface(riid, ppv); }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer->Release(); }
    HRESULT STDMETHODCALLTYPE ConnectToSW(IDispatch* app, LONG cookie, VARIANT_BOOL* ok) override {
      app->QueryInterface(IID_HostApplication, reinterpret_cast<void**>(&outer->m_app));
      VARIANT_BOOL registered = VARIANT_FALSE;
      HostOp::SetAddinCallbackInfo(outer->m_app, 0, outer, cookie, &registered);
      BSTR callback = SysAllocString(g_openCallback), filter = SysAllocString(L"Fake files"),
           extension = SysAllocString(L"fak"), empty = SysAllocString(L"");
      HostOp::AddFileOpenItem(outer->m_app, cookie, callback, filter, extension, empty, empty, &registered);
      for (BSTR b : {callback, filter, extension, empty}) SysFreeString(b);
      *ok = VARIANT_TRUE;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DisconnectFromSW(VARIANT_BOOL* ok) override {
      if (outer->m_app) outer->m_app->Release();
      outer->m_app = nullptr;
      *ok = VARIANT_TRUE;
      return S_OK;
    }
  } m_face{this};
  LONG m_refs = 0;
  HostApplication* m_app = nullptr;
};

class FakeFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
    *ppv = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* addin = new FakeAddin;
    addin->AddRef();
    const HRESULT hr = addin->QueryInterface(riid, ppv);
    addin->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

TEST(SwHost, ReportsAndAnswersOrClosesTheWindowsAnAddinShows) {
  FakeFactory factory;
  DWORD registration = 0;
  ASSERT_EQ(CoRegisterClassObject(kFakeAddin, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration),
            S_OK);
  wchar_t text[64] = {};
  StringFromGUID2(kFakeAddin, text, 64);
  struct Case {
    std::vector<std::wstring> extra;
    const char* outcome;
  };
  const Case cases[] = {{{}, "closed"}, {{L"--answer", L"Fake add-in", L"1"}, "answered"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outcome);
    std::vector<std::wstring> args = {L"--addin", text, L"--call", L"Warn", L"--call", L"Nothing",
                                      L"--window-timeout", L"2000"};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    standin::SwHostOptions options;
    std::string error;
    ASSERT_TRUE(standin::ParseSwHostArguments(args, options, error)) << error;
    std::ostringstream out;
    EXPECT_EQ(standin::RunSwHost(options, out), 0) << out.str();
    const std::string report = out.str();
    const std::string window =
        std::string("  window 'Fake add-in' (#32770) text 'careful' style 0x30 no owner: ") + c.outcome + "\n";
    for (const std::string& line : {std::string("  connect cookie 1: 0x00000000 ok -1\n"),
                                    std::string("  callback Warn of File Open item *.fak: dispid 1\n"), window,
                                    std::string("  call Warn dispid 1: 0x00000000\n"),
                                    std::string("  call Nothing: unknown name 0x80020006\n"),
                                    std::string("  add-in references left: 0\n"),
                                    std::string("  no reference left either way\n")})
      EXPECT_NE(report.find(line), std::string::npos) << line << "\nin\n" << report;
  }
  CoRevokeClassObject(registration);
}

// A File Open item whose callback name the add-in does not answer could never be
// run: swhost says so and the run fails.
TEST(SwHost, ACallbackNameTheAddinDoesNotAnswerFailsTheRun) {
  FakeFactory factory;
  DWORD registration = 0;
  ASSERT_EQ(CoRegisterClassObject(kFakeAddin, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &registration),
            S_OK);
  g_openCallback = L"Wran";
  wchar_t text[64] = {};
  StringFromGUID2(kFakeAddin, text, 64);
  standin::SwHostOptions options;
  std::string error;
  ASSERT_TRUE(standin::ParseSwHostArguments({L"--addin", text}, options, error)) << error;
  std::ostringstream out;
  EXPECT_EQ(standin::RunSwHost(options, out), 1) << out.str();
  g_openCallback = L"Warn";
  CoRevokeClassObject(registration);
  const std::string report = out.str();
  for (const char* line :
       {"  CALLBACK NOT ANSWERED: File Open item *.fak: 'Wran' is not answered by the add-in (0x80020006)\n",
        "  no reference left either way\n", "  CALLBACK NAMES NOT ANSWERED: 1\n"})
    EXPECT_NE(report.find(line), std::string::npos) << line << "\nin\n" << report;
}

}  // namespace
