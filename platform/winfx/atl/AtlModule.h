// The DLL module of an in-process COM server: the lock count, the object map and
// the class objects it serves, self-registration through the registry scripts and
// the type library in the module's resources. Windows only.
#pragma once

#include <windows.h>

#include "AtlBase.h"

class CComDllModule {
 public:
  // `map` is the server's object map, ended by a row whose class id is null.
  CComDllModule(const GUID& libid, ComObjectMapEntry* map);
  virtual ~CComDllModule();
  CComDllModule(const CComDllModule&) = delete;
  CComDllModule& operator=(const CComDllModule&) = delete;

  HINSTANCE m_hInstance;  // the module that holds this code
  GUID m_libid;
  // Per-user registration: the type library goes to the user's part of the
  // registry (RegisterTypeLibForUser). Off unless the server sets it.
  bool m_bPerUserRegistration = false;

  LONG Lock();
  LONG Unlock();
  LONG GetLockCount() const { return m_nLockCnt; }

  // The class object for `clsid` (CLASS_E_CLASSNOTAVAILABLE for a class outside
  // the object map).
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv);
  // S_OK when no object and no hold on a class object is left.
  HRESULT CanUnloadNow() const { return m_nLockCnt == 0 ? S_OK : S_FALSE; }

  // Every class of the object map in its order, then the type library. Runs with
  // the thread's locale set to the system default and restores it; stops at the
  // first failure and returns it.
  HRESULT RegisterServer(BOOL bRegTypeLib);
  HRESULT UnregisterServer(BOOL bUnRegTypeLib);

  // Runs the REGISTRY resource `id` of the module with the replacements MODULE
  // (the module's full path) and APPID (empty).
  HRESULT UpdateRegistryFromResource(UINT id, BOOL bRegister);

  // The type library resource 1 of the module file.
  HRESULT RegisterTypeLib();
  HRESULT UnRegisterTypeLib();

  // Releases the class objects and the loaded type information (DLL unload).
  void Term();

  // The module's full file path.
  HRESULT GetModulePath(wchar_t* path, DWORD size) const;

 private:
  ComObjectMapEntry* m_pObjMap;
  LONG m_nLockCnt = 0;
};

// The one module of this binary (null until it is constructed).
extern CComDllModule* g_pComModule;
