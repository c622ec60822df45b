#include "AddinLoader.h"

#include <oleauto.h>

#include <cstdio>
#include <utility>

#include "HostContract.h"

namespace standin {
namespace {

std::wstring ReadString(HKEY key, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return L"";
  return std::wstring(value, size / sizeof(wchar_t)).c_str();
}

}  // namespace

std::string HrText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::vector<AddinEntry> RegisteredAddins() {
  std::vector<AddinEntry> entries;
  HKEY addins = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAddinsKey, 0, KEY_READ, &addins) != ERROR_SUCCESS) return entries;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(addins, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    AddinEntry e;
    e.clsidText = name;
    if (FAILED(CLSIDFromString(name, &e.clsid))) continue;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(addins, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      e.title = ReadString(sub, L"Title");
      e.description = ReadString(sub, L"Description");
      RegCloseKey(sub);
    }
    entries.push_back(std::move(e));
  }
  RegCloseKey(addins);
  return entries;
}

AddinLoader::~AddinLoader() {
  if (m_addin) Unload();
}

HRESULT AddinLoader::Load(const CLSID& clsid, LONG cookie) {
  if (m_addin) return E_UNEXPECTED;
  wchar_t text[64] = {};
  StringFromGUID2(clsid, text, 64);
  IUnknown* object = nullptr;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object));
  Line("create " + Utf8(text) + ": " + HrText(hr));
  if (FAILED(hr) || !object) return FAILED(hr) ? hr : E_POINTER;
  hr = Connect(object, cookie);
  object->Release();
  return hr;
}

HRESULT AddinLoader::Connect(IUnknown* object, LONG cookie) {
  if (m_addin || !object) return E_UNEXPECTED;
  IUnknown* addin = nullptr;
  HRESULT hr = object->QueryInterface(IID_HostAddinInterface, reinterpret_cast<void**>(&addin));
  Line("add-in interface: " + HrText(hr));
  if (FAILED(hr) || !addin) return FAILED(hr) ? hr : E_POINTER;
  m_addin = addin;
  m_cookie = cookie;
  m_connectOk = VARIANT_FALSE;
  hr = HostOp::Call<3>(m_addin, m_host.Application(), cookie, &m_connectOk);
  m_connected = true;
  Line("connect cookie " + std::to_string(cookie) + ": " + HrText(hr) + " ok " + std::to_string(m_connectOk));
  // The host calls commands and File Open items by the names they registered: each
  // must be one the callback object answers.
  m_callbackProblems.clear();
  for (const CallbackName& c : m_host.ResolveCallbacks(cookie)) {
    if (c.Answered()) {
      Line("callback " + Utf8(c.name) + " of " + Utf8(c.registeredBy) + ": dispid " + std::to_string(c.dispid));
    } else {
      m_callbackProblems.push_back(c.Problem());
      Line("CALLBACK NOT ANSWERED: " + c.Problem());
    }
  }
  return hr;
}

HRESULT AddinLoader::Call(const std::wstring& name, const std::optional<std::wstring>& argument) {
  std::string what = "call ";
  what.append(Utf8(name));
  if (argument) {
    what.append(1, '(');
    what.append(Utf8(*argument));
    what.append(1, ')');
  }
  IDispatch* callbacks = m_host.CallbackObject(m_cookie);
  if (!m_addin || !callbacks) {
    Line(what + ": no callback object registered");
    return E_FAIL;
  }
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
  HRESULT hr = callbacks->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    Line(what + ": unknown name " + HrText(hr));
    return hr;
  }
  VARIANT arg;
  VariantInit(&arg);
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  if (argument) {
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocStringLen(argument->c_str(), static_cast<UINT>(argument->size()));
    params.rgvarg = &arg;
    params.cArgs = 1;
  }
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO excep{};
  UINT argErr = 0;
  hr = callbacks->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &excep, &argErr);
  VariantClear(&arg);
  VariantClear(&result);
  SysFreeString(excep.bstrSource);
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrHelpFile);
  Line(what + " dispid " + std::to_string(id) + ": " + HrText(hr));
  return hr;
}

std::vector<HRESULT> AddinLoader::Fire(DISPID id) {
  std::vector<HRESULT> results = m_host.Events().Fire(id);
  std::string line = "fire ";
  line.append(std::to_string(id));
  line.append(1, ':');
  if (results.empty()) line.append(" no sink");
  for (HRESULT hr : results) {
    line.append(1, ' ');
    line.append(HrText(hr));
  }
  Line(line);
  return results;
}

HRESULT AddinLoader::Disconnect(VARIANT_BOOL* ok) {
  if (!m_addin || !m_connected) return E_UNEXPECTED;
  VARIANT_BOOL flag = VARIANT_FALSE;
  HRESULT hr = HostOp::Call<4>(m_addin, &flag);
  m_connected = false;
  // A disconnected add-in gets no more calls: the host lets go of its callbacks.
  m_host.ForgetAddin(m_cookie);
  if (ok) *ok = flag;
  Line("disconnect: " + HrText(hr) + " ok " + std::to_string(flag));
  return hr;
}

bool AddinLoader::Unload() {
  if (!m_addin) return false;
  if (m_connected) Disconnect();
  m_host.ForgetAddin(m_cookie);
  // A sink still advised now is a reference the host holds on the add-in.
  m_sinksLeft = m_host.Events().SinkCount();
  Line("sinks still advised: " + std::to_string(m_sinksLeft));
  // The host lets go of them, as it does when it drops a connection.
  m_host.Events().ReleaseAll();
  m_addinRefsLeft = std::exchange(m_addin, nullptr)->Release();
  Line("add-in references left: " + std::to_string(m_addinRefsLeft));
  CoFreeUnusedLibraries();
  m_hostProblems = m_host.ReferenceProblems();
  Line("host references held by the add-in: " + std::to_string(m_hostProblems.size()));
  for (const std::string& p : m_hostProblems) Line("  " + p);
  return m_sinksLeft == 0 && m_addinRefsLeft == 0 && m_hostProblems.empty();
}

}  // namespace standin
