// swhost: the stand-in host as a program. It loads each add-in of the host's
// AddIns key (or the one given) the way the host does, connects it, runs the
// calls and events of the command line in their order, disconnects it, lets it go
// and prints what happened: the add-in's set-up, the callback names it registered
// as its callback object answered them, each call's result, the windows the
// add-in showed (closed like a user would close them), and whether any reference
// was left either way.
//
//   swhost.exe [--revision TEXT | --no-revision] [--addin CLSID]
//              [--call NAME [ARG]]... [--fire DISPID]... [--window-timeout MS]
//              [--answer CAPTION BUTTON]... [--set CAPTION CONTROL VALUE]...
//              [--documents DIR]
//
// An ARG is the next word unless it starts with "--". A window captioned CAPTION
// gets its button BUTTON (a control id, 1 for OK, 2 for Cancel) pressed whenever it
// shows, after its controls named by --set were set as a user would: a check box or
// radio button ticked (VALUE 1) or cleared (0), a combo box's item VALUE selected.
// Every other window is closed, except progress windows, which come and go by
// themselves. With --documents, each document the host holds after the calls is
// described and written as DIR\<n>.obj, and the run counts as good only when there
// is at least one and no window had to be closed. RunSwHost is the same in
// process, for tests.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace standin {

struct SwHostAction {
  enum class Kind { Call, Fire };
  Kind kind = Kind::Call;
  std::wstring name;                    // Call: the callback's name
  std::optional<std::wstring> argument;  // Call: a BSTR argument
  DISPID dispid = 0;                    // Fire: the event
};

struct SwHostOptions {
  std::optional<std::wstring> revision = std::wstring(L"20.0.0");  // none: a null revision text
  std::optional<CLSID> addin;  // none: every add-in of the AddIns key
  std::vector<SwHostAction> actions;
  DWORD windowTimeoutMs = 5000;  // how long a window the add-in shows may stay open
  struct Answer {
    std::wstring caption;
    int button = 0;
  };
  std::vector<Answer> answers;
  struct Setting {
    std::wstring caption;
    int control = 0;
    int value = 0;
  };
  std::vector<Setting> settings;
  std::optional<std::wstring> documentsFolder;
};

// False, with the reason, for a command line it does not understand.
bool ParseSwHostArguments(const std::vector<std::wstring>& args, SwHostOptions& options, std::string& error);

// 0 when every add-in loaded, answered every callback name it registered and left
// no reference either way, 1 otherwise.
int RunSwHost(const SwHostOptions& options, std::ostream& out);

}  // namespace standin

#endif  // _WIN32
