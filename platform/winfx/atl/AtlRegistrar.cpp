#include "AtlRegistrar.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>
#include <memory>

namespace {

enum class KeyFlag { None, ForceRemove, NoRemove };

struct ScriptValue {
  std::wstring name;  // empty: the key's default value
  bool isDword = false;
  std::wstring text;
  DWORD number = 0;
};

struct ScriptKey {
  std::wstring name;
  KeyFlag flag = KeyFlag::None;
  bool hasDefault = false;
  ScriptValue defaultValue;
  std::vector<ScriptValue> values;
  std::vector<ScriptKey> subkeys;
};

struct ScriptRoot {
  HKEY root;
  std::vector<ScriptKey> keys;
};

const HRESULT kSyntaxError = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

bool SameWord(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

class Parser {
 public:
  Parser(const wchar_t* text, const std::vector<std::pair<std::wstring, std::wstring>>& replacements)
      : m_p(text), m_replacements(replacements) {}

  HRESULT Parse(std::vector<ScriptRoot>& roots) {
    std::wstring word;
    bool quoted = false;
    for (;;) {
      HRESULT hr = Next(word, quoted);
      if (hr == S_FALSE) return S_OK;  // end of the script
      if (FAILED(hr)) return hr;
      ScriptRoot root{};
      if (quoted || !RootKey(word, &root.root)) return kSyntaxError;
      hr = Expect(L"{");
      if (FAILED(hr)) return hr;
      hr = ParseKeys(root.keys, false, 0);
      if (FAILED(hr)) return hr;
      roots.push_back(std::move(root));
    }
  }

 private:
  static bool RootKey(const std::wstring& w, HKEY* key) {
    if (SameWord(w, L"HKCR") || SameWord(w, L"HKEY_CLASSES_ROOT")) *key = HKEY_CLASSES_ROOT;
    else if (SameWord(w, L"HKLM") || SameWord(w, L"HKEY_LOCAL_MACHINE")) *key = HKEY_LOCAL_MACHINE;
    else if (SameWord(w, L"HKCU") || SameWord(w, L"HKEY_CURRENT_USER")) *key = HKEY_CURRENT_USER;
    else if (SameWord(w, L"HKU") || SameWord(w, L"HKEY_USERS")) *key = HKEY_USERS;
    else return false;
    return true;
  }

  // Keys (and, inside a key's body, named values) up to the closing brace.
  HRESULT ParseKeys(std::vector<ScriptKey>& keys, bool inBody, int depth) {
    if (depth > 64) return kSyntaxError;  // keeps a hostile script from exhausting the stack
    std::wstring word;
    bool quoted = false;
    for (;;) {
      HRESULT hr = Next(word, quoted);
      if (hr == S_FALSE) return kSyntaxError;  // unclosed brace
      if (FAILED(hr)) return hr;
      if (!quoted && word == L"}") return S_OK;
      if (!quoted && (word == L"{" || word == L"=")) return kSyntaxError;
      if (inBody && !quoted && SameWord(word, L"val")) {
        ScriptValue v;
        hr = Next(v.name, quoted);
        if (hr != S_OK || (!quoted && IsPunct(v.name))) return kSyntaxError;
        hr = Expect(L"=");
        if (FAILED(hr)) return hr;
        hr = ParseTypedValue(v);
        if (FAILED(hr)) return hr;
        m_values->push_back(std::move(v));
        continue;
      }
      ScriptKey key;
      if (!quoted && SameWord(word, L"ForceRemove")) key.flag = KeyFlag::ForceRemove;
      else if (!quoted && SameWord(word, L"NoRemove")) key.flag = KeyFlag::NoRemove;
      if (key.flag != KeyFlag::None) {
        hr = Next(word, quoted);
        if (hr != S_OK || (!quoted && IsPunct(word))) return kSyntaxError;
      }
      key.name = word;
      if (key.name.find(L'\\') != std::wstring::npos) return kSyntaxError;  // one level per key
      // Optional default value, optional body.
      const wchar_t* save = m_p;
      hr = Next(word, quoted);
      if (FAILED(hr)) return hr;
      if (hr == S_OK && !quoted && word == L"=") {
        key.hasDefault = true;
        hr = ParseTypedValue(key.defaultValue);
        if (FAILED(hr)) return hr;
        save = m_p;
        hr = Next(word, quoted);
        if (FAILED(hr)) return hr;
      }
      if (hr == S_OK && !quoted && word == L"{") {
        std::vector<ScriptValue>* outer = m_values;
        m_values = &key.values;
        hr = ParseKeys(key.subkeys, true, depth + 1);
        m_values = outer;
        if (FAILED(hr)) return hr;
      } else {
        m_p = save;  // not ours: the next key, or the closing brace
      }
      keys.push_back(std::move(key));
    }
  }

  HRESULT ParseTypedValue(ScriptValue& v) {
    std::wstring type, text;
    bool quoted = false;
    if (Next(type, quoted) != S_OK || quoted) return kSyntaxError;
    if (Next(text, quoted) != S_OK || (!quoted && IsPunct(text))) return kSyntaxError;
    if (SameWord(type, L"s")) {
      v.isDword = false;
      v.text = text;
      return S_OK;
    }
    if (SameWord(type, L"d")) {
      v.isDword = true;
      if (text.empty()) return kSyntaxError;
      wchar_t* end = nullptr;
      errno = 0;
      const unsigned long long n = std::wcstoull(text.c_str(), &end, 0);
      if (*end != 0 || errno == ERANGE || n > 0xFFFFFFFFull || text[0] == L'-') return kSyntaxError;
      v.number = static_cast<DWORD>(n);
      return S_OK;
    }
    return kSyntaxError;  // other value types are not used by this system's scripts
  }

  static bool IsPunct(const std::wstring& w) { return w == L"{" || w == L"}" || w == L"="; }

  HRESULT Expect(const wchar_t* punct) {
    std::wstring word;
    bool quoted = false;
    if (Next(word, quoted) != S_OK || quoted || word != punct) return kSyntaxError;
    return S_OK;
  }

  // The next token: S_OK, S_FALSE at the end, or a syntax error.
  HRESULT Next(std::wstring& word, bool& quoted) {
    word.clear();
    quoted = false;
    while (*m_p && std::iswspace(*m_p)) ++m_p;
    if (!*m_p) return S_FALSE;
    if (*m_p == L'{' || *m_p == L'}' || *m_p == L'=') {
      word.assign(1, *m_p++);
      return S_OK;
    }
    std::wstring raw;
    if (*m_p == L'\'') {
      quoted = true;
      ++m_p;
      for (;;) {
        if (!*m_p) return kSyntaxError;  // unclosed quote
        if (*m_p == L'\'') {
          if (m_p[1] == L'\'') {
            raw += L'\'';
            m_p += 2;
            continue;
          }
          ++m_p;
          break;
        }
        raw += *m_p++;
      }
    } else {
      while (*m_p && !std::iswspace(*m_p) && *m_p != L'{' && *m_p != L'}' && *m_p != L'=' && *m_p != L'\'')
        raw += *m_p++;
    }
    return Replace(raw, word);
  }

  HRESULT Replace(const std::wstring& raw, std::wstring& out) const {
    out.clear();
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != L'%') {
        out += raw[i];
        continue;
      }
      const size_t close = raw.find(L'%', i + 1);
      if (close == std::wstring::npos) return kSyntaxError;
      const std::wstring name = raw.substr(i + 1, close - i - 1);
      if (name.empty()) {
        out += L'%';
      } else {
        bool found = false;
        for (const auto& r : m_replacements) {
          if (_wcsicmp(r.first.c_str(), name.c_str()) == 0) {
            out += r.second;
            found = true;
            break;
          }
        }
        if (!found) return kSyntaxError;
      }
      i = close;
    }
    return S_OK;
  }

  const wchar_t* m_p;
  const std::vector<std::pair<std::wstring, std::wstring>>& m_replacements;
  std::vector<ScriptValue>* m_values = nullptr;
};

HRESULT FromWin32(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

HRESULT SetValue(HKEY key, const ScriptValue& v) {
  const wchar_t* name = v.name.empty() ? nullptr : v.name.c_str();
  if (v.isDword) {
    return FromWin32(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.number),
                                    sizeof v.number));
  }
  const DWORD bytes = static_cast<DWORD>((v.text.size() + 1) * sizeof(wchar_t));
  return FromWin32(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.text.c_str()), bytes));
}

class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (m_h) RegCloseKey(m_h);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY* Out() { return &m_h; }
  HKEY Get() const { return m_h; }

 private:
  HKEY m_h = nullptr;
};

HRESULT RegisterKey(HKEY parent, const ScriptKey& key) {
  if (key.name.empty()) return S_OK;
  if (key.flag == KeyFlag::ForceRemove) {
    const LSTATUS s = RegDeleteTreeW(parent, key.name.c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND) return FromWin32(s);
  }
  KeyHandle h;
  HRESULT hr = FromWin32(RegCreateKeyExW(parent, key.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_READ | KEY_WRITE, nullptr, h.Out(), nullptr));
  if (FAILED(hr)) return hr;
  if (key.hasDefault) {
    hr = SetValue(h.Get(), key.defaultValue);
    if (FAILED(hr)) return hr;
  }
  for (const ScriptValue& v : key.values) {
    hr = SetValue(h.Get(), v);
    if (FAILED(hr)) return hr;
  }
  for (const ScriptKey& sub : key.subkeys) {
    hr = RegisterKey(h.Get(), sub);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool HoldsNoRemove(const ScriptKey& key) {
  for (const ScriptKey& sub : key.subkeys)
    if (sub.flag == KeyFlag::NoRemove || HoldsNoRemove(sub)) return true;
  return false;
}

HRESULT UnregisterKey(HKEY parent, const ScriptKey& key) {
  if (key.name.empty()) return S_OK;
  if (key.flag != KeyFlag::NoRemove && !HoldsNoRemove(key)) {
    const LSTATUS s = RegDeleteTreeW(parent, key.name.c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND) return FromWin32(s);
    return S_OK;
  }
  KeyHandle h;
  const LSTATUS s = RegOpenKeyExW(parent, key.name.c_str(), 0, KEY_READ | KEY_WRITE, h.Out());
  if (s == ERROR_FILE_NOT_FOUND) return S_OK;  // nothing left to remove
  HRESULT hr = FromWin32(s);
  if (FAILED(hr)) return hr;
  for (const ScriptValue& v : key.values) {
    const LSTATUS d = RegDeleteValueW(h.Get(), v.name.c_str());
    if (d != ERROR_SUCCESS && d != ERROR_FILE_NOT_FOUND) return FromWin32(d);
  }
  for (const ScriptKey& sub : key.subkeys) {
    hr = UnregisterKey(h.Get(), sub);
    if (FAILED(hr)) return hr;
  }
  if (key.flag != KeyFlag::NoRemove) RegDeleteKeyW(parent, key.name.c_str());  // only succeeds when empty
  return S_OK;
}

}  // namespace

void CRegistrar::AddReplacement(const wchar_t* name, const wchar_t* value) {
  if (!name) return;
  for (auto& r : m_replacements) {
    if (_wcsicmp(r.first.c_str(), name) == 0) {
      r.second = value ? value : L"";
      return;
    }
  }
  m_replacements.emplace_back(name, value ? value : L"");
}

HRESULT CRegistrar::Run(const wchar_t* script, bool doRegister) {
  if (!script) return E_POINTER;
  std::vector<ScriptRoot> roots;
  Parser parser(script, m_replacements);
  HRESULT hr = parser.Parse(roots);
  if (FAILED(hr)) return hr;
  for (const ScriptRoot& root : roots) {
    for (const ScriptKey& key : root.keys) {
      hr = doRegister ? RegisterKey(root.root, key) : UnregisterKey(root.root, key);
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

HRESULT CRegistrar::RunResource(HMODULE module, UINT id, const wchar_t* type, bool doRegister) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!info) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
  HGLOBAL data = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
  if (!bytes) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
  std::wstring text;
  if (size > 0) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), nullptr, 0);
    if (n <= 0) return kSyntaxError;
    text.resize(static_cast<size_t>(n));
    MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), text.data(), n);
  }
  // A resource may carry trailing zeros (padding); the script ends at the first.
  text.resize(std::wcslen(text.c_str()));
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  return Run(text.c_str(), doRegister);
}

HRESULT CRegistrar::ResourceRegister(HMODULE module, UINT id, const wchar_t* type) {
  return RunResource(module, id, type, true);
}

HRESULT CRegistrar::ResourceUnregister(HMODULE module, UINT id, const wchar_t* type) {
  return RunResource(module, id, type, false);
}
