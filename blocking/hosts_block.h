// The in-line block as pure byte transformations of the hosts file's content.
#pragma once

#include <cstddef>
#include <memory>
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

// Receives content in order.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False stops the pass: a write failed, or the receiver has what it wanted.
  virtual bool Put(std::string_view bytes) = 0;
};

class StringSink : public ByteSink {
 public:
  bool Put(std::string_view bytes) override {
    text += bytes;
    return true;
  }
  std::string text;
};

// A pass over a file's content, fed in order in pieces that each end at a line end (the last may
// not): a large file goes through one small buffer, never whole into memory, and no line is split.
class ContentPass {
 public:
  virtual ~ContentPass() = default;
  virtual bool Feed(std::string_view lines) = 0;  // false: this pass wants no more
  virtual void Finish() {}                        // after the last piece, unless it stopped early
};

// How much of `data` ends at a line end and can be fed; all of it at the end of the file. A CR
// that ends `data` waits, since an LF may follow it.
std::size_t CompleteLines(std::string_view data, bool at_end);

// Where the lines that start as the block's own stand, and whether the file carries any line of
// the block. Positions are counted after a byte order mark.
class OwnLines : public ContentPass {
 public:
  bool Feed(std::string_view lines) override;
  bool Any() const { return any_; }
  // The first such line at or after `from`, or npos.
  std::size_t NextStart(std::size_t from) const;
  // Whether the section whose begin line ends at `from` has an end line before the next section.
  bool SectionHasEnd(std::size_t from) const;

 private:
  enum class Kind : unsigned char { kOther, kBegin, kEnd };
  struct Mark {
    std::size_t at;
    Kind kind;
  };
  std::vector<Mark>::const_iterator From(std::size_t from) const;
  std::vector<Mark> marks_;
  std::size_t fed_ = 0;
  bool started_ = false;
  bool any_ = false;
};

// Takes out the block's own lines, recognised by their form whatever their line ends, wherever
// they now stand and whichever list wrote them: the marker line, the begin and end lines, and
// inside a section the generated lines. Every other byte goes to `out`, in order. Fed the same
// content as `own` was.
class UnblockFilter : public ContentPass {
 public:
  UnblockFilter(const OwnLines& own, ByteSink& out) : own_(own), out_(out) {}
  bool Feed(std::string_view lines) override;
  void Finish() override;

 private:
  void Emit(std::string_view bytes);

  enum class Where { kOutside, kSection, kSectionWithoutEnd };
  const OwnLines& own_;
  ByteSink& out_;
  Where where_ = Where::kOutside;
  std::size_t fed_ = 0;  // counted after a byte order mark
  bool started_ = false;
  bool stopped_ = false;
  std::size_t bom_ = 0;
  std::size_t out_size_ = 0;
  // out_size_ at the last begin line that says the line end before it was added.
  std::size_t added_break_at_ = std::string::npos;
  // The line end of the last bytes put out waits: nothing of the user's may follow it.
  std::string held_;
};

// What a block adds to a file that carries no block: fed that file, it finds the listed names
// the file maps already, its byte order mark, whether its last line has an end, and whether it
// carries a line of the block after all.
class BlockedContent : public ContentPass {
 public:
  BlockedContent(std::string_view list, std::string_view address);
  ~BlockedContent() override;
  bool Feed(std::string_view lines) override;
  void Finish() override;  // builds the section

  bool bom() const { return bom_; }
  bool carries_block() const { return carries_block_; }
  // The section mapping every listed name the file does not map already to `address`.
  const std::string& section() const { return added_; }

 private:
  class Names;
  std::string_view list_;
  std::string_view address_;
  std::unique_ptr<Names> names_;
  bool started_ = false;
  bool bom_ = false;
  bool carries_block_ = false;
  bool body_ = false;  // the file has bytes after its byte order mark
  char last_ = 0;
  std::string added_;  // the line end the block had to add, if any, and the section
};

// The blocked file, from the content `blocked` was fed, fed again: the marker line (after a UTF-8
// byte order mark, if any), the original bytes, then the section.
class BlockWriter : public ContentPass {
 public:
  BlockWriter(const BlockedContent& blocked, ByteSink& out) : blocked_(blocked), out_(out) {}
  bool Feed(std::string_view lines) override;
  void Finish() override;

 private:
  bool Start();
  const BlockedContent& blocked_;
  ByteSink& out_;
  bool started_ = false;
};

// The same, for content held whole.
std::string BlockedHosts(std::string_view original, std::string_view list,
                         std::string_view address);
std::string UnblockedHosts(std::string_view blocked);

}  // namespace quenlox
