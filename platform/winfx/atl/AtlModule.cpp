#include "AtlModule.h"

#include <oleauto.h>

#include <string>

#include "AtlCom.h"
#include "AtlRegistrar.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

CComDllModule* g_pComModule = nullptr;

LONG ComModuleLock() { return g_pComModule ? g_pComModule->Lock() : 0; }
LONG ComModuleUnlock() { return g_pComModule ? g_pComModule->Unlock() : 0; }
HINSTANCE ComModuleInstance() {
  return g_pComModule ? g_pComModule->m_hInstance : reinterpret_cast<HINSTANCE>(&__ImageBase);
}

CComDllModule::CComDllModule(const GUID& libid, ComObjectMapEntry* map)
    : m_hInstance(reinterpret_cast<HINSTANCE>(&__ImageBase)), m_libid(libid), m_pObjMap(map) {
  g_pComModule = this;
}

CComDllModule::~CComDllModule() {
  if (g_pComModule == this) g_pComModule = nullptr;
}

LONG CComDllModule::Lock() { return InterlockedIncrement(&m_nLockCnt); }

LONG CComDllModule::Unlock() {
  // An unlock without a lock (a client's stray LockServer(FALSE)) must not make the
  // count negative, or the DLL could never be unloaded again.
  LONG count = m_nLockCnt;
  while (count > 0) {
    const LONG seen = InterlockedCompareExchange(&m_nLockCnt, count - 1, count);
    if (seen == count) return count - 1;
    count = seen;
  }
  return 0;
}

HRESULT CComDllModule::GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  for (ComObjectMapEntry* e = m_pObjMap; e && e->pclsid; ++e) {
    if (!IsEqualCLSID(clsid, *e->pclsid)) continue;
    if (!e->pCF) {
      auto* factory = new (std::nothrow) CComClassFactory(e->pfnCreateInstance);
      if (!factory) return E_OUTOFMEMORY;
      factory->AddRef();  // the module's reference, kept until Term
      e->pCF = factory;
    }
    return e->pCF->QueryInterface(iid, ppv);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

namespace {
// The per-user type-library functions, looked up in OLEAUT32.DLL when needed.
using RegisterForUserFn = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);
using UnRegisterForUserFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

template <class Fn>
Fn OleAutFunction(const char* name) {
  HMODULE oleaut = GetModuleHandleW(L"oleaut32.dll");
  if (!oleaut) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(oleaut, name)));
}

// The thread's locale is switched for the registration and put back on every path.
class ThreadLocaleScope {
 public:
  ThreadLocaleScope() : m_old(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
  ~ThreadLocaleScope() { SetThreadLocale(m_old); }
  ThreadLocaleScope(const ThreadLocaleScope&) = delete;
  ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

 private:
  LCID m_old;
};
}  // namespace

HRESULT CComDllModule::RegisterServer(BOOL bRegTypeLib) {
  ThreadLocaleScope locale;
  HRESULT hr = S_OK;
  for (ComObjectMapEntry* e = m_pObjMap; e && e->pclsid; ++e) {
    hr = e->pfnUpdateRegistry(TRUE);
    if (FAILED(hr)) return hr;
    // The classes of this server have no component categories to register.
  }
  if (bRegTypeLib) hr = RegisterTypeLib();
  return hr;
}

HRESULT CComDllModule::UnregisterServer(BOOL bUnRegTypeLib) {
  ThreadLocaleScope locale;
  HRESULT hr = S_OK;
  for (ComObjectMapEntry* e = m_pObjMap; e && e->pclsid; ++e) {
    hr = e->pfnUpdateRegistry(FALSE);
    if (FAILED(hr)) return hr;
  }
  if (bUnRegTypeLib) hr = UnRegisterTypeLib();
  return hr;
}

HRESULT CComDllModule::GetModulePath(wchar_t* path, DWORD size) const {
  const DWORD n = GetModuleFileNameW(m_hInstance, path, size);
  if (n == 0) return HRESULT_FROM_WIN32(GetLastError());
  if (n >= size) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  return S_OK;
}

HRESULT CComDllModule::UpdateRegistryFromResource(UINT id, BOOL bRegister) {
  wchar_t path[MAX_PATH];
  HRESULT hr = GetModulePath(path, MAX_PATH);
  if (FAILED(hr)) return hr;
  CRegistrar registrar;
  registrar.AddReplacement(L"MODULE", path);
  registrar.AddReplacement(L"APPID", L"");
  return bRegister ? registrar.ResourceRegister(m_hInstance, id, L"REGISTRY")
                   : registrar.ResourceUnregister(m_hInstance, id, L"REGISTRY");
}

HRESULT CComDllModule::RegisterTypeLib() {
  wchar_t path[MAX_PATH];
  HRESULT hr = GetModulePath(path, MAX_PATH);
  if (FAILED(hr)) return hr;
  ITypeLib* lib = nullptr;
  hr = LoadTypeLibEx(path, REGKIND_NONE, &lib);
  if (FAILED(hr)) return hr;
  // The help folder is the folder of the library's help file, when it names one.
  std::wstring helpDir;
  BSTR helpFile = nullptr;
  if (SUCCEEDED(lib->GetDocumentation(-1, nullptr, nullptr, nullptr, &helpFile)) && helpFile &&
      SysStringLen(helpFile) > 0) {
    helpDir.assign(helpFile, SysStringLen(helpFile));
    const size_t slash = helpDir.find_last_of(L"\\/");
    helpDir = slash == std::wstring::npos ? std::wstring() : helpDir.substr(0, slash + 1);
  }
  SysFreeString(helpFile);
  wchar_t* dir = helpDir.empty() ? nullptr : helpDir.data();
  if (m_bPerUserRegistration) {
    auto registerForUser = OleAutFunction<RegisterForUserFn>("RegisterTypeLibForUser");
    hr = registerForUser ? registerForUser(lib, path, dir) : E_NOTIMPL;
  } else {
    hr = ::RegisterTypeLib(lib, path, dir);
  }
  lib->Release();
  return hr;
}

HRESULT CComDllModule::UnRegisterTypeLib() {
  wchar_t path[MAX_PATH];
  HRESULT hr = GetModulePath(path, MAX_PATH);
  if (FAILED(hr)) return hr;
  ITypeLib* lib = nullptr;
  hr = LoadTypeLibEx(path, REGKIND_NONE, &lib);
  if (FAILED(hr)) return hr;
  TLIBATTR* attr = nullptr;
  hr = lib->GetLibAttr(&attr);
  if (SUCCEEDED(hr)) {
    const TLIBATTR a = *attr;
    lib->ReleaseTLibAttr(attr);
    if (m_bPerUserRegistration) {
      auto unregisterForUser = OleAutFunction<UnRegisterForUserFn>("UnRegisterTypeLibForUser");
      hr = unregisterForUser ? unregisterForUser(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind)
                             : E_NOTIMPL;
    } else {
      hr = ::UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
    }
  }
  lib->Release();
  return hr;
}

void CComDllModule::Term() {
  for (ComObjectMapEntry* e = m_pObjMap; e && e->pclsid; ++e) {
    if (IClassFactory* factory = e->pCF) {
      e->pCF = nullptr;
      factory->Release();
    }
  }
  CComTypeInfoHolder::ClearAll();
}
