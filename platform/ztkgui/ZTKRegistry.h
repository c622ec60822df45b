// Settings of the current user: integers and booleans under one key.
#pragma once

#include <windows.h>

#include "CString.h"

class ZTKRegistry {
 public:
  ZTKRegistry() = default;
  ~ZTKRegistry();
  ZTKRegistry(const ZTKRegistry&) = delete;
  ZTKRegistry& operator=(const ZTKRegistry&) = delete;

  // Selects the key below HKEY_CURRENT_USER; with `create` nonzero it is made when
  // missing. Nonzero when the key is open.
  int SetKey(CString key, int create);
  // The stored value, or `defaultValue` when there is none (or no key is open).
  int ReadInt(CString value, int defaultValue);
  int ReadBool(CString value, int defaultValue);
  // Nonzero when the value was stored.
  int WriteInt(CString value, int data);
  int WriteBool(CString value, int data);

 private:
  bool Read(const CString& value, DWORD& data) const;
  HKEY m_key = nullptr;
};
