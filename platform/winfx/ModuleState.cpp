#include "ModuleState.h"

namespace {

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

// The current state is per thread, as every window of the framework lives on the
// thread that made it.
thread_local AFX_MODULE_STATE* t_current = nullptr;

}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState() {
  static AFX_MODULE_STATE state = {ThisModule(), ThisModule()};
  return &state;
}

AFX_MODULE_STATE* AfxGetAppModuleState() {
  static AFX_MODULE_STATE state = {GetModuleHandleW(nullptr), GetModuleHandleW(nullptr)};
  return &state;
}

AFX_MODULE_STATE* AfxGetModuleState() { return t_current ? t_current : AfxGetAppModuleState(); }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* state) : m_previous(t_current) { t_current = state; }
AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { t_current = m_previous; }
