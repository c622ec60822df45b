#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "ObjNumber.h"

namespace {

uint32_t Bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

hbx::NumberStatus Parse(const std::string& text, float& value, size_t* used = nullptr) {
  const char* p = text.data();
  const hbx::NumberStatus s = hbx::ParseFloat(p, text.data() + text.size(), value);
  if (used) *used = static_cast<size_t>(p - text.data());
  return s;
}

// Each text is rounded once, to the nearest float (ties to even), in every form that
// strtod accepts for finite values.
TEST(ObjNumber, RoundsOnceToTheNearestFloat) {
  struct Case {
    const char* text;
    float expected;
  } cases[] = {
      {"0", 0.0f}, {"-0", -0.0f}, {"+1.5", 1.5f}, {".5", 0.5f}, {"5.", 5.0f}, {"-.25e1", -2.5f},
      {"1E3", 1000.0f}, {"1e+3", 1000.0f}, {"0.1", 0.1f}, {"123.456789", 123.456789f},
      {"0x1.8p3", 12.0f}, {"0X1P-2", 0.25f}, {"-0x.8p1", -1.0f}, {"0x10", 16.0f},
      {"3.4028235e38", 3.4028235e38f}, {"1.17549435e-38", 1.17549435e-38f}, {"1e-45", 0x1p-149f},
      // Below half the smallest float: the nearest float is zero, keeping the sign.
      {"1e-50", 0.0f}, {"-7e-46", -0.0f}, {"1e-99999", 0.0f},
      // Rounded to double first, these would land exactly half-way between two
      // floats and then round the wrong way.
      {"1.0000000596046448", 0x1.000002p0f}, {"7.038531e-26", 0x1.5c87fap-84f},
      // Exactly half-way: ties to even; a hair above: up.
      {"1.000000059604644775390625", 1.0f}, {"1.0000000596046447753906250001", 0x1.000002p0f},
      {"00000000000000000000000001.5", 1.5f}, {"16777217", 16777216.0f}, {"16777219", 16777220.0f},
  };
  for (const Case& c : cases) {
    float v = -42.0f;
    size_t used = 0;
    ASSERT_EQ(Parse(c.text, v, &used), hbx::NumberStatus::Ok) << c.text;
    EXPECT_EQ(Bits(v), Bits(c.expected)) << c.text << " gave " << v;
    EXPECT_EQ(used, std::strlen(c.text)) << c.text;
  }
}

TEST(ObjNumber, RejectsWhatIsNotAFiniteFloat) {
  struct Case {
    const char* text;
    hbx::NumberStatus expected;
  } cases[] = {
      {"inf", hbx::NumberStatus::NotFinite}, {"-infinity", hbx::NumberStatus::NotFinite},
      {"nan", hbx::NumberStatus::NotFinite}, {"NaN(123)", hbx::NumberStatus::NotFinite},
      {"1e39", hbx::NumberStatus::Overflow}, {"-3.4028236e38", hbx::NumberStatus::Overflow},
      {"0x1p128", hbx::NumberStatus::Overflow}, {"1e99999", hbx::NumberStatus::Overflow},
      {"1.2.3", hbx::NumberStatus::Malformed}, {"--1", hbx::NumberStatus::Malformed},
      {"+-1", hbx::NumberStatus::Malformed}, {"1e", hbx::NumberStatus::Malformed},
      {"1e+", hbx::NumberStatus::Malformed}, {"0x", hbx::NumberStatus::Malformed},
      {"0x-1p3", hbx::NumberStatus::Malformed}, {"abc", hbx::NumberStatus::Malformed},
      {"1,5", hbx::NumberStatus::Malformed}, {"-", hbx::NumberStatus::Malformed},
      {".", hbx::NumberStatus::Malformed}, {"1/2", hbx::NumberStatus::Malformed},
  };
  for (const Case& c : cases) {
    float v = 7.0f;
    EXPECT_EQ(Parse(c.text, v), c.expected) << c.text;
    EXPECT_EQ(v, 7.0f) << c.text;  // nothing stored on failure
  }
}

// The fast path against std::from_chars, which rounds correctly, on many decimals of
// the shapes exporters write and on the digits around float midpoints.
TEST(ObjNumber, AgreesWithCorrectRoundingOnRandomDecimals) {
  std::mt19937_64 rng(12345);
  for (int i = 0; i < 200000; ++i) {
    std::string s;
    if (rng() % 2) s += '-';
    const int intDigits = static_cast<int>(rng() % 8), fracDigits = static_cast<int>(rng() % 12);
    for (int k = 0; k < intDigits; ++k) s += static_cast<char>('0' + rng() % 10);
    if (intDigits == 0 || fracDigits) {
      s += '.';
      for (int k = 0; k < fracDigits || (intDigits == 0 && k == 0); ++k) s += static_cast<char>('0' + rng() % 10);
    }
    if (rng() % 4 == 0) {
      s += 'e';
      s += std::to_string(static_cast<int>(rng() % 61) - 30);
    }
    float expected = 0.0f;
    const char* b = s.data() + (s[0] == '-' ? 1 : 0);
    auto r = std::from_chars(b, s.data() + s.size(), expected);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) continue;
    if (s[0] == '-') expected = -expected;
    float v = 0.0f;
    ASSERT_EQ(Parse(s, v), hbx::NumberStatus::Ok) << s;
    ASSERT_EQ(Bits(v), Bits(expected)) << s;
  }
  // Decimals within a few units of the last digit of a float midpoint.
  for (int i = 0; i < 20000; ++i) {
    const float f = std::ldexp(static_cast<float>(rng() % (1u << 24)) / (1u << 24) + 1.0f, static_cast<int>(rng() % 40) - 20);
    const double mid = static_cast<double>(f) + std::ldexp(1.0, std::ilogb(f) - 24);
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", mid + (static_cast<int>(rng() % 5) - 2) * mid * 1e-17);
    float expected = 0.0f;
    std::from_chars(text, text + std::strlen(text), expected);
    float v = 0.0f;
    ASSERT_EQ(Parse(text, v), hbx::NumberStatus::Ok) << text;
    ASSERT_EQ(Bits(v), Bits(expected)) << text;
  }
}

}  // namespace
