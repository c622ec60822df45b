// The host's application events: its type library at the versions a sink asks
// for, and the connection point through which sinks are advised and called.
#include "HostEvents.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "HostContract.h"

namespace {

using standin::AppEventConnections;

// An owner object that gives the connection-point container, as the host's
// application does, and counts its references.
class Owner : public IUnknown {
 public:
  Owner() : events(this) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown)) *ppv = static_cast<IUnknown*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer)) *ppv = events.Container();
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  LONG refs = 0;
  AppEventConnections events;
};

// A sink that records what the host invokes on it.
class Sink : public IDispatch {
 public:
  explicit Sink(bool speaksEvents = true) : m_speaksEvents(speaksEvents) {}
  struct Call {
    DISPID id;
    WORD flags;
    UINT args;
    std::wstring firstBstr;
    LONG firstLong;
  };
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        (m_speaksEvents && IsEqualIID(riid, IID_HostAppEvents))) {
      *ppv = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    EXPECT_TRUE(IsEqualIID(riid, IID_NULL));
    Call c{id, flags, p ? p->cArgs : 0, L"", 0};
    if (p && p->cArgs) {
      // The first argument is the last in the array.
      const VARIANT& first = p->rgvarg[p->cArgs - 1];
      if (first.vt == VT_BSTR) c.firstBstr = first.bstrVal;
      if (first.vt == VT_I4) c.firstLong = first.lVal;
    }
    calls.push_back(c);
    return result;
  }
  LONG refs = 1;
  HRESULT result = S_OK;
  std::vector<Call> calls;

 private:
  bool m_speaksEvents;
};

IConnectionPoint* FindPoint(Owner& owner) {
  IConnectionPointContainer* container = nullptr;
  EXPECT_EQ(owner.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
  IConnectionPoint* point = nullptr;
  EXPECT_EQ(container->FindConnectionPoint(IID_HostAppEvents, &point), S_OK);
  container->Release();
  return point;
}

TEST(HostConnectionPoint, IsFoundOnlyForTheEventInterfaceAndBelongsToTheOwner) {
  Owner owner;
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(owner.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
  IConnectionPoint* point = reinterpret_cast<IConnectionPoint*>(1);
  EXPECT_EQ(container->FindConnectionPoint(IID_HostApplication, &point), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point, nullptr);
  EXPECT_EQ(container->FindConnectionPoint(IID_HostAppEvents, nullptr), E_POINTER);
  ASSERT_EQ(container->FindConnectionPoint(IID_HostAppEvents, &point), S_OK);
  IID iid{};
  EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_TRUE(IsEqualIID(iid, IID_HostAppEvents));
  IConnectionPointContainer* back = nullptr;
  ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
  IUnknown* identity = nullptr;
  ASSERT_EQ(back->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, static_cast<IUnknown*>(&owner)) << "the container is the owner's";
  identity->Release();
  back->Release();
  EXPECT_EQ(owner.refs, 2) << "container and point each keep the owner";
  point->Release();
  container->Release();
  EXPECT_EQ(owner.refs, 0);
}

TEST(HostConnectionPoint, AdvisesFiresAndUnadvises) {
  Owner owner;
  Sink a, b;
  IConnectionPoint* point = FindPoint(owner);
  DWORD ca = 0, cb = 0;
  ASSERT_EQ(point->Advise(&a, &ca), S_OK);
  ASSERT_EQ(point->Advise(&b, &cb), S_OK);
  EXPECT_NE(ca, 0u);
  EXPECT_NE(ca, cb);
  EXPECT_EQ(a.refs, 2) << "the host holds one reference per advised sink";
  EXPECT_EQ(owner.events.SinkCount(), 2u);

  struct FireCase {
    DISPID id;
    UINT args;
    std::wstring firstBstr;
    LONG firstLong;
  };
  const FireCase fires[] = {{4, 1, L"Z:\\standin\\Part1.SLDPRT", 0}, {5, 1, L"", 1}, {7, 0, L"", 0},
                            {11, 0, L"", 0}, {12, 2, L"", 0}};
  b.result = E_FAIL;
  for (const FireCase& f : fires) {
    std::vector<HRESULT> results = owner.events.Fire(f.id);
    EXPECT_EQ(results, (std::vector<HRESULT>{S_OK, E_FAIL})) << "each sink's answer, in advise order";
  }
  ASSERT_EQ(a.calls.size(), std::size(fires));
  for (size_t i = 0; i < std::size(fires); ++i) {
    SCOPED_TRACE(fires[i].id);
    EXPECT_EQ(a.calls[i].id, fires[i].id);
    EXPECT_EQ(a.calls[i].flags, DISPATCH_METHOD);
    EXPECT_EQ(a.calls[i].args, fires[i].args);
    EXPECT_EQ(a.calls[i].firstBstr, fires[i].firstBstr);
    EXPECT_EQ(a.calls[i].firstLong, fires[i].firstLong);
  }

  EXPECT_EQ(point->Unadvise(ca), S_OK);
  EXPECT_EQ(a.refs, 1);
  EXPECT_EQ(point->Unadvise(ca), CONNECT_E_NOCONNECTION) << "a cookie unadvises once";
  EXPECT_EQ(point->Unadvise(0xFEFEFEFE), CONNECT_E_NOCONNECTION);
  owner.events.Fire(4);
  EXPECT_EQ(a.calls.size(), std::size(fires)) << "an unadvised sink gets no event";
  EXPECT_EQ(b.calls.size(), std::size(fires) + 1);
  EXPECT_EQ(point->Unadvise(cb), S_OK);
  EXPECT_EQ(b.refs, 1);
  point->Release();
  EXPECT_EQ(owner.refs, 0);
}

TEST(HostConnectionPoint, RefusesBadSinksAndInjectedFaults) {
  Owner owner;
  IConnectionPoint* point = FindPoint(owner);
  DWORD cookie = 77;
  Sink mute(false);
  EXPECT_EQ(point->Advise(&mute, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(mute.refs, 1) << "a refused sink is not held";
  EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(point->Advise(&mute, nullptr), E_POINTER);

  Sink s;
  owner.events.FailAdvise(E_OUTOFMEMORY);
  EXPECT_EQ(point->Advise(&s, &cookie), E_OUTOFMEMORY);
  EXPECT_EQ(s.refs, 1);
  owner.events.FailAdvise(S_OK);
  ASSERT_EQ(point->Advise(&s, &cookie), S_OK);

  owner.events.FailUnadvise(E_FAIL);
  EXPECT_EQ(point->Unadvise(cookie), E_FAIL);
  EXPECT_EQ(owner.events.SinkCount(), 1u) << "a failed unadvise leaves the sink advised";
  EXPECT_EQ(s.refs, 2);
  EXPECT_EQ(owner.events.ReleaseAll(), 1u) << "teardown lets go of the sink";
  EXPECT_EQ(s.refs, 1);
  point->Release();

  const std::vector<std::string> expected = {"Advise refused: no event interface", "Advise failed 0x8007000E",
                                             "Advise 1", "Unadvise 1 0x80004005"};
  EXPECT_EQ(owner.events.Log(), expected);
}

TEST(HostConnectionPoint, ASinkMayUnadviseWhileItIsCalled) {
  Owner owner;
  IConnectionPoint* point = FindPoint(owner);
  struct Leaving : Sink {
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID l, WORD f, DISPPARAMS* p, VARIANT* r, EXCEPINFO* e,
                                     UINT* a) override {
      point->Unadvise(cookie);
      return Sink::Invoke(id, riid, l, f, p, r, e, a);
    }
  } leaving;
  leaving.point = point;
  ASSERT_EQ(point->Advise(&leaving, &leaving.cookie), S_OK);
  EXPECT_EQ(owner.events.Fire(11), (std::vector<HRESULT>{S_OK}));
  EXPECT_EQ(owner.events.SinkCount(), 0u);
  EXPECT_EQ(leaving.refs, 1);
  point->Release();
}

TEST(HostTypeLibrary, DescribesTheEventsAtEachRegisteredVersion) {
  for (WORD major : {WORD(0), WORD(14), WORD(20)}) {
    SCOPED_TRACE(major);
    ASSERT_EQ(standin::RegisterHostTypeLibrary(major), S_OK);
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadRegTypeLib(LIBID_HostTypeLibrary, major, 0, 0, &library), S_OK);
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->wMajorVerNum, major);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    library->ReleaseTLibAttr(attr);
    ITypeInfo* events = nullptr;
    ASSERT_EQ(library->GetTypeInfoOfGuid(IID_HostAppEvents, &events), S_OK);
    struct Event {
      DISPID id;
      std::vector<VARTYPE> params;
    };
    const Event described[] = {{4, {VT_BSTR}}, {5, {VT_I4}}, {7, {}}, {11, {}}, {12, {VT_I4, VT_BSTR}}};
    for (const Event& e : described) {
      SCOPED_TRACE(e.id);
      ITypeInfo2* info2 = nullptr;
      ASSERT_EQ(events->QueryInterface(IID_ITypeInfo2, reinterpret_cast<void**>(&info2)), S_OK);
      UINT index = 0;
      ASSERT_EQ(info2->GetFuncIndexOfMemId(e.id, INVOKE_FUNC, &index), S_OK);
      FUNCDESC* f = nullptr;
      ASSERT_EQ(events->GetFuncDesc(index, &f), S_OK);
      std::vector<VARTYPE> params;
      for (SHORT i = 0; i < f->cParams; ++i) params.push_back(f->lprgelemdescParam[i].tdesc.vt);
      EXPECT_EQ(params, e.params);
      events->ReleaseFuncDesc(f);
      info2->Release();
    }
    events->Release();
    library->Release();
  }
}

TEST(HostTypeLibrary, AnUnregisteredVersionIsNotFound) {
  ASSERT_EQ(standin::RegisterHostTypeLibrary(99), S_OK);
  ITypeLib* library = nullptr;
  ASSERT_EQ(LoadRegTypeLib(LIBID_HostTypeLibrary, 99, 0, 0, &library), S_OK);
  library->Release();
  ASSERT_EQ(standin::UnregisterHostTypeLibrary(99), S_OK);
  library = nullptr;
  EXPECT_NE(LoadRegTypeLib(LIBID_HostTypeLibrary, 99, 0, 0, &library), S_OK);
  EXPECT_EQ(library, nullptr);
  EXPECT_EQ(standin::RegisterHostTypeLibrary(13), E_INVALIDARG) << "13.0 is not built";
}

}  // namespace
