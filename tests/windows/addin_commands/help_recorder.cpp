// Stands in for the help viewer: the test points the shell's "open" verb for .chm
// files at this program, which writes the file it was asked to open beside itself.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring log(self);
  log = log.substr(0, log.find_last_of(L"\\/") + 1) + L"help_recorder.log";
  HANDLE file = CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, commandLine, static_cast<DWORD>(wcslen(commandLine) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
