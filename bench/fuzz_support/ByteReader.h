// The fuzz targets' input: the fuzzer's bytes taken one at a time, zeros once
// they run out, so that every input drives a whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace fuzzinput {

struct Reader {
  const uint8_t* p;
  size_t n;
  std::optional<uint8_t> Next() {
    if (!n) return std::nullopt;
    --n;
    return *p++;
  }
  uint8_t Byte() { return Next().value_or(0); }
  double Pick(const double* palette, size_t count) { return palette[Byte() % count]; }
};

}  // namespace fuzzinput
