// Remembers the titles of the top-level windows of one class that the thread
// creates while the object lives (a CBT hook on the thread).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testwin {

class WindowsCreated {
 public:
  explicit WindowsCreated(const wchar_t* className) {
    s_self = this;
    m_class = className;
    m_hook = SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
  }
  ~WindowsCreated() {
    UnhookWindowsHookEx(m_hook);
    s_self = nullptr;
  }
  WindowsCreated(const WindowsCreated&) = delete;
  WindowsCreated& operator=(const WindowsCreated&) = delete;
  std::vector<std::wstring> titles;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && s_self) {
      const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
      if (!IS_INTRESOURCE(cs->lpszClass) && s_self->m_class == cs->lpszClass)
        s_self->titles.push_back(cs->lpszName ? cs->lpszName : L"");
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline WindowsCreated* s_self = nullptr;
  std::wstring m_class;
  HHOOK m_hook;
};

}  // namespace testwin
