#include "AfxWin.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
// Made on first use, so that an application object built at load in another file
// finds it ready whatever the order of construction.
AFX_MODULE_STATE& StaticState() {
  static AFX_MODULE_STATE state = {reinterpret_cast<HINSTANCE>(&__ImageBase),
                                   reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr};
  return state;
}
// The host program's state, current while no switch was made.
AFX_MODULE_STATE& ProgramState() {
  static AFX_MODULE_STATE state = {GetModuleHandleW(nullptr), GetModuleHandleW(nullptr), nullptr};
  return state;
}
thread_local AFX_MODULE_STATE* t_current = nullptr;
}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState() { return &StaticState(); }
AFX_MODULE_STATE* AfxGetModuleState() { return t_current ? t_current : &ProgramState(); }

AFX_MAINTAIN_STATE::AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state) : m_previous(t_current) {
  t_current = state ? state : &StaticState();
}
AFX_MAINTAIN_STATE::~AFX_MAINTAIN_STATE() { t_current = m_previous; }

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }
HRESULT AfxDllCanUnloadNow() { return S_OK; }

CWinApp::CWinApp(const wchar_t* appName)
    : m_hInstance(reinterpret_cast<HINSTANCE>(&__ImageBase)), m_pszAppName(appName) {
  StaticState().m_pCurrentWinApp = this;
}

CWinApp::~CWinApp() {
  if (StaticState().m_pCurrentWinApp == this) StaticState().m_pCurrentWinApp = nullptr;
}

void CWinApp::SetModuleInstance(HINSTANCE instance) {
  m_hInstance = instance;
  StaticState().m_hCurrentInstanceHandle = instance;
  StaticState().m_hCurrentResourceHandle = instance;
}
