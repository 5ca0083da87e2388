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
constexpr std::string_view kAddresses[] = {"0.0.0.0", "127.0.0.1"};

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

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }

// Editors and hosts managers leave blanks at the ends of lines.
std::string_view WithoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

OwnLine Classify(std::string_view text) {
  if (text.empty() || text[0] != '#') return OwnLine::kNone;
  text = WithoutTrailingBlanks(text);
  if (text == texts::kHostsMarkerLine) return OwnLine::kMarker;
  if (text == texts::kHostsSectionBegin) return OwnLine::kBegin;
  if (text == texts::kHostsSectionBeginAfterAddedBreak) return OwnLine::kBeginAfterAddedBreak;
  if (text == texts::kHostsSectionEnd) return OwnLine::kEnd;
  return OwnLine::kNone;
}

// One of the block's addresses and one name: what the block writes, with any list, also laid
// out in columns by a tool (blanks and tabs before, between and after).
bool IsGeneratedLine(std::string_view text) {
  text = WithoutTrailingBlanks(text);
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  for (std::string_view address : kAddresses) {
    if (!StartsWith(text, address) || text.size() == address.size() ||
        !IsBlank(text[address.size()]))
      continue;
    std::string_view name = text.substr(address.size());
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    if (name.empty()) return false;
    for (char c : name) {
      if (static_cast<unsigned char>(c) <= ' ' || c == '#') return false;
    }
    return true;
  }
  return false;
}
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

// Adds the listed names that the file's own entries map already, whatever the address, and learns
// whether a line of the block's own starts a line. Only listed names are kept, so a large file
// costs no allocation per name. One pass that stops only at the ends of blank runs, names and
// lines; `content` starts at a line's start.
void ScanEntries(std::string_view content, const ListedNames& listed,
                 std::unordered_set<std::string_view>* mapped, bool* own_line) {
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
      const char* line_end = FindLineEnd(p, end);
      if (p == content.data() || p[-1] == '\n' || p[-1] == '\r')
        *own_line = *own_line || Classify(std::string_view(p, line_end - p)) != OwnLine::kNone;
      p = line_end;
    } else {
      const char* token_end = FindTokenEnd(p, end);
      if (!first) {
        std::string_view found = listed.Find(std::string_view(p, token_end - p), scratch);
        if (!found.empty()) mapped->insert(found);
      }
      first = false;
      p = token_end;
    }
  }
}

// The byte order mark that starts the file, taken off the first piece fed; empty after it.
std::string_view TakeBom(std::string_view* lines, bool* started) {
  if (*started) return {};
  *started = true;
  if (!StartsWith(*lines, kUtf8Bom)) return {};
  const std::string_view bom = lines->substr(0, kUtf8Bom.size());
  lines->remove_prefix(bom.size());
  return bom;
}

// The length of the line end that ends `bytes`, if any.
std::size_t TrailingLineEnd(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == kCrlf) return 2;
  return !bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r') ? 1 : 0;
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

std::size_t CompleteLines(std::string_view data, bool at_end) {
  if (at_end) return data.size();
  for (std::size_t i = data.size(); i > 0; --i) {
    const char c = data[i - 1];
    if (c == '\n' || (c == '\r' && i < data.size())) return i;
  }
  return 0;
}

bool OwnLines::Feed(std::string_view lines) {
  TakeBom(&lines, &started_);
  for (std::size_t at = FindOwnLineStart(lines, 0); at != std::string_view::npos;
       at = FindOwnLineStart(lines, at + 1)) {
    Line line;
    Lines(lines.substr(at)).Next(&line);
    const OwnLine own = Classify(line.text);
    any_ = any_ || own != OwnLine::kNone;
    const Kind kind = own == OwnLine::kEnd ? Kind::kEnd
                      : own == OwnLine::kBegin || own == OwnLine::kBeginAfterAddedBreak
                          ? Kind::kBegin
                          : Kind::kOther;
    marks_.push_back({fed_ + at, kind});
  }
  fed_ += lines.size();
  return true;
}

std::vector<OwnLines::Mark>::const_iterator OwnLines::From(std::size_t from) const {
  return std::lower_bound(marks_.begin(), marks_.end(), from,
                          [](const Mark& mark, std::size_t at) { return mark.at < at; });
}

std::size_t OwnLines::NextStart(std::size_t from) const {
  auto next = From(from);
  return next == marks_.end() ? std::string_view::npos : next->at;
}

bool OwnLines::SectionHasEnd(std::size_t from) const {
  for (auto mark = From(from); mark != marks_.end(); ++mark) {
    if (mark->kind != Kind::kOther) return mark->kind == Kind::kEnd;
  }
  return false;
}

void UnblockFilter::Emit(std::string_view bytes) {
  if (bytes.empty() || stopped_) return;
  out_size_ += bytes.size();
  const std::size_t end = TrailingLineEnd(bytes);
  bool ok = held_.empty() || out_.Put(held_);
  bytes.remove_suffix(end);
  ok = ok && (bytes.empty() || out_.Put(bytes));
  held_.assign(bytes.data() + bytes.size(), end);
  stopped_ = !ok;
}

bool UnblockFilter::Feed(std::string_view text) {
  const std::string_view bom = TakeBom(&text, &started_);
  bom_ += bom.size();
  Emit(bom);
  Lines lines(text);
  Line line;
  while (!stopped_) {
    // Outside a section only lines that start as the block's own may go: the bytes before the
    // next one are kept whole.
    if (where_ == Where::kOutside) {
      const std::size_t from = lines.Position();
      const std::size_t next = own_.NextStart(fed_ + from);
      const std::size_t to =
          next == std::string_view::npos ? text.size() : std::min(next - fed_, text.size());
      Emit(text.substr(from, to - from));
      lines.SkipTo(to);
    }
    if (!lines.Next(&line)) break;
    switch (Classify(line.text)) {
      case OwnLine::kMarker:
        continue;
      case OwnLine::kBegin:
      case OwnLine::kBeginAfterAddedBreak:
        added_break_at_ =
            Classify(line.text) == OwnLine::kBeginAfterAddedBreak ? out_size_ : std::string::npos;
        where_ = own_.SectionHasEnd(fed_ + lines.Position()) ? Where::kSection
                                                             : Where::kSectionWithoutEnd;
        continue;
      case OwnLine::kEnd:
        where_ = Where::kOutside;
        continue;
      case OwnLine::kNone:
        break;
    }
    if (where_ != Where::kOutside && IsGeneratedLine(line.text)) continue;
    // Lines the user put inside the section stay; without an end line the section stops at the
    // first line the block did not write.
    if (where_ == Where::kSectionWithoutEnd) where_ = Where::kOutside;
    Emit(std::string_view(line.text.data(), line.text.size() + line.end.size()));
  }
  fed_ += text.size();
  return !stopped_;
}

void UnblockFilter::Finish() {
  // Nothing of the user's follows the section: the line end the block added goes again. The
  // byte order mark is no line.
  if (added_break_at_ == out_size_ && out_size_ > bom_) held_.clear();
  if (!held_.empty() && !stopped_) stopped_ = !out_.Put(held_);
}

class BlockedContent::Names {
 public:
  explicit Names(std::string_view list) : listed(list) {}
  ListedNames listed;
  std::unordered_set<std::string_view> mapped;
};

BlockedContent::BlockedContent(std::string_view list, std::string_view address)
    : list_(list), address_(address), names_(std::make_unique<Names>(list)) {}

BlockedContent::~BlockedContent() = default;

bool BlockedContent::Feed(std::string_view lines) {
  // With the mark: it reads as a part of the first line's address.
  ScanEntries(lines, names_->listed, &names_->mapped, &carries_block_);
  if (!TakeBom(&lines, &started_).empty()) {
    bom_ = true;
    Line first;
    Lines(lines).Next(&first);
    carries_block_ = carries_block_ || Classify(first.text) != OwnLine::kNone;
  }
  if (!lines.empty()) {
    body_ = true;
    last_ = lines.back();
  }
  return true;
}

void BlockedContent::Finish() {
  const bool add_break = body_ && last_ != '\n' && last_ != '\r';
  added_.clear();
  added_.reserve(list_.size() * 2 + 128);
  if (add_break) added_ += kCrlf;
  AppendLine(added_,
             add_break ? texts::kHostsSectionBeginAfterAddedBreak : texts::kHostsSectionBegin);
  // In the list's order, so that the same file and list always give the same bytes.
  Lines names(list_);
  Line name;
  while (names.Next(&name)) {
    if (name.text.empty() || names_->mapped.count(name.text) != 0) continue;
    added_ += address_;
    added_ += ' ';
    AppendLine(added_, name.text);
  }
  AppendLine(added_, texts::kHostsSectionEnd);
}

bool BlockWriter::Start() {
  started_ = true;
  // The mark stays at byte 0, where editors look for it.
  return (!blocked_.bom() || out_.Put(kUtf8Bom)) && out_.Put(texts::kHostsMarkerLine) &&
         out_.Put(kCrlf);
}

bool BlockWriter::Feed(std::string_view lines) {
  if (!started_) {
    if (!Start()) return false;
    if (blocked_.bom()) lines.remove_prefix(kUtf8Bom.size());
  }
  return lines.empty() || out_.Put(lines);
}

void BlockWriter::Finish() {
  if (!started_ && !Start()) return;
  out_.Put(blocked_.section());
}

std::string BlockedHosts(std::string_view original, std::string_view list,
                         std::string_view address) {
  BlockedContent blocked(list, address);
  blocked.Feed(original);
  blocked.Finish();
  StringSink out;
  BlockWriter writer(blocked, out);
  writer.Feed(original);
  writer.Finish();
  return std::move(out.text);
}

std::string UnblockedHosts(std::string_view blocked) {
  OwnLines own;
  own.Feed(blocked);
  StringSink out;
  UnblockFilter filter(own, out);
  filter.Feed(blocked);
  filter.Finish();
  return std::move(out.text);
}

}  // namespace quenlox
