#include "blocking/hosts_block.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "resources/texts.h"

namespace quenlox {

namespace {

constexpr std::string_view kCrlf = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kMarker = texts::kProductWord;
// Generated lines use one of these; the 9x family's resolver wants a loopback address.
constexpr std::string_view kAddresses[] = {"0.0.0.0 ", "127.0.0.1 "};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

struct Line {
  std::string_view text;
  std::string_view end;  // CRLF, LF or CR, or empty for a last line without one
};

// Word-at-a-time scanning: the C library's memchr is a byte loop on some systems, and a hosts file
// of many megabytes is scanned on every toggle.
using Word = std::uintptr_t;
constexpr Word kOnes = ~Word{0} / 255;
constexpr Word kHighs = kOnes << 7;

// The high bit of each byte of `w` below `n` (n <= 128) is set; so may be those of a few bytes
// after the first such byte, never those before it.
constexpr Word BytesBelow(Word w, unsigned n) { return (w - kOnes * n) & ~w & kHighs; }
constexpr Word BytesEqual(Word w, char c) {
  return BytesBelow(w ^ (kOnes * static_cast<unsigned char>(c)), 1);
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the first byte is the lowest");
std::size_t FirstMarked(Word marks) {
  return static_cast<std::size_t>(__builtin_ctzll(static_cast<unsigned long long>(marks))) / 8;
}

// The first byte in [p, end) that `marks` marks, or `end`.
template <typename Marks>
const char* FindFirst(const char* p, const char* end, Marks marks) {
  Word word;
  for (; end - p >= static_cast<std::ptrdiff_t>(sizeof word); p += sizeof word) {
    std::memcpy(&word, p, sizeof word);
    if (Word found = marks(word)) return p + FirstMarked(found);
  }
  // The tail, padded with bytes that no search here looks for.
  if (p == end) return end;
  word = ~Word{0};
  std::memcpy(&word, p, static_cast<std::size_t>(end - p));
  Word found = marks(word);
  return found ? std::min(end, p + FirstMarked(found)) : end;
}

const char* FindLineEnd(const char* p, const char* end) {
  return FindFirst(p, end, [](Word w) { return BytesEqual(w, '\n') | BytesEqual(w, '\r'); });
}

// Lines ended by CRLF, LF or CR: editors, Unix tools and sync tools leave any of them.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  bool Next(Line* line) {
    if (pos_ >= text_.size()) return false;
    const char* start = text_.data() + pos_;
    const char* end = text_.data() + text_.size();
    const char* eol = FindLineEnd(start, end);
    const char* next = eol;
    if (next < end) next += (*next == '\r' && next + 1 < end && next[1] == '\n') ? 2 : 1;
    line->text = std::string_view(start, eol - start);
    line->end = std::string_view(eol, next - eol);
    pos_ = next - text_.data();
    return true;
  }
  std::size_t Position() const { return pos_; }
  void SkipTo(std::size_t pos) { pos_ = pos; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Every line the block writes, but the generated ones, starts so.
constexpr std::string_view kOwnLineStart = texts::kHostsOwnLineStart;
static_assert(
    std::string_view(texts::kHostsMarkerLine).substr(0, kOwnLineStart.size()) == kOwnLineStart &&
    std::string_view(texts::kHostsSectionBegin).substr(0, kOwnLineStart.size()) == kOwnLineStart &&
    std::string_view(texts::kHostsSectionBeginAfterAddedBreak).substr(0, kOwnLineStart.size()) ==
        kOwnLineStart &&
    std::string_view(texts::kHostsSectionEnd).substr(0, kOwnLineStart.size()) == kOwnLineStart);

// The start of the first line at or after `from` that starts as the block's own lines do, or
// npos. It looks for the product word's first letter, rare in a hosts file, not at every line.
std::size_t FindOwnLineStart(std::string_view text, std::size_t from) {
  constexpr std::size_t kKeyAt = 2;  // after "# "
  constexpr char kKey = kOwnLineStart[kKeyAt];
  if (from > text.size() || text.size() - from < kOwnLineStart.size())
    return std::string_view::npos;
  const char* const end = text.data() + text.size();
  for (const char* p = text.data() + from + kKeyAt; p < end; ++p) {
    p = FindFirst(p, end, [](Word w) { return BytesEqual(w, kKey); });
    if (p == end) break;
    const std::size_t at = static_cast<std::size_t>(p - text.data()) - kKeyAt;
    if (text.compare(at, kOwnLineStart.size(), kOwnLineStart) == 0 &&
        (at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r'))
      return at;
  }
  return std::string_view::npos;
}

enum class OwnLine { kNone, kMarker, kBegin, kBeginAfterAddedBreak, kEnd };

OwnLine Classify(std::string_view text) {
  if (text.empty() || text[0] != '#') return OwnLine::kNone;
  if (text == texts::kHostsMarkerLine) return OwnLine::kMarker;
  if (text == texts::kHostsSectionBegin) return OwnLine::kBegin;
  if (text == texts::kHostsSectionBeginAfterAddedBreak) return OwnLine::kBeginAfterAddedBreak;
  if (text == texts::kHostsSectionEnd) return OwnLine::kEnd;
  return OwnLine::kNone;
}

// One of the block's addresses, one blank and one name: what the block writes, with any list.
bool IsGeneratedLine(std::string_view text) {
  for (std::string_view address : kAddresses) {
    if (!StartsWith(text, address)) continue;
    std::string_view name = text.substr(address.size());
    if (name.empty()) return false;
    for (char c : name) {
      if (static_cast<unsigned char>(c) <= ' ' || c == '#') return false;
    }
    return true;
  }
  return false;
}

// True when the section whose begin line ends before `from` has an end line before the next
// section.
bool SectionHasEnd(std::string_view text, std::size_t from) {
  for (std::size_t at = FindOwnLineStart(text, from); at != std::string_view::npos;
       at = FindOwnLineStart(text, at + 1)) {
    Line line;
    Lines(text.substr(at)).Next(&line);
    OwnLine own = Classify(line.text);
    if (own == OwnLine::kEnd) return true;
    if (own == OwnLine::kBegin || own == OwnLine::kBeginAfterAddedBreak) return false;
  }
  return false;
}

// Pieces of one buffer; a piece that continues the last one extends it.
class PieceList {
 public:
  void Add(std::string_view piece) {
    if (piece.empty()) return;
    if (!pieces_.empty() && pieces_.back().data() + pieces_.back().size() == piece.data()) {
      pieces_.back() =
          std::string_view(pieces_.back().data(), pieces_.back().size() + piece.size());
    } else {
      pieces_.push_back(piece);
    }
    size_ += piece.size();
  }
  std::size_t size() const { return size_; }
  // The last line's CRLF, LF or CR. A line and its end are always added as one piece.
  void DropLastLineEnd() {
    if (pieces_.empty()) return;
    std::string_view& last = pieces_.back();
    std::size_t drop = 0;
    if (last.size() >= 2 && last.substr(last.size() - 2) == kCrlf) {
      drop = 2;
    } else if (!last.empty() && (last.back() == '\n' || last.back() == '\r')) {
      drop = 1;
    }
    last.remove_suffix(drop);
    size_ -= drop;
    if (last.empty()) pieces_.pop_back();
  }
  Pieces Take() { return std::move(pieces_); }

 private:
  Pieces pieces_;
  std::size_t size_ = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The listed names, with a bit filter over a cheap hash of each name's length and first and last
// eight bytes that turns away nearly all of a large file's names before they are copied and hashed.
class ListedNames {
 public:
  explicit ListedNames(std::string_view list) : filter_(kFilterBits / 64) {
    Lines lines(list);
    Line line;
    while (lines.Next(&line)) {
      if (line.text.empty()) continue;
      names_.insert(line.text);
      const std::uint32_t bit = FilterBit(line.text);
      filter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
  }
  // The listed name equal to `name` in any case, or an empty view.
  std::string_view Find(std::string_view name, std::string& scratch) const {
    const std::uint32_t bit = FilterBit(name);
    if ((filter_[bit / 64] >> (bit % 64) & 1) == 0) return {};
    scratch.assign(name);
    for (char& c : scratch) c = Lower(c);
    auto found = names_.find(scratch);
    return found == names_.end() ? std::string_view() : *found;
  }

 private:
  static constexpr unsigned kFilterLog = 16;
  static constexpr std::uint32_t kFilterBits = std::uint32_t{1} << kFilterLog;
  // Setting bit 5 of every byte folds upper case onto lower case; other bytes may meet, which a
  // filter allows.
  static constexpr std::uint64_t kFold = 0x2020202020202020;
  static std::uint32_t FilterBit(std::string_view name) {
    std::uint64_t head = 0, tail = 0;
    if (name.size() >= sizeof head) {
      std::memcpy(&head, name.data(), sizeof head);
      std::memcpy(&tail, name.data() + name.size() - sizeof tail, sizeof tail);
    } else {
      std::memcpy(&head, name.data(), name.size());
    }
    const std::uint64_t mixed =
        ((head | kFold) ^ ((tail | kFold) * 0xC2B2AE3D27D4EB4F) ^ name.size()) * 0x9E3779B97F4A7C15;
    return static_cast<std::uint32_t>(mixed >> (64 - kFilterLog));
  }
  std::unordered_set<std::string_view> names_;
  std::vector<std::uint64_t> filter_;
};

// The end of the name or address at `p`: the first blank, line end or '#'. Other control
// characters are a name's own bytes, as any byte but a blank.
const char* FindTokenEnd(const char* p, const char* end) {
  for (;; ++p) {
    p = FindFirst(p, end, [](Word w) { return BytesBelow(w, ' ' + 1) | BytesEqual(w, '#'); });
    if (p == end || IsBlank(*p) || *p == '#' || *p == '\n' || *p == '\r') return p;
  }
}

// Column padding is often a run of spaces: a word of them at a time.
const char* SkipBlanks(const char* p, const char* end) {
  constexpr Word kSpaces = kOnes * ' ';
  Word word;
  while (end - p >= static_cast<std::ptrdiff_t>(sizeof word)) {
    std::memcpy(&word, p, sizeof word);
    if (word != kSpaces) break;
    p += sizeof word;
  }
  while (p < end && IsBlank(*p)) ++p;
  return p;
}

// The listed names that the file's own entries map already, whatever the address. Only listed
// names are kept, so a large file costs no allocation per name. One pass that stops only at
// the ends of blank runs, names and lines.
std::unordered_set<std::string_view> MappedListedNames(std::string_view content,
                                                       const ListedNames& listed) {
  std::unordered_set<std::string_view> mapped;
  std::string scratch;
  const char* p = content.data();
  const char* const end = p + content.size();
  bool first = true;  // the next token is a line's address
  while (p < end) {
    const char c = *p;
    if (IsBlank(c)) {
      p = SkipBlanks(p, end);
    } else if (c == '\n' || c == '\r') {
      first = true;
      ++p;
    } else if (c == '#') {
      p = FindLineEnd(p, end);
    } else {
      const char* token_end = FindTokenEnd(p, end);
      if (!first) {
        std::string_view found = listed.Find(std::string_view(p, token_end - p), scratch);
        if (!found.empty()) mapped.insert(found);
      }
      first = false;
      p = token_end;
    }
  }
  return mapped;
}

void AppendLine(std::string& out, std::string_view text) {
  out += text;
  out += kCrlf;
}

}  // namespace

bool FirstLineScanner::Feed(const char* data, std::size_t size) {
  // The marker has no prefix that is also its suffix, so a mismatch never backs up further.
  if (found_ || ended_) return false;
  for (std::size_t i = 0; i < size; ++i) {
    char c = data[i];
    if (c == '\r' || c == '\x1a') {
      ended_ = true;
      return false;
    }
    if (c == kMarker[matched_]) {
      if (++matched_ == kMarker.size()) {
        found_ = true;
        return false;
      }
    } else {
      matched_ = c == kMarker[0] ? 1 : 0;
    }
  }
  return true;
}

bool FirstLineHasMarker(std::string_view content) {
  FirstLineScanner scanner;
  scanner.Feed(content.data(), content.size());
  return scanner.Found();
}

bool StartsWithUtf16Bom(std::string_view content) {
  return content.substr(0, 2) == "\xFF\xFE" || content.substr(0, 2) == "\xFE\xFF";
}

std::size_t SizeOf(const Pieces& pieces) {
  std::size_t size = 0;
  for (std::string_view piece : pieces) size += piece.size();
  return size;
}

std::string Join(const Pieces& pieces) {
  std::string out;
  out.reserve(SizeOf(pieces));
  for (std::string_view piece : pieces) out += piece;
  return out;
}

bool FirstLineHasMarker(const Pieces& pieces) {
  FirstLineScanner scanner;
  for (std::string_view piece : pieces) {
    if (!scanner.Feed(piece.data(), piece.size())) break;
  }
  return scanner.Found();
}

BlockedContent::BlockedContent(std::string_view original, std::string_view list,
                               std::string_view address) {
  const ListedNames listed(list);
  const std::unordered_set<std::string_view> mapped = MappedListedNames(original, listed);
  body_ = original;
  // The mark stays at byte 0, where editors look for it.
  if (StartsWith(body_, kUtf8Bom)) {
    bom_ = body_.substr(0, kUtf8Bom.size());
    body_.remove_prefix(kUtf8Bom.size());
  }
  const bool add_break = !body_.empty() && body_.back() != '\n' && body_.back() != '\r';
  added_.reserve(list.size() * 2 + 128);
  if (add_break) added_ += kCrlf;
  AppendLine(added_,
             add_break ? texts::kHostsSectionBeginAfterAddedBreak : texts::kHostsSectionBegin);
  // In the list's order, so that the same file and list always give the same bytes.
  Lines names(list);
  Line name;
  while (names.Next(&name)) {
    if (name.text.empty() || mapped.count(name.text) != 0) continue;
    added_ += address;
    added_ += ' ';
    AppendLine(added_, name.text);
  }
  AppendLine(added_, texts::kHostsSectionEnd);
}

Pieces BlockedContent::pieces() const {
  return {bom_, texts::kHostsMarkerLine, kCrlf, body_, added_};
}

std::string BlockedHosts(std::string_view original, std::string_view list,
                         std::string_view address) {
  return Join(BlockedContent(original, list, address).pieces());
}

Pieces UnblockedPieces(std::string_view blocked) {
  PieceList out;
  std::string_view text = blocked;
  if (StartsWith(text, kUtf8Bom)) {
    out.Add(text.substr(0, kUtf8Bom.size()));
    text.remove_prefix(kUtf8Bom.size());
  }
  enum class Where { kOutside, kSection, kSectionWithoutEnd } where = Where::kOutside;
  // out's size at the last begin line that says the line end before it was added.
  std::size_t added_break_at = std::string::npos;
  Lines lines(text);
  Line line;
  while (true) {
    // Outside a section only lines that start as the block's own may go: the bytes before the
    // next one are kept whole.
    if (where == Where::kOutside) {
      const std::size_t from = lines.Position();
      const std::size_t to = std::min(FindOwnLineStart(text, from), text.size());
      out.Add(text.substr(from, to - from));
      lines.SkipTo(to);
    }
    if (!lines.Next(&line)) break;
    switch (Classify(line.text)) {
      case OwnLine::kMarker:
        continue;
      case OwnLine::kBegin:
      case OwnLine::kBeginAfterAddedBreak:
        added_break_at =
            Classify(line.text) == OwnLine::kBeginAfterAddedBreak ? out.size() : std::string::npos;
        where = SectionHasEnd(text, lines.Position()) ? Where::kSection : Where::kSectionWithoutEnd;
        continue;
      case OwnLine::kEnd:
        where = Where::kOutside;
        continue;
      case OwnLine::kNone:
        break;
    }
    if (where != Where::kOutside && IsGeneratedLine(line.text)) continue;
    // Lines the user put inside the section stay; without an end line the section stops at the
    // first line the block did not write.
    if (where == Where::kSectionWithoutEnd) where = Where::kOutside;
    out.Add(std::string_view(line.text.data(), line.text.size() + line.end.size()));
  }
  // Nothing of the user's follows the section: the line end the block added goes again. The
  // byte order mark is no line.
  if (added_break_at == out.size() && out.size() > blocked.size() - text.size())
    out.DropLastLineEnd();
  return out.Take();
}

std::string UnblockedHosts(std::string_view blocked) { return Join(UnblockedPieces(blocked)); }

}  // namespace quenlox
