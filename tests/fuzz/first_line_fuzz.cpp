// Fuzz target: the streaming first-line scanner, fed in pieces of any size, agrees with a plain
// reading of the rule: the first line runs to the first CR, Ctrl-Z or the end, a line feed does
// not end it, and it is blocked when it holds "Quenlox" (exact case).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "blocking/hosts_block.h"

namespace {

bool PlainReading(const std::string& content) {
  const std::string line = content.substr(0, content.find_first_of("\r\x1a"));
  return line.find("Quenlox") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = data[0] % 16 + 1;  // the probe's chunks, scaled down
  const std::string content(reinterpret_cast<const char*>(data) + 1, size - 1);
  quenlox::FirstLineScanner scanner;
  for (std::size_t at = 0; at < content.size(); at += piece) {
    const std::size_t length = content.size() - at < piece ? content.size() - at : piece;
    if (!scanner.Feed(content.data() + at, length)) break;
  }
  const bool expected = PlainReading(content);
  if (scanner.Found() != expected) std::abort();
  if (quenlox::FirstLineHasMarker(content) != expected) std::abort();
  return 0;
}
