#include "AtlBase.h"

HRESULT CComObjectRootBase::InternalQueryInterface(void* object, const ComMapEntry* map, REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!map || !map[0].piid) return E_NOINTERFACE;
  IUnknown* found = nullptr;
  if (IsEqualIID(iid, IID_IUnknown)) {
    found = map[0].cast(object);
  } else {
    for (const ComMapEntry* e = map; e->piid; ++e) {
      if (IsEqualIID(iid, *e->piid)) {
        found = e->cast(object);
        break;
      }
    }
  }
  if (!found) return E_NOINTERFACE;
  found->AddRef();
  *ppv = found;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE CComClassFactory::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
  AddRef();
  *ppv = static_cast<IClassFactory*>(this);
  return S_OK;
}

ULONG STDMETHODCALLTYPE CComClassFactory::AddRef() {
  const ULONG count = ++m_ref;
  if (count == 2) ComModuleLock();  // the first reference beyond the module's own
  return count;
}

ULONG STDMETHODCALLTYPE CComClassFactory::Release() {
  const ULONG count = --m_ref;
  if (count == 1) ComModuleUnlock();
  if (count == 0) delete this;
  return count;
}

HRESULT STDMETHODCALLTYPE CComClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv) {
  return m_creator(outer, iid, ppv);
}

HRESULT STDMETHODCALLTYPE CComClassFactory::LockServer(BOOL lock) {
  if (lock) ComModuleLock();
  else ComModuleUnlock();
  return S_OK;
}
