// Loads an add-in the way the host does: finds it under the host's AddIns key,
// creates it in process by class id, connects it with the application and a
// cookie, resolves the callback names its commands and File Open items registered
// (a name its callback object does not answer is a problem the host reports),
// calls its callbacks by name through the callback object it registered,
// fires application events at its sink, disconnects it and lets it go; then tells
// whether any reference is left either way. swhost.exe is a command line over it;
// tests drive it in process.
//
//   standin::AddinLoader loader(host);           // host: a LoaderHost
//   loader.Load(clsid, 1);                       // create + connect
//   loader.Call(L"Plymora_Open", L"Z:\\a.obj");  // by name, with a BSTR
//   loader.Fire(4);
//   loader.Unload();                             // disconnect + release + checks
//   for (auto& line : loader.Report()) ...
#pragma once

#ifdef _WIN32
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "HostConnection.h"
#include "HostEvents.h"

namespace standin {

// The add-in interface's id; the host calls its connect and disconnect methods at
// positions 3 and 4.
inline constexpr IID IID_HostAddinInterface = {
    0xDA306A0D, 0xEAC5, 0x4406, {0x86, 0x10, 0xB1, 0xDA, 0x80, 0x5D, 0x92, 0x70}};

inline constexpr wchar_t kAddinsKey[] = L"SOFTWARE\\SolidWorks\\AddIns";

struct AddinEntry {
  CLSID clsid{};
  std::wstring clsidText;  // as the key names it, in braces
  std::wstring title;
  std::wstring description;
};
// The add-ins registered under HKEY_LOCAL_MACHINE\SOFTWARE\SolidWorks\AddIns: one per
// subkey whose name is a class id in braces, in the key's order.
std::vector<AddinEntry> RegisteredAddins();

// What the loader needs of the host it plays.
class LoaderHost {
 public:
  virtual ~LoaderHost() = default;
  // The application object handed to connect (borrowed).
  virtual IDispatch* Application() = 0;
  // The callback object the add-in registered for this cookie (borrowed), or null.
  virtual IDispatch* CallbackObject(LONG cookie) = 0;
  virtual AppEventConnections& Events() = 0;
  // The host forgets the add-in of this cookie: its callback registration is
  // released, as a host does when it unloads an add-in.
  virtual void ForgetAddin(LONG cookie) = 0;
  // Texts for every host object that a client still holds or released too often.
  virtual std::vector<std::string> ReferenceProblems() = 0;
  // Every callback name the add-in of this cookie registered (commands, File Open
  // items), resolved through its callback object; none for a host without them.
  virtual std::vector<CallbackName> ResolveCallbacks(LONG /*cookie*/) { return {}; }
};

class AddinLoader {
 public:
  explicit AddinLoader(LoaderHost& host) : m_host(host) {}
  AddinLoader(const AddinLoader&) = delete;
  AddinLoader& operator=(const AddinLoader&) = delete;
  ~AddinLoader();  // unloads an add-in still loaded

  // CoCreateInstance(CLSCTX_INPROC_SERVER), the add-in interface, connect, and the
  // registered callback names resolved.
  HRESULT Load(const CLSID& clsid, LONG cookie);
  // The same for an object made otherwise: the add-in interface, connect, names.
  HRESULT Connect(IUnknown* object, LONG cookie);
  bool Loaded() const { return m_addin != nullptr; }
  VARIANT_BOOL ConnectOk() const { return m_connectOk; }

  // Calls a callback by name through the registered callback object: GetIDsOfNames,
  // then Invoke with DISPATCH_METHOD and the argument as a BSTR when given.
  HRESULT Call(const std::wstring& name, const std::optional<std::wstring>& argument = std::nullopt);
  // Fires an application event at every advised sink; each sink's result.
  std::vector<HRESULT> Fire(DISPID id);

  // Disconnects (position 4) and makes the host forget the add-in's callbacks; the
  // result and the ok flag.
  HRESULT Disconnect(VARIANT_BOOL* ok = nullptr);
  // Disconnects when still connected, makes the host forget the add-in, releases
  // it and checks the references both ways. True when none is left.
  bool Unload();

  // What the host still held of the add-in when it released it: advised sinks.
  size_t SinksLeftAtUnload() const { return m_sinksLeft; }
  // The add-in's reference count after the loader's last release (0: destroyed).
  ULONG AddinReferencesLeft() const { return m_addinRefsLeft; }
  const std::vector<std::string>& HostReferenceProblems() const { return m_hostProblems; }
  // The callback names registered at connect that the add-in does not answer.
  const std::vector<std::string>& CallbackProblems() const { return m_callbackProblems; }

  // One line per step, in order ("connect: 0x00000000 ok -1", ...).
  const std::vector<std::string>& Report() const { return m_report; }

 private:
  void Line(std::string text) { m_report.push_back(std::move(text)); }

  LoaderHost& m_host;
  IUnknown* m_addin = nullptr;
  LONG m_cookie = 0;
  bool m_connected = false;
  VARIANT_BOOL m_connectOk = VARIANT_FALSE;
  size_t m_sinksLeft = 0;
  ULONG m_addinRefsLeft = 0;
  std::vector<std::string> m_hostProblems;
  std::vector<std::string> m_callbackProblems;
  std::vector<std::string> m_report;
};

std::string HrText(HRESULT hr);
std::string Utf8(const std::wstring& text);

}  // namespace standin

#endif  // _WIN32
