#include "DialogDriver.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace standin {
namespace {

// A window of the test thread answers only while that thread pumps messages; a
// bounded wait keeps a stuck thread from stalling the watcher.
constexpr UINT kSendTimeoutMs = 2000;
constexpr DWORD kPollMs = 5;

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
    return 0;
  return static_cast<LRESULT>(result);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  int n = GetClassNameW(window, name, 256);
  return std::wstring(name, n > 0 ? n : 0);
}

std::wstring TextOf(HWND window) {
  LRESULT length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT got = SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

bool IsPushButton(const ControlInfo& c) {
  if (_wcsicmp(c.className.c_str(), L"Button") != 0) return false;
  const DWORD type = c.style & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The message-box icon whose image the icon control shows: 0 when none matches.
int IconStyleOf(HWND iconControl) {
  HICON shown = reinterpret_cast<HICON>(SendBounded(iconControl, STM_GETICON, 0, 0));
  if (!shown) return 0;
  struct Known {
    LPCWSTR id;
    int style;
  };
  static const Known known[] = {{IDI_HAND, MB_ICONHAND},
                                {IDI_QUESTION, MB_ICONQUESTION},
                                {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                                {IDI_ASTERISK, MB_ICONASTERISK}};
  for (const Known& k : known)
    if (LoadIconW(nullptr, k.id) == shown) return k.style;
  return 0;
}

// The MB_OK... value of a set of button ids; -1 when no message box shows that set.
int ButtonStyleOf(std::vector<int> ids) {
  std::sort(ids.begin(), ids.end());
  struct Known {
    std::vector<int> ids;
    int style;
  };
  static const Known known[] = {{{IDOK}, MB_OK},
                                {{IDOK, IDCANCEL}, MB_OKCANCEL},
                                {{IDABORT, IDRETRY, IDIGNORE}, MB_ABORTRETRYIGNORE},
                                {{IDCANCEL, IDYES, IDNO}, MB_YESNOCANCEL},
                                {{IDYES, IDNO}, MB_YESNO},
                                {{IDCANCEL, IDRETRY}, MB_RETRYCANCEL}};
  for (const Known& k : known) {
    std::vector<int> sorted = k.ids;
    std::sort(sorted.begin(), sorted.end());
    if (sorted == ids) return k.style;
  }
  return -1;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Quote(const WindowInfo& w) { return L"'" + w.caption + L"' (" + w.className + L")"; }

}  // namespace

const ControlInfo* WindowInfo::Control(int id) const {
  for (const ControlInfo& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

bool WindowMatch::Matches(const WindowInfo& info) const {
  if (!className.empty() && _wcsicmp(className.c_str(), info.className.c_str()) != 0) return false;
  if (!caption.empty() && caption != info.caption) return false;
  return !predicate || predicate(info);
}

std::wstring WindowMatch::Describe() const {
  std::wstring d = L"a window";
  if (!caption.empty()) d += L" captioned '" + caption + L"'";
  if (!className.empty()) d += L" of class " + className;
  if (predicate) d += L" (with further conditions)";
  return d;
}

WindowInfo ReadWindow(HWND window) {
  WindowInfo info;
  info.hwnd = window;
  info.className = ClassOf(window);
  info.caption = TextOf(window);
  info.owner = GetWindow(window, GW_OWNER);
  info.windowStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  info.windowExStyle = static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
  int iconStyle = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ControlInfo c;
    c.id = GetDlgCtrlID(child);
    c.className = ClassOf(child);
    c.style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    c.visible = (c.style & WS_VISIBLE) != 0;
    c.enabled = (c.style & WS_DISABLED) == 0;
    const bool isStatic = _wcsicmp(c.className.c_str(), L"Static") == 0;
    const bool isIcon = isStatic && (c.style & SS_TYPEMASK) == SS_ICON;
    if (!isIcon) c.text = TextOf(child);
    if (_wcsicmp(c.className.c_str(), L"Button") == 0) c.check = SendBounded(child, BM_GETCHECK, 0, 0);
    if (isIcon && c.visible && !iconStyle) iconStyle = IconStyleOf(child);
    if (isStatic && c.id == 0xFFFF && !isIcon) info.text = c.text;
    if (IsPushButton(c) && c.visible) info.buttonIds.push_back(c.id);
    info.controls.push_back(std::move(c));
  }
  const int buttons = ButtonStyleOf(info.buttonIds);
  info.shownMessageBoxStyle = buttons < 0 ? -1 : (iconStyle | buttons);
  return info;
}

std::vector<HWND> VisibleTopLevelWindows(DWORD threadId) {
  std::vector<HWND> windows;
  EnumThreadWindows(
      threadId,
      [](HWND w, LPARAM p) -> BOOL {
        if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

WindowAction ClickButton(int id) {
  return [id](HWND window) {
    HWND button = GetDlgItem(window, id);
    if (button) {
      // A user cannot press a disabled or hidden button.
      if (!IsWindowEnabled(button) || !IsWindowVisible(button)) return false;
      SendBounded(button, BM_CLICK, 0, 0);
      return true;
    }
    // A dialog without the button still takes the command, as from the keyboard.
    if (id == IDOK || id == IDCANCEL)
      return PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) != 0;
    return false;
  };
}

WindowAction SetCheck(int id, bool checked) {
  return [id, checked](HWND window) {
    HWND button = GetDlgItem(window, id);
    if (!button) return false;
    const DWORD type = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE)) & BS_TYPEMASK;
    if (checked && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) {
      // Clear the other radio buttons of the group, as a click on this one would.
      // A group can hold other controls too (check boxes between its radio
      // buttons): those keep their state.
      for (HWND other = GetNextDlgGroupItem(window, button, FALSE); other && other != button;
           other = GetNextDlgGroupItem(window, other, FALSE)) {
        const DWORD otherType = static_cast<DWORD>(GetWindowLongW(other, GWL_STYLE)) & BS_TYPEMASK;
        if ((SendBounded(other, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) &&
            (otherType == BS_RADIOBUTTON || otherType == BS_AUTORADIOBUTTON))
          SendBounded(other, BM_SETCHECK, BST_UNCHECKED, 0);
      }
    }
    SendBounded(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    SendBounded(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
  };
}

WindowAction SelectComboItem(int id, int index) {
  return [id, index](HWND window) {
    HWND combo = GetDlgItem(window, id);
    if (!combo) return false;
    if (SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index) return false;
    SendBounded(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
  };
}

WindowAction SetControlText(int id, const std::wstring& text) {
  return [id, text](HWND window) {
    HWND control = GetDlgItem(window, id);
    if (!control) return false;
    return SendBounded(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
  };
}

WindowAction CloseWindow() {
  return [](HWND window) { return PostMessageW(window, WM_CLOSE, 0, 0) != 0; };
}

WindowAction Steps(std::vector<WindowAction> actions) {
  return [actions](HWND window) {
    for (const WindowAction& a : actions)
      if (!a(window)) return false;
    return true;
  };
}

WindowAction LeaveOpen() {
  return [](HWND) { return true; };
}

std::string DialogReport::Describe() const {
  std::string out;
  for (const std::wstring& f : failures) out += Utf8(f) + "\n";
  return out;
}

DialogDriver::DialogDriver(DWORD stepTimeoutMs, DWORD threadId) : m_threadId(threadId), m_stepTimeoutMs(stepTimeoutMs) {}

DialogDriver::~DialogDriver() {
  if (!m_finished) Finish();
}

DialogDriver& DialogDriver::Expect(WindowMatch match, WindowAction action) {
  // The watcher reads the steps without a lock: they are fixed once it runs.
  if (m_watcher.joinable() || m_finished) throw std::logic_error("DialogDriver: steps are added before Start");
  m_steps.push_back({std::move(match), std::move(action)});
  return *this;
}

DialogDriver& DialogDriver::Answer(WindowMatch match, WindowAction action) {
  if (m_watcher.joinable() || m_finished) throw std::logic_error("DialogDriver: answers are added before Start");
  m_answers.push_back({std::move(match), std::move(action)});
  return *this;
}

void DialogDriver::Start() {
  if (!m_watcher.joinable() && !m_finished) m_watcher = std::thread([this] { Watch(); });
}

DialogReport DialogDriver::Finish() {
  m_stop = true;
  if (m_watcher.joinable()) m_watcher.join();
  m_finished = true;
  std::lock_guard<std::mutex> guard(m_lock);
  return m_report;
}

void DialogDriver::Fail(std::wstring text) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_report.failures.push_back(std::move(text));
}

bool DialogDriver::WaitGone(HWND window, DWORD timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(kPollMs);
  }
  return true;
}

void DialogDriver::ForceClose(HWND window) {
  // WM_CLOSE ends most windows; a dialog that ignores it still takes IDCANCEL,
  // and a message box with only OK takes IDOK.
  const UINT tries[][2] = {{WM_CLOSE, 0}, {WM_COMMAND, IDCANCEL}, {WM_COMMAND, IDOK}};
  for (const auto& t : tries) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return;
    PostMessageW(window, t[0], t[0] == WM_COMMAND ? MAKEWPARAM(t[1], BN_CLICKED) : 0, 0);
    if (WaitGone(window, 500)) return;
  }
}

DialogDriver& DialogDriver::Ignore(std::wstring className) {
  m_ignored.push_back(std::move(className));
  return *this;
}

void DialogDriver::Watch() {
  auto handled = [this](HWND w) {
    for (HWND h : m_handled)
      if (h == w) return true;
    if (m_ignored.empty()) return false;
    wchar_t cls[256] = {};
    GetClassNameW(w, cls, 256);  // no message: safe while the window's thread is busy
    for (const auto& ignored : m_ignored)
      if (ignored == cls) return true;
    return false;
  };
  // Forget windows that are gone, so that a reused handle counts as a new window.
  auto prune = [this] {
    std::vector<HWND> alive;
    for (HWND h : m_handled)
      if (IsWindow(h) && IsWindowVisible(h)) alive.push_back(h);
    m_handled.swap(alive);
  };

  size_t step = 0;
  auto stepStart = std::chrono::steady_clock::now();
  while (true) {
    prune();
    const bool stopping = StopRequested();
    bool acted = false;
    for (HWND w : VisibleTopLevelWindows(m_threadId)) {
      if (handled(w)) continue;
      WindowInfo info = ReadWindow(w);
      if (step < m_steps.size() && m_steps[step].match.Matches(info)) {
        m_handled.push_back(w);
        {
          std::lock_guard<std::mutex> guard(m_lock);
          m_report.seen.push_back(info);
        }
        const bool done = m_steps[step].action(w);
        if (!done) Fail(L"step " + std::to_wstring(step + 1) + L": the action failed on " + Quote(info));
        if (!WaitGone(w, m_stepTimeoutMs)) {
          Fail(L"step " + std::to_wstring(step + 1) + L": " + Quote(info) + L" stayed open after the action");
          ForceClose(w);
        }
        ++step;
        stepStart = std::chrono::steady_clock::now();
        acted = true;
        break;
      }
      const Step* answer = nullptr;
      for (const Step& a : m_answers) {
        if (a.match.Matches(info)) {
          answer = &a;
          break;
        }
      }
      if (answer) {
        m_handled.push_back(w);
        {
          std::lock_guard<std::mutex> guard(m_lock);
          m_report.answered.push_back(info);
        }
        if (!answer->action(w)) Fail(L"answer: the action failed on " + Quote(info));
        if (!WaitGone(w, m_stepTimeoutMs)) {
          Fail(L"answer: " + Quote(info) + L" stayed open after the action");
          ForceClose(w);
        }
        // A pending step's window may follow this one: its wait starts again.
        stepStart = std::chrono::steady_clock::now();
        acted = true;
        break;
      }
      if (step >= m_steps.size()) {
        // Every step is done: this window was not asked for.
        m_handled.push_back(w);
        {
          std::lock_guard<std::mutex> guard(m_lock);
          m_report.unexpected.push_back(info);
        }
        Fail(L"unexpected window " + Quote(info) + L" text '" + info.text + L"'");
        ForceClose(w);
        acted = true;
        break;
      }
    }
    if (acted) continue;
    if (stopping) break;
    if (step < m_steps.size() &&
        std::chrono::steady_clock::now() - stepStart >= std::chrono::milliseconds(m_stepTimeoutMs)) {
      Fail(L"step " + std::to_wstring(step + 1) + L": timed out waiting for " + m_steps[step].match.Describe());
      // Whatever the thread shows instead is what blocks it: close it.
      for (HWND w : VisibleTopLevelWindows(m_threadId)) {
        if (handled(w)) continue;
        WindowInfo info = ReadWindow(w);
        {
          std::lock_guard<std::mutex> guard(m_lock);
          m_report.unexpected.push_back(info);
        }
        Fail(L"unexpected window " + Quote(info) + L" text '" + info.text + L"'");
        m_handled.push_back(w);
        ForceClose(w);
      }
      step = m_steps.size();  // the remaining steps cannot follow a missing window
      continue;
    }
    Sleep(kPollMs);
  }
  for (; step < m_steps.size(); ++step)
    Fail(L"step " + std::to_wstring(step + 1) + L": never saw " + m_steps[step].match.Describe());
}

DialogReport RunAnswering(std::vector<std::pair<WindowMatch, WindowAction>> steps, const std::function<void()>& code,
                          DWORD stepTimeoutMs) {
  DialogDriver driver(stepTimeoutMs);
  for (auto& s : steps) driver.Expect(std::move(s.first), std::move(s.second));
  driver.Start();
  code();
  return driver.Finish();
}

}  // namespace standin
