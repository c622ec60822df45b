// Plymora.dll loaded by the stand-in host the way the host loads an add-in: found
// under the AddIns key, created by class id, connected, called by name, sent
// events, disconnected and released, with every host call checked by its literal
// position and no reference left either way.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <optional>
#include <sstream>

#include "AddinLoader.h"
#include "DialogDriver.h"
#include "PlymoraInHost.h"
#include "StandInHostTest.h"
#include "SwHost.h"
#include "WindowsHost.h"

namespace {

using Lines = std::vector<std::string>;

using plymorahost::RegisteredPlymora;

class AddinEndToEnd : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    clsid = RegisteredPlymora();
    ASSERT_FALSE(IsEqualCLSID(clsid, GUID_NULL)) << "the add-in's key names it";
  }
  void TearDown() override {
    if (loader.Loaded()) loader.Unload();
    standin::StandInHostTest::TearDown();
  }
  HRESULT Load() {
    HRESULT hr = E_FAIL;
    standin::DialogReport r = standin::RunAnswering({}, [&] { hr = loader.Load(clsid, 1); });
    EXPECT_TRUE(r.Ok()) << "connecting shows no window: " << r.Describe();
    return hr;
  }
  // Runs a step that may show windows; they are closed like a user would close them.
  void Answered(const std::function<void()>& step) { standin::RunAnswering({}, step, 3000); }

  CLSID clsid{};
  standin::WindowsHost windows{host};
  standin::AddinLoader loader{windows};
};

// The host's log with the temporary icon paths, which differ each run, as "file".
Lines Normalised(const standin::CallLog& log) {
  Lines out;
  for (const standin::CallRecord& r : log.Records()) {
    if (r.method <= 6) continue;
    const bool icon = std::string(r.role) == "HostCommandGroup" &&
                      (r.method == 12 || r.method == 14 || r.method == 16 || r.method == 18);
    out.push_back(icon ? std::string(r.role) + "." + std::to_string(r.method) + "(file)" : r.Text());
  }
  return out;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST_F(AddinEndToEnd, ConnectionMakesTheHostCallsInOrder) {
  ASSERT_EQ(Load(), S_OK);
  EXPECT_EQ(loader.ConnectOk(), VARIANT_TRUE);
  auto group = host.Connection().Commands().Group(1);
  ASSERT_TRUE(group);
  ASSERT_EQ(group->items.size(), 3u);
  std::string ids = "[";
  for (size_t i = 0; i < 3; ++i) ids += (i ? "," : "") + std::to_string(group->items[i].commandId);
  ids += "]";

  // The module handle goes to the host cut to its low 32 bits.
  const HMODULE dll = GetModuleHandleW(std::filesystem::path(PLYMORA_DLL).filename().wstring().c_str());
  ASSERT_NE(dll, nullptr);
  const LONG module = static_cast<LONG>(reinterpret_cast<ULONG_PTR>(dll) & 0xFFFFFFFFu);
  Lines expected = {
      "HostApplication.231(1,&)",
      "HostApplication.155(" + std::to_string(module) + ",obj,1,&)",
      "HostApplication.25(&)",
      "HostApplication.247(1,\"Plymora_Open\",\"Wavefront OBJ Files (*.obj) [ZENTIK]\",\"obj\",\"\",\"\",&)",
      "HostCommandManager.7(1,\"Plymora\",\"Plymora for SolidWorks\",\"Plymora for SolidWorks\",-1,&)",
      "HostCommandGroup.18(file)",
      "HostCommandGroup.16(file)",
      "HostCommandGroup.14(file)",
      "HostCommandGroup.12(file)",
      "HostCommandGroup.20(3)",
      "HostCommandGroup.34(\"Import\",-1,\"Import an OBJ file\",\"Import\",0,\"Plymora_Import\",\"\",0,3,&)",
      "HostCommandGroup.34(\"Help\",-1,\"Display the Plymora for SolidWorks help file\",\"Help\",1,\"Plymora_Help\",\"\",0,"
      "3,&)",
      "HostCommandGroup.34(\"About\",-1,\"Display the Plymora for SolidWorks about box\",\"About\",3,\"Plymora_About\",\"\","
      "0,3,&)",
      "HostCommandGroup.27(1)",
      "HostCommandGroup.29(1)",
      "HostCommandGroup.10(&)",
  };
  for (const char* type : {"2", "3", "1"}) {
    const std::string t = type;
    for (const std::string& line :
         {"HostCommandManager.14(" + t + ",&)", "HostCommandManager.17(" + t + ",\"Plymora\",&)",
          "HostCommandManager.18(" + t + ",\"Plymora\",&)", std::string("HostCommandTab.10(&)"),
          std::string("HostCommandGroup.36(0,&)"), std::string("HostCommandGroup.36(1,&)"),
          std::string("HostCommandGroup.36(2,&)"), "HostCommandTabBox.8(3," + ids + ",[2,2,2],&)"})
      expected.push_back(line);
  }
  EXPECT_EQ(Normalised(host.Log()), expected);
  // Every callback name it registered is one its callback object answers.
  EXPECT_EQ(loader.CallbackProblems(), Lines{});
  Lines resolved;
  for (const standin::CallbackName& c : host.Connection().ResolvedCallbacks())
    resolved.push_back(standin::Utf8(c.registeredBy + L" " + c.name + L" ") + std::to_string(c.dispid));
  EXPECT_EQ(resolved, (Lines{"File Open item *.obj Plymora_Open 9", "command Import Plymora_Import 5",
                             "command Help Plymora_Help 6", "command About Plymora_About 8"}));
  EXPECT_EQ(windows.Events().Log(), (std::vector<std::string>{"Advise 1"}));
  EXPECT_EQ(windows.Events().SinkCount(), 1u);
  EXPECT_NE(host.Connection().CallbackObject(1), nullptr);

  // Each icon file existed, a bitmap of its size, when the group took it, and is
  // gone now.
  struct Icon {
    const standin::IconFile& file;
    int width, height;
  };
  for (const Icon& i : {Icon{group->smallIconList, 64, 16}, Icon{group->largeIconList, 96, 24},
                        Icon{group->largeMainIcon, 16, 16}, Icon{group->smallMainIcon, 24, 24}}) {
    SCOPED_TRACE(standin::Utf8(i.file.path));
    EXPECT_TRUE(i.file.existed);
    EXPECT_TRUE(i.file.validBitmap);
    EXPECT_EQ(i.file.width, i.width);
    EXPECT_EQ(i.file.height, i.height);
    EXPECT_EQ(i.file.bitCount, 24);
    EXPECT_FALSE(FileExists(i.file.path)) << "the temporary file is deleted after the set-up";
  }
  for (const auto& t : host.Connection().Commands().Tabs()) {
    ASSERT_EQ(t->boxes.size(), 1u);
    EXPECT_EQ(t->boxes[0]->textTypes, (std::vector<LONG>{2, 2, 2}));
  }

  host.Log().Clear();
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(loader.Disconnect(&ok), E_NOTIMPL);
  EXPECT_EQ(ok, VARIANT_TRUE);
  EXPECT_EQ(Normalised(host.Log()),
            (Lines{"HostCommandManager.8(1,&)",
                   "HostApplication.178(1,\"Plymora_Open\",\"Wavefront OBJ Files (*.obj) [ZENTIK]\",\"obj\",&)"}));
  EXPECT_TRUE(group->removed);
  EXPECT_TRUE(host.Connection().Commands().FileOpenItems().empty());
  EXPECT_EQ(windows.Events().Log().back(), "Unadvise 1 0x00000000");
  EXPECT_TRUE(host.ReferenceProblems().empty()) << "the add-in let go of the host at disconnect";
  EXPECT_TRUE(loader.Unload());
  EXPECT_EQ(loader.AddinReferencesLeft(), 0u);
}

TEST_F(AddinEndToEnd, CallbacksByNameAndEventsArriveWhileConnected) {
  ASSERT_EQ(Load(), S_OK);
  struct Call {
    const wchar_t* name;
    std::optional<std::wstring> argument;
  };
  const Call calls[] = {{L"Plymora_Import", std::nullopt},
                        {L"Plymora_Help", std::nullopt},
                        {L"Plymora_About", std::nullopt},
                        {L"Plymora_Open", std::wstring(L"Z:\\no\\such\\file.obj")},
                        {L"Plymora_Open", std::wstring()}};
  for (const Call& c : calls) {
    SCOPED_TRACE(standin::Utf8(c.name));
    HRESULT hr = E_FAIL;
    Answered([&] { hr = loader.Call(c.name, c.argument); });
    EXPECT_EQ(hr, S_OK) << "a command answers S_OK whatever it did";
  }
  EXPECT_EQ(loader.Call(L"Plymora_Nothing"), DISP_E_UNKNOWNNAME);
  for (DISPID id : {4, 5, 11, 12, 7}) {
    SCOPED_TRACE(id);
    std::vector<HRESULT> results;
    Answered([&] { results = loader.Fire(id); });
    EXPECT_EQ(results, (std::vector<HRESULT>{S_OK})) << "handled or not, the sink answers S_OK";
  }
  EXPECT_TRUE(loader.Unload());
  const Lines tail(loader.Report().end() - 4, loader.Report().end());
  EXPECT_EQ(tail, (Lines{"disconnect: 0x80004001 ok -1", "sinks still advised: 0", "add-in references left: 0",
                         "host references held by the add-in: 0"}));
}

TEST_F(AddinEndToEnd, AnExistingTabIsLeftAlone) {
  auto existing = host.Connection().Commands().AddTab(3, L"Plymora", false);
  ASSERT_EQ(Load(), S_OK);
  EXPECT_EQ(host.Log().Args("HostCommandManager", 17), (Lines{"2,\"Plymora\",&", "3,\"Plymora\",&", "1,\"Plymora\",&"}));
  EXPECT_EQ(host.Log().Args("HostCommandManager", 18), (Lines{"2,\"Plymora\",&", "1,\"Plymora\",&"}));
  EXPECT_EQ(host.Log().Count("HostCommandTabBox", 8), 2u);
  EXPECT_TRUE(existing->boxes.empty()) << "no box and no commands on the host's tab";
  EXPECT_EQ(host.Connection().Commands().Tabs().size(), 3u);
  EXPECT_TRUE(loader.Unload());
}

TEST_F(AddinEndToEnd, AFailingUnadviseIsReportedAndTheHostStillLetGo) {
  ASSERT_EQ(Load(), S_OK);
  windows.Events().FailUnadvise(E_FAIL);
  VARIANT_BOOL ok = VARIANT_TRUE;
  EXPECT_EQ(loader.Disconnect(&ok), E_NOTIMPL);
  EXPECT_EQ(ok, VARIANT_FALSE);
  EXPECT_TRUE(host.ReferenceProblems().empty()) << "both host pointers released all the same";
  EXPECT_EQ(host.Log().Count("HostCommandManager", 8), 1u);
  EXPECT_EQ(host.Log().Count("HostApplication", 178), 1u);
  // The sink is still advised: the host holds the add-in until it drops the connection.
  EXPECT_FALSE(loader.Unload());
  EXPECT_EQ(loader.SinksLeftAtUnload(), 1u);
  EXPECT_EQ(windows.Events().SinkCount(), 0u);
}

TEST_F(AddinEndToEnd, ConnectsWhateverRevisionTheHostGives) {
  for (const wchar_t* revision : {L"20.0.0", L"13.1.0", L"14.0.0", static_cast<const wchar_t*>(nullptr)}) {
    SCOPED_TRACE(revision ? standin::Utf8(revision) : "none");
    standin::StandInHost other;
    other.SetRevision(revision);
    standin::WindowsHost otherWindows(other);
    standin::AddinLoader otherLoader(otherWindows);
    ASSERT_EQ(otherLoader.Load(clsid, 7), S_OK);
    EXPECT_EQ(otherLoader.ConnectOk(), VARIANT_TRUE);
    EXPECT_EQ(other.Log().Count("HostApplication", 25), 1u);
    EXPECT_EQ(otherWindows.Events().SinkCount(), 1u);
    EXPECT_EQ(otherLoader.Fire(4), (std::vector<HRESULT>{S_OK}));
    EXPECT_TRUE(otherLoader.Unload());
  }
}

TEST_F(AddinEndToEnd, SwHostRunsTheAddinFromTheCommandLine) {
  standin::SwHostOptions options;
  std::string error;
  ASSERT_TRUE(standin::ParseSwHostArguments({L"--revision", L"21.0.0", L"--call", L"Plymora_About", L"--call",
                                             L"Plymora_Open", L"Z:\\no\\such.obj", L"--fire", L"4", L"--fire", L"7",
                                             L"--window-timeout", L"3000"},
                                            options, error))
      << error;
  wchar_t text[64] = {};
  StringFromGUID2(clsid, text, 64);
  std::vector<std::wstring> withAddin = {L"--addin", text};
  ASSERT_TRUE(standin::ParseSwHostArguments(withAddin, options, error)) << error;
  std::ostringstream out;
  EXPECT_EQ(standin::RunSwHost(options, out), 0) << out.str();
  const std::string report = out.str();
  for (const char* line :
       {"host revision '21.0.0', type library 21.0: 0x00000000\n", "  connect cookie 1: 0x00000000 ok -1\n",
        "  call Plymora_About dispid 8: 0x00000000\n", "  call Plymora_Open(Z:\\no\\such.obj) dispid ",
        "  fire 4: 0x00000000\n", "  fire 7: 0x00000000\n", "    small icons: 64x16 24-bit bitmap\n",
        "  File Open item 'Wavefront OBJ Files (*.obj) [ZENTIK]' *.obj -> Plymora_Open\n",
        "  no reference left either way\n"})
    EXPECT_NE(report.find(line), std::string::npos) << line << "\nin\n" << report;
}

// swhost.exe as its own process, reading the AddIns key as the host does: it
// loads the registered add-in, calls every callback by name, fires the handled
// events and one that is not, disconnects and lets go.
TEST_F(AddinEndToEnd, SwHostProgramRunsTheRegisteredAddin) {
  const std::wstring caption = L"\"Plymora for SolidWorks 2012 version 1.0\"";
  const plymorahost::ProgramRun run = plymorahost::RunSwHostProgram(
      std::wstring(L"--revision 20.0.0 --window-timeout 5000") + L" --answer Open 2 --answer " + caption + L" 1" +
      L" --answer \"Plymora for SolidWorks Options\" 2" +
      L" --call Plymora_Import --call Plymora_Help --call Plymora_About" +
      L" --call Plymora_Open Z:\\no\\such\\file.obj" + L" --fire 4 --fire 5 --fire 11 --fire 12 --fire 7");
  const DWORD code = run.code;
  const std::string& report = run.output;
  EXPECT_EQ(code, 0u) << report;
  wchar_t clsidText[64] = {};
  StringFromGUID2(clsid, clsidText, 64);
  for (const std::string& line :
       {"add-in " + standin::Utf8(clsidText) + " 'Plymora for SolidWorks'\n", std::string("  connect cookie 1: 0x00000000 ok -1\n"),
        std::string("  callback Plymora_Open of File Open item *.obj: dispid 9\n"),
        std::string("  callback Plymora_Import of command Import: dispid 5\n"),
        std::string("  callback Plymora_Help of command Help: dispid 6\n"),
        std::string("  callback Plymora_About of command About: dispid 8\n"),
        std::string("  call Plymora_Import dispid 5: 0x00000000\n"), std::string("  call Plymora_Help dispid 6: 0x00000000\n"),
        std::string("  call Plymora_About dispid 8: 0x00000000\n"),
        std::string("  call Plymora_Open(Z:\\no\\such\\file.obj) dispid 9: 0x00000000\n"),
        std::string("  fire 4: 0x00000000\n"), std::string("  fire 5: 0x00000000\n"), std::string("  fire 11: 0x00000000\n"),
        std::string("  fire 12: 0x00000000\n"), std::string("  fire 7: 0x00000000\n"),
        std::string("  disconnect: 0x80004001 ok -1\n"), std::string("  sinks still advised: 0\n"),
        std::string("  add-in references left: 0\n"), std::string("  host references held by the add-in: 0\n"),
        std::string("  no reference left either way\n")})
    EXPECT_NE(report.find(line), std::string::npos) << line << "\nin\n" << report;
  // Help and About each showed their own box, told apart by its text: the window
  // lines of a call come just before the call's line.
  for (const std::string& shown :
       {std::string("  window 'Plymora for SolidWorks 2012 version 1.0' (#32770) text 'Error displaying Plymora for "
                    "SolidWorks help file.' style 0x30 no owner: answered\n  call Plymora_Help dispid 6"),
        std::string("  window 'Plymora for SolidWorks 2012 version 1.0' (#32770) text 'Plymora for SolidWorks 2012 "
                    "version 1.0\n\nImports Wavefront OBJ meshes into part documents, as solid bodies or as 3D-sketch "
                    "lines.\n\nZENTIK' style 0x40 no owner: answered\n  call Plymora_About dispid 8")})
    EXPECT_NE(report.find(shown), std::string::npos) << shown << "\nin\n" << report;
  // Each command's first window was answered; none had to be closed.
  EXPECT_NE(report.find("window 'Open'"), std::string::npos) << report;
  EXPECT_NE(report.find("window 'Plymora for SolidWorks Options'"), std::string::npos) << report;
  EXPECT_EQ(report.find(": closed\n"), std::string::npos) << report;
}

TEST(SwHostArguments, RefusesWhatItDoesNotUnderstand) {
  struct Case {
    std::vector<std::wstring> args;
    const char* error;
  };
  const Case cases[] = {
      {{L"--call"}, "--call needs a value"},
      {{L"--fire", L"x4"}, "not an event id: x4"},
      {{L"--addin", L"{not}"}, "not a class id: {not}"},
      {{L"--bogus"}, "unknown argument: --bogus"},
      {{L"--answer", L"Caption"}, "--answer needs a value"},
      {{L"--answer", L"Caption", L"OK"}, "not a button id: OK"},
  };
  for (const Case& c : cases) {
    standin::SwHostOptions options;
    std::string error;
    EXPECT_FALSE(standin::ParseSwHostArguments(c.args, options, error));
    EXPECT_EQ(error, c.error);
  }
  standin::SwHostOptions options;
  std::string error;
  ASSERT_TRUE(standin::ParseSwHostArguments(
      {L"--no-revision", L"--call", L"A", L"--call", L"B", L"x", L"--fire", L"12"}, options, error));
  EXPECT_FALSE(options.revision);
  ASSERT_EQ(options.actions.size(), 3u);
  EXPECT_FALSE(options.actions[0].argument) << "an argument is the next word unless it is an option";
  EXPECT_EQ(*options.actions[1].argument, L"x");
  EXPECT_EQ(options.actions[2].dispid, 12);
}

}  // namespace
