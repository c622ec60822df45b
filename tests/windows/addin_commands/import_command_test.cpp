#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "Caption.h"
#include "DialogDriver.h"
#include "ImportCommand.h"
#include "Settings.h"
#include "StandInHostTest.h"
#include "WindowsCreated.h"

namespace {

using standin::ClickButton;
using standin::DialogReport;
using standin::SetControlText;
using standin::Steps;
using standin::WindowAction;
using standin::WindowMatch;
using test_settings::Stored;
using testwin::WindowsCreated;

const WindowMatch kFileDialog{L"#32770", L"Open", {}};
const WindowMatch kOptions{L"#32770", L"Plymora for SolidWorks Options", {}};
constexpr int kFileNameEdit = 1152;  // the file dialog's file name box

// A fixture's Windows path (the file dialog takes no forward slashes).
std::wstring Fixture(const wchar_t* name) {
  const std::string root = PLYMORA_FIXTURES;
  std::wstring path = std::wstring(root.begin(), root.end()) + L"/import/" + name;
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

class ImportCommand : public standin::StandInHostTest {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    test_settings::Clear();
    // A real (hidden) window stands for the host's main window, the boxes' owner.
    m_owner = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                              nullptr);
    host.SetMainWindow(static_cast<LONG>(reinterpret_cast<LONG_PTR>(m_owner)));
    host.SetRevision(L"21.0.0");
  }
  void TearDown() override {
    DestroyWindow(m_owner);
    test_settings::Clear();
    CoUninitialize();
  }

  // Runs the command while the driver answers the windows of `steps`; every other
  // window fails the report.
  int Run(const std::wstring& path, std::vector<std::pair<WindowMatch, WindowAction>> steps) {
    standin::DialogDriver driver;
    driver.Ignore(L"ZTKProgressWindow");
    for (auto& [match, action] : steps) driver.Expect(std::move(match), std::move(action));
    driver.Start();
    const int result = RunImportCommand(host.Application(), path.c_str());
    m_report = driver.Finish();
    EXPECT_TRUE(m_report.Ok()) << m_report.Describe();
    return result;
  }
  static std::pair<WindowMatch, WindowAction> Warning() {
    return {{L"#32770", L"Plymora for SolidWorks 2013 version 1.0", {}}, ClickButton(IDOK)};
  }
  static std::pair<WindowMatch, WindowAction> OptionsOk() { return {kOptions, ClickButton(IDOK)}; }
  // The warning box of the run, checked for owner and style.
  std::wstring WarningText() {
    for (const auto& w : m_report.seen)
      if (w.caption == L"Plymora for SolidWorks 2013 version 1.0") {
        EXPECT_EQ(w.owner, m_owner);
        EXPECT_EQ(w.shownMessageBoxStyle, static_cast<int>(MB_ICONWARNING | MB_OK));
        return w.text;
      }
    return L"(no warning)";
  }

  HWND m_owner = nullptr;
  DialogReport m_report;
};

TEST_F(ImportCommand, CancelledFileDialogEndsSilently) {
  EXPECT_EQ(Run(L"", {{kFileDialog, ClickButton(IDCANCEL)}}), 0);
  EXPECT_TRUE(host.Documents().empty());
  EXPECT_FALSE(test_settings::KeyExists());  // no options dialog, nothing stored
}

TEST_F(ImportCommand, FileChosenInTheDialogIsImported) {
  const int result =
      Run(L"", {{kFileDialog, Steps({SetControlText(kFileNameEdit, Fixture(L"cube.obj")), ClickButton(IDOK)})},
                OptionsOk()});
  EXPECT_EQ(result, 1);
  ASSERT_EQ(host.Documents().size(), 1u);
  ASSERT_EQ(host.Documents()[0]->Bodies().size(), 1u);
  EXPECT_EQ(host.Documents()[0]->Bodies()[0]->Faces().size(), 6u);
  EXPECT_EQ(host.Documents()[0]->LengthUnit(), 3);  // the default unit: inches
}

// The file dialog belongs to the host's main window and offers the one OBJ filter.
TEST_F(ImportCommand, FileDialogIsOwnedByTheHostAndFiltersObjFiles) {
  EXPECT_EQ(Run(L"", {{kFileDialog, ClickButton(IDCANCEL)}}), 0);
  ASSERT_EQ(m_report.seen.size(), 1u);
  EXPECT_EQ(m_report.seen[0].owner, m_owner);
  bool filterShown = false;
  for (const auto& control : m_report.seen[0].controls)
    filterShown = filterShown || control.text.find(L"Wavefront OBJ Files (*.obj)") != std::wstring::npos;
  EXPECT_TRUE(filterShown);
}

// The options dialog is made with no parent: unlike the file dialog it has no
// owner, though the host gives its main window.
TEST_F(ImportCommand, OptionsDialogHasNoOwner) {
  EXPECT_EQ(Run(Fixture(L"cube.obj"), {{kOptions, ClickButton(IDCANCEL)}}), 0);
  ASSERT_EQ(m_report.seen.size(), 1u);
  EXPECT_EQ(m_report.seen[0].caption, L"Plymora for SolidWorks Options");
  EXPECT_EQ(m_report.seen[0].owner, nullptr);
  EXPECT_TRUE(host.Documents().empty());
}

// A name typed without extension gets "obj"; the dialog's path is not tested for
// ".obj", so a file of another extension picked there is read as it is.
TEST_F(ImportCommand, FileDialogPathGetsTheDefaultExtensionAndNoObjTest) {
  EXPECT_EQ(Run(L"", {{kFileDialog, Steps({SetControlText(kFileNameEdit, Fixture(L"cube")), ClickButton(IDOK)})},
                      OptionsOk()}),
            1);
  ASSERT_EQ(host.Documents().size(), 1u);

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring other = std::wstring(temp) + L"plymora cube.txt";
  ASSERT_TRUE(CopyFileW(Fixture(L"cube.obj").c_str(), other.c_str(), FALSE));
  EXPECT_EQ(Run(L"", {{kFileDialog, Steps({SetControlText(kFileNameEdit, other), ClickButton(IDOK)})}, OptionsOk()}),
            1);
  DeleteFileW(other.c_str());
  EXPECT_EQ(host.Documents().size(), 2u);
}

// Whatever caption Help or About built last, the import's box names the host running now.
TEST_F(ImportCommand, WarningCaptionIsBuiltByTheImportItself) {
  host.SetRevision(L"20.0.0");
  BuildCaption(host.Application());
  host.SetRevision(L"21.0.0");
  EXPECT_EQ(Run(Fixture(L"no_mesh.obj"), {OptionsOk(), Warning()}), 0);
  EXPECT_EQ(WarningText(), L"OBJ file does not contain meshes");
}

// The options step on its own: the outputs in the order units, kind, multibody,
// Y up, progress after OK; untouched after Cancel.
TEST_F(ImportCommand, OptionsStepFillsItsOutputsOnlyAfterOk) {
  test_settings::Store({1, 4, 0, 1, 0});
  int out[5] = {-7, -7, -7, -7, -7};
  standin::DialogReport report = standin::RunAnswering(
      {{kOptions, ClickButton(IDCANCEL)}}, [&] { EXPECT_EQ(RunOptionsDialog(&out[0], &out[1], &out[2], &out[3], &out[4]), 0); });
  EXPECT_TRUE(report.Ok()) << report.Describe();
  for (int value : out) EXPECT_EQ(value, -7);
  report = standin::RunAnswering(
      {OptionsOk()}, [&] { EXPECT_EQ(RunOptionsDialog(&out[0], &out[1], &out[2], &out[3], &out[4]), 1); });
  EXPECT_TRUE(report.Ok()) << report.Describe();
  EXPECT_EQ((std::vector<int>(out, out + 5)), (std::vector<int>{4, 1, 0, 1, 0}));
}

TEST_F(ImportCommand, GivenPathsAreCheckedForTheObjExtension) {
  // A file that is not there: the reader's message names the path it was given.
  EXPECT_EQ(Run(L"C:\\Models\\Part.OBJ", {OptionsOk(), Warning()}), 0);
  EXPECT_NE(WarningText().find(L"C:\\Models\\Part.OBJ"), std::wstring::npos);

  // Anything behind ".obj" is cut before the options dialog: the cube is imported.
  EXPECT_EQ(Run(Fixture(L"cube.obj.bak"), {OptionsOk()}), 1);
  EXPECT_EQ(host.Documents().size(), 1u);

  // Of several ".obj" in the file name the last one ends the path: nothing is cut here.
  EXPECT_EQ(Run(L"C:\\Models\\my.objects.obj", {OptionsOk(), Warning()}), 0);
  EXPECT_NE(WarningText().find(L"C:\\Models\\my.objects.obj"), std::wstring::npos) << WarningText();

  for (const wchar_t* path : {L"C:\\Models\\part.stl", L"C:\\my.objects\\part.stl", L"C:\\Models\\part"}) {
    EXPECT_EQ(Run(path, {Warning()}), 0) << path;  // no options dialog
    EXPECT_EQ(WarningText(), L"Please specify a file name with a .obj extension");
  }
  EXPECT_EQ(host.Documents().size(), 1u);
}

TEST_F(ImportCommand, CancelledOptionsReadNothing) {
  EXPECT_EQ(Run(L"C:\\Models\\missing.obj", {{kOptions, ClickButton(IDCANCEL)}}), 0);  // no reader warning
  const Stored s = test_settings::Read();
  for (int value : {s.importAs, s.units, s.multiBody, s.yUp, s.progress}) EXPECT_EQ(value, test_settings::kMissing);
  EXPECT_TRUE(host.Documents().empty());
}

TEST_F(ImportCommand, EachFailureShowsOneWarning) {
  EXPECT_EQ(Run(Fixture(L"no_mesh.obj"), {OptionsOk(), Warning()}), 0);
  EXPECT_EQ(WarningText(), L"OBJ file does not contain meshes");
  EXPECT_TRUE(host.Documents().empty());  // the bridge was not called

  // Multibody off: the closed first mesh keeps its part, the open second one fails.
  test_settings::Store({0, 2, 0, 0, 0});
  EXPECT_EQ(Run(Fixture(L"closed_then_open.obj"), {OptionsOk(), Warning()}), 0);
  EXPECT_EQ(WarningText(), L"Unable to create body from surfaces");
  ASSERT_EQ(host.Documents().size(), 2u);
  EXPECT_EQ(host.Documents()[0]->Bodies().size(), 1u);
  EXPECT_EQ(host.Documents()[1]->Bodies().size(), 0u);
}

TEST_F(ImportCommand, YUpTurnsEveryVertexExactly) {
  const struct {
    int yUp;
    std::array<double, 3> corner;
  } cases[] = {{1, {1, 3, -2}}, {0, {1, 2, 3}}};
  for (const auto& c : cases) {
    test_settings::Store({1, 2, 1, c.yUp, 0});  // 3D sketch, metres
    EXPECT_EQ(Run(Fixture(L"vertex123.obj"), {OptionsOk()}), 1);
    const standin::Document* doc = host.Documents().back().get();
    ASSERT_EQ(doc->Sketches().size(), 1u);
    bool found = false;
    for (const auto& line : doc->Sketches()[0].lines) found = found || line.start == c.corner || line.end == c.corner;
    EXPECT_TRUE(found) << "Y up " << c.yUp;
  }
}

TEST_F(ImportCommand, ProgressWindowsOnePerMeshOnlyWhenAsked) {
  for (int progress : {1, 0}) {
    test_settings::Store({0, 2, 1, 1, progress});
    WindowsCreated windows(L"ZTKProgressWindow");
    EXPECT_EQ(Run(Fixture(L"two_closed.obj"), {OptionsOk()}), 1);
    if (progress)
      EXPECT_EQ(windows.titles, (std::vector<std::wstring>{L"Creating solid", L"Creating solid"}));
    else
      EXPECT_TRUE(windows.titles.empty());
  }
  test_settings::Store({1, 2, 0, 1, 1});
  WindowsCreated windows(L"ZTKProgressWindow");
  EXPECT_EQ(Run(Fixture(L"two_closed.obj"), {OptionsOk()}), 1);
  EXPECT_EQ(windows.titles, (std::vector<std::wstring>{L"Creating mesh", L"Creating mesh"}));
}

}  // namespace

namespace {

// A main window handle that names no window must not swallow the warning.
TEST_F(ImportCommand, WarningWithoutAWindowBehindTheHandleStillShows) {
  host.SetMainWindow(0x00010010);  // no such window
  EXPECT_EQ(Run(Fixture(L"no_mesh.obj"), {OptionsOk(), {{L"#32770", L"Plymora for SolidWorks 2013 version 1.0", {}}, ClickButton(IDOK)}}), 0);
  ASSERT_EQ(m_report.seen.size(), 2u);
  EXPECT_EQ(m_report.seen[1].text, L"OBJ file does not contain meshes");
  EXPECT_EQ(m_report.seen[1].owner, nullptr);
}

}  // namespace
