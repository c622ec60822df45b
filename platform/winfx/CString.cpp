#include "CString.h"

#include <cstdarg>
#include <cstdio>
#include <cwctype>

namespace {

// Decodes UTF-8; a malformed byte becomes U+FFFD. On Windows, characters above
// U+FFFF become surrogate pairs, since wchar_t is 16 bits there.
std::wstring DecodeUtf8(const char* s) {
  std::wstring out;
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (*p) {
    uint32_t c = *p;
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0) {
      out += L'\uFFFD';
      ++p;
      continue;
    }
    c = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    int i = 1;
    for (; i <= extra && (p[i] & 0xC0) == 0x80; ++i) c = (c << 6) | (p[i] & 0x3F);
    if (i <= extra) {
      out += L'\uFFFD';
      p += i;
      continue;
    }
    p += i;
    if constexpr (sizeof(wchar_t) == 2) {
      if (c >= 0x10000) {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        continue;
      }
    }
    out += static_cast<wchar_t>(c);
  }
  return out;
}


// printf-style formatting into a wide string. Conversions are done one at a time so
// that %s always means a wide string, whatever the C library's wide printf thinks.
void FormatInto(std::wstring& out, const wchar_t* format, va_list args) {
  if (!format) return;
  for (const wchar_t* f = format; *f; ++f) {
    if (*f != L'%') {
      out += *f;
      continue;
    }
    if (f[1] == L'%') {
      out += L'%';
      ++f;
      continue;
    }
    const wchar_t* const start = f;
    std::string spec = "%";
    const wchar_t* q = f + 1;
    auto takeNumber = [&]() {
      if (*q == L'*') {
        spec += std::to_string(va_arg(args, int));
        ++q;
        return;
      }
      while (*q >= L'0' && *q <= L'9') spec += static_cast<char>(*q++);
    };
    while (*q && std::wcschr(L"-+ #0", *q)) spec += static_cast<char>(*q++);
    takeNumber();
    if (*q == L'.') {
      spec += '.';
      ++q;
      takeNumber();
    }
    int longs = 0;
    bool shortArg = false;
    while (*q == L'l' || *q == L'h' || *q == L'I' || *q == L'z') {
      if (*q == L'l') ++longs;
      if (*q == L'h') shortArg = true;
      if (*q == L'I' && q[1] == L'6' && q[2] == L'4') {
        longs = 2;
        q += 2;
      }
      if (*q == L'z') longs = 2;
      ++q;
    }
    const wchar_t conv = *q;
    if (!conv) break;
    f = q;
    char buffer[512];
    switch (conv) {
      case L's':
      case L'S': {
        // In a wide format %s and %ls are wide strings, while %S and %hs are narrow
        // ones (taken as UTF-8 here); reading a narrow one as wide would run past it.
        std::wstring value;
        if (shortArg || (conv == L'S' && longs == 0)) {
          const char* text = va_arg(args, const char*);
          value = text ? CString(text).Str() : L"(null)";
        } else {
          const wchar_t* text = va_arg(args, const wchar_t*);
          value = text ? text : L"(null)";
        }
        // Width and precision: apply them to the wide text directly.
        int width = 0, precision = -1;
        bool left = spec.find('-') != std::string::npos;
        std::sscanf(spec.c_str() + 1 + (left ? 1 : 0), "%d", &width);
        if (auto dot = spec.find('.'); dot != std::string::npos) precision = std::atoi(spec.c_str() + dot + 1);
        if (precision >= 0 && value.size() > static_cast<size_t>(precision)) value.resize(precision);
        if (width > 0 && value.size() < static_cast<size_t>(width)) {
          std::wstring pad(width - value.size(), L' ');
          value = left ? value + pad : pad + value;
        }
        out += value;
        continue;
      }
      case L'c':
      case L'C':
        out += static_cast<wchar_t>(va_arg(args, int));
        continue;
      case L'd':
      case L'i':
      case L'u':
      case L'x':
      case L'X':
      case L'o':
        if (longs >= 2) {
          spec += "ll";
          spec += static_cast<char>(conv);
          std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, long long));
        } else if (longs == 1 && sizeof(long) == 8) {
          // `long` in the format is the 32-bit LONG of the Windows ABI.
          spec += static_cast<char>(conv);
          std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, int));
        } else {
          if (shortArg) spec += "h";
          spec += static_cast<char>(conv);
          std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, int));
        }
        break;
      case L'f':
      case L'F':
      case L'e':
      case L'E':
      case L'g':
      case L'G':
      case L'a':
      case L'A':
        spec += static_cast<char>(conv);
        std::snprintf(buffer, sizeof buffer, spec.c_str(), va_arg(args, double));
        break;
      case L'p':
        std::snprintf(buffer, sizeof buffer, "%p", va_arg(args, void*));
        break;
      default:
        // Unknown conversion: keep it as written.
        out.append(start, q + 1);
        continue;
    }
    for (const char* b = buffer; *b; ++b) out += static_cast<wchar_t>(static_cast<unsigned char>(*b));
  }
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

CString::CString(const char* text) : m_s(text ? DecodeUtf8(text) : L"") {}

int CString::Find(wchar_t ch, int start) const {
  if (start < 0) start = 0;
  auto pos = m_s.find(ch, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const wchar_t* sub, int start) const {
  if (!sub || start < 0 || start > GetLength()) return -1;
  auto pos = m_s.find(sub, static_cast<size_t>(start));
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(wchar_t ch) const {
  auto pos = m_s.rfind(ch);
  return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
  if (count <= 0) return CString();
  return CString(m_s.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
  if (count <= 0) return CString();
  if (count >= GetLength()) return *this;
  return CString(m_s.substr(m_s.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  if (first < 0) first = 0;
  if (first >= GetLength() || count <= 0) return CString();
  return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString& CString::MakeLower() {
  for (auto& c : m_s) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::MakeUpper() {
  for (auto& c : m_s) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return *this;
}

CString& CString::Trim() {
  auto first = m_s.find_first_not_of(L" \t\r\n\v\f");
  if (first == std::wstring::npos) {
    m_s.clear();
    return *this;
  }
  auto last = m_s.find_last_not_of(L" \t\r\n\v\f");
  m_s = m_s.substr(first, last - first + 1);
  return *this;
}

int CString::Replace(const wchar_t* from, const wchar_t* to) {
  if (!from || !*from) return 0;
  const std::wstring f(from), t(to ? to : L"");
  int n = 0;
  for (size_t pos = 0; (pos = m_s.find(f, pos)) != std::wstring::npos; pos += t.size(), ++n) m_s.replace(pos, f.size(), t);
  return n;
}

int CString::Compare(const wchar_t* other) const { return m_s.compare(other ? other : L""); }

int CString::CompareNoCase(const wchar_t* other) const {
  CString a(*this), b(other);
  return a.MakeLower().Compare(b.MakeLower());
}

void CString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  m_s.clear();
  FormatInto(m_s, format, args);
  va_end(args);
}

void CString::AppendFormat(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatInto(m_s, format, args);
  va_end(args);
}

std::string CString::ToUtf8() const {
  std::string out;
  out.reserve(m_s.size());
  for (size_t i = 0; i < m_s.size(); ++i) {
    uint32_t c = static_cast<uint32_t>(m_s[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < m_s.size()) {
        uint32_t lo = static_cast<uint32_t>(m_s[i + 1]);
        if (lo >= 0xDC00 && lo < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
          ++i;
        }
      }
    }
    AppendUtf8(out, c);
  }
  return out;
}
