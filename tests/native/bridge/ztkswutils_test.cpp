// The host utilities against the stand-in host; host calls are asserted on their
// literal table positions through the host's call log.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"
#include "ZTKSWUtils.h"

namespace {

using standin::Fault;
using Lines = std::vector<std::string>;

TEST(SWVersionNames, HasTheFifteenReleaseNames) {
  const wchar_t* expected[15] = {
      L"SolidWorks ????", L"SolidWorks 2000", L"SolidWorks 2001", L"SolidWorks 2001 Plus", L"SolidWorks 2003",
      L"SolidWorks 2004", L"SolidWorks 2005", L"SolidWorks 2006", L"SolidWorks 2007", L"SolidWorks 2008",
      L"SolidWorks 2009", L"SolidWorks 2010", L"SolidWorks 2011", L"SolidWorks 2012", L"SolidWorks 2013",
  };
  ASSERT_EQ(sizeof(SWVersionNames) / sizeof(SWVersionNames[0]), 15u);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(SWVersionNames[i], expected[i]) << "row " << i;
}

class VersionIndex : public standin::StandInHostTest {};

TEST_F(VersionIndex, ReadsTheMajorRevisionBeforeTheFirstDot) {
  struct Case {
    const wchar_t* revision;  // null: the host hands out no text
    int index;
  };
  const Case cases[] = {
      {L"20.0.0", 13}, {L"21.3.0", 14}, {L"16.0.0", 9},   {L"17.1.2", 10}, {L"18.0.0", 11},
      {L"19.0.0", 12}, {L"15.0.0", 0},  {L"22.0.0", 0},   {L"20", 0},      {L" 20.1", 13},
      {L"\t+20.1", 13}, {L"20abc.1", 13}, {L"-20.0", 0},  {L"abc20.1", 0}, {L".20", 0},
      {L"", 0},        {nullptr, 0},    {L"99999999999999999999.0", 0},  {L"0021.0", 14},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.revision ? CString(c.revision).ToUtf8() : std::string("(null)"));
    host.SetRevision(c.revision);
    host.Log().Clear();
    EXPECT_EQ(GetSWVersionIndex(host.Application()), c.index);
    EXPECT_EQ(host.Log().Lines(), (Lines{"HostApplication.25(&)"}));
  }
}

TEST_F(VersionIndex, AFailingHostGivesTheUnknownRelease) {
  host.InjectFault("HostApplication", 25, Fault::Fail(E_FAIL));
  EXPECT_EQ(GetSWVersionIndex(host.Application()), 0);
  host.ClearFaults();
  host.InjectFault("HostApplication", 25, Fault::NullOut(E_FAIL));
  EXPECT_EQ(GetSWVersionIndex(host.Application()), 0);
  EXPECT_EQ(GetSWVersionIndex(nullptr), 0);
}

TEST(DecimalToInt, ReadsLikeTheRuntime) {
  struct Case {
    const wchar_t* text;
    int value;
  };
  const Case cases[] = {
      {L"0", 0},
      {L"42", 42},
      {L"  \t\n\v\f\r7x", 7},
      {L"-15", -15},
      {L"+15", 15},
      {L"- 15", 0},
      {L"--1", 0},
      {L"", 0},
      {nullptr, 0},
      {L"2147483647", INT_MAX},
      {L"2147483648", INT_MAX},
      {L"-2147483648", INT_MIN},
      {L"-2147483649", INT_MIN},
      {L"123456789012345678901234567890", INT_MAX},
      {L"-123456789012345678901234567890", INT_MIN},
      {L"\u00a012", 0},  // only the runtime's ASCII white space is skipped
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? CString(c.text).ToUtf8() : std::string("(null)"));
    EXPECT_EQ(ZTKSWUtils::DecimalToInt(c.text), c.value);
  }
}

class MainWindow : public standin::StandInHostTest {};

TEST_F(MainWindow, WidensTheHandleBySignExtension) {
  struct Case {
    uint32_t handle;
    uint64_t expected;
  };
  const Case cases[] = {
      {0x80001234u, 0xFFFFFFFF80001234ull},
      {0x00010010u, 0x0000000000010010ull},
      {0x7FFFFFFFu, 0x000000007FFFFFFFull},
      {0xFFFFFFFFu, 0xFFFFFFFFFFFFFFFFull},
      {0u, 0u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handle);
    host.SetMainWindow(static_cast<LONG>(c.handle));
    host.Log().Clear();
    HWND window = GetSWMainWindow(host.Application());
    uint64_t bits = 0;
    static_assert(sizeof(window) == sizeof(bits));
    std::memcpy(&bits, &window, sizeof bits);
    EXPECT_EQ(bits, c.expected);
    EXPECT_EQ(host.Log().Lines(), (Lines{"HostApplication.15(&)", "HostFrame.17(&)"}));
    EXPECT_EQ(host.Log().Lines("HostFrame", true), (Lines{"HostFrame.17(&)", "HostFrame.2()"}));
  }
}

TEST_F(MainWindow, NoFrameOrNoHandleGivesZeroAndTheFrameIsReleased) {
  struct Case {
    const char* name;
    int faultMethod;  // 0: none
    const char* role;
    Fault fault;
    bool framePresent;
    bool askedForHandle;
  };
  const Case cases[] = {
      {"frame call fails", 15, "HostApplication", Fault::Fail(E_FAIL), true, false},
      {"frame call fails, handing out null", 15, "HostApplication", Fault::NullOut(E_FAIL), true, false},
      {"frame is null with S_OK", 15, "HostApplication", Fault::NullOut(S_OK), true, false},
      {"host has no frame", 0, "", Fault{}, false, false},
      {"handle call fails", 17, "HostFrame", Fault::Fail(E_FAIL), true, true},
      {"handle call says S_FALSE", 17, "HostFrame", Fault::Fail(S_FALSE), true, true},
      // Only S_OK counts, also when the host hands out the frame or the handle.
      {"frame handed out with S_FALSE", 15, "HostApplication", Fault::After(S_FALSE), true, false},
      {"frame handed out with E_FAIL", 15, "HostApplication", Fault::After(E_FAIL), true, false},
      {"handle given with S_FALSE", 17, "HostFrame", Fault::After(S_FALSE), true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host.ClearFaults();
    host.Log().Clear();
    host.SetMainWindow(static_cast<LONG>(0x80001234u));
    host.SetFramePresent(c.framePresent);
    if (c.faultMethod) host.InjectFault(c.role, c.faultMethod, c.fault);
    EXPECT_EQ(GetSWMainWindow(host.Application()), nullptr);
    EXPECT_EQ(host.Log().Count("HostFrame", 17), c.askedForHandle ? 1u : 0u);
    // Whatever happened, the client holds no frame afterwards.
    EXPECT_EQ(host.MainFrame().FrameFace().clientRefs, 0);
  }
  EXPECT_EQ(GetSWMainWindow(nullptr), nullptr);
}

class DocumentUnits : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(HostOp::Call<19>(host.Application(), part.Out()), S_OK);
    ASSERT_EQ(HostOp::Call<8>(host.Application(), doc.Out()), S_OK);
    ASSERT_TRUE(part && doc);
    host.Log().Clear();
  }
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
};

TEST_F(DocumentUnits, SetsTheUnitAndGivesTheScale) {
  struct Case {
    int index;
    double scale;
    Lines calls;
    LONG unitAfter;
  };
  const Case cases[] = {
      {0, 0.001, {"HostDocument.14(0)"}, 0},
      {1, 0.01, {"HostDocument.14(1)"}, 1},
      {2, 1.0, {"HostDocument.14(2)"}, 2},
      {3, 0.0254, {"HostDocument.14(3)"}, 3},
      {4, 0.30479999999999996, {"HostDocument.14(4)"}, 4},
      {-1, 1.0, {}, 4},  // no call: the unit stays what it was
      {5, 1.0, {}, 4},
      {INT_MIN, 1.0, {}, 4},
      {INT_MAX, 1.0, {}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    host.Log().Clear();
    double scale = -7.0;
    EXPECT_EQ(SetDocumentUnits(doc.Get(), c.index, &scale), TRUE);
    EXPECT_EQ(scale, c.scale);  // exact
    EXPECT_EQ(host.Log().Lines(), c.calls);
    EXPECT_EQ(host.ActiveDocument()->LengthUnit(), c.unitAfter);
  }
}

TEST_F(DocumentUnits, FeetAreTwelveInchesNotTheDecimalLiteral) {
  double scale = 0;
  SetDocumentUnits(doc.Get(), 4, &scale);
  EXPECT_EQ(scale, 12 * 0.0254);
  EXPECT_NE(scale, 0.3048);
  // With inches a file coordinate of 10 reaches the host as 0.254.
  SetDocumentUnits(doc.Get(), 3, &scale);
  EXPECT_EQ(10 * scale, 0.254);
}

TEST_F(DocumentUnits, AFailingHostStillGivesTheScale) {
  host.InjectFault("HostDocument", 14, Fault::Fail(E_FAIL));
  double scale = 0;
  EXPECT_EQ(SetDocumentUnits(doc.Get(), 3, &scale), TRUE);
  EXPECT_EQ(scale, 0.0254);
  EXPECT_EQ(host.Log().Of("HostDocument", 14).size(), 1u);
  EXPECT_EQ(host.ActiveDocument()->LengthUnit(), standin::kUnitAsCreated);
  // A null document or scale pointer is not followed.
  EXPECT_EQ(SetDocumentUnits(nullptr, 1, &scale), TRUE);
  EXPECT_EQ(scale, 0.01);
  EXPECT_EQ(SetDocumentUnits(doc.Get(), 2, nullptr), TRUE);
}

TEST(UtilitiesLastError, IsTheModulesOwnText) {
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), L"");
  ZTKSWUtils::SetLastErrorText(L"Unable to find file");
  CString copy = ZTKSWUtils::GetLastErrorText();
  EXPECT_EQ(copy, L"Unable to find file");
  copy = L"changed";
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), L"Unable to find file");
  // The utilities themselves never touch it, not even on a failing host.
  standin::StandInHost host;
  host.SetRevision(nullptr);
  host.SetFramePresent(false);
  GetSWVersionIndex(host.Application());
  GetSWMainWindow(host.Application());
  EXPECT_EQ(ZTKSWUtils::GetLastErrorText(), L"Unable to find file");
  ZTKSWUtils::SetLastErrorText(L"");
}

}  // namespace
