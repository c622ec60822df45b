// Helpers of the add-in's tests: the DLL under test, registry reads, a COM
// apartment, a private temporary folder and a BMP file check.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace addintest {

// The DLL under test, as built.
inline std::wstring DllPath() {
  std::string narrow = PLYMORA_DLL;
  std::wstring path(narrow.begin(), narrow.end());
  for (auto& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

// The path as Windows spells it for a registry comparison: backslashes, and
// without the \\?\ prefix that Wine puts before registered type-library paths.
inline std::wstring NormalPath(std::wstring p) {
  if (p.rfind(L"\\\\?\\", 0) == 0) p.erase(0, 4);
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  return p;
}

inline bool SameText(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

inline bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

struct RegValue {
  DWORD type = REG_NONE;
  std::wstring text;
  DWORD number = 0;
};

// A value of a key; `name` empty: the default value.
inline std::optional<RegValue> ReadValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return std::nullopt;
  DWORD type = 0, size = 0;
  const wchar_t* n = name.empty() ? nullptr : name.c_str();
  LSTATUS s = RegQueryValueExW(h, n, nullptr, &type, nullptr, &size);
  std::optional<RegValue> out;
  if (s == ERROR_SUCCESS) {
    std::vector<BYTE> data(size + sizeof(wchar_t), 0);
    s = RegQueryValueExW(h, n, nullptr, &type, data.data(), &size);
    if (s == ERROR_SUCCESS) {
      RegValue v;
      v.type = type;
      if (type == REG_DWORD && size >= sizeof(DWORD)) v.number = *reinterpret_cast<DWORD*>(data.data());
      if (type == REG_SZ || type == REG_EXPAND_SZ) v.text = reinterpret_cast<const wchar_t*>(data.data());
      out = v;
    }
  }
  RegCloseKey(h);
  return out;
}

inline std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& path) {
  std::vector<std::wstring> names;
  HKEY h = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = 256;
    if (RegEnumKeyExW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, len);
  }
  RegCloseKey(h);
  return names;
}

class ComApartment {
 public:
  ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// The DLL loaded by path, with its entry points.
class LoadedServer {
 public:
  LoadedServer() : m_module(LoadLibraryW(DllPath().c_str())) {}
  ~LoadedServer() {
    if (m_module) FreeLibrary(m_module);
  }
  LoadedServer(const LoadedServer&) = delete;
  LoadedServer& operator=(const LoadedServer&) = delete;

  bool Loaded() const { return m_module != nullptr; }
  HRESULT Register() const { return Call("DllRegisterServer"); }
  HRESULT Unregister() const { return Call("DllUnregisterServer"); }
  HRESULT CanUnloadNow() const { return Call("DllCanUnloadNow"); }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** ppv) const {
    using Fn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, "DllGetClassObject")));
    return fn ? fn(clsid, iid, ppv) : E_UNEXPECTED;
  }

 private:
  HRESULT Call(const char* name) const {
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    return fn ? fn() : E_UNEXPECTED;
  }
  HMODULE m_module;
};

// A fresh temporary folder made the process's TMP/TEMP for the object's lifetime,
// so that the temporary files of one test are told apart from any other's.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    m_path = std::wstring(base) + L"plymora-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(GetTickCount64()) + L"\\";
    CreateDirectoryW(m_path.c_str(), nullptr);
    SetEnvironmentVariableW(L"TMP", m_path.c_str());
    SetEnvironmentVariableW(L"TEMP", m_path.c_str());
  }
  ~PrivateTempFolder() {
    for (const auto& f : Files()) DeleteFileW((m_path + f).c_str());
    RemoveDirectoryW(m_path.c_str());
  }
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  const std::wstring& Path() const { return m_path; }
  std::vector<std::wstring> Files() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((m_path + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(data.cFileName);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return names;
  }

 private:
  std::wstring m_path;
};

inline bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size{};
  GetFileSizeEx(h, &size);
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  CloseHandle(h);
  return bytes;
}

// What a BMP file says about itself; `valid` only when the headers are consistent
// with the file's length and the pixel rows fit in it.
struct BmpInfo {
  bool valid = false;
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::string problem;
};

inline BmpInfo InspectBmp(const std::vector<uint8_t>& b) {
  BmpInfo info;
  auto u16 = [&](size_t at) { return static_cast<uint32_t>(b[at] | (b[at + 1] << 8)); };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  if (b.size() < 54) return info.problem = "shorter than the two headers", info;
  if (b[0] != 'B' || b[1] != 'M') return info.problem = "no BM signature", info;
  if (u32(2) != b.size()) return info.problem = "file size field differs from the length", info;
  const uint32_t offset = u32(10);
  if (u32(14) < 40) return info.problem = "info header too small", info;
  info.width = static_cast<int32_t>(u32(18));
  info.height = static_cast<int32_t>(u32(22));
  info.bitCount = static_cast<int>(u16(28));
  const uint32_t compression = u32(30);
  if (compression != 0) return info.problem = "compressed", info;
  const int64_t rows = info.height < 0 ? -static_cast<int64_t>(info.height) : info.height;
  const int64_t stride = ((static_cast<int64_t>(info.width) * info.bitCount + 31) / 32) * 4;
  if (offset + stride * rows > static_cast<int64_t>(b.size())) return info.problem = "pixels run past the end", info;
  info.valid = true;
  return info;
}

}  // namespace addintest
