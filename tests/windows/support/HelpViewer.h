// The help viewer for tests: while an object lives, the shell's "open" for .chm
// files runs help_recorder.exe, which writes the path it was asked to open beside
// itself (help_recorder.log). The previous association comes back at the end.
#pragma once

#include <windows.h>

#include <string>

namespace testhelp {

class HelpViewer {
 public:
  // `recorder`: the full path of help_recorder.exe.
  explicit HelpViewer(const std::wstring& recorder)
      : m_log(recorder.substr(0, recorder.find_last_of(L"\\/") + 1) + L"help_recorder.log") {
    DeleteFileW(m_log.c_str());
    const std::wstring command = L"\"" + recorder + L"\" \"%1\"";
    wchar_t previous[256] = {};
    DWORD size = sizeof previous;
    if (RegGetValueW(HKEY_CLASSES_ROOT, L".chm", nullptr, RRF_RT_REG_SZ, nullptr, previous, &size) == ERROR_SUCCESS)
      m_previous = previous;
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".chm", nullptr, REG_SZ, L"PlymoraTest.chm", sizeof L"PlymoraTest.chm");
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"PlymoraTest.chm\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  ~HelpViewer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"PlymoraTest.chm");
    if (m_previous.empty())
      RegDeleteTreeW(HKEY_CLASSES_ROOT, L".chm");
    else
      RegSetKeyValueW(HKEY_CLASSES_ROOT, L".chm", nullptr, REG_SZ, m_previous.c_str(),
                      static_cast<DWORD>((m_previous.size() + 1) * sizeof(wchar_t)));
    DeleteFileW(m_log.c_str());
  }
  HelpViewer(const HelpViewer&) = delete;
  HelpViewer& operator=(const HelpViewer&) = delete;

  // What the viewer was asked to open, waiting up to `waitMs` for it to start and
  // write; empty when it was not started.
  std::wstring Opened(DWORD waitMs = 10000) const {
    for (DWORD waited = 0; waited < waitMs; waited += 50) {
      HANDLE f = CreateFileW(m_log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (f != INVALID_HANDLE_VALUE) {
        wchar_t text[1024] = {};
        DWORD got = 0;
        ReadFile(f, text, sizeof text - sizeof(wchar_t), &got, nullptr);
        CloseHandle(f);
        if (got) return text;
      }
      Sleep(50);
    }
    return L"";
  }

 private:
  std::wstring m_log;
  std::wstring m_previous;
};

}  // namespace testhelp
