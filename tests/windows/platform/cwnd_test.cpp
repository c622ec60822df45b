// The framework window object: who owns the wrapper a handle gives, and how long.
#include "CWnd.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct TestWindow {
  HWND h = CreateWindowExW(0, L"Static", L"w", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ~TestWindow() { DestroyWindow(h); }
};

TEST(CWndFromHandle, GivesOneTemporaryObjectPerHandleAndThread) {
  TestWindow a, b;
  ASSERT_NE(a.h, nullptr);
  EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
  CWnd* wa = CWnd::FromHandle(a.h);
  ASSERT_NE(wa, nullptr);
  EXPECT_EQ(wa->m_hWnd, a.h);
  EXPECT_EQ(wa->GetSafeHwnd(), a.h);
  EXPECT_EQ(CWnd::FromHandle(a.h), wa) << "the same handle reuses its object";
  EXPECT_NE(CWnd::FromHandle(b.h), wa);
  EXPECT_EQ(CWnd::FromHandlePermanent(a.h), nullptr) << "a temporary object is not permanent";

  CWnd* other = nullptr;
  std::thread([&] {
    other = CWnd::FromHandle(a.h);
    EXPECT_EQ(other->m_hWnd, a.h);
  }).join();
  EXPECT_NE(other, wa) << "each thread has its own temporary objects";
  CWnd::DeleteTempMap();
}

TEST(CWndFromHandle, PrefersTheAttachedObject) {
  TestWindow a;
  CWnd second;
  {
    CWnd mine;
    ASSERT_TRUE(mine.Attach(a.h));
    EXPECT_EQ(CWnd::FromHandle(a.h), &mine);
    EXPECT_EQ(CWnd::FromHandlePermanent(a.h), &mine);
    EXPECT_FALSE(second.Attach(a.h)) << "one permanent object per handle";
    EXPECT_FALSE(mine.Attach(a.h)) << "an object holds one handle";
    EXPECT_FALSE(CWnd().Attach(nullptr));
  }
  // The destroyed object unlinked itself and left the window alone.
  EXPECT_EQ(CWnd::FromHandlePermanent(a.h), nullptr);
  EXPECT_TRUE(IsWindow(a.h));
  CWnd again;
  ASSERT_TRUE(again.Attach(a.h));
  EXPECT_EQ(again.Detach(), a.h);
  EXPECT_EQ(again.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandlePermanent(a.h), nullptr);
  CWnd::DeleteTempMap();
}

}  // namespace
