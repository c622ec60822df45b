// Decimal and hexadecimal number text to float, rounded once to the nearest float.
//
// Almost every coordinate in a real file is a short decimal ("-0.123456",
// "1.5e-05"), which the inline fast path turns into a float with one double
// operation whose result is checked to round to float exactly as the decimal would;
// everything else goes through std::from_chars, which rounds correctly in all cases.
#pragma once

#include <cstdint>
#include <cstring>

namespace hbx {

enum class NumberStatus { Ok, Malformed, NotFinite, Overflow };

// True for the characters that end a token: blanks, line ends and '#'. A backslash
// ends a token only before a line end (see IsContinuation).
[[gnu::always_inline]] inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }
[[gnu::always_inline]] inline bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }
// A backslash that joins the next line to this one: right before a line end or
// the end of the text.
[[gnu::always_inline]] inline bool IsContinuation(const char* p, const char* end) {
  return *p == '\\' && (p + 1 == end || IsLineEnd(p[1]));
}
// Scans of text that ends with a line end that no backslash continues (kEnded)
// stop at that line end at the latest: every token, run of digits and run of
// blanks ends before the text does, so those scans leave out the test for the end
// of the text. More<kEnded> is that test: "p is not at the end".
template <bool kEnded>
[[gnu::always_inline]] inline bool More(const char* p, const char* end) {
  return kEnded || p < end;
}
template <bool kEnded = false>
[[gnu::always_inline]] inline bool IsTokenEnd(const char* p, const char* end) {
  if (!More<kEnded>(p, end)) return true;
  const char c = *p;
  return IsBlank(c) || IsLineEnd(c) || c == '#' || IsContinuation(p, end);
}
inline const char* TokenEnd(const char* p, const char* end) {
  while (!IsTokenEnd(p, end)) ++p;
  return p;
}

// The general path: the whole token [p, tokenEnd) must be one number.
NumberStatus ParseFloatSlow(const char* p, const char* tokenEnd, float& out);

namespace detail {
inline constexpr double kPow10[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Moves s past the decimal digits there and appends them to m (m * 10 + digit for
// each, modulo 2^64). The caller counts the digits from where s ends: one counter
// fewer in the loop that every coordinate and index runs through.
template <bool kEnded>
[[gnu::always_inline]] inline const char* ScanDigits(const char* s, const char* end, uint64_t& m) {
  if constexpr (kEnded) {
    // Two digits a round: after a digit there is always one more character.
    for (;;) {
      const unsigned d0 = static_cast<unsigned char>(s[0]) - unsigned{'0'};
      if (d0 > 9) return s;
      const unsigned d1 = static_cast<unsigned char>(s[1]) - unsigned{'0'};
      if (d1 > 9) {
        m = m * 10 + d0;
        return s + 1;
      }
      m = m * 100 + (d0 * 10 + d1);
      s += 2;
    }
  }
  while (More<kEnded>(s, end)) {
    const unsigned d = static_cast<unsigned char>(*s) - unsigned{'0'};
    if (d > 9) break;
    m = m * 10 + d;
    ++s;
  }
  return s;
}
}  // namespace detail

// Parses the token that starts at p; on success stores the value, sets p past the
// token and returns Ok. On failure p is left at the token's start. kEnded: the
// text ends with a line end (see More).
template <bool kEnded = false>
[[gnu::always_inline]] inline NumberStatus ParseFloat(const char*& p, const char* end, float& out) {
  using detail::IsDigit;
  const char* s = p;
  bool negative = false;
  if (More<kEnded>(s, end) && (*s == '-' || *s == '+')) negative = *s++ == '-';
  uint64_t m = 0;
  const char* const first = s;
  s = detail::ScanDigits<kEnded>(s, end, m);
  int digits = static_cast<int>(s - first), fraction = 0;
  if (More<kEnded>(s, end) && *s == '.') {
    const char* const point = ++s;
    s = detail::ScanDigits<kEnded>(s, end, m);
    fraction = static_cast<int>(s - point);
    digits += fraction;
  }
  int exponent = 0;
  if (digits > 0 && More<kEnded>(s, end) && (*s == 'e' || *s == 'E')) {
    const char* e = s + 1;
    bool negativeExponent = false;
    if (More<kEnded>(e, end) && (*e == '-' || *e == '+')) negativeExponent = *e++ == '-';
    int n = 0, expDigits = 0;
    while (More<kEnded>(e, end) && IsDigit(*e) && expDigits < 4) {
      n = n * 10 + (*e++ - '0');
      ++expDigits;
    }
    if (expDigits == 0 || (More<kEnded>(e, end) && IsDigit(*e))) digits = 0;  // unusual exponent: general path
    exponent = negativeExponent ? -n : n;
    s = e;
  }
  const int net = exponent - fraction;
  if (digits > 0 && digits <= 19 && m <= (uint64_t{1} << 53) && net >= -22 && net <= 22 && IsTokenEnd<kEnded>(s, end)) {
    // Both operands are exact doubles, so d is the decimal rounded once to double.
    // Rounding d to float gives the same float as rounding the decimal directly,
    // unless d sits exactly half-way between two floats (then the decimal may lie on
    // either side) or outside the range of normal floats: those go the general way.
    double d = static_cast<double>(m);
    d = net < 0 ? d / detail::kPow10[-net] : d * detail::kPow10[net];
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    const uint64_t biased = (bits >> 52) & 0x7FF;
    if (m == 0 || (biased >= 1023 - 126 && biased <= 1023 + 126 && (bits & 0x1FFFFFFF) != 0x10000000)) {
      const float f = static_cast<float>(d);
      out = negative ? -f : f;
      p = s;
      return NumberStatus::Ok;
    }
  }
  const char* tokenEnd = TokenEnd(p, end);
  const NumberStatus status = ParseFloatSlow(p, tokenEnd, out);
  if (status == NumberStatus::Ok) p = tokenEnd;
  return status;
}

}  // namespace hbx
