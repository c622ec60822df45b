// The dialog driver against real message boxes and dialogs under Wine: what it
// reads from a window, how it answers it, and that no window can make a test hang.
#include "DialogDriver.h"

#include <commdlg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

using standin::ClickButton;
using standin::DialogDriver;
using standin::DialogReport;
using standin::RunAnswering;
using standin::WindowMatch;

namespace {

const WindowMatch kAnyDialog{L"#32770", L"", nullptr};

TEST(DialogDriverMessageBox, ReadsWhatTheBoxShowsAndPressesItsButton) {
  struct Case {
    UINT style;
    int press;
    int shownStyle;
    std::vector<int> buttons;
  };
  const Case cases[] = {
      {MB_OK | MB_ICONWARNING, IDOK, 0x30, {IDOK}},
      {MB_OK, IDOK, 0x00, {IDOK}},
      {MB_OKCANCEL | MB_ICONQUESTION, IDCANCEL, 0x21, {IDOK, IDCANCEL}},
      {MB_YESNO | MB_ICONHAND, IDNO, 0x14, {IDYES, IDNO}},
      {MB_YESNOCANCEL | MB_ICONASTERISK, IDYES, 0x43, {IDYES, IDNO, IDCANCEL}},
      {MB_RETRYCANCEL | MB_ICONWARNING, IDRETRY, 0x35, {IDRETRY, IDCANCEL}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "style 0x" << std::hex << c.style);
    int answer = 0;
    DialogReport r = RunAnswering({{{L"#32770", L"Box caption", nullptr}, ClickButton(c.press)}},
                                  [&] { answer = MessageBoxW(nullptr, L"Line one\nline two", L"Box caption", c.style); });
    ASSERT_TRUE(r.Ok()) << r.Describe();
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(answer, c.press);
    EXPECT_EQ(r.seen[0].caption, L"Box caption");
    EXPECT_EQ(r.seen[0].text, L"Line one\nline two");
    EXPECT_EQ(r.seen[0].owner, nullptr);
    EXPECT_EQ(r.seen[0].shownMessageBoxStyle, c.shownStyle);
    std::vector<int> buttons = r.seen[0].buttonIds, expected = c.buttons;
    std::sort(buttons.begin(), buttons.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(buttons, expected);
  }
}

TEST(DialogDriverMessageBox, ReportsTheOwnerWindow) {
  HWND owner = CreateWindowExW(0, L"Static", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(owner, nullptr);
  DialogReport r = RunAnswering({{kAnyDialog, ClickButton(IDOK)}},
                                [&] { MessageBoxW(owner, L"text", L"caption", MB_ICONWARNING); });
  DestroyWindow(owner);
  ASSERT_TRUE(r.Ok()) << r.Describe();
  ASSERT_EQ(r.seen.size(), 1u);
  EXPECT_EQ(r.seen[0].owner, owner);
}

TEST(DialogDriverMessageBox, AnswersBoxesInTurn) {
  std::vector<int> answers;
  DialogReport r = RunAnswering({{{L"", L"first", nullptr}, ClickButton(IDCANCEL)},
                                 {{L"", L"second", nullptr}, ClickButton(IDOK)}},
                                [&] {
                                  answers.push_back(MessageBoxW(nullptr, L"1", L"first", MB_OKCANCEL));
                                  answers.push_back(MessageBoxW(nullptr, L"2", L"second", MB_OKCANCEL));
                                });
  ASSERT_TRUE(r.Ok()) << r.Describe();
  EXPECT_EQ(answers, (std::vector<int>{IDCANCEL, IDOK}));
  ASSERT_EQ(r.seen.size(), 2u);
  EXPECT_EQ(r.seen[1].text, L"2");
}

TEST(DialogDriverMessageBox, StandingAnswersTakeRepeatedWindowsBetweenSteps) {
  DialogDriver driver(2000);
  driver.Answer({L"", L"nag", nullptr}, ClickButton(IDCANCEL));
  driver.Expect({L"", L"final", nullptr}, ClickButton(IDOK));
  driver.Start();
  std::vector<int> answers;
  for (const wchar_t* caption : {L"nag", L"nag", L"final", L"nag"})
    answers.push_back(MessageBoxW(nullptr, L"?", caption, MB_OKCANCEL));
  DialogReport r = driver.Finish();
  ASSERT_TRUE(r.Ok()) << r.Describe();
  EXPECT_EQ(answers, (std::vector<int>{IDCANCEL, IDCANCEL, IDOK, IDCANCEL}));
  EXPECT_EQ(r.answered.size(), 3u);
  ASSERT_EQ(r.seen.size(), 1u);
  EXPECT_EQ(r.seen[0].caption, L"final");
  EXPECT_THROW(driver.Answer({}, ClickButton(IDOK)), std::logic_error) << "answers are fixed once it ran";
}

// Every way a window could block the test ends in a recorded failure and a closed
// window, within the step timeout.
TEST(DialogDriverNeverHangs, FailsAndClosesWhatItDidNotExpect) {
  struct Case {
    const char* name;
    std::vector<std::pair<WindowMatch, standin::WindowAction>> steps;
    bool showBox;
    const wchar_t* failureStart;
    size_t unexpected;
  };
  std::vector<Case> cases;
  cases.push_back({"a box no step asks for", {}, true, L"unexpected window", 1});
  cases.push_back({"a box with another caption", {{{L"", L"other", nullptr}, ClickButton(IDOK)}}, true,
                   L"step 1: timed out", 1});
  cases.push_back({"an action that leaves the box open", {{kAnyDialog, standin::LeaveOpen()}}, true,
                   L"step 1: 'Stuck'", 0});
  cases.push_back({"a missing control", {{kAnyDialog, standin::SetCheck(1234, true)}}, true,
                   L"step 1: the action failed", 0});
  cases.push_back({"a window that never comes", {{kAnyDialog, ClickButton(IDOK)}}, false, L"step 1: never saw", 0});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    int answer = -2;
    DialogReport r = RunAnswering(
        std::move(c.steps),
        [&] {
          if (c.showBox) answer = MessageBoxW(nullptr, L"blocked", L"Stuck", MB_OKCANCEL);
        },
        // Long enough for a box to come up on a loaded machine; only the cases that
        // wait for a window that never matches spend all of it.
        2000);
    EXPECT_FALSE(r.Ok());
    ASSERT_FALSE(r.failures.empty());
    EXPECT_EQ(r.failures[0].rfind(c.failureStart, 0), 0u) << r.Describe();
    EXPECT_EQ(r.unexpected.size(), c.unexpected);
    if (c.showBox) {
      EXPECT_NE(answer, 0) << "the box was closed";
    }
    EXPECT_TRUE(standin::VisibleTopLevelWindows(GetCurrentThreadId()).empty());
  }
}

// A dialog from an in-memory template with the kinds of controls the add-in's
// dialogs use; its OK handler reads the controls back.
constexpr int kCheck = 101, kRadioA = 102, kRadioB = 103, kCombo = 104, kEdit = 105;

struct DialogResult {
  bool check = false, radioA = false, radioB = false;
  LRESULT comboIndex = -1;
  wchar_t edit[64] = {};
};

class TemplateBuilder {
 public:
  explicit TemplateBuilder(const wchar_t* caption) {
    Align();
    DLGTEMPLATE t{};
    t.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    Put(&t, sizeof t);
    Word(0);
    Word(0);  // no menu, default class
    Text(caption);
    Word(8);
    Text(L"MS Shell Dlg");
  }
  void Control(int id, WORD atom, DWORD style, const wchar_t* text, short y, short cy = 12) {
    Align();
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.x = 5;
    item.y = y;
    item.cx = 100;
    item.cy = cy;
    item.id = static_cast<WORD>(id);
    Put(&item, sizeof item);
    Word(0xFFFF);
    Word(atom);
    Text(text);
    Word(0);
    ++reinterpret_cast<DLGTEMPLATE*>(m_bytes.data())->cdit;
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_bytes.data()); }

 private:
  void Put(const void* p, size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    m_bytes.insert(m_bytes.end(), b, b + n);
  }
  void Word(WORD w) { Put(&w, sizeof w); }
  void Text(const wchar_t* s) { Put(s, (wcslen(s) + 1) * sizeof(wchar_t)); }
  void Align() {
    while (m_bytes.size() % 4) m_bytes.push_back(0);
  }
  std::vector<unsigned char> m_bytes;
};

INT_PTR CALLBACK OptionsProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(dlg, DWLP_USER, lParam);
    HWND combo = GetDlgItem(dlg, kCombo);
    for (const wchar_t* item : {L"Millimeters", L"Centimeters", L"Meters"})
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    CheckRadioButton(dlg, kRadioA, kRadioB, kRadioA);
    return TRUE;
  }
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) {
      auto* out = reinterpret_cast<DialogResult*>(GetWindowLongPtrW(dlg, DWLP_USER));
      out->check = IsDlgButtonChecked(dlg, kCheck) == BST_CHECKED;
      out->radioA = IsDlgButtonChecked(dlg, kRadioA) == BST_CHECKED;
      out->radioB = IsDlgButtonChecked(dlg, kRadioB) == BST_CHECKED;
      out->comboIndex = SendDlgItemMessageW(dlg, kCombo, CB_GETCURSEL, 0, 0);
      GetDlgItemTextW(dlg, kEdit, out->edit, 64);
    }
    EndDialog(dlg, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

TEST(DialogDriverDialog, SetsControlsAndPressesOk) {
  TemplateBuilder t(L"Options");
  t.Control(kCheck, 0x0080, BS_AUTOCHECKBOX | WS_TABSTOP, L"Check", 5);
  t.Control(kRadioA, 0x0080, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, L"A", 20);
  t.Control(kRadioB, 0x0080, BS_AUTORADIOBUTTON, L"B", 35);
  t.Control(kCombo, 0x0085, CBS_DROPDOWNLIST | WS_VSCROLL | WS_GROUP | WS_TABSTOP, L"", 50, 60);
  t.Control(kEdit, 0x0081, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, L"", 70);
  t.Control(IDOK, 0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, L"OK", 90);
  t.Control(IDCANCEL, 0x0080, BS_PUSHBUTTON | WS_TABSTOP, L"Cancel", 105);

  DialogResult result;
  INT_PTR ended = 0;
  DialogReport r = RunAnswering(
      {{{L"#32770", L"Options", nullptr},
        standin::Steps({standin::SetCheck(kCheck, true), standin::SetCheck(kRadioB, true),
                        standin::SelectComboItem(kCombo, 2), standin::SetControlText(kEdit, L"Z:\\tmp\\a.obj"),
                        ClickButton(IDOK)})}},
      [&] {
        ended = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, OptionsProc,
                                        reinterpret_cast<LPARAM>(&result));
      });
  ASSERT_TRUE(r.Ok()) << r.Describe();
  EXPECT_EQ(ended, IDOK);
  EXPECT_TRUE(result.check);
  EXPECT_FALSE(result.radioA);
  EXPECT_TRUE(result.radioB);
  EXPECT_EQ(result.comboIndex, 2);
  EXPECT_STREQ(result.edit, L"Z:\\tmp\\a.obj");
  // What the window showed before the actions: the initial state of the controls.
  ASSERT_EQ(r.seen.size(), 1u);
  const standin::ControlInfo* radioA = r.seen[0].Control(kRadioA);
  ASSERT_NE(radioA, nullptr);
  EXPECT_EQ(radioA->check, BST_CHECKED);
  EXPECT_EQ(r.seen[0].text, L"");
}

// A dialog that ends only on OK, deaf to WM_CLOSE and Cancel: the last resort of
// the forced close.
INT_PTR CALLBACK StubbornProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_CLOSE) return TRUE;
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dlg, IDOK);
    return TRUE;
  }
  return msg == WM_COMMAND;
}

TEST(DialogDriverDialog, AStubbornDialogIsClosedAllTheSame) {
  TemplateBuilder t(L"Stubborn");
  t.Control(kCheck, 0x0080, BS_AUTOCHECKBOX, L"Check", 5);
  INT_PTR ended = 0;
  DialogReport r = RunAnswering({{kAnyDialog, standin::LeaveOpen()}},
                                [&] {
                                  ended = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr,
                                                                  StubbornProc, 0);
                                },
                                300);
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(ended, IDOK);
  EXPECT_TRUE(standin::VisibleTopLevelWindows(GetCurrentThreadId()).empty());
}

TEST(DialogDriverDialog, SelectingAMissingComboItemFails) {
  TemplateBuilder t(L"Options");
  t.Control(kCombo, 0x0085, CBS_DROPDOWNLIST | WS_VSCROLL, L"", 5, 60);
  t.Control(kRadioA, 0x0080, BS_AUTORADIOBUTTON, L"A", 20);
  t.Control(kRadioB, 0x0080, BS_AUTORADIOBUTTON, L"B", 35);
  t.Control(kCheck, 0x0080, BS_AUTOCHECKBOX, L"Check", 50);
  t.Control(kEdit, 0x0081, WS_BORDER, L"", 65);
  t.Control(IDOK, 0x0080, BS_DEFPUSHBUTTON, L"OK", 80);
  DialogResult result;
  INT_PTR ended = 0;
  DialogReport r = RunAnswering({{kAnyDialog, standin::SelectComboItem(kCombo, 7)}},
                                [&] {
                                  ended = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr,
                                                                  OptionsProc, reinterpret_cast<LPARAM>(&result));
                                },
                                300);
  EXPECT_FALSE(r.Ok());
  EXPECT_NE(ended, 0);
  EXPECT_TRUE(standin::VisibleTopLevelWindows(GetCurrentThreadId()).empty());
}

}  // namespace

namespace {

// The system's open-file dialog, as the Import command shows it: the driver types
// a name into its file-name box and presses Open, or cancels it.
TEST(DialogDriverFileDialog, AnswersTheOpenFileDialog) {
  wchar_t dir[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, dir);
  const std::wstring file = std::wstring(dir) + L"driver-test.obj";
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  for (bool open : {true, false}) {
    SCOPED_TRACE(open ? "open" : "cancel");
    wchar_t chosen[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = L"Wavefront OBJ Files (*.obj)\0*.obj\0\0";
    ofn.lpstrFile = chosen;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = dir;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    BOOL result = TRUE;
    standin::WindowAction answer = open ? standin::Steps({standin::SetControlText(0x47C, file), ClickButton(IDOK)})
                                        : ClickButton(IDCANCEL);
    DialogReport r = RunAnswering({{kAnyDialog, answer}}, [&] { result = GetOpenFileNameW(&ofn); });
    ASSERT_TRUE(r.Ok()) << r.Describe();
    EXPECT_EQ(result, open ? TRUE : FALSE);
    if (open) {
      EXPECT_EQ(_wcsicmp(chosen, file.c_str()), 0) << std::string(chosen, chosen + wcslen(chosen));
    }
  }
  DeleteFileW(file.c_str());
}

}  // namespace
