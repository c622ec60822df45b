// Help as the host runs it: through the loaded DLL, in swhost.exe. The help file
// is the Plymora.chm beside the DLL, whatever program loaded it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwctype>
#include <fstream>
#include <string>

#include "HelpViewer.h"
#include "PlymoraInHost.h"

namespace {

// A path as the shell may hand it on: no drive, backslashes, lower case.
std::wstring Comparable(std::wstring path) {
  if (path.size() > 1 && path[1] == L':') path.erase(0, 2);
  for (wchar_t& c : path) c = c == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(c));
  return path;
}

TEST(AddinHelp, OpensThePlymoraChmBesideTheLoadedDll) {
  ASSERT_FALSE(IsEqualCLSID(plymorahost::RegisteredPlymora(), GUID_NULL)) << "the add-in's key names it";
  const std::wstring dll = PLYMORA_DLL;
  const std::wstring chm = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"Plymora.chm";
  std::ofstream(chm.c_str()) << "help";
  std::wstring opened;
  plymorahost::ProgramRun run;
  {
    testhelp::HelpViewer viewer(HELP_RECORDER);
    run = plymorahost::RunSwHostProgram(L"--revision 20.0.0 --window-timeout 3000 --call Plymora_Help");
    opened = viewer.Opened();
  }
  DeleteFileW(chm.c_str());
  EXPECT_EQ(run.code, 0u) << run.output;
  EXPECT_NE(run.output.find("  call Plymora_Help dispid 6: 0x00000000\n"), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("  window '"), std::string::npos) << "no box: " << run.output;
  EXPECT_NE(Comparable(opened).find(Comparable(chm)), std::wstring::npos)
      << "the viewer was asked for '" << standin::Utf8(opened) << "'";
}

}  // namespace
