// Drives the modal windows that code under test opens on its own thread: message
// boxes, dialogs, the file dialog. While the test thread blocks in the window's
// modal loop, a watcher thread finds the window among the test thread's visible
// top-level windows, records what it shows and acts on it like a user would.
//
//   standin::DialogDriver driver;                       // watches the calling thread
//   driver.Expect({L"#32770", L"Incompatible SolidWorks Version"},
//                 standin::ClickButton(IDOK));
//   driver.Start();
//   BOOL same = CheckSWVersion(app, 13);                // blocks until OK is pressed
//   standin::DialogReport report = driver.Finish();
//   EXPECT_TRUE(report.Ok()) << report.Describe();
//   EXPECT_EQ(report.seen[0].text, L"...");
//
// A test never hangs on a window: a step that does not see its window within the
// step timeout, an action that does not close the window, and any window that no
// step expects are recorded as failures and the windows are closed by force
// (WM_CLOSE, then IDCANCEL, then IDOK).
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace standin {

struct ControlInfo {
  int id = 0;
  std::wstring className;
  std::wstring text;
  DWORD style = 0;
  bool visible = false;
  bool enabled = false;
  LRESULT check = 0;  // BM_GETCHECK for buttons, else 0
};

// What a top-level window shows, read from the real window.
struct WindowInfo {
  HWND hwnd = nullptr;
  std::wstring className;
  std::wstring caption;
  // The message text of a message box: its static control with id 0xFFFF; empty
  // when the window has no such control.
  std::wstring text;
  HWND owner = nullptr;  // GetWindow(GW_OWNER): 0 for an owner-less window
  DWORD windowStyle = 0;
  DWORD windowExStyle = 0;
  std::vector<ControlInfo> controls;  // every child window, in z-order
  std::vector<int> buttonIds;         // visible push buttons, in z-order
  // The MessageBoxW style the window shows: an MB_ICON* value (0x10, 0x20, 0x30,
  // 0x40, or 0 without an icon) found by comparing the icon control's image with
  // the system icons, plus the MB_OK... value (0 to 5) of the visible button set.
  // The icon and the buttons are not part of the window style, so this is read
  // from what the window shows. -1 when the buttons form no message-box set.
  int shownMessageBoxStyle = -1;

  const ControlInfo* Control(int id) const;
};

// Which window a step waits for; an empty field matches anything.
struct WindowMatch {
  std::wstring className;  // e.g. L"#32770" for dialogs and message boxes
  std::wstring caption;    // the exact caption
  std::function<bool(const WindowInfo&)> predicate;  // further conditions

  bool Matches(const WindowInfo& info) const;
  std::wstring Describe() const;
};

// An action on the found window, run on the watcher thread. It returns false when
// it could not do its part (a missing control); the step then fails and the window
// is closed by force.
using WindowAction = std::function<bool(HWND window)>;

// Presses a push button with BM_CLICK; fails on a disabled or hidden button. A
// missing IDOK or IDCANCEL button gets the WM_COMMAND the key would send.
WindowAction ClickButton(int id);
// Sets a check box or radio button (BM_SETCHECK, then the BN_CLICKED notification);
// for a radio button the others of its group are cleared first.
WindowAction SetCheck(int id, bool checked);
// Selects a combo box item by index (CB_SETCURSEL, then CBN_SELCHANGE).
WindowAction SelectComboItem(int id, int index);
// Replaces a control's text (WM_SETTEXT), e.g. the file name of the open-file
// dialog: its file-name box is control 0x47C (cmb13); then ClickButton(IDOK).
WindowAction SetControlText(int id, const std::wstring& text);
// Posts WM_CLOSE to the window.
WindowAction CloseWindow();
// Runs actions in order; stops at the first that fails.
WindowAction Steps(std::vector<WindowAction> actions);
// Records the window and does nothing; the code under test must close it itself.
WindowAction LeaveOpen();

// Reads what a window shows; safe on windows of other threads (every message is
// sent with a timeout).
WindowInfo ReadWindow(HWND window);
// The visible top-level windows of a thread, in z-order.
std::vector<HWND> VisibleTopLevelWindows(DWORD threadId);

struct DialogReport {
  std::vector<WindowInfo> seen;        // the window of each step that saw one, in order
  std::vector<WindowInfo> answered;    // windows a standing answer took, in order
  std::vector<WindowInfo> unexpected;  // windows no step expected (closed by force)
  std::vector<std::wstring> failures;  // one text per failure; empty when all went well
  bool Ok() const { return failures.empty(); }
  std::string Describe() const;        // the failures as UTF-8 lines, for test messages
};

class DialogDriver {
 public:
  static constexpr DWORD kDefaultStepTimeoutMs = 10000;

  // Watches the windows of `threadId` (by default the constructing thread).
  explicit DialogDriver(DWORD stepTimeoutMs = kDefaultStepTimeoutMs, DWORD threadId = GetCurrentThreadId());
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;
  ~DialogDriver();  // finishes when the test did not

  // Adds a step (before Start): wait for a matching window, record it, run the
  // action and wait until the window is gone.
  DialogDriver& Expect(WindowMatch match, WindowAction action);
  // Leaves windows of this class alone (before Start): neither expected nor
  // unexpected, e.g. the progress windows that come and go during an import.
  DialogDriver& Ignore(std::wstring className);
  // Adds a standing answer (before Start): every matching window, whenever it
  // shows and however often, gets the action; such windows are no failure.
  DialogDriver& Answer(WindowMatch match, WindowAction action);
  void Start();
  // Stops watching (a step still waiting then fails) and gives the report.
  DialogReport Finish();

 private:
  struct Step {
    WindowMatch match;
    WindowAction action;
  };
  void Watch();
  void Fail(std::wstring text);
  bool WaitGone(HWND window, DWORD timeoutMs);
  void ForceClose(HWND window);
  bool StopRequested() const { return m_stop.load(); }

  DWORD m_threadId;
  DWORD m_stepTimeoutMs;
  std::vector<Step> m_steps;
  std::vector<Step> m_answers;
  std::vector<HWND> m_handled;
  std::vector<std::wstring> m_ignored;
  std::thread m_watcher;
  std::atomic<bool> m_stop{false};
  std::mutex m_lock;  // guards m_report
  DialogReport m_report;
  bool m_finished = false;
};

// Runs `code` on the calling thread while a driver answers the windows of the steps.
DialogReport RunAnswering(std::vector<std::pair<WindowMatch, WindowAction>> steps, const std::function<void()>& code,
                          DWORD stepTimeoutMs = DialogDriver::kDefaultStepTimeoutMs);

}  // namespace standin

#endif  // _WIN32
