// Plymora.dll as a COM server: its class objects, its unload rule, the add-in
// object's interface map and its IDispatch, reached as a host reaches them.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "AddinTestSupport.h"
#include "HostContract.h"
#include "PlymoraLib.h"

using namespace addintest;

namespace {

class Server : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ComApartment apartment;
    LoadedServer server;
    ASSERT_TRUE(server.Loaded());
    ASSERT_EQ(server.Register(), S_OK);
  }
  void SetUp() override { ASSERT_TRUE(m_server.Loaded()); }

  ComApartment m_apartment;
  LoadedServer m_server;
};

TEST_F(Server, ServesTheClassObjectsOfBothClassesOnly) {
  struct Case {
    const char* what;
    const CLSID* clsid;
    HRESULT expected;
  };
  const Case cases[] = {
      {"add-in", &CLSID_Plymora, S_OK},
      {"icon writer", &CLSID_BitmapHandler, S_OK},
      {"class described in the library only", &CLSID_SwDocument, CLASS_E_CLASSNOTAVAILABLE},
      {"another library-only class", &CLSID_PMPageHandler, CLASS_E_CLASSNOTAVAILABLE},
      {"an unrelated class", &IID_IPlymora, CLASS_E_CLASSNOTAVAILABLE},
  };
  for (const Case& c : cases) {
    IClassFactory* factory = reinterpret_cast<IClassFactory*>(0x1);
    EXPECT_EQ(m_server.GetClassObject(*c.clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), c.expected)
        << c.what;
    if (c.expected == S_OK) {
      ASSERT_NE(factory, nullptr);
      factory->Release();
    } else {
      EXPECT_EQ(factory, nullptr) << c.what;
    }
  }
  EXPECT_EQ(m_server.GetClassObject(CLSID_Plymora, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(Server, ClassObjectRefusesAggregationAndNullOutPointers) {
  for (const CLSID* clsid : {&CLSID_Plymora, &CLSID_BitmapHandler}) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(m_server.GetClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory);  // any non-null outer object
    IUnknown* object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object)), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    // A query that fails destroys the new object at once: nothing keeps the DLL.
    object = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, reinterpret_cast<void**>(&object)), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    factory->Release();
    EXPECT_EQ(m_server.CanUnloadNow(), S_OK);
  }
}

TEST_F(Server, CanUnloadOnlyWhenNoObjectAndNoLockIsLeft) {
  EXPECT_EQ(m_server.CanUnloadNow(), S_OK);
  for (const wchar_t* progId : {L"Plymora.SwAddin", L"Plymora.BitmapHandler.1"}) {
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object)),
              S_OK);
    EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE);
    object->Release();
    EXPECT_EQ(m_server.CanUnloadNow(), S_OK);
  }
  // A client's hold on a class object and a server lock keep the DLL too.
  IClassFactory* factory = nullptr;
  ASSERT_EQ(m_server.GetClassObject(CLSID_Plymora, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE);
  factory->LockServer(TRUE);
  factory->Release();
  EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE);
  ASSERT_EQ(m_server.GetClassObject(CLSID_Plymora, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  factory->LockServer(FALSE);
  factory->Release();
  EXPECT_EQ(m_server.CanUnloadNow(), S_OK);
  // A stray unlock must not leave the count below zero.
  ASSERT_EQ(m_server.GetClassObject(CLSID_Plymora, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  factory->LockServer(FALSE);
  factory->LockServer(TRUE);
  EXPECT_EQ(m_server.CanUnloadNow(), S_FALSE);
  factory->LockServer(FALSE);
  factory->Release();
  EXPECT_EQ(m_server.CanUnloadNow(), S_OK);
}

TEST_F(Server, AddInAnswersItsInterfaceMap) {
  IUnknown* unknown = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_Plymora, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&unknown)),
            S_OK);
  IUnknown* primary = nullptr;
  ASSERT_EQ(unknown->QueryInterface(IID_IPlymora, reinterpret_cast<void**>(&primary)), S_OK);
  struct Case {
    const char* what;
    const IID* iid;
    HRESULT expected;
    bool isPrimary;
  };
  const Case cases[] = {
      {"IPlymora", &IID_IPlymora, S_OK, true},
      {"IDispatch", &IID_IDispatch, S_OK, true},
      {"IUnknown", &IID_IUnknown, S_OK, true},
      {"ISwAddin", &SWPublished::IID_ISwAddin, S_OK, false},
      {"the application events (only the sink answers them)", &IID_HostAppEvents, E_NOINTERFACE, false},
      {"IBitmapHandler", &IID_IBitmapHandler, E_NOINTERFACE, false},
      {"the host application", &IID_HostApplication, E_NOINTERFACE, false},
  };
  for (const Case& c : cases) {
    IUnknown* p = reinterpret_cast<IUnknown*>(0x1);
    EXPECT_EQ(unknown->QueryInterface(*c.iid, reinterpret_cast<void**>(&p)), c.expected) << c.what;
    if (c.expected == S_OK) {
      ASSERT_NE(p, nullptr);
      if (c.isPrimary) {
        EXPECT_EQ(p, primary) << c.what;
      } else {
        EXPECT_NE(p, primary) << c.what;
      }
      p->Release();
    } else {
      EXPECT_EQ(p, nullptr) << c.what;
    }
  }
  EXPECT_EQ(unknown->QueryInterface(IID_IPlymora, nullptr), E_POINTER);
  // One count for every interface.
  SWPublished::ISwAddin* addin = nullptr;
  ASSERT_EQ(unknown->QueryInterface(SWPublished::IID_ISwAddin, reinterpret_cast<void**>(&addin)), S_OK);
  const ULONG afterAddin = addin->AddRef();
  const ULONG afterPrimary = primary->AddRef();
  EXPECT_EQ(afterPrimary, afterAddin + 1);
  addin->Release();
  primary->Release();
  addin->Release();
  primary->Release();
  EXPECT_EQ(unknown->Release(), 0u);
}

TEST_F(Server, IconWriterAnswersItsInterfaceMap) {
  IUnknown* unknown = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_BitmapHandler, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&unknown)),
            S_OK);
  for (const IID* iid : {&IID_IBitmapHandler, &IID_IDispatch, &IID_IUnknown}) {
    IUnknown* p = nullptr;
    EXPECT_EQ(unknown->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK);
    EXPECT_EQ(p, unknown);
    if (p) p->Release();
  }
  IUnknown* p = reinterpret_cast<IUnknown*>(0x1);
  EXPECT_EQ(unknown->QueryInterface(IID_IPlymora, reinterpret_cast<void**>(&p)), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(unknown->Release(), 0u);
}

// The host reaches the commands by name through IDispatch.
class DispatchByName : public Server {
 protected:
  void SetUp() override {
    Server::SetUp();
    ASSERT_EQ(CoCreateInstance(CLSID_Plymora, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&m_dispatch)),
              S_OK);
  }
  void TearDown() override {
    if (m_dispatch) {
      EXPECT_EQ(m_dispatch->Release(), 0u);
    }
  }

  HRESULT IdOf(const wchar_t* name, DISPID* id, LCID lcid = LOCALE_USER_DEFAULT) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return m_dispatch->GetIDsOfNames(IID_NULL, names, 1, lcid, id);
  }

  IDispatch* m_dispatch = nullptr;
};

TEST_F(DispatchByName, ResolvesEveryDescribedMethod) {
  struct Case {
    const wchar_t* name;
    DISPID id;
  };
  const Case cases[] = {
      {L"ToolbarCallback0", 3}, {L"ToolbarEnable0", 4}, {L"Plymora_Import", 5},
      {L"Plymora_Help", 6},     {L"Plymora_About", 8},  {L"Plymora_Open", 9},
      {L"plymora_import", 5},  // names are matched without regard to case
  };
  for (const LCID lcid : {LCID(LOCALE_USER_DEFAULT), LCID(0), LCID(0x0409)}) {
    for (const Case& c : cases) {
      DISPID id = -1;
      EXPECT_EQ(IdOf(c.name, &id, lcid), S_OK) << std::hex << lcid;
      EXPECT_EQ(id, c.id);
    }
  }
  DISPID id = 0;
  EXPECT_EQ(IdOf(L"OnAppEvent4", &id), DISP_E_UNKNOWNNAME);
  UINT count = 0;
  EXPECT_EQ(m_dispatch->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);
  ITypeInfo* info = nullptr;
  EXPECT_EQ(m_dispatch->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
  ASSERT_EQ(m_dispatch->GetTypeInfo(0, 0, &info), S_OK);
  TYPEATTR* attr = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, IID_IPlymora));
  info->ReleaseTypeAttr(attr);
  info->Release();
}

TEST_F(DispatchByName, InvokesTheCommandsWhileNotConnected) {
  // Not connected: every command returns S_OK and does nothing.
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  for (const wchar_t* name : {L"ToolbarCallback0", L"Plymora_Import", L"Plymora_Help", L"Plymora_About"}) {
    DISPID id = 0;
    ASSERT_EQ(IdOf(name, &id), S_OK);
    EXPECT_EQ(m_dispatch->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  }
  // The File Open callback with its path, and with a null path.
  DISPID open = 0;
  ASSERT_EQ(IdOf(L"Plymora_Open", &open), S_OK);
  for (BSTR path : {SysAllocString(L"Z:\\nowhere\\cube.obj"), static_cast<BSTR>(nullptr)}) {
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = path;
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    EXPECT_EQ(m_dispatch->Invoke(open, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    SysFreeString(path);
  }
  // ToolbarEnable0 reports 1, every time.
  DISPID enable = 0;
  ASSERT_EQ(IdOf(L"ToolbarEnable0", &enable), S_OK);
  for (int i = 0; i < 2; ++i) {
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(m_dispatch->Invoke(enable, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 1);
  }
  // The table call gives the same.
  IPlymora* plymora = nullptr;
  ASSERT_EQ(m_dispatch->QueryInterface(IID_IPlymora, reinterpret_cast<void**>(&plymora)), S_OK);
  LONG status = 0;
  EXPECT_EQ(plymora->ToolbarEnable0(&status), S_OK);
  EXPECT_EQ(status, 1);
  plymora->Release();
  // An id the library does not describe is refused.
  EXPECT_EQ(m_dispatch->Invoke(7, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
}

TEST(IconWriterByName, WritesAndDisposesThroughIDispatch) {
  ComApartment apartment;
  LoadedServer server;
  ASSERT_TRUE(server.Loaded());
  ASSERT_EQ(server.Register(), S_OK);
  PrivateTempFolder temp;
  IDispatch* writer = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_BitmapHandler, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                             reinterpret_cast<void**>(&writer)),
            S_OK);
  DISPID create = 0, dispose = 0;
  LPOLESTR createName[] = {const_cast<LPOLESTR>(L"CreateBitmapFileFromResource")};
  LPOLESTR disposeName[] = {const_cast<LPOLESTR>(L"Dispose")};
  ASSERT_EQ(writer->GetIDsOfNames(IID_NULL, createName, 1, LOCALE_USER_DEFAULT, &create), S_OK);
  ASSERT_EQ(writer->GetIDsOfNames(IID_NULL, disposeName, 1, LOCALE_USER_DEFAULT, &dispose), S_OK);
  EXPECT_EQ(create, 1);
  EXPECT_EQ(dispose, 2);

  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_I4;  // a script client's number; the interface takes an unsigned long
  arg.lVal = 205;
  DISPPARAMS params = {&arg, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(writer->Invoke(create, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr), S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  const std::wstring path(result.bstrVal, SysStringLen(result.bstrVal));
  VariantClear(&result);
  const BmpInfo bmp = InspectBmp(ReadFileBytes(path));
  EXPECT_TRUE(bmp.valid) << bmp.problem;
  EXPECT_EQ(bmp.width, 96);

  // A resource that is no bitmap: the failure reaches the caller, as a dispatch
  // exception carrying the method's E_FAIL.
  arg.lVal = 101;
  EXCEPINFO excep = {};
  EXPECT_EQ(writer->Invoke(create, IID_NULL, 0, DISPATCH_METHOD, &params, &result, &excep, nullptr),
            DISP_E_EXCEPTION);
  EXPECT_EQ(excep.scode, E_FAIL);
  SysFreeString(excep.bstrSource);
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrHelpFile);

  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  EXPECT_EQ(writer->Invoke(dispose, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(writer->Release(), 0u);
  EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

}  // namespace
