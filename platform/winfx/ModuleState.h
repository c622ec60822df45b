// Which module's resources the framework's windows are built from. A DLL that shows
// dialogs from its own resources makes its own state current around them:
//     AFX_MANAGE_STATE(AfxGetStaticModuleState());
// and the previous state comes back when the scope ends.
#pragma once

#include <windows.h>

struct AFX_MODULE_STATE {
  HINSTANCE m_hCurrentInstanceHandle;
  HINSTANCE m_hCurrentResourceHandle;
};

// The state of the module this code is linked into (the DLL, or a test program).
AFX_MODULE_STATE* AfxGetStaticModuleState();
// The state of the calling program: what is current when nobody switched.
AFX_MODULE_STATE* AfxGetAppModuleState();
AFX_MODULE_STATE* AfxGetModuleState();
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();

class AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 private:
  AFX_MODULE_STATE* m_previous;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)
