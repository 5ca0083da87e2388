// A hosts file saved as Unicode (UTF-16, with its byte order mark), turned into 8-bit text that
// the line-based passes read, and back, without losing a byte: every code unit becomes its UTF-8
// form, a lone surrogate included, so the block's lines (ASCII) are found as in any other file.
#pragma once

#include <string>
#include <string_view>

namespace quenlox {

struct Utf16Text {
  std::string text;  // the content after the byte order mark, as 8-bit text
  bool big_endian = false;
  std::string odd_tail;  // a last byte that makes no code unit, kept as it was
};

// False where `file` does not start with a UTF-16 byte order mark.
bool FromUtf16(std::string_view file, Utf16Text* out);
// The file again, byte order mark first; `text` as FromUtf16 gives it (or with lines taken out).
std::string ToUtf16(const Utf16Text& text);

}  // namespace quenlox
