#include "SwHost.h"

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <functional>

#include "AddinLoader.h"
#include "DocumentExport.h"
#include "DialogDriver.h"
#include "HostEvents.h"
#include "StandInHost.h"
#include "WindowsHost.h"

namespace standin {
namespace {

// The library version an add-in's sink asks for: the major revision from 14 on,
// else 0.
WORD TypeLibraryMajor(const std::optional<std::wstring>& revision) {
  const long major = revision ? std::wcstol(revision->c_str(), nullptr, 10) : 0;
  return major >= 14 && major <= 0xFFFF ? static_cast<WORD>(major) : 0;
}

std::string Join(const std::vector<std::wstring>& items) {
  std::string out;
  for (const std::wstring& i : items) out += (out.empty() ? "" : ", ") + Utf8(i);
  return out;
}

void PrintWindow(const WindowInfo& w, const char* outcome, std::ostream& out) {
  char owner[32];
  std::snprintf(owner, sizeof owner, "%p", static_cast<void*>(w.owner));
  out << "  window '" << Utf8(w.caption) << "' (" << Utf8(w.className) << ") text '" << Utf8(w.text) << "'";
  if (w.shownMessageBoxStyle >= 0) out << " style 0x" << std::hex << w.shownMessageBoxStyle << std::dec;
  out << (w.owner ? std::string(" owner ") + owner : std::string(" no owner")) << ": " << outcome << "\n";
}

// Sets a control as a user would: a combo box by item, anything else by its check.
WindowAction SetControl(int id, int value) {
  return [id, value](HWND window) {
    wchar_t cls[64] = {};
    GetClassNameW(GetDlgItem(window, id), cls, 64);
    return _wcsicmp(cls, L"ComboBox") == 0 ? SelectComboItem(id, value)(window) : SetCheck(id, value != 0)(window);
  };
}

// Runs a step with a watcher that answers the windows the command line names and
// closes every other window the add-in opens on this thread, and prints them.
// False when a window had to be closed.
bool Answered(const std::function<void()>& step, const SwHostOptions& options, std::ostream& out) {
  DialogDriver driver(options.windowTimeoutMs);
  driver.Ignore(L"ZTKProgressWindow");
  for (const SwHostOptions::Answer& a : options.answers) {
    std::vector<WindowAction> actions;
    for (const SwHostOptions::Setting& s : options.settings)
      if (s.caption == a.caption) actions.push_back(SetControl(s.control, s.value));
    actions.push_back(ClickButton(a.button));
    driver.Answer({L"", a.caption, nullptr}, Steps(std::move(actions)));
  }
  driver.Start();
  step();
  DialogReport report = driver.Finish();
  for (const WindowInfo& w : report.answered) PrintWindow(w, "answered", out);
  for (const WindowInfo& w : report.unexpected) PrintWindow(w, "closed", out);
  return report.unexpected.empty();
}

// Describes each document and writes it as <folder>\<n>.obj; false when there is
// none or one cannot be written.
bool WriteDocuments(const StandInHost& host, const std::wstring& folder, std::ostream& out) {
  int n = 0;
  bool written = true;
  for (const auto& doc : host.Documents()) {
    const std::filesystem::path file = std::filesystem::path(folder) / (std::to_wstring(++n) + L".obj");
    const bool ok = WriteDocumentObj(*doc, file);
    written = written && ok;
    out << "  document " << n << ": " << DescribeDocument(*doc) << (ok ? " -> " : " -> NOT WRITTEN ")
        << Utf8(file.wstring()) << "\n";
  }
  return written && n > 0;
}

void PrintSetUp(StandInHost& host, std::ostream& out) {
  const CommandModel& m = host.Connection().Commands();
  for (const auto& g : m.Groups()) {
    if (g->removed) continue;
    std::vector<std::wstring> commands;
    for (const CommandItem& i : g->items) commands.push_back(i.name + L" -> " + i.callback);
    out << "  command group " << g->userId << " '" << Utf8(g->title) << "': " << Join(commands) << "\n";
    struct Icon {
      const char* what;
      const IconFile& file;
    };
    for (const Icon& i : {Icon{"small icons", g->smallIconList}, Icon{"large icons", g->largeIconList},
                          Icon{"large main icon", g->largeMainIcon}, Icon{"small main icon", g->smallMainIcon}}) {
      if (!i.file.given) continue;
      out << "    " << i.what << ": ";
      if (!i.file.existed) out << "no file\n";
      else if (!i.file.validBitmap) out << "not a bitmap (" << i.file.bytes.size() << " bytes)\n";
      else out << i.file.width << "x" << i.file.height << " " << i.file.bitCount << "-bit bitmap\n";
    }
  }
  for (const auto& t : m.Tabs()) {
    size_t commands = 0;
    for (const auto& b : t->boxes) commands += b->commandIds.size();
    out << "  tab '" << Utf8(t->name) << "' for document type " << t->documentType << ": " << commands
        << " command(s)" << (t->madeByAddin ? "" : " (the host's)") << "\n";
  }
  for (const FileOpenItem& f : m.FileOpenItems())
    out << "  File Open item '" << Utf8(f.filter) << "' *." << Utf8(f.extension) << " -> " << Utf8(f.callback) << "\n";
}

}  // namespace

bool ParseSwHostArguments(const std::vector<std::wstring>& args, SwHostOptions& options, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    auto value = [&](std::wstring& v) {
      if (i + 1 >= args.size()) {
        error = Utf8(a) + " needs a value";
        return false;
      }
      v = args[++i];
      return true;
    };
    std::wstring v;
    if (a == L"--revision") {
      if (!value(v)) return false;
      options.revision = v;
    } else if (a == L"--no-revision") {
      options.revision.reset();
    } else if (a == L"--addin") {
      if (!value(v)) return false;
      CLSID clsid;
      if (FAILED(CLSIDFromString(v.c_str(), &clsid))) {
        error = "not a class id: " + Utf8(v);
        return false;
      }
      options.addin = clsid;
    } else if (a == L"--call") {
      SwHostAction act;
      if (!value(act.name)) return false;
      if (i + 1 < args.size() && args[i + 1].rfind(L"--", 0) != 0) act.argument = args[++i];
      options.actions.push_back(std::move(act));
    } else if (a == L"--fire") {
      if (!value(v)) return false;
      wchar_t* end = nullptr;
      const long id = std::wcstol(v.c_str(), &end, 10);
      if (v.empty() || *end) {
        error = "not an event id: " + Utf8(v);
        return false;
      }
      SwHostAction act;
      act.kind = SwHostAction::Kind::Fire;
      act.dispid = static_cast<DISPID>(id);
      options.actions.push_back(std::move(act));
    } else if (a == L"--answer") {
      SwHostOptions::Answer answer;
      std::wstring button;
      if (!value(answer.caption) || !value(button)) return false;
      wchar_t* end = nullptr;
      answer.button = static_cast<int>(std::wcstol(button.c_str(), &end, 10));
      if (button.empty() || *end) {
        error = "not a button id: " + Utf8(button);
        return false;
      }
      options.answers.push_back(std::move(answer));
    } else if (a == L"--set") {
      SwHostOptions::Setting setting;
      std::wstring control, number;
      if (!value(setting.caption) || !value(control) || !value(number)) return false;
      wchar_t* end1 = nullptr;
      wchar_t* end2 = nullptr;
      setting.control = static_cast<int>(std::wcstol(control.c_str(), &end1, 10));
      setting.value = static_cast<int>(std::wcstol(number.c_str(), &end2, 10));
      if (control.empty() || *end1 || number.empty() || *end2) {
        error = "not a control id and value: " + Utf8(control) + " " + Utf8(number);
        return false;
      }
      options.settings.push_back(std::move(setting));
    } else if (a == L"--documents") {
      if (!value(v)) return false;
      options.documentsFolder = v;
    } else if (a == L"--window-timeout") {
      if (!value(v)) return false;
      options.windowTimeoutMs = static_cast<DWORD>(std::wcstoul(v.c_str(), nullptr, 10));
    } else {
      error = "unknown argument: " + Utf8(a);
      return false;
    }
  }
  return true;
}

int RunSwHost(const SwHostOptions& options, std::ostream& out) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const WORD major = TypeLibraryMajor(options.revision);
  out << "host revision " << (options.revision ? "'" + Utf8(*options.revision) + "'" : std::string("none"))
      << ", type library " << major << ".0: " << HrText(RegisterHostTypeLibrary(major)) << "\n";

  std::vector<AddinEntry> addins;
  if (options.addin) {
    AddinEntry e;
    e.clsid = *options.addin;
    wchar_t text[64] = {};
    StringFromGUID2(e.clsid, text, 64);
    e.clsidText = text;
    addins.push_back(e);
  } else {
    addins = RegisteredAddins();
  }
  if (addins.empty()) out << "no add-in registered under HKEY_LOCAL_MACHINE\\" << Utf8(kAddinsKey) << "\n";

  bool allGood = !addins.empty();
  LONG cookie = 0;
  for (const AddinEntry& entry : addins) {
    ++cookie;
    out << "add-in " << Utf8(entry.clsidText) << (entry.title.empty() ? "" : " '" + Utf8(entry.title) + "'") << "\n";
    StandInHost host;
    if (options.revision) host.SetRevision(options.revision->c_str());
    else host.SetRevision(nullptr);
    WindowsHost windows(host);
    AddinLoader loader(windows);
    size_t printed = 0;
    auto flush = [&] {
      for (; printed < loader.Report().size(); ++printed) out << "  " << loader.Report()[printed] << "\n";
    };
    HRESULT hr = E_FAIL;
    Answered([&] { hr = loader.Load(entry.clsid, cookie); }, options, out);
    flush();
    if (FAILED(hr) || !loader.Loaded()) {
      allGood = false;
      continue;
    }
    PrintSetUp(host, out);
    bool quiet = true;  // no window had to be closed
    for (const SwHostAction& a : options.actions) {
      quiet = Answered(
                  [&] {
                    if (a.kind == SwHostAction::Kind::Call) loader.Call(a.name, a.argument);
                    else loader.Fire(a.dispid);
                  },
                  options, out) &&
              quiet;
      flush();
    }
    if (options.documentsFolder) allGood = WriteDocuments(host, *options.documentsFolder, out) && quiet && allGood;
    bool clean = false;
    Answered([&] { clean = loader.Unload(); }, options, out);
    flush();
    out << "  documents: " << host.Documents().size() << "\n";
    out << "  " << (clean ? "no reference left either way" : "REFERENCES LEFT") << "\n";
    // A registered callback name the add-in does not answer is a command the host
    // could never run.
    const size_t unanswered = loader.CallbackProblems().size();
    if (unanswered) out << "  CALLBACK NAMES NOT ANSWERED: " << unanswered << "\n";
    allGood = allGood && clean && unanswered == 0;
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return allGood ? 0 : 1;
}

}  // namespace standin
