// The text forms of an OBJ file: UTF-8 with or without a byte-order mark, and
// UTF-16 in either byte order when it starts with its byte-order mark.
#pragma once

#include <cstddef>
#include <string>

namespace hbx {

// Finds the text in the file's bytes. UTF-16 is converted to UTF-8 into `converted`
// (a character that is not valid UTF-16 becomes U+FFFD); other text is used in
// place. On success [text, text + textSize) is UTF-8 without a byte-order mark.
bool DecodeText(const char* data, size_t size, std::string& converted, const char*& text, size_t& textSize,
                std::string& error);

}  // namespace hbx
