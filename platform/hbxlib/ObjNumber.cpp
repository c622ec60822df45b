#include "ObjNumber.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace hbx {
namespace {

bool IsHexDigit(char c) {
  return detail::IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// std::from_chars reports both overflow and underflow as out of range. Which one it
// was follows from the rough order of magnitude of the text: a value out of float's
// range is either far above 1 or far below it.
bool IsBelowOne(const char* s, const char* e, bool hex) {
  auto isDigit = [&](char c) { return hex ? IsHexDigit(c) : detail::IsDigit(c); };
  bool seen = false, afterPoint = false;
  long long before = 0, zerosAfter = 0;
  for (; s < e && (isDigit(*s) || *s == '.'); ++s) {
    if (*s == '.') {
      afterPoint = true;
      continue;
    }
    if (!seen && *s == '0') {
      if (afterPoint) ++zerosAfter;
      continue;
    }
    seen = true;
    if (!afterPoint) ++before;
  }
  // Position of the first nonzero digit relative to the point, in digits.
  const long long magnitude = before > 0 ? before - 1 : -(zerosAfter + 1);
  long long exponent = 0;
  if (s < e && (*s == 'e' || *s == 'E' || *s == 'p' || *s == 'P')) {
    ++s;
    const bool negative = s < e && *s == '-';
    if (s < e && (*s == '-' || *s == '+')) ++s;
    for (; s < e && detail::IsDigit(*s); ++s)
      if (exponent < 1000000000) exponent = exponent * 10 + (*s - '0');
    if (negative) exponent = -exponent;
  }
  // In hexadecimal the exponent counts powers of two, four to a digit.
  return hex ? magnitude * 4 + exponent < 0 : magnitude + exponent < 0;
}

}  // namespace

NumberStatus ParseFloatSlow(const char* p, const char* tokenEnd, float& out) {
  const char* s = p;
  bool negative = false;
  if (s < tokenEnd && (*s == '-' || *s == '+')) negative = *s++ == '-';
  // from_chars takes no sign of its own here: a second sign is malformed.
  if (s == tokenEnd || *s == '-' || *s == '+') return NumberStatus::Malformed;
  bool hex = false;
  if (tokenEnd - s >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    hex = true;
    s += 2;
    if (s == tokenEnd || *s == '-' || *s == '+') return NumberStatus::Malformed;
  }
  float value = 0.0f;
  const auto result = std::from_chars(s, tokenEnd, value, hex ? std::chars_format::hex : std::chars_format::general);
  if (result.ptr != tokenEnd) {
    // "inf", "nan" and their longer spellings are numbers to strtod, but not finite.
    if (result.ec == std::errc() && !std::isfinite(value)) return NumberStatus::NotFinite;
    return NumberStatus::Malformed;
  }
  if (result.ec == std::errc::result_out_of_range) {
    if (!IsBelowOne(s, tokenEnd, hex)) return NumberStatus::Overflow;
    value = 0.0f;  // below half the smallest float: the nearest float is zero
  } else if (result.ec != std::errc()) {
    return NumberStatus::Malformed;
  }
  if (!std::isfinite(value)) return NumberStatus::NotFinite;
  out = negative ? -value : value;
  return NumberStatus::Ok;
}

}  // namespace hbx
