// Plymora.dll registered in the prefix as its installation would, and swhost.exe
// run as its own process: what the tests of the DLL loaded by the host share.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "AddinLoader.h"
#include "HostEvents.h"

namespace plymorahost {

inline constexpr wchar_t kTitle[] = L"Plymora for SolidWorks";

// Registers the DLL once, and the host's type libraries; the add-in's class id.
inline CLSID RegisteredPlymora() {
  static CLSID clsid = [] {
    HMODULE dll = LoadLibraryW(PLYMORA_DLL);
    EXPECT_NE(dll, nullptr);
    auto registerServer = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    EXPECT_EQ(registerServer ? registerServer() : E_FAIL, S_OK);
    CLSID found{};
    for (const standin::AddinEntry& e : standin::RegisteredAddins())
      if (e.title == kTitle) found = e.clsid;
    for (WORD major : standin::kHostTypeLibraryMajors) standin::RegisterHostTypeLibrary(major);
    return found;
  }();
  return clsid;
}

struct ProgramRun {
  DWORD code = WAIT_TIMEOUT;  // the exit code, WAIT_TIMEOUT when it had to be stopped
  std::string output;         // stdout and stderr, without the '\r' of text mode
};

// Runs swhost.exe with `arguments` (as on a command line) and waits up to 90 s.
inline ProgramRun RunSwHostProgram(const std::wstring& arguments) {
  ProgramRun run;
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  wchar_t outPath[MAX_PATH] = {};
  if (GetTempFileNameW(folder, L"swh", 0, outPath) == 0) return run;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE output = CreateFileW(outPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  if (output == INVALID_HANDLE_VALUE) return run;
  std::wstring command = std::wstring(L"\"") + SWHOST_EXE + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  const BOOL started =
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
  CloseHandle(output);
  EXPECT_TRUE(started) << GetLastError();
  if (started) {
    if (WaitForSingleObject(process.hProcess, 90000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &run.code);
    else TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  {
    std::ifstream in(outPath, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  DeleteFileW(outPath);
  run.output.erase(std::remove(run.output.begin(), run.output.end(), '\r'), run.output.end());
  return run;
}

}  // namespace plymorahost
