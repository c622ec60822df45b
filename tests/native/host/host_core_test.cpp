// The stand-in host's machinery: traps, the call log, fault injection and the
// reference checks. Calls go through raw table positions, the way a client's do.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ComHolders.h"
#include "StandInHostTest.h"

namespace {

using standin::Fault;
using standin::StandInHostTest;
using Lines = std::vector<std::string>;

template <int N, class Obj, class... Args>
HRESULT At(Obj* object, Args... args) {
  return HostOp::Call<N>(object, args...);
}

class HostCore : public StandInHostTest {};

TEST_F(HostCore, UnknownPositionsTrapAndAreRecorded) {
  HostApplication* app = host.Application();
  EXPECT_EQ(At<7>(app), E_NOTIMPL);
  EXPECT_EQ(At<9>(app, 1, 2.5), E_NOTIMPL);
  EXPECT_EQ(At<1023>(app), E_NOTIMPL);
  UINT count = 7;
  EXPECT_EQ(app->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(host.Log().Lines(true), (Lines{"HostApplication.7()", "HostApplication.9()", "HostApplication.1023()",
                                           "HostApplication.3()"}));
  EXPECT_EQ(host.CallCount("HostApplication", 9), 1u);
  // A trap on one role is not a call of the same position on another.
  CountedPtr<HostFrame> frame;
  ASSERT_EQ(At<15>(app, frame.Out()), S_OK);
  EXPECT_EQ(At<9>(frame.Get()), E_NOTIMPL);
  EXPECT_EQ(host.CallCount("HostApplication", 9), 1u);
  EXPECT_EQ(host.CallCount("HostFrame", 9), 1u);
}

TEST_F(HostCore, QueryInterfaceAnswersItsRolesOnly) {
  HostApplication* app = host.Application();
  const IID application = {0x83A33D22, 0x27C5, 0x11CE, {0xBF, 0xD4, 0x00, 0x40, 0x05, 0x13, 0xBB, 0x57}};
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &application}) {
    void* out = nullptr;
    ASSERT_EQ(app->QueryInterface(*iid, &out), S_OK);
    EXPECT_EQ(out, app);
    static_cast<IUnknown*>(out)->Release();
  }
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(app->QueryInterface(standin::kRoleDocument.iid, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(app->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(host.Log().Lines(true)[4], "HostApplication.0({83A33D22-27C5-11CE-BFD4-00400513BB57},&)");
  EXPECT_EQ(host.Log().Lines(true).back(), "HostApplication.0({00000000-0000-0000-C000-000000000046},null)");
}

TEST_F(HostCore, PartAnswersDocumentRoleOnTheSameObject) {
  HostApplication* app = host.Application();
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  ASSERT_EQ(At<19>(app, part.Out()), S_OK);
  ASSERT_EQ(At<8>(app, doc.Out()), S_OK);
  ASSERT_TRUE(part && doc);
  standin::Document* made = host.ActiveDocument();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(static_cast<void*>(part.Get()), made->PartInterface());
  EXPECT_EQ(static_cast<void*>(doc.Get()), made->DocumentInterface());
  CountedPtr<HostDocument> viaPart;
  ASSERT_EQ(part->QueryInterface(standin::kRoleDocument.iid, reinterpret_cast<void**>(viaPart.Out())), S_OK);
  EXPECT_EQ(viaPart.Get(), doc.Get());
  // Both faces log the one object id.
  auto records = host.Log().Records();
  EXPECT_EQ(records.back().object, made->Id());
}

TEST_F(HostCore, FaultsFailOrHandOutNullOnTheChosenCall) {
  struct Case {
    const char* name;
    Fault fault;
    std::vector<HRESULT> results;  // of three calls of application method 19
    std::vector<bool> gotPart;
  };
  const Case cases[] = {
      {"every call fails", Fault::Fail(E_FAIL), {E_FAIL, E_FAIL, E_FAIL}, {false, false, false}},
      {"third call fails", Fault::Fail(E_OUTOFMEMORY, 3), {S_OK, S_OK, E_OUTOFMEMORY}, {true, true, false}},
      {"second call null with S_OK", Fault::NullOut(S_OK, 2), {S_OK, S_OK, S_OK}, {true, false, true}},
      {"null with a result from the second on", Fault::NullOut(S_FALSE, 2).FromThenOn(), {S_OK, S_FALSE, S_FALSE},
       {true, false, false}},
      {"second call makes the part and says S_FALSE", Fault::After(S_FALSE, 2), {S_OK, S_FALSE, S_OK},
       {true, true, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    standin::StandInHost local;
    local.InjectFault("HostApplication", 19, c.fault);
    for (size_t i = 0; i < 3; ++i) {
      CountedPtr<HostPartDocument> part;
      EXPECT_EQ(At<19>(local.Application(), part.Out()), c.results[i]);
      EXPECT_EQ(static_cast<bool>(part), c.gotPart[i]) << "call " << i + 1;
    }
    EXPECT_EQ(local.CallCount("HostApplication", 19), 3u);
    EXPECT_TRUE(local.ReferenceProblems().empty());
  }
}

TEST_F(HostCore, FailLeavesOutParametersAloneAndNullOutClearsThem) {
  HostApplication* app = host.Application();
  int marker = 0;
  auto* garbage = reinterpret_cast<HostFrame*>(&marker);
  host.InjectFault("HostApplication", 15, Fault::Fail(E_FAIL, 1));
  host.InjectFault("HostApplication", 15, Fault::NullOut(E_ABORT, 2));
  HostFrame* frame = garbage;
  EXPECT_EQ(At<15>(app, &frame), E_FAIL);
  EXPECT_EQ(frame, garbage);
  EXPECT_EQ(At<15>(app, &frame), E_ABORT);
  EXPECT_EQ(frame, nullptr);
  // A fault records its result in the log, and the faulted call did nothing.
  EXPECT_EQ(host.Log().Of("HostApplication", 15).back().result, E_ABORT);
  EXPECT_EQ(host.MainFrame().FrameFace().clientRefs, 0);

  host.ClearFaults();
  EXPECT_EQ(At<15>(app, &frame), S_OK);
  ASSERT_NE(frame, nullptr);
  frame->Release();
}

// An After fault lets the call do its work: the object is made and handed out with
// a reference the client must release, and only the result is the fault's.
TEST_F(HostCore, AfterFaultDoesTheWorkAndReturnsItsResult) {
  HostApplication* app = host.Application();
  host.InjectFault("HostApplication", 19, Fault::After(E_FAIL));
  host.InjectFault("HostApplication", 15, Fault::After(S_FALSE));
  HostPartDocument* part = nullptr;
  EXPECT_EQ(At<19>(app, &part), E_FAIL);
  ASSERT_NE(part, nullptr);
  ASSERT_EQ(host.Documents().size(), 1u);
  EXPECT_EQ(static_cast<void*>(part), host.Documents()[0]->PartInterface());
  EXPECT_EQ(host.Log().Of("HostApplication", 19).back().result, E_FAIL);
  const int id = host.Documents()[0]->Id();
  EXPECT_EQ(host.ReferenceProblems(), (Lines{"HostPartDocument #" + std::to_string(id) + ": 1 reference not released"}));
  part->Release();
  // An early error of the entry gives way to the fault's result as well.
  EXPECT_EQ(At<15>(app, static_cast<HostFrame**>(nullptr)), S_FALSE);
  CountedPtr<HostFrame> frame;
  EXPECT_EQ(At<15>(app, frame.Out()), S_FALSE);
  EXPECT_EQ(frame.Get(), host.MainFrame().Interface());
  // A trap does nothing, so After is a plain failure there.
  host.InjectFault("HostApplication", 400, Fault::After(E_ABORT));
  EXPECT_EQ(At<400>(app), E_ABORT);
}

// The chooser decides each call that no injected fault takes.
TEST_F(HostCore, FaultChooserDecidesCallByCall) {
  std::vector<std::string> asked;
  int n = 0;
  host.SetFaultChooser([&](const char* role, int method) -> std::optional<Fault> {
    asked.push_back(std::string(role) + "." + std::to_string(method));
    switch (n++) {
      case 0: return std::nullopt;
      case 1: return Fault::NullOut(S_OK);
      default: return Fault::After(S_FALSE);
    }
  });
  host.InjectFault("HostApplication", 8, Fault::Fail(E_ABORT));
  HostApplication* app = host.Application();
  CountedPtr<HostPartDocument> first, second, third;
  CountedPtr<HostDocument> doc;
  EXPECT_EQ(At<19>(app, first.Out()), S_OK);
  EXPECT_EQ(At<19>(app, second.Out()), S_OK);
  EXPECT_EQ(At<19>(app, third.Out()), S_FALSE);
  EXPECT_EQ(At<8>(app, doc.Out()), E_ABORT);  // the injected fault: the chooser is not asked
  EXPECT_TRUE(first && !second && third);
  EXPECT_FALSE(doc);
  EXPECT_EQ(host.Documents().size(), 2u);
  EXPECT_EQ(asked, (Lines{"HostApplication.19", "HostApplication.19", "HostApplication.19"}));
  host.SetFaultChooser(nullptr);
  EXPECT_EQ(At<19>(app, second.Out()), S_OK);
  EXPECT_EQ(asked.size(), 3u);
}

TEST_F(HostCore, FaultOnUnknownRoleOrPositionIsRefused) {
  EXPECT_THROW(host.InjectFault("HostAplication", 19, Fault::Fail()), std::invalid_argument);
  EXPECT_THROW(host.InjectFault("HostApplication", 5000, Fault::Fail()), std::invalid_argument);
  EXPECT_THROW(host.InjectFault("HostApplication", -1, Fault::Fail()), std::invalid_argument);
  EXPECT_THROW(host.InjectFault("HostApplication", 2, Fault::Fail()), std::invalid_argument);
}

TEST_F(HostCore, FaultHitsOnlyItsRoleAndPosition) {
  host.InjectFault("HostApplication", 300, Fault::Fail(E_ABORT));
  host.InjectFault("HostApplication", 17, Fault::Fail(E_ABORT));
  EXPECT_EQ(At<300>(host.Application()), E_ABORT);  // a trap, failing instead
  EXPECT_EQ(At<301>(host.Application()), E_NOTIMPL);
  // Position 17 of the frame is another operation than position 17 of the application.
  CountedPtr<HostFrame> frame;
  ASSERT_EQ(At<15>(host.Application(), frame.Out()), S_OK);
  LONG handle = 0;
  EXPECT_EQ(At<17>(frame.Get(), &handle), S_OK);
  EXPECT_EQ(handle, host.MainWindow());
}

TEST_F(HostCore, LogTellsObjectsApart) {
  CountedPtr<HostPartDocument> first, second;
  ASSERT_EQ(At<19>(host.Application(), first.Out()), S_OK);
  ASSERT_EQ(At<19>(host.Application(), second.Out()), S_OK);
  host.Log().Clear();
  At<31>(second.Get(), static_cast<HostBody**>(nullptr));
  At<31>(first.Get(), static_cast<HostBody**>(nullptr));
  const auto& records = host.Log().Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].TextWithObject(), "HostPartDocument#" + std::to_string(host.Documents()[1]->Id()) + ".31(null)");
  EXPECT_EQ(records[1].TextWithObject(), "HostPartDocument#" + std::to_string(host.Documents()[0]->Id()) + ".31(null)");
  EXPECT_EQ(records[0].result, E_POINTER);
}

TEST_F(HostCore, LogModesKeepCountsAndDropWhatTheySay) {
  HostApplication* app = host.Application();
  CountedPtr<HostFrame> frame;
  host.SetLogMode(standin::LogMode::NoArguments);
  ASSERT_EQ(At<15>(app, frame.Out()), S_OK);
  host.SetLogMode(standin::LogMode::Off);
  LONG handle = 0;
  ASSERT_EQ(At<17>(frame.Get(), &handle), S_OK);
  EXPECT_EQ(host.Log().Lines(), (Lines{"HostApplication.15()"}));
  EXPECT_EQ(host.CallCount("HostFrame", 17), 1u);
  host.SetLogMode(standin::LogMode::Full);
  ASSERT_EQ(At<17>(frame.Get(), &handle), S_OK);
  EXPECT_EQ(host.Log().Lines().back(), "HostFrame.17(&)");
  EXPECT_EQ(host.CallCount("HostFrame", 17), 2u);
}

TEST_F(HostCore, LogRendersArgumentsExactly) {
  HostApplication* app = host.Application();
  CountedPtr<HostPartDocument> part;
  CountedPtr<HostDocument> doc;
  ASSERT_EQ(At<19>(app, part.Out()), S_OK);
  ASSERT_EQ(At<8>(app, doc.Out()), S_OK);
  At<14>(doc.Get(), LONG{-3});
  At<656>(doc.Get(), LONG{0});
  IDispatch* segment = nullptr;
  At<542>(doc.Get(), 0.254, 0.0, -0.0, 1e-5, 0.30479999999999996, 12.0, &segment);
  if (segment) segment->Release();
  At<542>(doc.Get(), 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, static_cast<IDispatch**>(nullptr));
  BstrHolder text(L"a\"b\u00e9");
  VARIANT_BOOL ok = VARIANT_TRUE;
  At<247>(app, LONG{7}, text.Get(), static_cast<BSTR>(nullptr), text.Get(), text.Get(), text.Get(), &ok);
  EXPECT_EQ(ok, VARIANT_TRUE);  // the File Open item is taken
  EXPECT_EQ(host.Log().Lines(), (Lines{
                                    "HostApplication.19(&)",
                                    "HostApplication.8(&)",
                                    "HostDocument.14(-3)",
                                    "HostDocument.656(0)",
                                    "HostDocument.542(0.254,0,-0,1e-05,0.30479999999999996,12,&)",
                                    "HostDocument.542(1,2,3,4,5,6,null)",
                                    "HostApplication.247(7,\"a\\u{22}b\\u{E9}\",null,\"a\\u{22}b\\u{E9}\",\"a\\u{22}b\\u{E9}\","
                                    "\"a\\u{22}b\\u{E9}\",&)",
                                }));
}

// --- reference counts -------------------------------------------------------------------

TEST_F(HostCore, BalancedReferencesLeaveNoProblem) {
  HostApplication* app = host.Application();
  {
    CountedPtr<HostFrame> frame;
    ASSERT_EQ(At<15>(app, frame.Out()), S_OK);
    CountedPtr<HostFrame> copy = frame;
    CountedPtr<HostFrame> again;
    ASSERT_EQ(At<15>(app, again.Out()), S_OK);
    EXPECT_EQ(host.MainFrame().FrameFace().clientRefs, 3);
  }
  EXPECT_TRUE(host.ReferenceProblems().empty());
  // The host's own reference to the application is not the client's to release.
  EXPECT_EQ(app->AddRef(), 2u);
  EXPECT_EQ(app->Release(), 1u);
}

// A release too many stays on record, so this one uses a host of its own.
TEST(HostReferences, LeakAndDoubleReleaseAreReported) {
  standin::StandInHost host;
  HostApplication* app = host.Application();
  HostPartDocument* part = nullptr;
  ASSERT_EQ(At<19>(app, &part), S_OK);
  const int id = host.ActiveDocument()->Id();
  EXPECT_EQ(host.ReferenceProblems(), (Lines{"HostPartDocument #" + std::to_string(id) + ": 1 reference not released"}));
  part->Release();
  EXPECT_TRUE(host.ReferenceProblems().empty());
  part->Release();  // one too many: recorded, nothing freed
  EXPECT_EQ(host.ReferenceProblems(),
            (Lines{"HostPartDocument #" + std::to_string(id) + ": released with no reference left"}));
  EXPECT_EQ(host.Log().Lines(true).back(), "HostPartDocument.2()");
  // The object is still usable: nothing was freed.
  EXPECT_EQ(host.ActiveDocument()->PartInterface(), static_cast<void*>(part));
}

// The fixture's teardown check fails a test that leaks: run it on a deliberate leak
// and catch the failure it adds.
TEST_F(HostCore, FixtureFailsATestThatLeaks) {
  HostFrame* frame = nullptr;
  ASSERT_EQ(At<15>(host.Application(), &frame), S_OK);
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    CheckReferences();
  }
  ASSERT_EQ(failures.size(), 1);
  EXPECT_TRUE(failures.GetTestPartResult(0).nonfatally_failed());
  EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("HostFrame #"), std::string::npos);
  EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("1 reference not released"), std::string::npos);
  frame->Release();  // now the real teardown passes
}

}  // namespace
