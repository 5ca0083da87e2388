// Fuzz target: the whole cycle of the in-line block with what users and tools do meanwhile. A
// generated hosts file is blocked with a generated list; edits a person or a tool could make are
// applied to the blocked file and, line for line, to the original (also a generated line laid
// out in columns); unblocking must then give the edited original byte for byte and read as not
// blocked. Blocking is also idempotent.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "blocking/hosts_block.h"
#include "resources/texts.h"

namespace {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::size_t Pick(std::size_t count) { return count == 0 ? 0 : Byte() % count; }
  bool Empty() const { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

struct Line {
  std::string text;
  std::string end;
  bool own = false;  // written by the block
};

const std::string kBom = "\xEF\xBB\xBF";
const char* const kEnds[] = {"\r\n", "\n", "\r"};

// What a user's line may hold: entries, comments, blanks, odd bytes, and entries that look like
// the block's own outside its section.
std::string UserText(Input& in) {
  static const char* const kPieces[] = {"127.0.0.1 localhost",
                                        "::1 localhost",
                                        "# comment",
                                        "",
                                        " ",
                                        "\t10.0.0.1\tintra # x",
                                        "0.0.0.0 ads.example",
                                        "127.0.0.1 track.example",
                                        "\x1a",
                                        "\xE9\xFF",
                                        "#",
                                        "0.0.0.0 ",
                                        "ADS.example",
                                        "1.2.3.4 x.y\f ads.example#track.example",
                                        "10.0.0.1 a-b.c\v\vTRACK.EXAMPLE\tads.exampl",
                                        "# Quenlo Q"};
  std::string text;
  for (std::size_t n = in.Pick(3) + 1; n > 0; --n) {
    if (in.Byte() % 4 == 0) {
      char c = static_cast<char>(in.Byte());
      if (c != '\r' && c != '\n') text += c;
    } else {
      text += kPieces[in.Pick(sizeof kPieces / sizeof kPieces[0])];
    }
  }
  return text;
}

// An address of the block's and one name, blanks and tabs around them as a tool lays them out.
bool LooksGenerated(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\v");
  if (first == std::string::npos) return false;
  const std::size_t last = text.find_last_not_of(" \t\v");
  const std::string words = text.substr(first, last + 1 - first);
  const std::size_t gap = words.find_first_of(" \t\v");
  if (gap == std::string::npos) return false;
  const std::string address = words.substr(0, gap);
  if (address != "0.0.0.0" && address != "127.0.0.1") return false;
  const std::string name = words.substr(words.find_first_not_of(" \t\v", gap));
  for (char c : name) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '#') return false;
  }
  return true;
}

std::string Render(bool bom, const std::vector<Line>& lines, bool own_too) {
  std::string out = bom ? kBom : "";
  for (const Line& line : lines) {
    if (own_too || !line.own) out += line.text + line.end;
  }
  return out;
}

// A CR line end followed by an empty line ended by LF reads as one CRLF: such lines have no
// identity of their own in the file.
bool Ambiguous(const std::vector<Line>& lines) {
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i - 1].end == "\r" && lines[i].text.empty() && lines[i].end == "\n") return true;
  }
  return false;
}

void Fail() { std::abort(); }

// Feeds `content` as the toggles read a file: `read` bytes at a time into a buffer, passed on in
// pieces that end at line ends.
void FeedInPieces(const std::string& content, std::size_t read,
                  const std::vector<quenlox::ContentPass*>& passes) {
  std::string held;
  for (std::size_t at = 0;;) {
    const std::size_t got = std::min(read, content.size() - at);
    held.append(content, at, got);
    at += got;
    const std::size_t cut = quenlox::CompleteLines(held, got == 0);
    for (quenlox::ContentPass* pass : passes) {
      if (cut > 0) pass->Feed(std::string_view(held).substr(0, cut));
    }
    held.erase(0, cut);
    if (got == 0) break;
  }
  for (quenlox::ContentPass* pass : passes) pass->Finish();
}

std::string BlockedInPieces(const std::string& original, const std::string& list,
                            const char* address, std::size_t read) {
  quenlox::BlockedContent blocked(list, address);
  FeedInPieces(original, read, {&blocked});
  quenlox::StringSink out;
  quenlox::BlockWriter writer(blocked, out);
  FeedInPieces(original, read, {&writer});
  return out.text;
}

// Also checks that the block's scan sees the lines of a block wherever the unblock does.
std::string UnblockedInPieces(const std::string& blocked, std::size_t read) {
  quenlox::OwnLines own;
  quenlox::BlockedContent scan("", "0.0.0.0");
  FeedInPieces(blocked, read, {&own, &scan});
  if (scan.carries_block() != own.Any()) Fail();
  quenlox::StringSink out;
  quenlox::UnblockFilter filter(own, out);
  FeedInPieces(blocked, read, {&filter});
  return out.text;
}

// The listed names that the file maps already, read the plain way: line by line, up to a '#',
// names after the address, any case.
std::set<std::string> MappedNames(const std::string& file, const std::set<std::string>& listed) {
  std::set<std::string> mapped;
  std::size_t pos = 0;
  while (pos < file.size()) {
    std::size_t eol = std::min(file.find_first_of("\r\n", pos), file.size());
    std::string entry = file.substr(pos, eol - pos);
    entry = entry.substr(0, entry.find('#'));
    std::size_t at = 0;
    for (bool first = true;; first = false) {
      at = entry.find_first_not_of(" \t\v", at);
      if (at == std::string::npos) break;
      std::size_t end = std::min(entry.find_first_of(" \t\v", at), entry.size());
      std::string name = entry.substr(at, end - at);
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (!first && listed.count(name) != 0) mapped.insert(name);
      at = end;
    }
    pos = eol + 1;
  }
  return mapped;
}

// The names of the section's generated lines, in order.
std::vector<std::string> SectionNames(const std::string& blocked, const std::string& address) {
  std::vector<std::string> names;
  std::size_t pos = blocked.find(std::string(quenlox::texts::kHostsOwnLineStart) + " block begin");
  pos = blocked.find("\r\n", pos) + 2;
  const std::string prefix = address + " ";
  while (blocked.compare(pos, prefix.size(), prefix) == 0) {
    std::size_t eol = blocked.find("\r\n", pos);
    names.push_back(blocked.substr(pos + prefix.size(), eol - pos - prefix.size()));
    pos = eol + 2;
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  // The toggles' read size, small here so that lines meet the buffer's end everywhere.
  const std::size_t read = 1 + (size > 0 ? data[size - 1] : 0) % 29;
  // The original: lines with any line end, the last perhaps without one.
  bool bom = in.Byte() % 4 == 0;
  std::vector<Line> original;
  for (std::size_t n = in.Pick(12); n > 0; --n)
    original.push_back({UserText(in), kEnds[in.Pick(3)]});
  if (!original.empty() && in.Byte() % 3 == 0) original.back().end.clear();
  if (!original.empty() && original.back().text.empty() && original.back().end.empty())
    original.pop_back();  // no line at all
  std::string list;
  static const char* const kNames[] = {"ads.example", "track.example", "x.y", "a-b.c",
                                       "ads.exampl"};
  for (std::size_t n = in.Pick(6); n > 0; --n) list += std::string(kNames[in.Pick(5)]) + "\n";
  const char* address = in.Byte() % 2 ? "127.0.0.1" : "0.0.0.0";

  const std::string before = Render(bom, original, true);
  // The product word on a user's line would read as blocked; a mark made of random bytes is one.
  if (before.find(quenlox::texts::kProductWord) != std::string::npos) return 0;
  if (!bom && before.compare(0, kBom.size(), kBom) == 0) return 0;
  const std::string blocked = quenlox::BlockedHosts(before, list, address);
  if (!quenlox::FirstLineHasMarker(blocked)) Fail();
  if (BlockedInPieces(before, list, address, read) != blocked) Fail();
  // Every listed name the original does not map, in the list's order, and no other.
  std::set<std::string> listed;
  std::vector<std::string> in_order;
  for (std::size_t pos = 0, eol; (eol = list.find('\n', pos)) != std::string::npos; pos = eol + 1)
    in_order.push_back(list.substr(pos, eol - pos));
  listed.insert(in_order.begin(), in_order.end());
  const std::set<std::string> mapped = MappedNames(before, listed);
  std::vector<std::string> expected_names;
  for (const std::string& name : in_order) {
    if (mapped.count(name) == 0) expected_names.push_back(name);
  }
  if (SectionNames(blocked, address) != expected_names) Fail();
  if (quenlox::UnblockedHosts(blocked) != before) Fail();
  if (quenlox::BlockedHosts(quenlox::UnblockedHosts(blocked), list, address) != blocked) Fail();

  // The same file as lines that know whose they are.
  std::vector<Line> lines{{quenlox::texts::kHostsMarkerLine, "\r\n", true}};
  lines.insert(lines.end(), original.begin(), original.end());
  const bool added_break = !original.empty() && original.back().end.empty();
  if (added_break) lines.back().end = "\r\n";
  const std::string head = Render(bom, lines, true);
  if (blocked.compare(0, head.size(), head) != 0) Fail();
  for (std::size_t pos = head.size(); pos < blocked.size();) {
    std::size_t eol = blocked.find("\r\n", pos);
    lines.push_back({blocked.substr(pos, eol - pos), "\r\n", true});
    pos = eol + 2;
  }
  auto index_of = [&](const std::string& text) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].own && lines[i].text == text) return i;
    }
    return lines.size();
  };
  const std::string begin_text = added_break ? quenlox::texts::kHostsSectionBeginAfterAddedBreak
                                             : quenlox::texts::kHostsSectionBegin;
  const std::string end_text = quenlox::texts::kHostsSectionEnd;

  for (std::size_t edits = in.Pick(6); edits > 0 && !in.Empty(); --edits) {
    const std::size_t begin = index_of(begin_text);
    const std::size_t end = index_of(end_text);
    std::size_t last_generated = begin;
    for (std::size_t i = begin + 1; i < lines.size(); ++i) {
      if (lines[i].own && LooksGenerated(lines[i].text)) last_generated = i;
    }
    // Without its end line the section is the generated lines after the begin line.
    auto inside = [&](std::size_t at) {
      return at > begin && at <= (end < lines.size() ? end : last_generated);
    };
    std::vector<std::size_t> users;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].own) users.push_back(i);
    }
    switch (in.Pick(8)) {
      case 0: {  // a line of the user's, anywhere, inside the section too
        std::size_t at = in.Pick(lines.size() + 1);
        std::string text = UserText(in);
        if (inside(at) && (end == lines.size() || LooksGenerated(text))) break;
        lines.insert(lines.begin() + at, {text, kEnds[in.Pick(3)], false});
        break;
      }
      case 1:  // a line of the user's deleted
        if (!users.empty()) lines.erase(lines.begin() + users[in.Pick(users.size())]);
        break;
      case 2:  // a line of the user's changed
        if (!users.empty()) {
          std::size_t at = users[in.Pick(users.size())];
          std::string text = UserText(in);
          if (!(inside(at) && LooksGenerated(text))) lines[at].text = text;
        }
        break;
      case 3: {  // every line end re-saved as LF or CR
        const char* to = in.Byte() % 2 ? "\n" : "\r";
        for (Line& line : lines) {
          if (!line.end.empty()) line.end = to;
        }
        break;
      }
      case 4:  // a byte order mark added or dropped
        bom = !bom;
        break;
      case 5: {  // the marker line moved down
        std::size_t from = index_of(quenlox::texts::kHostsMarkerLine);
        if (from == lines.size()) break;
        Line marker = lines[from];
        lines.erase(lines.begin() + from);
        lines.insert(lines.begin() + from + in.Pick(lines.size() - from + 1), marker);
        break;
      }
      case 7: {  // a generated line laid out in columns: blanks and tabs around its words
        std::vector<std::size_t> generated;
        for (std::size_t i = 0; i < lines.size(); ++i) {
          if (lines[i].own && LooksGenerated(lines[i].text)) generated.push_back(i);
        }
        if (generated.empty()) break;
        static const char* const kGaps[] = {"\t", "  ", " \t ", "\t\t", "\v"};
        std::string& text = lines[generated[in.Pick(generated.size())]].text;
        const std::size_t gap = text.find(' ');
        if (gap == std::string::npos) break;
        text.replace(gap, 1, kGaps[in.Pick(5)]);
        if (in.Byte() % 2) text += kGaps[in.Pick(5)];
        if (in.Byte() % 2) text.insert(0, kGaps[in.Pick(5)]);
        break;
      }
      case 6: {  // the section's end line dropped, where no line of the user's is inside it
        bool user_inside = false;
        for (std::size_t i : users) user_inside = user_inside || (i > begin && i < end);
        if (end < lines.size() && !user_inside) lines.erase(lines.begin() + end);
        break;
      }
    }
  }

  // The edited original: the user's lines as they now stand. The line end the block added goes
  // again when none of the user's lines follows the begin line that says it was added.
  std::vector<Line> expected_lines;
  bool after_begin = false, user_after_begin = false;
  for (const Line& line : lines) {
    if (line.own && line.text == begin_text) after_begin = true;
    if (!line.own) {
      expected_lines.push_back(line);
      user_after_begin = user_after_begin || after_begin;
    }
  }
  std::size_t users_before_begin = 0;
  for (const Line& line : lines) {
    if (line.own && line.text == begin_text) break;
    if (!line.own) ++users_before_begin;
  }
  if (added_break && !user_after_begin && users_before_begin > 0)
    expected_lines[users_before_begin - 1].end.clear();
  const std::string expected = Render(bom, expected_lines, true);

  if (Render(false, lines, false).find(quenlox::texts::kProductWord) != std::string::npos ||
      Ambiguous(lines))
    return 0;
  // Without its end line, a line of the user's right after the section that looks generated is
  // the section's by every reading.
  if (index_of(end_text) == lines.size()) {
    for (std::size_t i = index_of(begin_text) + 1; i < lines.size(); ++i) {
      if (lines[i].own) continue;
      if (LooksGenerated(lines[i].text)) return 0;
      break;
    }
  }
  const std::string edited = Render(bom, lines, true);
  const std::string unblocked = quenlox::UnblockedHosts(edited);
  if (unblocked != expected) Fail();
  if (UnblockedInPieces(edited, read) != expected) Fail();
  if (quenlox::FirstLineHasMarker(unblocked)) Fail();
  // Blocking the edited file again is blocking its original once, with this list or another.
  const std::string reblocked = quenlox::BlockedHosts(unblocked, list, address);
  if (quenlox::BlockedHosts(quenlox::UnblockedHosts(reblocked), "x.y\n", address) !=
      quenlox::BlockedHosts(unblocked, "x.y\n", address))
    Fail();
  return 0;
}
