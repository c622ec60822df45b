// IDispatch answered from a registered type library: the lazily loaded type
// information of one interface, and IDispatchImpl, which serves a dual interface's
// IDispatch methods from it. Windows only.
#pragma once

#include <windows.h>
#include <oleauto.h>

// The type information of one interface in one registered type library, loaded on
// first use and kept. The ids and version are referenced, not copied, so that the
// owner can point them elsewhere; the information is loaded again when the
// library or version it was loaded for no longer matches them.
class CComTypeInfoHolder {
 public:
  const GUID* m_pguid;
  const GUID* m_plibid;
  WORD m_wMajor;
  WORD m_wMinor;
  ITypeInfo* m_pInfo = nullptr;

  constexpr CComTypeInfoHolder(const GUID* guid, const GUID* libid, WORD major, WORD minor)
      : m_pguid(guid), m_plibid(libid), m_wMajor(major), m_wMinor(minor) {}
  CComTypeInfoHolder(const CComTypeInfoHolder&) = delete;
  CComTypeInfoHolder& operator=(const CComTypeInfoHolder&) = delete;

  // The interface's type information, AddRef-ed for the caller. For a dual
  // interface this is the table (vtable) description, which DispInvoke needs.
  HRESULT GetTI(LCID lcid, ITypeInfo** info);

  HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info);
  HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
  HRESULT Invoke(IDispatch* object, DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                 VARIANT* result, EXCEPINFO* excep, UINT* argErr);

  // Drops the loaded information.
  void Clear();
  // Drops the information of every holder (the module calls it when the DLL is
  // unloaded while the process goes on).
  static void ClearAll();

 private:
  bool LoadedFor(const GUID& libid, WORD major, WORD minor) const;
  GUID m_loadedLib{};
  WORD m_loadedMajor = 0;
  WORD m_loadedMinor = 0;
  bool m_listed = false;
  CComTypeInfoHolder* m_next = nullptr;
};

// IDispatch of the dual interface I, answered from the type information of I in
// the registered library *plibid at version major.minor. The class-wide holder is
// shared by every object of every class that uses the same I.
template <class I, const IID* piid, const GUID* plibid, WORD wMajor = 1, WORD wMinor = 0>
class IDispatchImpl : public I {
 public:
  static CComTypeInfoHolder& TypeInfoHolder() { return s_tih; }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
    return s_tih.GetTypeInfo(index, lcid, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override {
    return s_tih.GetIDsOfNames(riid, names, count, lcid, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excep, UINT* argErr) override {
    return s_tih.Invoke(static_cast<I*>(this), id, riid, lcid, flags, params, result, excep, argErr);
  }

 private:
  inline static CComTypeInfoHolder s_tih{piid, plibid, wMajor, wMinor};
};
