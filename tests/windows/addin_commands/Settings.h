// The import settings as the options dialog stores them, for tests that set them
// up beforehand or read what the dialog wrote.
#pragma once

#include <ostream>

#include "OptionsDlg.h"
#include "ZTKRegistry.h"

namespace test_settings {

struct Stored {
  int importAs, units, multiBody, yUp, progress;
  bool operator==(const Stored&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Stored& s) {
  return out << "{" << s.importAs << ", " << s.units << ", " << s.multiBody << ", " << s.yUp << ", " << s.progress
             << "}";
}

// What a read gives for a value that is not stored.
inline constexpr int kMissing = -12345;

inline Stored Read() {
  ZTKRegistry r;
  r.SetKey(kSettingsKey, 1);
  return {r.ReadInt(kValueImportAs, kMissing), r.ReadInt(kValueUnits, kMissing), r.ReadBool(kValueMultiBody, kMissing),
          r.ReadBool(kValueYUp, kMissing), r.ReadBool(kValueProgress, kMissing)};
}

inline void Store(const Stored& s) {
  ZTKRegistry r;
  r.SetKey(kSettingsKey, 1);
  r.WriteInt(kValueImportAs, s.importAs);
  r.WriteInt(kValueUnits, s.units);
  r.WriteBool(kValueMultiBody, s.multiBody);
  r.WriteBool(kValueYUp, s.yUp);
  r.WriteBool(kValueProgress, s.progress);
}

inline bool KeyExists() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline void Clear() { RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey); }

}  // namespace test_settings
