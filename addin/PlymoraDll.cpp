// The entry points of Plymora.dll.
#include <windows.h>

#include "PlymoraModule.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    theApp.SetModuleInstance(instance);
    theModule.m_hInstance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary while the process goes on: give back what the
    // module still holds. At process exit the system reclaims it instead.
    theModule.Term();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* ppv) { return theModule.GetClassObject(clsid, iid, ppv); }

STDAPI DllCanUnloadNow() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  return (AfxDllCanUnloadNow() == S_OK && theModule.GetLockCount() == 0) ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() { return theModule.RegisterServer(TRUE); }

STDAPI DllUnregisterServer() { return theModule.UnregisterServer(TRUE); }
