// The progress window of the Windows build: a small captioned window with a status
// line and a progress bar. The work it reports runs on the same thread and pumps
// no messages, so the window repaints itself whenever its content changes.
#pragma once

#include <windows.h>

#include "CString.h"

class ZTKProgressWindow {
 public:
  ZTKProgressWindow() = default;
  ~ZTKProgressWindow() { Close(); }
  ZTKProgressWindow(const ZTKProgressWindow&) = delete;
  ZTKProgressWindow& operator=(const ZTKProgressWindow&) = delete;

  // Shows the window; false when it cannot be made.
  bool Open(const CString& title, const CString& status, HWND parent);
  void SetStatus(const CString& status);
  // Moves the bar to `done` of `total` items; repaints only when the bar moves.
  void SetProgress(double done, double total);
  void Close();
  HWND Handle() const { return m_window; }

 private:
  void Repaint();
  HWND m_window = nullptr;
  HWND m_status = nullptr;
  HWND m_bar = nullptr;
  int m_shownPosition = -1;
  DWORD m_lastPump = 0;
};
