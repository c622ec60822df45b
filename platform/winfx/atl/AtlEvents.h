// IDispEventImpl: an event sink on a source's dispatch event interface, with a
// sink map from dispids to handlers and the event descriptions taken from the
// source's registered type library. Windows only.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include "AtlBase.h"
#include "AtlCom.h"

// One row of a class's sink map: sink id, event interface, dispid, handler. The
// handlers of this system take no typed arguments; they accept whatever the event
// carries and ignore it.
template <class T>
struct SinkMapEntry {
  UINT nControlID;
  const IID* piid;  // null ends the map
  DISPID dispid;
  HRESULT (T::*pfn)();
};

// The cookie of a sink that is not advised.
inline constexpr DWORD kSinkNotAdvised = 0xFEFEFEFE;

// The sink is an IDispatch of its own (not in the owner's interface map); its
// AddRef and Release go to the owner's count. T must provide GetComMap() and
// GetSinkMap().
template <UINT nID, class T, const IID* pdiid, const GUID* plibid, WORD wMajor, WORD wMinor>
class IDispEventImpl {
 public:
  IDispEventImpl() : m_sink(this) {}
  IDispEventImpl(const IDispEventImpl&) = delete;
  IDispEventImpl& operator=(const IDispEventImpl&) = delete;

  // The per-object sink state.
  GUID m_libid = *plibid;
  IID m_iid = *pdiid;
  unsigned short m_wMajorVerNum = wMajor;
  unsigned short m_wMinorVerNum = wMinor;
  DWORD m_dwEventCookie = kSinkNotAdvised;

  // The class-wide holder of the event interface's type information. When its
  // library id is GUID_NULL, the next event description adopts the delivering
  // object's library id, interface id and version.
  static CComTypeInfoHolder& TypeInfoHolder() { return s_tih; }

  IDispatch* GetSinkDispatch() { return &m_sink; }

  // Advises the sink on the source's connection point for *piid and keeps the cookie.
  HRESULT DispEventAdvise(IUnknown* source, const IID* piid = pdiid) {
    if (!source) return E_POINTER;
    IConnectionPoint* point = nullptr;
    HRESULT hr = FindConnectionPoint(source, *piid, &point);
    if (FAILED(hr)) return hr;
    DWORD cookie = 0;
    hr = point->Advise(static_cast<IUnknown*>(&m_sink), &cookie);
    point->Release();
    if (hr == S_OK) m_dwEventCookie = cookie;
    return hr;
  }

  // Unadvises the sink with the kept cookie; the caller decides what becomes of it.
  HRESULT DispEventUnadvise(IUnknown* source, const IID* piid = pdiid) {
    if (!source) return E_POINTER;
    IConnectionPoint* point = nullptr;
    HRESULT hr = FindConnectionPoint(source, *piid, &point);
    if (FAILED(hr)) return hr;
    hr = point->Unadvise(m_dwEventCookie);
    point->Release();
    return hr;
  }

  // The parameter description of event `dispid` from the class-wide holder: S_OK
  // and the count of parameters when the library and the event are found.
  HRESULT GetFuncInfoFromId(DISPID dispid, LCID lcid, UINT* paramCount) {
    CComTypeInfoHolder& holder = s_tih;
    if (!holder.m_plibid || IsEqualGUID(*holder.m_plibid, GUID_NULL)) {
      s_libid = m_libid;
      s_iid = m_iid;
      holder.m_plibid = &s_libid;
      holder.m_pguid = &s_iid;
      holder.m_wMajor = m_wMajorVerNum;
      holder.m_wMinor = m_wMinorVerNum;
    }
    ITypeInfo* info = nullptr;
    HRESULT hr = holder.GetTI(lcid, &info);
    if (FAILED(hr)) return hr;
    hr = DISP_E_MEMBERNOTFOUND;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
      for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(i, &desc))) continue;
        const bool match = desc->memid == dispid;
        if (match && paramCount) *paramCount = static_cast<UINT>(desc->cParams);
        info->ReleaseFuncDesc(desc);
        if (match) {
          hr = S_OK;
          break;
        }
      }
      info->ReleaseTypeAttr(attr);
    }
    info->Release();
    return hr;
  }

  // Delivery of one event: no map row, or no description, answers S_OK and calls
  // nothing; otherwise the handler's outcome is the answer.
  HRESULT InvokeEvent(DISPID dispid, LCID lcid) {
    T* owner = static_cast<T*>(this);
    for (const SinkMapEntry<T>* e = T::GetSinkMap(); e->piid; ++e) {
      if (e->nControlID != nID || !IsEqualIID(*e->piid, m_iid) || e->dispid != dispid) continue;
      UINT params = 0;
      if (GetFuncInfoFromId(dispid, lcid, &params) != S_OK) return S_OK;
      return (owner->*(e->pfn))();
    }
    return S_OK;
  }

 private:
  static HRESULT FindConnectionPoint(IUnknown* source, REFIID iid, IConnectionPoint** point) {
    *point = nullptr;
    IConnectionPointContainer* container = nullptr;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr)) return hr;
    if (!container) return E_NOINTERFACE;
    hr = container->FindConnectionPoint(iid, point);
    container->Release();
    if (SUCCEEDED(hr) && !*point) hr = E_POINTER;
    return hr;
  }

  class Sink final : public IDispatch {
   public:
    explicit Sink(IDispEventImpl* owner) : m_owner(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** ppv) override {
      if (!ppv) return E_POINTER;
      *ppv = nullptr;
      if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, m_owner->m_iid))
        return E_NOINTERFACE;
      AddRef();
      *ppv = static_cast<IDispatch*>(this);
      return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ComObjectUnknown(Owner())->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ComObjectUnknown(Owner())->Release(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
      if (!count) return E_POINTER;
      *count = 0;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
      if (info) *info = nullptr;
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
      return m_owner->InvokeEvent(id, lcid);
    }

   private:
    T* Owner() const { return static_cast<T*>(m_owner); }
    IDispEventImpl* m_owner;
  };

  Sink m_sink;
  inline static GUID s_libid{};
  inline static IID s_iid{};
  inline static CComTypeInfoHolder s_tih{pdiid, plibid, wMajor, wMinor};
};
