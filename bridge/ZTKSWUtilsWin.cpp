// The Windows-only part of the host utilities: the main window as a framework
// object, the version guard and the active pop-up window.
#include <windows.h>

#include "ZTKSWUtils.h"

CWnd* GetSWMainCWnd(HostApplication* app) {
  // GetSWMainWindow makes the frame and handle calls and releases the frame; a
  // failure of either gives 0, as does a handle of 0, and 0 has no window object.
  HWND window = GetSWMainWindow(app);
  return window ? CWnd::FromHandle(window) : nullptr;
}

BOOL CheckSWVersion(HostApplication* app, int expectedIndex) {
  if (GetSWVersionIndex(app) == expectedIndex) return TRUE;
  // The callers pass a row of the table; any other index would read past it.
  const int row = expectedIndex >= 0 && expectedIndex < 15 ? expectedIndex : 0;
  CString message;
  message.Format(L"This add-in is designed to work with %s only", SWVersionNames[row].GetString());
  MessageBoxW(nullptr, message, L"Incompatible SolidWorks Version", MB_ICONWARNING);
  return FALSE;
}

HWND GetActivePopupWindow() {
  HWND active = GetActiveWindow();
  return active ? GetLastActivePopup(active) : nullptr;
}
