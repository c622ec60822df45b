#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <optional>
#include <string>

#include "Caption.h"
#include "DialogDriver.h"
#include "HelpViewer.h"
#include "StandInHostTest.h"

namespace {

using standin::ClickButton;
using standin::DialogDriver;
using standin::WindowMatch;

class Caption : public standin::StandInHostTest {};

TEST_F(Caption, NamesTheRunningHostRelease) {
  const struct {
    const wchar_t* revision;
    const wchar_t* caption;
  } cases[] = {
      {L"20.0.0", L"Plymora for SolidWorks 2012 version 1.0"},
      {L"21.0.0", L"Plymora for SolidWorks 2013 version 1.0"},
      {L"15.0.0", L"Plymora for SolidWorks ???? version 1.0"},
      {L"22.0.0", L"Plymora for SolidWorks ???? version 1.0"},
      {L"16.5.1", L"Plymora for SolidWorks 2008 version 1.0"},
      {nullptr, L"Plymora for SolidWorks ???? version 1.0"},
  };
  for (const auto& c : cases) {
    host.SetRevision(c.revision);
    BuildCaption(host.Application());
    EXPECT_STREQ(AddinCaption, c.caption) << (c.revision ? c.revision : L"(none)");
  }
}

TEST_F(Caption, AboutShowsItsBoxTitledWithAFreshCaption) {
  AddinCaption[0] = 0;
  host.SetRevision(L"21.0.0");
  DialogDriver driver;
  driver.Expect({L"#32770", L"Plymora for SolidWorks 2013 version 1.0", {}}, ClickButton(IDOK));
  driver.Start();
  ShowAbout(host.Application());
  const auto report = driver.Finish();
  ASSERT_TRUE(report.Ok()) << report.Describe();
  ASSERT_EQ(report.seen.size(), 1u);
  EXPECT_EQ(report.seen[0].owner, nullptr);
  // The about box's own text, which begins with the caption: not the help warning.
  EXPECT_EQ(report.seen[0].text,
            L"Plymora for SolidWorks 2013 version 1.0\n\nImports Wavefront OBJ meshes into part documents, as solid "
            L"bodies or as 3D-sketch lines.\n\nZENTIK");
  EXPECT_EQ(report.seen[0].shownMessageBoxStyle, static_cast<int>(MB_ICONINFORMATION | MB_OK));
}

// The Help command looks for Plymora.chm beside the module named Plymora.dll; in a
// test program that module is absent, so the program's own folder is searched.
class Help : public Caption {
 protected:
  void SetUp() override {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    m_folder = self;
    m_folder.resize(m_folder.find_last_of(L"\\/") + 1);
    DeleteFileW((m_folder + L"Plymora.chm").c_str());
    m_viewer.emplace(m_folder + L"help_recorder.exe");
    // The owner stays hidden: the driver answers visible windows only.
    m_owner = CreateWindowExW(0, L"STATIC", L"host main window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, nullptr, nullptr);
    host.SetMainWindow(static_cast<LONG>(reinterpret_cast<LONG_PTR>(m_owner)));
  }
  void TearDown() override {
    DestroyWindow(m_owner);
    m_viewer.reset();
    DeleteFileW((m_folder + L"Plymora.chm").c_str());
  }
  std::wstring Recorded() { return m_viewer->Opened(); }
  std::wstring m_folder;
  std::optional<testhelp::HelpViewer> m_viewer;
  HWND m_owner = nullptr;
};

TEST_F(Help, OpensTheHelpFileBesideTheModuleWithTheShell) {
  std::ofstream(std::string(m_folder.begin(), m_folder.end()) + "Plymora.chm") << "help";
  DialogDriver driver;  // no window is expected: any box fails the test
  driver.Start();
  ShowHelp(host.Application());
  const std::wstring opened = Recorded();
  const auto report = driver.Finish();
  EXPECT_TRUE(report.Ok()) << report.Describe();
  // The recorder gets the file, quoted or not, as the shell hands it on.
  EXPECT_NE(opened.find(L"Plymora.chm"), std::wstring::npos) << std::string(opened.begin(), opened.end());
  EXPECT_NE(opened.find(m_folder.substr(2)), std::wstring::npos);
}

TEST_F(Help, WarnsOnceWhenTheHelpFileIsMissing) {
  host.SetRevision(L"20.0.0");
  DialogDriver driver;
  driver.Expect({L"#32770", L"Plymora for SolidWorks 2012 version 1.0", {}}, ClickButton(IDOK));
  driver.Start();
  ShowHelp(host.Application());
  const auto report = driver.Finish();
  ASSERT_TRUE(report.Ok()) << report.Describe();
  ASSERT_EQ(report.seen.size(), 1u);
  EXPECT_EQ(report.seen[0].text, L"Error displaying Plymora for SolidWorks help file.");
  EXPECT_EQ(report.seen[0].owner, m_owner);
  EXPECT_EQ(report.seen[0].shownMessageBoxStyle, static_cast<int>(MB_ICONWARNING | MB_OK));
  EXPECT_EQ(Recorded().size(), 0u);
}

TEST_F(Help, WarnsWithoutOwnerWhenTheHostGivesNoWindow) {
  host.SetFramePresent(false);
  DialogDriver driver;
  driver.Expect({L"#32770", L"", {}}, ClickButton(IDOK));
  driver.Start();
  ShowHelp(host.Application());
  const auto report = driver.Finish();
  ASSERT_TRUE(report.Ok()) << report.Describe();
  ASSERT_EQ(report.seen.size(), 1u);
  EXPECT_EQ(report.seen[0].owner, nullptr);
}

}  // namespace
