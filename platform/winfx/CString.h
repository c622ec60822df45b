// The wide-character string class of the add-in and the bridge, in both builds.
// It keeps the familiar member names and meanings (positions count characters from
// 0, -1 means "not found", Format takes printf-style specifiers where %s is a wide
// string), stored in a std::wstring.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ComBase.h"

class CString {
 public:
  CString() = default;
  CString(const wchar_t* text) : m_s(text ? text : L"") {}  // NOLINT: implicit like the original
  CString(const wchar_t* text, int length) : m_s(text ? std::wstring(text, length < 0 ? 0 : length) : L"") {}
  CString(wchar_t ch, int repeat = 1) : m_s(repeat > 0 ? repeat : 0, ch) {}
  explicit CString(const char* text);  // ASCII or UTF-8
  explicit CString(std::wstring text) : m_s(std::move(text)) {}

  // A BSTR may hold embedded zeros; its length prefix decides. A null one is empty.
  static CString FromBSTR(BSTR text) { return text ? CString(text, static_cast<int>(SysStringLen(text))) : CString(); }
  // A new BSTR owned by the caller.
  BSTR AllocSysString() const { return SysAllocStringLen(m_s.c_str(), static_cast<UINT>(m_s.size())); }

  int GetLength() const { return static_cast<int>(m_s.size()); }
  bool IsEmpty() const { return m_s.empty(); }
  void Empty() { m_s.clear(); }
  wchar_t GetAt(int i) const { return m_s.at(static_cast<size_t>(i)); }
  void SetAt(int i, wchar_t ch) { m_s.at(static_cast<size_t>(i)) = ch; }
  wchar_t operator[](int i) const { return GetAt(i); }
  operator const wchar_t*() const { return m_s.c_str(); }  // NOLINT: implicit like the original
  const wchar_t* GetString() const { return m_s.c_str(); }
  const std::wstring& Str() const { return m_s; }

  int Find(wchar_t ch, int start = 0) const;
  int Find(const wchar_t* sub, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString& MakeLower();
  CString& MakeUpper();
  CString& Trim();
  int Replace(const wchar_t* from, const wchar_t* to);

  int Compare(const wchar_t* other) const;
  int CompareNoCase(const wchar_t* other) const;

  void Format(const wchar_t* format, ...);
  void AppendFormat(const wchar_t* format, ...);

  CString& operator=(const wchar_t* text) {
    m_s = text ? text : L"";
    return *this;
  }
  CString& operator+=(const CString& o) {
    m_s += o.m_s;
    return *this;
  }
  CString& operator+=(const wchar_t* text) {
    if (text) m_s += text;
    return *this;
  }
  CString& operator+=(wchar_t ch) {
    m_s += ch;
    return *this;
  }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
  friend CString operator+(const CString& a, const wchar_t* b) { return CString(a.m_s + (b ? b : L"")); }
  friend CString operator+(const wchar_t* a, const CString& b) { return CString((a ? a : L"") + b.m_s); }
  friend CString operator+(const CString& a, wchar_t b) { return CString(a.m_s + b); }
  friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.m_s == (b ? b : L""); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

  // UTF-8 form of the text (for the Linux file system and for diagnostics).
  std::string ToUtf8() const;

 private:
  std::wstring m_s;
};

// Appends the UTF-8 form of one Unicode code point.
void AppendUtf8(std::string& out, uint32_t codePoint);

class CStringArray {
 public:
  int GetSize() const { return static_cast<int>(m_items.size()); }
  int GetCount() const { return GetSize(); }
  bool IsEmpty() const { return m_items.empty(); }
  int Add(const CString& s) {
    m_items.push_back(s);
    return GetSize() - 1;
  }
  const CString& GetAt(int i) const { return m_items.at(static_cast<size_t>(i)); }
  void SetAt(int i, const CString& s) { m_items.at(static_cast<size_t>(i)) = s; }
  CString& operator[](int i) { return m_items.at(static_cast<size_t>(i)); }
  const CString& operator[](int i) const { return m_items.at(static_cast<size_t>(i)); }
  void InsertAt(int i, const CString& s) { m_items.insert(m_items.begin() + Clamp(i), s); }
  // An index outside the array removes nothing.
  void RemoveAt(int i) {
    if (i >= 0 && i < GetSize()) m_items.erase(m_items.begin() + i);
  }
  void RemoveAll() { m_items.clear(); }

 private:
  int Clamp(int i) const { return i < 0 ? 0 : (i > GetSize() ? GetSize() : i); }
  std::vector<CString> m_items;
};
