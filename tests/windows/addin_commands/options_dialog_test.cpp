#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <cwctype>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "AfxWin.h"
#include "DialogDriver.h"
#include "OptionsDlg.h"
#include "Settings.h"
#include "ZTKRegistry.h"

namespace {

const standin::WindowMatch kOptionsWindow{L"#32770", L"Plymora for SolidWorks Options", {}};

// Runs the dialog while `act` reads and changes its controls from the driver's
// watcher thread; then presses `button`. A dialog that never shows is a failure,
// never a hang.
INT_PTR RunDialog(CPlymoraOptionsDlg& dialog, const std::function<void(HWND)>& act, int button) {
  standin::DialogDriver driver;
  driver.Expect(kOptionsWindow, standin::Steps({[&](HWND d) {
                                                                                      act(d);
                                                                                      return true;
                                                                                    },
                                                                                    standin::ClickButton(button)}));
  driver.Start();
  const INT_PTR result = dialog.DoModal();
  const standin::DialogReport report = driver.Finish();
  EXPECT_TRUE(report.Ok()) << report.Describe();
  return result;
}

bool Checked(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
int Selection(HWND dialog) { return static_cast<int>(SendDlgItemMessageW(dialog, IDC_UNITS, CB_GETCURSEL, 0, 0)); }
void Press(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void Set(HWND dialog, int id, bool on) {
  SendDlgItemMessageW(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

using test_settings::Stored;
Stored ReadStored() { return test_settings::Read(); }
void Store(const Stored& s) { test_settings::Store(s); }

// The dialog runs as the add-in runs it: under the add-in's own module state.
class OptionsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    test_settings::Clear();
    m_state.emplace(AfxGetStaticModuleState());
  }
  void TearDown() override {
    m_state.reset();
    test_settings::Clear();
  }
  std::optional<AFX_MAINTAIN_STATE> m_state;
};

// Under the host program's state, current until the add-in switches, the
// template is not found, so no dialog shows; the add-in's own state finds it.
TEST(OptionsDialogModule, TemplateIsFoundOnlyUnderTheAddinsModuleState) {
  EXPECT_NE(AfxGetResourceHandle(), AfxGetStaticModuleState()->m_hCurrentResourceHandle);
  EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleW(nullptr));
  {
    CPlymoraOptionsDlg dialog;
    standin::DialogReport report = standin::RunAnswering({}, [&] { EXPECT_EQ(dialog.DoModal(), -1); });
    EXPECT_TRUE(report.Ok()) << report.Describe();
    EXPECT_TRUE(report.seen.empty());
  }
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  CPlymoraOptionsDlg dialog;
  standin::DialogReport report =
      standin::RunAnswering({{kOptionsWindow, standin::ClickButton(IDCANCEL)}}, [&] { EXPECT_EQ(dialog.DoModal(), IDCANCEL); });
  EXPECT_TRUE(report.Ok()) << report.Describe();
}

TEST_F(OptionsDialog, FirstRunShowsDefaultsAndOkWritesAllFive) {
  struct Seen {
    bool solid, sketch, multiBody, yUp, progress;
    int units;
    std::vector<std::wstring> list;
  } seen{};
  CPlymoraOptionsDlg dialog;
  INT_PTR result;
  result = RunDialog(
      dialog,
      [&](HWND d) {
        seen = {Checked(d, IDC_IMPORT_AS_SOLID),
                Checked(d, IDC_IMPORT_AS_3DSKETCH),
                Checked(d, IDC_MULTIBODY),
                Checked(d, IDC_YUP),
                Checked(d, IDC_PROGRESS),
                Selection(d),
                {}};
        const int n = static_cast<int>(SendDlgItemMessageW(d, IDC_UNITS, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
          wchar_t text[64] = {};
          SendDlgItemMessageW(d, IDC_UNITS, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
          seen.list.push_back(text);
        }
      },
      IDOK);
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(seen.solid);
  EXPECT_FALSE(seen.sketch);
  EXPECT_TRUE(seen.multiBody && seen.yUp && seen.progress);
  EXPECT_EQ(seen.units, 3);
  EXPECT_EQ(seen.list, (std::vector<std::wstring>{L"Millimeters", L"Centimeters", L"Meters", L"Inches", L"Feet"}));
  const Stored s = ReadStored();
  EXPECT_EQ(s.importAs, 0);
  EXPECT_EQ(s.units, 3);
  EXPECT_EQ(s.multiBody, 1);
  EXPECT_EQ(s.yUp, 1);
  EXPECT_EQ(s.progress, 1);
  EXPECT_EQ(dialog.m_nImportAs, 0);
  EXPECT_EQ(dialog.m_nUnits, 3);
}

TEST_F(OptionsDialog, ShowsStoredValuesAndCancelWritesNothing) {
  Store({1, 0, 0, 0, 1});
  bool sketch = false, solid = true, multiBody = true, yUp = true, progress = false;
  int units = -2;
  CPlymoraOptionsDlg dialog;
  INT_PTR result;
  result = RunDialog(
      dialog,
      [&](HWND d) {
        sketch = Checked(d, IDC_IMPORT_AS_3DSKETCH);
        solid = Checked(d, IDC_IMPORT_AS_SOLID);
        multiBody = Checked(d, IDC_MULTIBODY);
        yUp = Checked(d, IDC_YUP);
        progress = Checked(d, IDC_PROGRESS);
        units = Selection(d);
        // Change every control, then cancel.
        Press(d, IDC_IMPORT_AS_SOLID);
        SendDlgItemMessageW(d, IDC_UNITS, CB_SETCURSEL, 4, 0);
        Set(d, IDC_MULTIBODY, true);
        Set(d, IDC_YUP, true);
        Set(d, IDC_PROGRESS, false);
      },
      IDCANCEL);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_TRUE(sketch);
  EXPECT_FALSE(solid);
  EXPECT_FALSE(multiBody);
  EXPECT_FALSE(yUp);
  EXPECT_TRUE(progress);
  EXPECT_EQ(units, 0);
  const Stored s = ReadStored();
  EXPECT_EQ(s.importAs, 1);
  EXPECT_EQ(s.units, 0);
  EXPECT_EQ(s.multiBody, 0);
  EXPECT_EQ(s.yUp, 0);
  EXPECT_EQ(s.progress, 1);
}

// Escape and the close box cancel like the Cancel button: the changes are not saved.
TEST_F(OptionsDialog, EscapeAndCloseBoxWriteNothing) {
  const struct {
    const char* how;
    standin::WindowAction cancel;
  } cases[] = {
      {"Escape key",
       [](HWND d) {
         HWND list = GetDlgItem(d, IDC_UNITS);
         return PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 1) && PostMessageW(list, WM_KEYUP, VK_ESCAPE, 0xC0000001);
       }},
      {"close box", [](HWND d) { return PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0) != 0; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    Store({1, 0, 0, 0, 1});
    standin::DialogDriver driver;
    driver.Expect(kOptionsWindow, standin::Steps({[](HWND d) {
                                                                                       Press(d, IDC_IMPORT_AS_SOLID);
                                                                                       SendDlgItemMessageW(d, IDC_UNITS, CB_SETCURSEL, 4, 0);
                                                                                       Set(d, IDC_YUP, true);
                                                                                       return true;
                                                                                     },
                                                                                     c.cancel}));
    driver.Start();
    CPlymoraOptionsDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    const standin::DialogReport report = driver.Finish();
    EXPECT_TRUE(report.Ok()) << report.Describe();
    EXPECT_EQ(ReadStored(), (Stored{1, 0, 0, 0, 1}));
  }
}

TEST_F(OptionsDialog, UnknownStoredValuesShowNoSelectionAndOkStoresMinusOne) {
  Store({2, 7, 1, 1, 1});
  bool anyRadio = true;
  int units = 0;
  CPlymoraOptionsDlg dialog;
  EXPECT_EQ(RunDialog(
                dialog,
                [&](HWND d) {
                  anyRadio = Checked(d, IDC_IMPORT_AS_SOLID) || Checked(d, IDC_IMPORT_AS_3DSKETCH);
                  units = Selection(d);
                },
                IDOK),
            IDOK);
  EXPECT_FALSE(anyRadio);
  EXPECT_EQ(units, CB_ERR);
  EXPECT_EQ(dialog.m_nImportAs, -1);
  EXPECT_EQ(dialog.m_nUnits, -1);
  EXPECT_EQ(ReadStored().importAs, -1);
  EXPECT_EQ(ReadStored().units, -1);
}

TEST_F(OptionsDialog, RadioButtonsExcludeEachOther) {
  bool solidAfter = true, sketchAfter = false, solidAgain = false, sketchAgain = true;
  CPlymoraOptionsDlg dialog;
  EXPECT_EQ(RunDialog(
                dialog,
                [&](HWND d) {
                  Press(d, IDC_IMPORT_AS_3DSKETCH);
                  solidAfter = Checked(d, IDC_IMPORT_AS_SOLID);
                  sketchAfter = Checked(d, IDC_IMPORT_AS_3DSKETCH);
                  Press(d, IDC_IMPORT_AS_SOLID);
                  solidAgain = Checked(d, IDC_IMPORT_AS_SOLID);
                  sketchAgain = Checked(d, IDC_IMPORT_AS_3DSKETCH);
                  Press(d, IDC_IMPORT_AS_3DSKETCH);
                },
                IDOK),
            IDOK);
  EXPECT_FALSE(solidAfter);
  EXPECT_TRUE(sketchAfter);
  EXPECT_TRUE(solidAgain);
  EXPECT_FALSE(sketchAgain);
  EXPECT_EQ(dialog.m_nImportAs, 1);
  EXPECT_EQ(ReadStored().importAs, 1);
}

// The radio group runs across the list and the check boxes; marking the second
// radio button as the demo and a user do leaves them as they are.
TEST_F(OptionsDialog, MarkingTheSketchButtonKeepsTheOtherControls) {
  CPlymoraOptionsDlg dialog;
  standin::DialogReport report = standin::RunAnswering(
      {{kOptionsWindow,
        standin::Steps({standin::SetCheck(IDC_IMPORT_AS_3DSKETCH, true), standin::ClickButton(IDOK)})}},
      [&] { EXPECT_EQ(dialog.DoModal(), IDOK); });
  EXPECT_TRUE(report.Ok()) << report.Describe();
  EXPECT_EQ(ReadStored(), (Stored{1, 3, 1, 1, 1}));
}

// The settings' key and value names as they stand, written and read straight
// through the registry, not through the add-in's own names for them.
TEST_F(OptionsDialog, SettingsLiveUnderTheirOwnNamesInTheRegistry) {
  const wchar_t* const key = L"Software\\ZENTIK\\Plymora for SolidWorks";
  const wchar_t* const names[] = {L"Import As", L"Units", L"MultiBody", L"Y Up", L"Progress"};
  const DWORD before[] = {1, 4, 0, 0, 1};
  for (size_t i = 0; i < 5; ++i)
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, names[i], REG_DWORD, &before[i], sizeof(DWORD)), ERROR_SUCCESS);
  bool sketch = false, multiBody = true, yUp = true, progress = false;
  int units = -2;
  CPlymoraOptionsDlg dialog;
  EXPECT_EQ(RunDialog(
                dialog,
                [&](HWND d) {
                  sketch = Checked(d, IDC_IMPORT_AS_3DSKETCH);
                  units = Selection(d);
                  multiBody = Checked(d, IDC_MULTIBODY);
                  yUp = Checked(d, IDC_YUP);
                  progress = Checked(d, IDC_PROGRESS);
                  Press(d, IDC_IMPORT_AS_SOLID);
                  SendDlgItemMessageW(d, IDC_UNITS, CB_SETCURSEL, 2, 0);
                  Set(d, IDC_MULTIBODY, true);
                  Set(d, IDC_YUP, true);
                  Set(d, IDC_PROGRESS, false);
                },
                IDOK),
            IDOK);
  EXPECT_TRUE(sketch && !multiBody && !yUp && progress);
  EXPECT_EQ(units, 4);
  const DWORD after[] = {0, 2, 1, 1, 0};
  for (size_t i = 0; i < 5; ++i) {
    DWORD value = 0xFFFF, size = sizeof value;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, key, names[i], RRF_RT_REG_DWORD, nullptr, &value, &size), ERROR_SUCCESS)
        << "value " << i;
    EXPECT_EQ(value, after[i]) << "value " << i;
  }
}

// Reads a sz_Or_Ord field of a dialog template: 0 = none, 0xFFFF = ordinal, else a string.
std::wstring ReadSzOrOrd(const WORD*& p) {
  if (*p == 0) {
    ++p;
    return L"";
  }
  if (*p == 0xFFFF) {
    const WORD ordinal = p[1];
    p += 2;
    return L"#" + std::to_wstring(ordinal);
  }
  std::wstring text(reinterpret_cast<const wchar_t*>(p));
  p += text.size() + 1;
  return text;
}

// The template itself, read from the resources: every control with its id, class,
// text, exact style and place in dialog units, in template (= tab) order.
TEST_F(OptionsDialog, TemplateHasTheControlsInOrder) {
  struct Control {
    int id;
    std::wstring cls, text;
    DWORD style;
    short x, y, cx, cy;
    bool operator==(const Control&) const = default;
  };
  const DWORD kChild = WS_CHILD | WS_VISIBLE;
  const std::vector<Control> expected = {
      {1022, L"#128", L"Solid in a part document", kChild | BS_AUTORADIOBUTTON | WS_GROUP, 69, 7, 92, 10},
      {1024, L"#133", L"", kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 69, 35, 66, 94},
      {1028, L"#128", L"Create multibody part (in case of multiple meshes)", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7,
       55, 170, 10},
      {202, L"#128", L"Y axis points upwards", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 71, 84, 10},
      {1027, L"#128", L"Show progress", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 7, 87, 63, 10},
      {1023, L"#128", L"3D sketch in a part document", kChild | BS_AUTORADIOBUTTON, 69, 20, 109, 10},
      {IDOK, L"#128", L"&OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 39, 116, 50, 14},
      {IDCANCEL, L"#128", L"&Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 97, 116, 50, 14},
      {-1, L"#130", L"Import meshes as", kChild | SS_LEFT | WS_GROUP, 7, 7, 56, 8},
      {-1, L"#130", L"Units", kChild | SS_LEFT | WS_GROUP, 7, 35, 17, 8},
      {-1, L"#130", L"", kChild | SS_ETCHEDHORZ, 7, 105, 170, 1},
  };
  // The template and its list are US English resources.
  const WORD kUsEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  EXPECT_NE(FindResourceExW(AfxGetResourceHandle(), MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(IDD_PLYMORA_OPTIONS), kUsEnglish), nullptr);
  EXPECT_NE(FindResourceExW(AfxGetResourceHandle(), MAKEINTRESOURCEW(240), MAKEINTRESOURCEW(IDD_PLYMORA_OPTIONS), kUsEnglish), nullptr);
  HRSRC found = FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_PLYMORA_OPTIONS), MAKEINTRESOURCEW(5));  // RT_DIALOG
  ASSERT_NE(found, nullptr);
  const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(AfxGetResourceHandle(), found)));
  const WORD* p = reinterpret_cast<const WORD*>(base);
  ASSERT_EQ(p[0], 1);  // DIALOGEX
  ASSERT_EQ(p[1], 0xFFFF);
  DWORD exStyle, style;
  memcpy(&exStyle, base + 8, 4);
  memcpy(&style, base + 12, 4);
  EXPECT_EQ(exStyle, 0u);
  EXPECT_EQ(style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  const WORD count = p[8];
  const short* frame = reinterpret_cast<const short*>(p + 9);
  EXPECT_EQ(frame[0], 0);
  EXPECT_EQ(frame[1], 0);
  EXPECT_EQ(frame[2], 185);
  EXPECT_EQ(frame[3], 137);
  p += 13;
  EXPECT_EQ(ReadSzOrOrd(p), L"");  // no menu
  EXPECT_EQ(ReadSzOrOrd(p), L"");  // the default dialog class
  EXPECT_EQ(ReadSzOrOrd(p), L"Plymora for SolidWorks Options");
  EXPECT_EQ(p[0], 8);    // points
  EXPECT_EQ(p[1], 400);  // weight
  EXPECT_EQ(p[2], 0);    // not italic, character set 0
  p += 3;
  EXPECT_EQ(ReadSzOrOrd(p), L"MS Sans Serif");

  std::vector<Control> seen;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* item = base + ((reinterpret_cast<const BYTE*>(p) - base + 3) & ~size_t{3});
    Control c{};
    DWORD itemEx, itemId;
    memcpy(&itemEx, item + 4, 4);
    memcpy(&c.style, item + 8, 4);
    memcpy(&c.x, item + 12, 2);
    memcpy(&c.y, item + 14, 2);
    memcpy(&c.cx, item + 16, 2);
    memcpy(&c.cy, item + 18, 2);
    memcpy(&itemId, item + 20, 4);
    c.id = static_cast<int>(itemId);
    EXPECT_EQ(itemEx, 0u);
    p = reinterpret_cast<const WORD*>(item + 24);
    // The class may be stored by name or by its predefined ordinal.
    c.cls = ReadSzOrOrd(p);
    for (auto& ch : c.cls) ch = static_cast<wchar_t>(towupper(ch));
    if (c.cls == L"BUTTON") c.cls = L"#128";
    if (c.cls == L"STATIC") c.cls = L"#130";
    if (c.cls == L"COMBOBOX") c.cls = L"#133";
    c.text = ReadSzOrOrd(p);
    const WORD extra = *p++;
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
    seen.push_back(c);
  }
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].id, expected[i].id);
    EXPECT_EQ(seen[i].cls, expected[i].cls);
    EXPECT_EQ(seen[i].text, expected[i].text);
    EXPECT_EQ(seen[i].style, expected[i].style);
    EXPECT_EQ((std::vector<short>{seen[i].x, seen[i].y, seen[i].cx, seen[i].cy}),
              (std::vector<short>{expected[i].x, expected[i].y, expected[i].cx, expected[i].cy}));
  }
}

// The dialog-initialisation list: five packed records for the units list, then a zero word.
TEST_F(OptionsDialog, InitialisationListFillsTheUnits) {
  HRSRC found = FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_PLYMORA_OPTIONS), MAKEINTRESOURCEW(240));
  ASSERT_NE(found, nullptr);
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(AfxGetResourceHandle(), found)));
  const std::vector<std::pair<const char*, DWORD>> records = {
      {"Millimeters", 12}, {"Centimeters", 12}, {"Meters", 7}, {"Inches", 7}, {"Feet", 5}};
  size_t at = 0;
  for (const auto& [text, length] : records) {
    WORD id, message;
    DWORD size;
    memcpy(&id, data + at, 2);
    memcpy(&message, data + at + 2, 2);
    memcpy(&size, data + at + 4, 4);
    EXPECT_EQ(id, IDC_UNITS);
    EXPECT_EQ(message, 0x0403);
    EXPECT_EQ(size, length);
    EXPECT_STREQ(reinterpret_cast<const char*>(data + at + 8), text);
    at += 8 + size;
  }
  WORD end;
  memcpy(&end, data + at, 2);
  EXPECT_EQ(end, 0);
}

}  // namespace
