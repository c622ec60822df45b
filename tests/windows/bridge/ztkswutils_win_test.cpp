// The Windows-only host utilities under Wine: the version guard's real message box,
// the main window as a framework object, the active pop-up window.
#include <gtest/gtest.h>

#include "DialogDriver.h"
#include "StandInHostTest.h"
#include "ZTKSWUtils.h"

namespace {

using Lines = std::vector<std::string>;
using standin::DialogReport;

class WindowUtilities : public standin::StandInHostTest {};

TEST_F(WindowUtilities, CheckSWVersionWarnsOnlyOnAnotherRelease) {
  struct Case {
    const wchar_t* revision;  // null: the host gives no text
    int expected;
    BOOL result;
    const wchar_t* named;  // the release the box names; null: no box
  };
  const Case cases[] = {
      {L"21.0.0", 13, FALSE, L"SolidWorks 2012"},  // the wanted release, not the running one
      {L"20.0.0", 13, TRUE, nullptr},
      {L"16.2.0", 9, TRUE, nullptr},
      {L"15.0.0", 0, TRUE, nullptr},  // a release the table does not know
      {nullptr, 0, TRUE, nullptr},
      {L"20.0.0", 0, FALSE, L"SolidWorks ????"},
      {L"20.0.0", 1, FALSE, L"SolidWorks 2000"},
      {L"20.0.0", 4, FALSE, L"SolidWorks 2003"},
      {L"16.0.0", 14, FALSE, L"SolidWorks 2013"},
      {L"20.0.0", 15, FALSE, L"SolidWorks ????"},  // outside the table: never read past it
      {L"20.0.0", -1, FALSE, L"SolidWorks ????"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.revision ? c.revision : L"(none)") << " expected " << c.expected);
    host.SetRevision(c.revision);
    host.Log().Clear();
    BOOL result = -7;
    std::vector<std::pair<standin::WindowMatch, standin::WindowAction>> steps;
    if (c.named) steps.push_back({{L"#32770", L"Incompatible SolidWorks Version", nullptr}, standin::ClickButton(IDOK)});
    DialogReport r = standin::RunAnswering(steps, [&] { result = CheckSWVersion(host.Application(), c.expected); });
    ASSERT_TRUE(r.Ok()) << r.Describe();
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(host.Log().Lines(), (Lines{"HostApplication.25(&)"})) << "one revision query, nothing else";
    if (!c.named) continue;
    ASSERT_EQ(r.seen.size(), 1u);
    const standin::WindowInfo& box = r.seen[0];
    EXPECT_EQ(box.caption, L"Incompatible SolidWorks Version");
    EXPECT_EQ(box.text, std::wstring(L"This add-in is designed to work with ") + c.named + L" only");
    EXPECT_EQ(box.owner, nullptr) << "no owner window";
    EXPECT_EQ(box.shownMessageBoxStyle, 0x30) << "warning icon, OK only";
    EXPECT_EQ(box.buttonIds, (std::vector<int>{IDOK}));
  }
}

TEST_F(WindowUtilities, GetSWMainCWndIsNullWhereTheHandleIsMissingOrZero) {
  struct Case {
    const char* name;
    bool frame;
    const char* faultRole;
    int faultMethod;
    LONG handle;
    Lines calls;
  };
  const Case cases[] = {
      {"handle 0", true, nullptr, 0, 0, {"HostApplication.15(&)", "HostFrame.17(&)"}},
      {"no frame", false, nullptr, 0, 0x1234, {"HostApplication.15(&)"}},
      {"frame call fails", true, "HostApplication", 15, 0x1234, {"HostApplication.15(&)"}},
      {"handle call fails", true, "HostFrame", 17, 0x1234, {"HostApplication.15(&)", "HostFrame.17(&)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.ClearFaults();
    host.SetFramePresent(c.frame);
    host.SetMainWindow(c.handle);
    if (c.faultRole) host.InjectFault(c.faultRole, c.faultMethod, standin::Fault::Fail(E_FAIL));
    host.Log().Clear();
    EXPECT_EQ(GetSWMainCWnd(host.Application()), nullptr);
    EXPECT_EQ(host.Log().Lines(), c.calls);
    EXPECT_EQ(GetSWMainWindow(host.Application()), nullptr) << "the plain handle agrees";
    EXPECT_TRUE(host.ReferenceProblems().empty()) << "the frame is released on every path";
  }
}

TEST_F(WindowUtilities, GetSWMainCWndWrapsTheHostsWindow) {
  HWND main = CreateWindowExW(0, L"Static", L"host main window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  // Window handles fit in 32 bits, which is how the frame hands them out.
  host.SetMainWindow(static_cast<LONG>(reinterpret_cast<LONG_PTR>(main)));
  CWnd* wnd = GetSWMainCWnd(host.Application());
  ASSERT_NE(wnd, nullptr);
  EXPECT_EQ(wnd->m_hWnd, main);
  EXPECT_EQ(wnd->GetSafeHwnd(), main);
  EXPECT_EQ(wnd, CWnd::FromHandle(main)) << "the framework's object for the handle";
  EXPECT_EQ(GetSWMainCWnd(host.Application()), wnd) << "asked again, the same object";

  // A handle with the top bit set widens by sign extension.
  host.SetMainWindow(static_cast<LONG>(0x80001234));
  CWnd* wide = GetSWMainCWnd(host.Application());
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(wide->m_hWnd), 0xFFFFFFFF80001234ull);
  DestroyWindow(main);
  CWnd::DeleteTempMap();
}

TEST(WindowUtilitiesPopup, GetActivePopupWindowFollowsTheActiveWindow) {
  HWND main = CreateWindowExW(0, L"Static", L"main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  HWND popup = CreateWindowExW(0, L"Static", L"popup", WS_POPUP | WS_CAPTION, 0, 0, 100, 50, main, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(main, nullptr);
  ASSERT_NE(popup, nullptr);
  // No active window on this thread yet.
  ASSERT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetActivePopupWindow(), nullptr);

  ShowWindow(main, SW_SHOW);
  SetActiveWindow(main);
  ASSERT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetActivePopupWindow(), main) << "an active window that owns no more recent pop-up";

  ShowWindow(popup, SW_SHOW);
  SetActiveWindow(popup);
  ASSERT_EQ(GetActiveWindow(), popup);
  EXPECT_EQ(GetActivePopupWindow(), popup);

  // The owner active again while its pop-up is still shown.
  SetActiveWindow(main);
  ASSERT_EQ(GetActiveWindow(), main);
  EXPECT_EQ(GetActivePopupWindow(), main) << "the owner was active last";
  DestroyWindow(popup);
  DestroyWindow(main);
  EXPECT_EQ(GetActivePopupWindow(), nullptr);
}

}  // namespace
