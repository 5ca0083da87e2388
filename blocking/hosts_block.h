// The in-line block as pure byte transformations of the hosts file's content.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quenlox {

// Looks for the product word in the first line (up to the first CR or Ctrl-Z), fed in pieces of
// any size, so a line of any length is judged with constant memory.
class FirstLineScanner {
 public:
  // False once the answer is known: the marker was found or the first line has ended.
  bool Feed(const char* data, std::size_t size);
  bool Found() const { return found_; }

 private:
  std::size_t matched_ = 0;
  bool found_ = false;
  bool ended_ = false;
};

bool FirstLineHasMarker(std::string_view content);
bool StartsWithUtf16Bom(std::string_view content);

// Content as pieces of other buffers, in order: a large file is written out without a copy.
using Pieces = std::vector<std::string_view>;
std::size_t SizeOf(const Pieces& pieces);
std::string Join(const Pieces& pieces);
bool FirstLineHasMarker(const Pieces& pieces);

// The blocked content of a file that carries no block: the marker line (after a UTF-8 byte order
// mark, if any), the original bytes, then the section mapping every listed name the original
// does not map already to `address`. Its pieces view `original`, which must outlive them.
class BlockedContent {
 public:
  BlockedContent(std::string_view original, std::string_view list, std::string_view address);
  Pieces pieces() const;

 private:
  std::string_view bom_;
  std::string_view body_;
  std::string added_;  // the line end the block had to add, if any, and the section
};
std::string BlockedHosts(std::string_view original, std::string_view list,
                         std::string_view address);

// Takes out the block's own lines, recognised by their form whatever their line ends, wherever
// they now stand and whichever list wrote them: the marker line, the begin and end lines, and
// inside a section the generated lines. Every other byte stays; the pieces view `blocked`.
Pieces UnblockedPieces(std::string_view blocked);
std::string UnblockedHosts(std::string_view blocked);

}  // namespace quenlox
