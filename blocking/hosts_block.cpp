#include "blocking/hosts_block.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "resources/texts.h"

namespace quenlox {

namespace {

constexpr std::string_view kCrlf = "\r\n";
constexpr std::string_view kMarker = texts::kProductWord;
// Generated lines use one of these; the 9x family's resolver wants a loopback address.
constexpr std::string_view kAddresses[] = {"0.0.0.0 ", "127.0.0.1 "};

std::string Line(std::string_view text) {
  std::string line(text);
  line += kCrlf;
  return line;
}

// Calls f(line) for each line of `text` split after every '\n' (the line includes it).
template <typename F>
void ForEachLine(std::string_view text, F f) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t eol = text.find('\n', pos);
    std::size_t next = eol == std::string_view::npos ? text.size() : eol + 1;
    if (!f(text.substr(pos, next - pos), pos)) return;
    pos = next;
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v'; }

std::unordered_set<std::string_view> ListNames(std::string_view list) {
  std::unordered_set<std::string_view> names;
  ForEachLine(list, [&](std::string_view line, std::size_t) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty()) names.insert(line);
    return true;
  });
  return names;
}

// The listed names that the file's own entries map already, whatever the address. Only listed
// names are kept, so a large file costs no allocation per name.
std::unordered_set<std::string_view> MappedListedNames(
    std::string_view content, const std::unordered_set<std::string_view>& listed) {
  std::unordered_set<std::string_view> mapped;
  std::string lower;
  ForEachLine(content, [&](std::string_view line, std::size_t) {
    line = line.substr(0, line.find('#'));
    bool first = true;
    std::size_t pos = 0;
    while (pos < line.size()) {
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      std::size_t end = pos;
      while (end < line.size() && !IsBlank(line[end])) ++end;
      if (end > pos && !first) {
        lower.assign(line.substr(pos, end - pos));
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        auto found = listed.find(lower);
        if (found != listed.end()) mapped.insert(*found);
      }
      if (end > pos) first = false;
      pos = end;
    }
    return true;
  });
  return mapped;
}

bool IsGeneratedLine(std::string_view line, const std::unordered_set<std::string_view>& names) {
  if (line.size() < kCrlf.size() || line.substr(line.size() - 2) != kCrlf) return false;
  line.remove_suffix(2);
  for (std::string_view address : kAddresses) {
    if (line.substr(0, address.size()) == address)
      return names.count(line.substr(address.size())) != 0;
  }
  return false;
}

bool IsLineStart(std::string_view text, std::size_t pos) {
  return pos == 0 || text[pos - 1] == '\n';
}

std::size_t RFindAtLineStart(std::string_view text, std::string_view line) {
  std::size_t pos = text.rfind(line);
  while (pos != std::string_view::npos && !IsLineStart(text, pos)) {
    if (pos == 0) return std::string_view::npos;
    pos = text.rfind(line, pos - 1);
  }
  return pos;
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

std::string BlockedHosts(std::string_view original, std::string_view list,
                         std::string_view address) {
  const std::unordered_set<std::string_view> mapped = MappedListedNames(original, ListNames(list));
  bool add_break = !original.empty() && original.back() != '\n';
  std::string out = Line(texts::kHostsMarkerLine);
  out.reserve(original.size() + list.size() * 2);
  out += original;
  if (add_break) out += kCrlf;
  out += Line(add_break ? texts::kHostsSectionBeginAfterAddedBreak : texts::kHostsSectionBegin);
  ForEachLine(list, [&](std::string_view name, std::size_t) {
    if (!name.empty() && name.back() == '\n') name.remove_suffix(1);
    if (name.empty() || mapped.count(name) != 0) return true;
    out += address;
    out += ' ';
    out += name;
    out += kCrlf;
    return true;
  });
  out += Line(texts::kHostsSectionEnd);
  return out;
}

std::string UnblockedHosts(std::string_view blocked, std::string_view list) {
  std::string_view text = blocked;
  const std::string marker = Line(texts::kHostsMarkerLine);
  if (text.substr(0, marker.size()) == marker) text.remove_prefix(marker.size());

  // The section is appended last, so the last begin line is the block's own.
  const std::string plain_begin = Line(texts::kHostsSectionBegin);
  const std::string break_begin = Line(texts::kHostsSectionBeginAfterAddedBreak);
  std::size_t begin = RFindAtLineStart(text, plain_begin);
  std::size_t begin_length = plain_begin.size();
  std::size_t after_break = RFindAtLineStart(text, break_begin);
  bool added_break = false;
  if (after_break != std::string_view::npos &&
      (begin == std::string_view::npos || after_break > begin)) {
    begin = after_break;
    begin_length = break_begin.size();
    added_break = true;
  }
  if (begin == std::string_view::npos) return std::string(text);

  const std::unordered_set<std::string_view> names = ListNames(list);
  const std::string end_line = Line(texts::kHostsSectionEnd);
  std::string_view section = text.substr(begin + begin_length);
  std::size_t end = RFindAtLineStart(section, end_line);
  bool bare_end = false;
  if (end == std::string_view::npos && section.size() >= end_line.size() - 2 &&
      section.substr(section.size() - (end_line.size() - 2)) == texts::kHostsSectionEnd &&
      IsLineStart(section, section.size() - (end_line.size() - 2))) {
    end = section.size() - (end_line.size() - 2);
    bare_end = true;
  }

  // Lines the user put inside the section stay; without an end line the section stops at the
  // first line the block did not write.
  std::string kept;
  std::size_t rest = section.size();
  ForEachLine(section, [&](std::string_view line, std::size_t pos) {
    if (end != std::string_view::npos && pos == end) {
      rest = pos + (bare_end ? end_line.size() - 2 : end_line.size());
      return false;
    }
    if (IsGeneratedLine(line, names)) return true;
    if (end == std::string_view::npos) {
      rest = pos;
      return false;
    }
    kept += line;
    return true;
  });
  std::string_view tail = section.substr(std::min(rest, section.size()));

  std::size_t head_length = begin;
  if (added_break && kept.empty() && tail.empty() && head_length >= 2 &&
      text.substr(head_length - 2, 2) == kCrlf)
    head_length -= 2;
  std::string out(text.substr(0, head_length));
  out += kept;
  out += tail;
  return out;
}

}  // namespace quenlox
