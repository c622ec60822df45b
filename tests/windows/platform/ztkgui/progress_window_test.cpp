#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ZTKProgress.h"

namespace {

// The progress windows the thread shows, found the way a user sees them.
std::vector<HWND> ProgressWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (std::wstring(cls) == L"ZTKProgressWindow" && IsWindowVisible(w))
          reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring Text(HWND w) {
  wchar_t text[256] = {};
  GetWindowTextW(w, text, 256);
  return text;
}

HWND Child(HWND parent, const wchar_t* cls) { return FindWindowExW(parent, nullptr, cls, nullptr); }

TEST(ProgressWindow, ShowsNothingWhenOnlyConstructedAndDestroyed) {
  { ZTKProgress progress(L"Creating solid", L"", 0.0, 100.0, nullptr); }
  EXPECT_TRUE(ProgressWindows().empty());
  ZTKProgress progress(L"Creating solid", L"", 0.0, 100.0, nullptr);
  progress.SetMax(10);
  EXPECT_TRUE(ProgressWindows().empty());  // not before StartProgress
}

TEST(ProgressWindow, FollowsTheWorkAndClosesAtTheEnd) {
  ZTKProgress progress(L"Creating solid", L"", 0.0, 100.0, nullptr);
  progress.SetMax(4);
  progress.StartProgress();
  const std::vector<HWND> shown = ProgressWindows();
  ASSERT_EQ(shown.size(), 1u);
  HWND window = shown[0];
  EXPECT_EQ(Text(window), L"Creating solid");
  HWND bar = Child(window, PROGRESS_CLASSW);
  ASSERT_NE(bar, nullptr);
  const auto position = [&] {
    const LRESULT upper = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
    return static_cast<double>(SendMessageW(bar, PBM_GETPOS, 0, 0)) / static_cast<double>(upper);
  };
  EXPECT_EQ(position(), 0.0);
  progress.StepIt(1.0);
  EXPECT_DOUBLE_EQ(position(), 0.25);
  progress.StepIt(1.0);
  progress.StepIt(1.0);
  progress.StepIt(1.0);
  EXPECT_DOUBLE_EQ(position(), 1.0);
  progress.SetStatus(L"Creating body from surfaces. This may take several minutes...");
  EXPECT_EQ(Text(Child(window, L"Static")), L"Creating body from surfaces. This may take several minutes...");
  progress.EndProgress();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(ProgressWindows().empty());
}

TEST(ProgressWindow, DestructorClosesAWindowStillOpen) {
  HWND window = nullptr;
  {
    ZTKProgress progress(L"Creating mesh", L"", 0.0, 100.0, nullptr);
    progress.SetMax(0);  // a mesh without edges: the bar stays empty, nothing divides by zero
    progress.StartProgress();
    ASSERT_EQ(ProgressWindows().size(), 1u);
    window = ProgressWindows()[0];
    progress.StepIt(1.0);
  }
  EXPECT_FALSE(IsWindow(window));
}

TEST(ProgressWindow, AMillionStepsFillTheBarExactly) {
  ZTKProgress progress(L"Creating solid", L"", 0.0, 100.0, nullptr);
  progress.SetMax(1000000);
  progress.StartProgress();
  HWND bar = Child(ProgressWindows().at(0), PROGRESS_CLASSW);
  for (int i = 0; i < 1000000; ++i) progress.StepIt(1.0);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), SendMessageW(bar, PBM_GETRANGE, FALSE, 0));
  progress.EndProgress();
}

}  // namespace
