#include "ZTKProgressWindow.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kClassName[] = L"ZTKProgressWindow";
constexpr int kBarSteps = 1000;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The window belongs to the work in progress: the close box does not end it.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterOnce() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ThisModule();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

bool ZTKProgressWindow::Open(const CString& title, const CString& status, HWND parent) {
  Close();
  if (!RegisterOnce()) return false;
  const int width = 420, height = 120;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  m_window = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, title, WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y, width,
                             height, parent, nullptr, ThisModule(), nullptr);
  if (!m_window) return false;
  RECT client;
  GetClientRect(m_window, &client);
  m_status = CreateWindowExW(0, L"STATIC", status, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_ENDELLIPSIS, 12, 10,
                             client.right - 24, 20, m_window, nullptr, ThisModule(), nullptr);
  m_bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 12, 40, client.right - 24, 20, m_window,
                          nullptr, ThisModule(), nullptr);
  SendMessageW(m_status, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SendMessageW(m_bar, PBM_SETRANGE32, 0, kBarSteps);
  m_shownPosition = 0;
  Repaint();
  return true;
}

void ZTKProgressWindow::SetStatus(const CString& status) {
  if (!m_window) return;
  SetWindowTextW(m_status, status);
  Repaint();
}

void ZTKProgressWindow::SetProgress(double done, double total) {
  if (!m_window) return;
  int position = 0;
  if (total > 0.0) {
    const double fraction = done / total;
    position = fraction >= 1.0 ? kBarSteps : fraction <= 0.0 ? 0 : static_cast<int>(fraction * kBarSteps);
  }
  if (position == m_shownPosition) return;  // a million steps must not mean a million repaints
  m_shownPosition = position;
  SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  Repaint();
}

void ZTKProgressWindow::Repaint() {
  RedrawWindow(m_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  // Now and then let the window answer the system (moves, activation), so it is
  // not taken for hung while the work holds the thread.
  const DWORD now = GetTickCount();
  if (now - m_lastPump < 100) return;
  m_lastPump = now;
  MSG msg;
  while (PeekMessageW(&msg, m_window, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

void ZTKProgressWindow::Close() {
  if (m_window) DestroyWindow(m_window);
  m_window = m_status = m_bar = nullptr;
  m_shownPosition = -1;
}

// The progress object's backend in the Windows build: the window opens at Start
// and closes at End, or when the backend goes with its progress object.
#include "CWnd.h"
#include "ZTKProgress.h"

namespace {

class WindowBackend : public ZTKProgressBackend {
 public:
  WindowBackend(const CString& title, const CString& status, double low, double high, CWnd* parent)
      : m_title(title), m_status(status), m_low(low), m_high(high), m_parent(parent ? parent->GetSafeHwnd() : nullptr) {}
  void SetMax(double max) override {
    m_high = max;
    Show();
  }
  void Start() override {
    m_done = m_low;
    m_window.Open(m_title, m_status, m_parent);
    Show();
  }
  void Step(double step) override {
    m_done += step;
    Show();
  }
  void SetStatus(const CString& status) override {
    m_status = status;
    m_window.SetStatus(status);
  }
  void End() override { m_window.Close(); }

 private:
  void Show() { m_window.SetProgress(m_done - m_low, m_high - m_low); }
  CString m_title, m_status;
  double m_low, m_high, m_done = 0.0;
  HWND m_parent;
  ZTKProgressWindow m_window;
};

}  // namespace

std::unique_ptr<ZTKProgressBackend> ZTKCreateProgressBackend(const CString& title, const CString& status, double low,
                                                             double high, CWnd* parent) {
  return std::make_unique<WindowBackend>(title, status, low, high, parent);
}
