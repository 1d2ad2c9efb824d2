// UTF-8 of one code point, both ways: the one encoder and decoder behind AString and the block text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvex {
namespace utf8 {

// Decodes one sequence at p (p < e) and answers the bytes taken (at least 1). A damaged or
// overlong sequence, a surrogate or a value past U+10FFFF gives U+FFFD for its first byte.
inline size_t Decode(const unsigned char* p, const unsigned char* e, wchar_t& out) {
  const unsigned char c = *p;
  if (c < 0x80) {
    out = static_cast<wchar_t>(c);
    return 1;
  }
  const size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
  if (len == 0 || static_cast<size_t>(e - p) < len) {
    out = 0xFFFD;
    return 1;
  }
  uint32_t cp = c & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) {
    if ((p[k] & 0xC0) != 0x80) {
      out = 0xFFFD;
      return 1;
    }
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  static const uint32_t kMinForLen[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinForLen[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    out = 0xFFFD;
    return 1;
  }
  out = static_cast<wchar_t>(cp);
  return len;
}

// `cp` must have a UTF-8 form: at most U+10FFFF and no surrogate.
inline void Append(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace utf8
}  // namespace orvex
