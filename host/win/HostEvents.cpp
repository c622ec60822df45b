#include "HostEvents.h"

#include <olectl.h>
#include <oleauto.h>

#include <cstdio>

#include "HostContract.h"

namespace standin {
namespace {

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

}  // namespace

std::wstring HostTypeLibraryFile(WORD major) {
  for (WORD built : kHostTypeLibraryMajors) {
    if (built == major) {
      std::wstring dir = STANDIN_HOST_TYPELIB_DIR;
      for (wchar_t& c : dir)
        if (c == L'/') c = L'\\';
      return dir + L"\\HostTypeLib_" + std::to_wstring(major) + L".tlb";
    }
  }
  return L"";
}

HRESULT RegisterHostTypeLibrary(WORD major) {
  const std::wstring file = HostTypeLibraryFile(major);
  if (file.empty()) return E_INVALIDARG;
  ITypeLib* library = nullptr;
  HRESULT hr = LoadTypeLibEx(file.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLib(library, const_cast<LPOLESTR>(file.c_str()), nullptr);
  library->Release();
  return hr;
}

HRESULT UnregisterHostTypeLibrary(WORD major) {
  return UnRegisterTypeLib(LIBID_HostTypeLibrary, major, 0, 0, SYS_WIN64);
}

AppEventConnections::AppEventConnections(IUnknown* owner) : m_owner(owner) {}

AppEventConnections::~AppEventConnections() { ReleaseAll(); }

std::vector<DWORD> AppEventConnections::Cookies() const {
  std::vector<DWORD> cookies;
  for (const Sink& s : m_sinks) cookies.push_back(s.cookie);
  return cookies;
}

size_t AppEventConnections::ReleaseAll() {
  std::vector<Sink> sinks;
  sinks.swap(m_sinks);
  for (const Sink& s : sinks) s.sink->Release();
  return sinks.size();
}

std::vector<HRESULT> AppEventConnections::Fire(DISPID id) {
  // The arguments go in reverse order, as IDispatch::Invoke takes them.
  VARIANT args[2];
  for (VARIANT& v : args) VariantInit(&v);
  DISPPARAMS params{args, nullptr, 0, 0};
  switch (id) {
    case 4:
      args[0].vt = VT_BSTR;
      args[0].bstrVal = SysAllocString(L"Z:\\standin\\Part1.SLDPRT");
      params.cArgs = 1;
      break;
    case 5:
      args[0].vt = VT_I4;
      args[0].lVal = 1;
      params.cArgs = 1;
      break;
    case 12:
      args[1].vt = VT_I4;
      args[1].lVal = 0;
      args[0].vt = VT_BSTR;
      args[0].bstrVal = SysAllocString(L"closing");
      params.cArgs = 2;
      break;
    default:
      break;
  }
  std::vector<HRESULT> results = Fire(id, &params);
  for (VARIANT& v : args) VariantClear(&v);
  return results;
}

std::vector<HRESULT> AppEventConnections::Fire(DISPID id, DISPPARAMS* params) {
  // A sink may unadvise while it is called: work on a held copy of the list.
  std::vector<Sink> sinks = m_sinks;
  for (const Sink& s : sinks) s.sink->AddRef();
  std::vector<HRESULT> results;
  for (const Sink& s : sinks) {
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    UINT argErr = 0;
    results.push_back(s.sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, &result, &excep,
                                     &argErr));
    VariantClear(&result);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
  }
  for (const Sink& s : sinks) s.sink->Release();
  m_log.push_back("Fire " + std::to_string(id) + " " + std::to_string(sinks.size()) + " sink(s)");
  return results;
}

// --- the container: a part of the owner ----------------------------------------------
HRESULT AppEventConnections::ContainerPart::QueryInterface(REFIID riid, void** ppv) {
  return m_outer->m_owner->QueryInterface(riid, ppv);
}
ULONG AppEventConnections::ContainerPart::AddRef() { return m_outer->m_owner->AddRef(); }
ULONG AppEventConnections::ContainerPart::Release() { return m_outer->m_owner->Release(); }

HRESULT AppEventConnections::ContainerPart::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
  if (ppEnum) *ppEnum = nullptr;
  return E_NOTIMPL;  // nothing in the system enumerates them
}

HRESULT AppEventConnections::ContainerPart::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
  if (!ppCP) return E_POINTER;
  *ppCP = nullptr;
  if (!IsEqualIID(riid, IID_HostAppEvents)) return CONNECT_E_NOCONNECTION;
  *ppCP = &m_outer->m_point;
  (*ppCP)->AddRef();
  return S_OK;
}

// --- the connection point ----------------------------------------------------------------
HRESULT AppEventConnections::PointPart::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}
ULONG AppEventConnections::PointPart::AddRef() { return m_outer->m_owner->AddRef(); }
ULONG AppEventConnections::PointPart::Release() { return m_outer->m_owner->Release(); }

HRESULT AppEventConnections::PointPart::GetConnectionInterface(IID* pIID) {
  if (!pIID) return E_POINTER;
  *pIID = IID_HostAppEvents;
  return S_OK;
}

HRESULT AppEventConnections::PointPart::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
  if (!ppCPC) return E_POINTER;
  *ppCPC = &m_outer->m_container;
  (*ppCPC)->AddRef();
  return S_OK;
}

HRESULT AppEventConnections::PointPart::Advise(IUnknown* pUnkSink, DWORD* pdwCookie) {
  AppEventConnections& o = *m_outer;
  if (!pdwCookie) return E_POINTER;
  *pdwCookie = 0;
  if (!pUnkSink) return E_POINTER;
  if (FAILED(o.m_adviseFailure)) {
    o.m_log.push_back("Advise failed " + Hex(o.m_adviseFailure));
    return o.m_adviseFailure;
  }
  // The sink must speak the event interface; the host calls it only through that.
  IDispatch* sink = nullptr;
  if (FAILED(pUnkSink->QueryInterface(IID_HostAppEvents, reinterpret_cast<void**>(&sink))) || !sink) {
    o.m_log.push_back("Advise refused: no event interface");
    return CONNECT_E_CANNOTCONNECT;
  }
  const DWORD cookie = o.m_nextCookie++;
  o.m_sinks.push_back({cookie, sink});
  *pdwCookie = cookie;
  o.m_log.push_back("Advise " + std::to_string(cookie));
  return S_OK;
}

HRESULT AppEventConnections::PointPart::Unadvise(DWORD dwCookie) {
  AppEventConnections& o = *m_outer;
  if (FAILED(o.m_unadviseFailure)) {
    o.m_log.push_back("Unadvise " + std::to_string(dwCookie) + " " + Hex(o.m_unadviseFailure));
    return o.m_unadviseFailure;
  }
  for (auto it = o.m_sinks.begin(); it != o.m_sinks.end(); ++it) {
    if (it->cookie == dwCookie) {
      IDispatch* sink = it->sink;
      o.m_sinks.erase(it);
      sink->Release();
      o.m_log.push_back("Unadvise " + std::to_string(dwCookie) + " " + Hex(S_OK));
      return S_OK;
    }
  }
  o.m_log.push_back("Unadvise " + std::to_string(dwCookie) + " " + Hex(CONNECT_E_NOCONNECTION));
  return CONNECT_E_NOCONNECTION;
}

HRESULT AppEventConnections::PointPart::EnumConnections(IEnumConnections** ppEnum) {
  if (ppEnum) *ppEnum = nullptr;
  return E_NOTIMPL;  // nothing in the system enumerates them
}

}  // namespace standin
