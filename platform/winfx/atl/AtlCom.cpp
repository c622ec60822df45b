#include "AtlCom.h"

#include <initializer_list>

namespace {
CComTypeInfoHolder* g_loadedHolders = nullptr;
}

bool CComTypeInfoHolder::LoadedFor(const GUID& libid, WORD major, WORD minor) const {
  return m_pInfo && IsEqualGUID(m_loadedLib, libid) && m_loadedMajor == major && m_loadedMinor == minor;
}

HRESULT CComTypeInfoHolder::GetTI(LCID lcid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (!m_plibid || !m_pguid) return E_UNEXPECTED;
  const GUID libid = *m_plibid;
  if (!LoadedFor(libid, m_wMajor, m_wMinor)) {
    Clear();
    // The caller's locale first; a library registered under another locale only is
    // still found through the language-neutral and the US English entries, as
    // Windows' own lookup falls back (Wine's stops at the neutral one).
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadRegTypeLib(libid, m_wMajor, m_wMinor, lcid, &lib);
    for (const LCID fallback : {LCID(LANG_NEUTRAL), LCID(0x0409)}) {
      if (SUCCEEDED(hr) || lcid == fallback) continue;
      hr = LoadRegTypeLib(libid, m_wMajor, m_wMinor, fallback, &lib);
    }
    if (FAILED(hr)) return hr;
    ITypeInfo* found = nullptr;
    hr = lib->GetTypeInfoOfGuid(*m_pguid, &found);
    lib->Release();
    if (FAILED(hr)) return hr;
    // A dual interface is found as its dispatch description; DispInvoke wants the
    // table description that the dispatch description refers to.
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(found->GetTypeAttr(&attr))) {
      const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
      found->ReleaseTypeAttr(attr);
      if (dual) {
        HREFTYPE ref = 0;
        ITypeInfo* table = nullptr;
        if (SUCCEEDED(found->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
            SUCCEEDED(found->GetRefTypeInfo(ref, &table))) {
          found->Release();
          found = table;
        }
      }
    }
    m_pInfo = found;
    m_loadedLib = libid;
    m_loadedMajor = m_wMajor;
    m_loadedMinor = m_wMinor;
    if (!m_listed) {
      m_listed = true;
      m_next = g_loadedHolders;
      g_loadedHolders = this;
    }
  }
  m_pInfo->AddRef();
  *info = m_pInfo;
  return S_OK;
}

HRESULT CComTypeInfoHolder::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return GetTI(lcid, info);
}

HRESULT CComTypeInfoHolder::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  ITypeInfo* info = nullptr;
  HRESULT hr = GetTI(lcid, &info);
  if (FAILED(hr)) return hr;
  hr = info->GetIDsOfNames(names, count, ids);
  info->Release();
  return hr;
}

HRESULT CComTypeInfoHolder::Invoke(IDispatch* object, DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* info = nullptr;
  HRESULT hr = GetTI(lcid, &info);
  if (FAILED(hr)) return hr;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  hr = DispInvoke(object, info, id, flags, params ? params : &none, result, excep, argErr);
  info->Release();
  return hr;
}

void CComTypeInfoHolder::Clear() {
  if (m_pInfo) {
    ITypeInfo* info = m_pInfo;
    m_pInfo = nullptr;
    info->Release();
  }
}

void CComTypeInfoHolder::ClearAll() {
  for (CComTypeInfoHolder* h = g_loadedHolders; h; h = h->m_next) h->Clear();
}
