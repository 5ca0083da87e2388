#include "blocking/utf16_text.h"

#include <cstdint>

namespace quenlox {

namespace {

void PutUtf8(std::uint32_t code, std::string* out) {
  if (code < 0x80) {
    *out += static_cast<char>(code);
  } else if (code < 0x800) {
    *out += static_cast<char>(0xC0 | code >> 6);
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    *out += static_cast<char>(0xE0 | code >> 12);
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | code >> 18);
    *out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
    *out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    *out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void PutUnit(std::uint32_t unit, bool big_endian, std::string* out) {
  const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
  *out += big_endian ? high : low;
  *out += big_endian ? low : high;
}

}  // namespace

bool FromUtf16(std::string_view file, Utf16Text* out) {
  if (file.size() < 2) return false;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(file[i]); };
  if (byte(0) == 0xFF && byte(1) == 0xFE) {
    out->big_endian = false;
  } else if (byte(0) == 0xFE && byte(1) == 0xFF) {
    out->big_endian = true;
  } else {
    return false;
  }
  const auto unit = [&](std::size_t i) -> std::uint32_t {
    return out->big_endian ? byte(i) << 8 | byte(i + 1) : byte(i + 1) << 8 | byte(i);
  };
  out->text.clear();
  std::size_t i = 2;
  for (; i + 1 < file.size(); i += 2) {
    std::uint32_t code = unit(i);
    // A pair of surrogates is one character; a lone one keeps its own three bytes.
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < file.size()) {
      const std::uint32_t next = unit(i + 2);
      if (next >= 0xDC00 && next < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
        i += 2;
      }
    }
    PutUtf8(code, &out->text);
  }
  out->odd_tail.assign(file.substr(i));
  return true;
}

std::string ToUtf16(const Utf16Text& text) {
  std::string out = text.big_endian ? "\xFE\xFF" : "\xFF\xFE";
  const std::string& in = text.text;
  for (std::size_t i = 0; i < in.size();) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(in[at]); };
    std::uint32_t code = byte(i);
    std::size_t length = code < 0x80 ? 1 : code < 0xE0 ? 2 : code < 0xF0 ? 3 : 4;
    if (i + length > in.size()) length = 1;  // cut short: not of FromUtf16, kept byte by byte
    if (length > 1) {
      code &= 0x3F >> (length - 1);
      for (std::size_t k = 1; k < length; ++k) code = code << 6 | (byte(i + k) & 0x3F);
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      PutUnit(0xD800 + (code >> 10), text.big_endian, &out);
      PutUnit(0xDC00 + (code & 0x3FF), text.big_endian, &out);
    } else {
      PutUnit(code, text.big_endian, &out);
    }
    i += length;
  }
  return out + text.odd_tail;
}

}  // namespace quenlox
