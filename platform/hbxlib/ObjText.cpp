#include "ObjText.h"

#include <cstdint>

#include "CString.h"

namespace hbx {
bool DecodeText(const char* data, size_t size, std::string& converted, const char*& text, size_t& textSize,
                std::string& error) {
  const auto* b = reinterpret_cast<const unsigned char*>(data);
  if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    text = data + 3;
    textSize = size - 3;
    return true;
  }
  const bool little = size >= 2 && b[0] == 0xFF && b[1] == 0xFE;
  const bool big = size >= 2 && b[0] == 0xFE && b[1] == 0xFF;
  if (!little && !big) {
    text = data;
    textSize = size;
    return true;
  }
  if (size % 2 != 0) {
    error = "the file is UTF-16 text, but it ends in the middle of a character";
    return false;
  }
  const size_t units = size / 2 - 1;
  const unsigned char* u = b + 2;
  auto unit = [&](size_t i) -> uint32_t {
    return little ? (u[2 * i] | (uint32_t(u[2 * i + 1]) << 8)) : ((uint32_t(u[2 * i]) << 8) | u[2 * i + 1]);
  };
  converted.clear();
  converted.reserve(units + units / 8);
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(converted, c);
  }
  text = converted.data();
  textSize = converted.size();
  return true;
}

}  // namespace hbx
