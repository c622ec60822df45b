#include "ZTKRegistry.h"

ZTKRegistry::~ZTKRegistry() {
  if (m_key) RegCloseKey(m_key);
}

int ZTKRegistry::SetKey(CString key, int create) {
  if (m_key) {
    RegCloseKey(m_key);
    m_key = nullptr;
  }
  LSTATUS status = create ? RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                            &m_key, nullptr)
                          : RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ | KEY_WRITE, &m_key);
  if (status != ERROR_SUCCESS) m_key = nullptr;
  return m_key != nullptr;
}

// Both kinds are stored as REG_DWORD; a value of another type or size reads as missing.
bool ZTKRegistry::Read(const CString& value, DWORD& data) const {
  if (!m_key) return false;
  DWORD type = 0, size = sizeof data;
  return RegQueryValueExW(m_key, value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) == ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof data;
}

int ZTKRegistry::ReadInt(CString value, int defaultValue) {
  DWORD data = 0;
  return Read(value, data) ? static_cast<int>(data) : defaultValue;
}

int ZTKRegistry::ReadBool(CString value, int defaultValue) {
  DWORD data = 0;
  return Read(value, data) ? (data != 0 ? 1 : 0) : defaultValue;
}

int ZTKRegistry::WriteInt(CString value, int data) {
  if (!m_key) return 0;
  const DWORD raw = static_cast<DWORD>(data);
  return RegSetValueExW(m_key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&raw), sizeof raw) ==
         ERROR_SUCCESS;
}

int ZTKRegistry::WriteBool(CString value, int data) { return WriteInt(value, data ? 1 : 0); }
