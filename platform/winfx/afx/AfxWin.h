// The application object and module state of an extension DLL: the few pieces
// of the application framework that the add-in's DLL start-up, its dialogs and
// DllCanUnloadNow rely on. Windows only.
#pragma once

#include <windows.h>

class CWinApp;

// Which module's resources and application object the framework uses. Each
// module that links this code has one static state; the current state is per
// thread and switched with AFX_MANAGE_STATE around work done for the module.
// Until a switch, a thread runs under the host program's state, whose instance
// and resource handle are the program's module and which has no application
// object: code of a DLL called from outside therefore finds its own resources
// (a dialog template, say) only after switching to its static state.
struct AFX_MODULE_STATE {
  HINSTANCE m_hCurrentInstanceHandle;
  HINSTANCE m_hCurrentResourceHandle;
  CWinApp* m_pCurrentWinApp;
};

// The state of the module that holds this code.
AFX_MODULE_STATE* AfxGetStaticModuleState();
// The thread's current state (the host program's until a switch).
AFX_MODULE_STATE* AfxGetModuleState();

// Makes a state current for its lifetime and then puts the previous one back.
class AFX_MAINTAIN_STATE {
 public:
  explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state);
  ~AFX_MAINTAIN_STATE();
  AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE&) = delete;
  AFX_MAINTAIN_STATE& operator=(const AFX_MAINTAIN_STATE&) = delete;

 private:
  AFX_MODULE_STATE* m_previous;
};
#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE afxManageState_(state)

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
CWinApp* AfxGetApp();
// Whether the framework's part of the DLL lets the DLL be unloaded: it keeps no
// objects of its own alive, so always S_OK.
HRESULT AfxDllCanUnloadNow();

// The application object: one per module, built when the module loads. Its
// construction makes it the module's application; the module handle is filled in
// when the loader reports the module (DllMain) or, for a program, at start.
class CWinApp {
 public:
  explicit CWinApp(const wchar_t* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return 0; }

  // Records the module handle in the application and the module state.
  void SetModuleInstance(HINSTANCE instance);

  HINSTANCE m_hInstance;
  const wchar_t* m_pszAppName;
};
