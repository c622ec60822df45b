// The add-in loader against a small add-in and host of the test's own: the order
// of create, connect, calls by name, events, disconnect and release, and the
// reference checks that catch an add-in or a host that keeps what it should not.
#include "AddinLoader.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "HostContract.h"

namespace {

using standin::AddinLoader;

// Counts references and answers IUnknown plus the given interfaces with itself.
template <class Base>
struct Counted : Base {
  LONG refs = 1;
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
};

struct DispatchStub : IDispatch {
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

// The host side: an application that gives the event connection point, a
// callback registration, and a reference check on the application.
class TestHost : public standin::LoaderHost {
 public:
  struct App : Counted<DispatchStub> {
    TestHost* host = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      *ppv = nullptr;
      if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_HostApplication))
        *ppv = static_cast<IDispatch*>(this);
      else if (IsEqualIID(riid, IID_IConnectionPointContainer))
        *ppv = host->events.Container();
      else
        return E_NOINTERFACE;
      AddRef();
      return S_OK;
    }
  } app;
  standin::AppEventConnections events{&app};
  IDispatch* callbacks = nullptr;
  LONG callbackCookie = 0;

  TestHost() { app.host = this; }
  ~TestHost() override { ForgetAddin(callbackCookie); }
  IDispatch* Application() override { return &app; }
  IDispatch* CallbackObject(LONG cookie) override { return cookie == callbackCookie ? callbacks : nullptr; }
  standin::AppEventConnections& Events() override { return events; }
  void ForgetAddin(LONG cookie) override {
    if (cookie == callbackCookie && callbacks) std::exchange(callbacks, nullptr)->Release();
  }
  std::vector<std::string> ReferenceProblems() override {
    if (app.refs == 1) return {};
    return {"application: " + std::to_string(app.refs - 1) + " reference(s) still held"};
  }
};

// The add-in: connect registers its callbacks and advises its sink; disconnect
// undoes both unless told to misbehave.
struct TestAddin : Counted<IUnknown> {
  struct Calls : Counted<DispatchStub> {
    TestAddin* addin = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      return addin->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addin->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return addin->Release(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
      if (wcscmp(names[0], L"Ping") == 0) *ids = 7;
      else if (wcscmp(names[0], L"Open") == 0) *ids = 9;
      else return DISP_E_UNKNOWNNAME;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
      std::wstring arg = p->cArgs == 1 && p->rgvarg[0].vt == VT_BSTR ? p->rgvarg[0].bstrVal : L"-";
      addin->log.push_back(std::to_wstring(id) + L" " + std::to_wstring(flags) + L" " + arg);
      return S_OK;
    }
  } calls;
  struct Sink : Calls {
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
      addin->log.push_back(L"event " + std::to_wstring(id));
      return S_OK;
    }
  } sink;
  // The add-in interface: its own table, QueryInterface to AddRef/Release shared.
  struct AddinFace : IUnknown {
    TestAddin* addin = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      return addin->QueryInterface(riid, ppv);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return addin->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return addin->Release(); }
    virtual HRESULT STDMETHODCALLTYPE Connect(IDispatch* app, LONG cookie, VARIANT_BOOL* ok) {
      return addin->DoConnect(app, cookie, ok);
    }
    virtual HRESULT STDMETHODCALLTYPE Disconnect(VARIANT_BOOL* ok) { return addin->DoDisconnect(ok); }
  } face;

  TestHost* host = nullptr;
  bool speaksAddin = true;
  bool keepsApp = false;       // forgets to release the application
  bool keepsAdvised = false;   // forgets to unadvise
  IDispatch* app = nullptr;
  IConnectionPoint* point = nullptr;
  DWORD cookie = 0;
  std::vector<std::wstring> log;

  TestAddin() {
    calls.addin = this;
    sink.addin = this;
    face.addin = this;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) *ppv = static_cast<IUnknown*>(this);
    else if (IsEqualIID(riid, IID_IDispatch)) *ppv = static_cast<IDispatch*>(&calls);
    else if (IsEqualIID(riid, IID_HostAppEvents)) *ppv = static_cast<IDispatch*>(&sink);
    else if (speaksAddin && IsEqualIID(riid, standin::IID_HostAddinInterface)) *ppv = &face;
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  HRESULT DoConnect(IDispatch* a, LONG c, VARIANT_BOOL* ok) {
    log.push_back(L"connect " + std::to_wstring(c));
    a->AddRef();
    app = a;
    calls.AddRef();
    host->callbacks = &calls;
    host->callbackCookie = c;
    IConnectionPointContainer* container = nullptr;
    a->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    container->FindConnectionPoint(IID_HostAppEvents, &point);
    container->Release();
    point->Advise(static_cast<IDispatch*>(&sink), &cookie);
    *ok = VARIANT_TRUE;
    return S_OK;
  }
  HRESULT DoDisconnect(VARIANT_BOOL* ok) {
    log.push_back(L"disconnect");
    if (!keepsAdvised) point->Unadvise(cookie);
    point->Release();
    if (!keepsApp) app->Release();
    *ok = VARIANT_TRUE;
    return E_NOTIMPL;
  }
};

TEST(AddinLoader, RunsTheAddinThroughItsLifeAndFindsNoReferenceLeft) {
  TestHost host;
  TestAddin addin;
  addin.host = &host;
  {
    AddinLoader loader(host);
    ASSERT_EQ(loader.Connect(&addin, 5), S_OK);
    addin.Release();  // the creator's reference: the loader holds its own
    EXPECT_EQ(loader.ConnectOk(), VARIANT_TRUE);
    EXPECT_EQ(loader.Call(L"Ping"), S_OK);
    EXPECT_EQ(loader.Call(L"Open", std::wstring(L"Z:\\tmp\\a.obj")), S_OK);
    EXPECT_EQ(loader.Call(L"Open", std::wstring()), S_OK);
    EXPECT_EQ(loader.Call(L"Nope"), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(loader.Fire(4), (std::vector<HRESULT>{S_OK}));
    EXPECT_EQ(loader.Fire(standin::kUnhandledAppEvent), (std::vector<HRESULT>{S_OK}));
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(loader.Disconnect(&ok), E_NOTIMPL);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(loader.Disconnect(), E_UNEXPECTED) << "an add-in is disconnected once";
    EXPECT_EQ(host.callbacks, nullptr) << "the host let go of the callbacks at disconnect";
    EXPECT_EQ(loader.Call(L"Ping"), E_FAIL) << "a disconnected add-in gets no calls";
    EXPECT_TRUE(loader.Unload());
    EXPECT_EQ(loader.AddinReferencesLeft(), 0u);
    EXPECT_FALSE(loader.Loaded());
    const std::vector<std::string> report = {
        "add-in interface: 0x00000000",
        "connect cookie 5: 0x00000000 ok -1",
        "call Ping dispid 7: 0x00000000",
        "call Open(Z:\\tmp\\a.obj) dispid 9: 0x00000000",
        "call Open() dispid 9: 0x00000000",
        "call Nope: unknown name 0x80020006",
        "fire 4: 0x00000000",
        "fire 7: 0x00000000",
        "disconnect: 0x80004001 ok -1",
        "call Ping: no callback object registered",
        "sinks still advised: 0",
        "add-in references left: 0",
        "host references held by the add-in: 0",
    };
    EXPECT_EQ(loader.Report(), report);
  }
  const std::vector<std::wstring> seen = {L"connect 5",           L"7 1 -",   L"9 1 Z:\\tmp\\a.obj", L"9 1 ",
                                          L"event 4",             L"event 7", L"disconnect"};
  EXPECT_EQ(addin.log, seen) << "DISPATCH_METHOD (1) for every call";
  EXPECT_EQ(addin.refs, 0);
}

TEST(AddinLoader, ReportsReferencesLeftEitherWay) {
  struct Case {
    const char* name;
    bool keepsApp, keepsAdvised;
    size_t sinksLeft;
    size_t hostProblems;
  };
  const Case cases[] = {
      {"the add-in keeps the application", true, false, 0, 1},
      {"the add-in stays advised", false, true, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHost host;
    TestAddin addin;
    addin.host = &host;
    addin.keepsApp = c.keepsApp;
    addin.keepsAdvised = c.keepsAdvised;
    AddinLoader loader(host);
    ASSERT_EQ(loader.Connect(&addin, 1), S_OK);
    addin.Release();
    EXPECT_FALSE(loader.Unload());
    EXPECT_EQ(loader.SinksLeftAtUnload(), c.sinksLeft);
    EXPECT_EQ(loader.HostReferenceProblems().size(), c.hostProblems);
    EXPECT_EQ(addin.refs, 0) << "the host let go of a sink left advised";
    if (c.keepsApp) addin.app->Release();
  }
}

TEST(AddinLoader, RefusesWhatIsNoAddin) {
  TestHost host;
  TestAddin notAddin;
  notAddin.host = &host;
  notAddin.speaksAddin = false;
  AddinLoader loader(host);
  EXPECT_EQ(loader.Connect(&notAddin, 1), E_NOINTERFACE);
  EXPECT_FALSE(loader.Loaded());
  EXPECT_EQ(loader.Call(L"Ping"), E_FAIL);
  EXPECT_EQ(loader.Disconnect(), E_UNEXPECTED);
  EXPECT_EQ(notAddin.refs, 1);
  const CLSID unknown = {0x1234ABCD, 0x1, 0x2, {0, 1, 2, 3, 4, 5, 6, 7}};
  EXPECT_EQ(loader.Load(unknown, 1), REGDB_E_CLASSNOTREG);
}

TEST(AddinLoader, ListsTheAddinsOfTheHostKey) {
  const wchar_t* clsidText = L"{0B1C2D3E-4F50-4617-8293-A4B5C6D7E8F9}";
  const std::wstring key = std::wstring(standin::kAddinsKey) + L"\\" + clsidText;
  const std::wstring junk = std::wstring(standin::kAddinsKey) + L"\\not a class id";
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  const wchar_t title[] = L"Test add-in";
  RegSetValueExW(k, L"Title", 0, REG_SZ, reinterpret_cast<const BYTE*>(title), sizeof title);
  RegCloseKey(k);
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, junk.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(k);

  bool found = false;
  for (const standin::AddinEntry& e : standin::RegisteredAddins()) {
    EXPECT_NE(e.clsidText, L"not a class id");
    if (e.clsidText == clsidText) {
      found = true;
      EXPECT_EQ(e.title, L"Test add-in");
      EXPECT_EQ(e.description, L"");
      EXPECT_EQ(e.clsid.Data1, 0x0B1C2D3Eu);
    }
  }
  EXPECT_TRUE(found);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, junk.c_str());
}

}  // namespace
