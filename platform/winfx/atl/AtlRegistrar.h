// A registrar for registry scripts (.rgs): register or unregister the keys and
// values a script names.
//
// Script form: a root (HKCR, HKLM, HKCU, HKU or their long names) followed by a
// braced list of keys. A key is
//     [ForceRemove | NoRemove] name [= type value] [{ body }]
// and a body holds further keys and named values `val name = type value`. Types:
// s (text, REG_SZ) and d (number, REG_DWORD; decimal or 0x hexadecimal). Names and
// values are bare words or quoted with single quotes ('' stands for one quote); a
// name that starts with a brace, such as a GUID, must be quoted. %NAME% is replaced
// by a replacement's text, %% by one percent sign.
//
// Register writes every key and value; a ForceRemove key is first deleted whole,
// so it is written afresh. Unregister deletes each key the script names with all
// it holds, except NoRemove keys, which stay (their named values and listed
// subkeys are still removed). A key whose name comes out empty after replacement
// is skipped in both modes: it would otherwise stand for its parent, overwriting
// the parent's default value or deleting the parent with everything in it.
// A script is parsed whole before anything is written; a syntax error writes
// nothing. Windows only.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

class CRegistrar {
 public:
  void AddReplacement(const wchar_t* name, const wchar_t* value);
  void ClearReplacements() { m_replacements.clear(); }

  HRESULT StringRegister(const wchar_t* script) { return Run(script, true); }
  HRESULT StringUnregister(const wchar_t* script) { return Run(script, false); }
  // The script in resource `id` of type `type` (UTF-8 or ANSI text) of `module`.
  HRESULT ResourceRegister(HMODULE module, UINT id, const wchar_t* type);
  HRESULT ResourceUnregister(HMODULE module, UINT id, const wchar_t* type);

 private:
  HRESULT Run(const wchar_t* script, bool doRegister);
  HRESULT RunResource(HMODULE module, UINT id, const wchar_t* type, bool doRegister);
  std::vector<std::pair<std::wstring, std::wstring>> m_replacements;
};
