#include "blocking/hosts_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "blocking/ad_list.h"
#include "blocking/hosts_block.h"
#include "blocking/utf16_text.h"

namespace quenlox {

namespace {

constexpr std::size_t kChunk = 4096;
// The toggles read the file in passes through one buffer of this size, as a copy does: a fresh
// buffer of the whole file costs a page fault per page, more than the reading itself.
constexpr std::size_t kPassBuffer = 64 * 1024;
// Another program (a virus scanner, an editor saving) may hold the file for a moment; Windows
// then refuses the swap with a sharing violation or with access denied.
constexpr unsigned kRetryPauseMs = 100;
constexpr int kSharingRetries = 20;
constexpr std::uint32_t kKeptAttributes =
    host::kAttrReadOnly | host::kAttrHidden | host::kAttrSystem;
constexpr char kNewSuffix[] = ".quenlox-new";
constexpr char kOldSuffix[] = ".quenlox-old";

enum class Write { kDone, kChanged, kFailed, kRefused };

bool InUse(host::FsStatus status) {
  return status == host::FsStatus::kSharingViolation || status == host::FsStatus::kAccessDenied;
}

template <typename F>
host::FsStatus RetryWhileShared(host::System& system, F operation) {
  host::FsStatus status = operation();
  for (int i = 0; i < kSharingRetries && InUse(status); ++i) {
    system.Sleep(kRetryPauseMs);
    status = operation();
  }
  return status;
}

// A leftover or an old hosts.sav may carry any attributes; a read-only one would refuse the delete.
void RemoveLeftover(host::FileSystem& files, const std::string& path) {
  std::uint32_t attributes = 0;
  if (files.GetAttributes(path, &attributes) != host::FsStatus::kOk) return;
  if ((attributes & kKeptAttributes) != 0) files.SetAttributes(path, host::kAttrNormal);
  files.Remove(path);
}

// What an interrupted run left beside `path`: its temporary file and an old file moved aside,
// which goes back where `path` is missing.
void ClearLeftovers(host::FileSystem& files, const std::string& path) {
  RemoveLeftover(files, path + kNewSuffix);
  if (!RestoreInterruptedSwap(files, path)) RemoveLeftover(files, path + kOldSuffix);
}

// The content of a new file, put out by a pass; false when reading it failed.
using Producer = std::function<bool(ByteSink& out)>;

class WriterSink : public ByteSink {
 public:
  explicit WriterSink(host::FileWriter& writer) : writer_(writer) {}
  bool Put(std::string_view bytes) override {
    ok_ = ok_ && writer_.Write(bytes.data(), bytes.size()) == host::FsStatus::kOk;
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  host::FileWriter& writer_;
  bool ok_ = true;
};

// A new file refused for access is refused for rights: no other program holds a name that
// is new. Anything else failed.
Write WriteTemporary(host::FileSystem& files, const std::string& path, const Producer& produce) {
  std::unique_ptr<host::FileWriter> writer;
  const host::FsStatus created = files.CreateNew(path, &writer);
  if (created == host::FsStatus::kAccessDenied) return Write::kRefused;
  if (created != host::FsStatus::kOk) return Write::kFailed;
  WriterSink out(*writer);
  bool ok = produce(out) && out.ok();
  ok = ok && writer->Flush() == host::FsStatus::kOk;
  ok = writer->Close() == host::FsStatus::kOk && ok;
  return ok ? Write::kDone : Write::kFailed;
}

// Whether `path` is still as it was read; always so where nothing was read.
bool StillAsRead(host::FileSystem& files, const std::string& path, const host::FileStamp* read_as) {
  host::FileStamp now;
  return read_as == nullptr ||
         (files.GetStamp(path, &now) == host::FsStatus::kOk && now == *read_as);
}

// Another program may save `target` while the swap waits out a hold: the check is made again
// before every attempt, and a save stops the swap with *changed set.
host::FsStatus Swap(host::FileSystem& files, host::System& system, const std::string& source,
                    const std::string& target, const host::FileStamp* read_as, bool* changed) {
  auto unless_saved = [&](auto operation) {
    return [&, operation] {
      if (StillAsRead(files, target, read_as)) return operation();
      *changed = true;
      return host::FsStatus::kFailed;
    };
  };
  host::FsStatus status =
      RetryWhileShared(system, unless_saved([&] { return files.Replace(source, target); }));
  if (status != host::FsStatus::kNotImplemented || *changed) return status;
  // Without a one-step replace (the 9x family) the old file is moved aside, not deleted, so that
  // a failed rename can put it back.
  const std::string aside = target + kOldSuffix;
  status = RetryWhileShared(system, unless_saved([&] { return files.Rename(target, aside); }));
  if (*changed) return status;
  if (status == host::FsStatus::kNotFound) return files.Rename(source, target);
  if (status != host::FsStatus::kOk) return status;
  status = files.Rename(source, target);
  if (status != host::FsStatus::kOk) {
    files.Rename(aside, target);
    return status;
  }
  files.Remove(aside);
  return host::FsStatus::kOk;
}

// Puts attributes back; a passing hold by another program is waited out.
void SetAttributesPatiently(host::FileSystem& files, host::System& system, const std::string& path,
                            std::uint32_t attributes) {
  for (int i = 0; i < 3; ++i) {
    if (files.SetAttributes(path, attributes) == host::FsStatus::kOk) return;
    system.Sleep(kRetryPauseMs);
  }
}

// Swaps the written and flushed `temporary` in for `path` whole. With `read_as`, only while
// `path` is still as it was read.
Write SwapIn(host::FileSystem& files, host::System& system, const std::string& temporary,
             const std::string& path, const host::FileStamp* read_as) {
  std::uint32_t attributes = host::kAttrNormal;
  const bool exists = files.GetAttributes(path, &attributes) == host::FsStatus::kOk;
  const std::uint32_t kept = exists ? attributes & kKeptAttributes : 0;
  // A read-only target refuses the swap: it loses these attributes for that moment only.
  std::uint32_t bare = attributes & ~kKeptAttributes;
  bool ready = kept == 0 ||
               files.SetAttributes(path, bare ? bare : host::kAttrNormal) == host::FsStatus::kOk;
  bool changed = false;
  bool swapped =
      ready && Swap(files, system, temporary, path, read_as, &changed) == host::FsStatus::kOk;
  if (ready && kept != 0) SetAttributesPatiently(files, system, path, attributes);
  if (!swapped) RemoveLeftover(files, temporary);
  if (changed) return Write::kChanged;
  return swapped ? Write::kDone : Write::kFailed;
}

// Writes what `produce` puts out to a temporary file beside `path`, flushes it and swaps it in.
// `source`, the file read meanwhile, is closed before the swap, which an open file would refuse.
Write ReplaceFileContent(host::FileSystem& files, host::System& system, const std::string& path,
                         const Producer& produce, const host::FileStamp* read_as,
                         std::unique_ptr<host::FileReader>* source) {
  const std::string temporary = path + kNewSuffix;
  const Write written = WriteTemporary(files, temporary, produce);
  if (source != nullptr) source->reset();
  if (written != Write::kDone) {
    RemoveLeftover(files, temporary);
    return written;
  }
  return SwapIn(files, system, temporary, path, read_as);
}

// hosts.sav becomes a second name of the unblocked file where the volume has them: nothing is
// copied, and the swap that follows leaves that file as it is. Elsewhere it gets a copy.
// *kept: the read-only, hidden and system attributes of the hosts.sav it replaces, which the new
// one is to get once the hosts file is swapped.
Write SaveOriginal(host::FileSystem& files, host::System& system, const std::string& hosts,
                   const host::FileStamp& hosts_stamp, const std::string& backup,
                   const Producer& original, std::uint32_t* kept) {
  // A kill between the link and the swap leaves hosts.sav a second name of the hosts file, which
  // is unblocked: it holds the original already. Deleting that name while the hosts file is read
  // would be refused, and clearing its read-only attribute would clear the hosts file's. A second
  // name has the file's size and write time; only then is the identity asked, which costs
  // milliseconds on some systems.
  host::FileStamp backup_stamp;
  const host::FsStatus stamped = files.GetStamp(backup, &backup_stamp);
  const bool maybe_same = stamped == host::FsStatus::kOk ? backup_stamp == hosts_stamp
                                                         : stamped != host::FsStatus::kNotFound;
  if (maybe_same && files.SameFile(hosts, backup)) return Write::kDone;
  std::uint32_t attributes = 0;
  if (stamped == host::FsStatus::kOk &&
      files.GetAttributes(backup, &attributes) == host::FsStatus::kOk)
    *kept = attributes & kKeptAttributes;
  RemoveLeftover(files, backup);
  if (!files.IsFile(backup) && files.Link(hosts, backup) == host::FsStatus::kOk)
    return Write::kDone;
  return ReplaceFileContent(files, system, backup, original, nullptr, nullptr);
}

HostsToggle Failure(Write write) {
  return write == Write::kRefused ? HostsToggle::kRefused : HostsToggle::kFailed;
}

}  // namespace

bool RestoreInterruptedSwap(host::FileSystem& files, const std::string& path) {
  const std::string aside = path + kOldSuffix;
  if (files.IsFile(path) || !files.IsFile(aside)) return false;
  files.Rename(aside, path);
  return true;
}

HostsProbe ProbeHostsFile(host::FileSystem& files, const std::string& path) {
  HostsProbe probe;
  std::unique_ptr<host::FileReader> reader;
  if (files.OpenRead(path, &reader) != host::FsStatus::kOk) {
    probe.failed = true;
    return probe;
  }
  FirstLineScanner scanner;
  std::array<char, kChunk> chunk;
  std::size_t got = 0;
  while (true) {
    if (!reader->Read(chunk.data(), chunk.size(), &got)) {
      probe.failed = true;
      break;
    }
    if (got == 0 || !scanner.Feed(chunk.data(), got)) break;
  }
  if (!reader->Close()) probe.failed = true;
  probe.marker = scanner.Found();
  return probe;
}

namespace {

enum class Mode { kBlock, kUnblock, kLift };

// Feeds an open file to passes in pieces of whole lines, from its first byte, through one
// buffer; a line longer than the buffer grows it. A UTF-16 file is refused: byte-wise editing
// would mangle it.
class LinePasses {
 public:
  explicit LinePasses(host::FileReader& reader) : reader_(reader), buffer_(kPassBuffer) {}

  // False when reading failed or the file is UTF-16. Reading stops early once no pass wants more.
  bool Run(std::vector<ContentPass*> passes) {
    if (!reader_.Rewind()) return false;
    std::size_t held = 0;
    bool more = true;
    bool first_read = true;
    while (more && !passes.empty()) {
      if (held == buffer_.size()) buffer_.resize(buffer_.size() * 2);
      std::size_t got = 0;
      if (!reader_.Read(buffer_.data() + held, buffer_.size() - held, &got)) return false;
      more = got != 0;
      const std::size_t size = held + got;
      if (first_read && StartsWithUtf16Bom(std::string_view(buffer_.data(), size))) {
        utf16_ = true;
        return false;
      }
      first_read = false;
      const std::size_t cut = CompleteLines(std::string_view(buffer_.data(), size), !more);
      if (cut > 0) {
        const std::string_view lines(buffer_.data(), cut);
        passes.erase(std::remove_if(passes.begin(), passes.end(),
                                    [&](ContentPass* pass) { return !pass->Feed(lines); }),
                     passes.end());
      }
      held = size - cut;
      std::memmove(buffer_.data(), buffer_.data() + cut, held);
    }
    for (ContentPass* pass : passes) pass->Finish();
    return true;
  }

  // Whether the last run was refused for a UTF-16 file.
  bool utf16() const { return utf16_; }

 private:
  host::FileReader& reader_;
  std::vector<char> buffer_;
  bool utf16_ = false;
};

// Puts the content out as it is.
class CopyPass : public ContentPass {
 public:
  explicit CopyPass(ByteSink& out) : out_(out) {}
  bool Feed(std::string_view lines) override { return out_.Put(lines); }

 private:
  ByteSink& out_;
};

// Learns whether the first line holds the product word, and stops there.
class FirstLineSink : public ByteSink {
 public:
  bool Put(std::string_view bytes) override { return scanner_.Feed(bytes.data(), bytes.size()); }
  bool Found() const { return scanner_.Found(); }

 private:
  FirstLineScanner scanner_;
};

// A hosts file saved as Unicode (UTF-16): small as such files are, read whole, its block's lines
// taken out through its 8-bit form and the rest written back in UTF-16 with its mark. The block
// itself needs plain text; what an earlier block left goes all the same.
struct Utf16Result {
  Write written = Write::kDone;
  HostsToggle toggle = HostsToggle::kUnchanged;
};

Utf16Result RewriteUtf16(host::FileSystem& files, host::System& system, const std::string& hosts,
                         Mode mode, const host::FileStamp& read_as,
                         std::unique_ptr<host::FileReader>* reader) {
  const HostsToggle left_alone =
      mode == Mode::kBlock ? HostsToggle::kNotPlainText : HostsToggle::kUnchanged;
  std::string file;
  std::vector<char> buffer(kPassBuffer);
  std::size_t got = 0;
  if (!(*reader)->Rewind()) return {Write::kFailed, HostsToggle::kFailed};
  do {
    if (!(*reader)->Read(buffer.data(), buffer.size(), &got))
      return {Write::kFailed, HostsToggle::kFailed};
    file.append(buffer.data(), got);
  } while (got != 0);
  Utf16Text text;
  if (!FromUtf16(file, &text)) return {Write::kFailed, HostsToggle::kFailed};
  const std::string unblocked = UnblockedHosts(text.text);
  if (unblocked == text.text) return {Write::kDone, left_alone};
  if (mode == Mode::kUnblock && FirstLineHasMarker(unblocked))
    return {Write::kDone, HostsToggle::kMarkerNotOurs};
  text.text = unblocked;
  const std::string rewritten = ToUtf16(text);
  const Write written = ReplaceFileContent(
      files, system, hosts, [&](ByteSink& out) { return out.Put(rewritten); }, &read_as, reader);
  return {written, written == Write::kDone
                       ? (mode == Mode::kBlock ? left_alone : HostsToggle::kDone)
                       : Failure(written)};
}

HostsToggle Rewrite(host::FileSystem& files, host::System& system, const HostsPaths& paths,
                    Mode mode) {
  ClearLeftovers(files, paths.hosts);
  ClearLeftovers(files, paths.backup);
  // A link stays a link: the file it names is rewritten.
  std::string hosts;
  if (files.FinalPath(paths.hosts, &hosts) != host::FsStatus::kOk) return HostsToggle::kFailed;
  if (hosts != paths.hosts) ClearLeftovers(files, hosts);
  const char* const address = paths.loopback ? "127.0.0.1" : "0.0.0.0";
  const std::string temporary = hosts + kNewSuffix;
  // Another program's save between the read and the swap starts the toggle over, once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    host::FileStamp read_as;
    std::unique_ptr<host::FileReader> reader;
    if (files.GetStamp(hosts, &read_as) != host::FsStatus::kOk ||
        files.OpenRead(hosts, &reader) != host::FsStatus::kOk)
      return HostsToggle::kFailed;
    LinePasses content(*reader);
    // Whatever the block left, wherever it now stands; blocking again rebuilds it.
    OwnLines own;
    std::string reblocked;
    if (mode == Mode::kBlock) {
      // Most blocks meet a file without one: the blocked file is written in the pass that reads
      // the file, and dropped if the file carries a block after all.
      BlockedContent blocked(kAdServerList, address);
      const Producer copy = [&](ByteSink& out) {
        CopyPass pass(out);
        return content.Run({&pass});
      };
      Write written = WriteTemporary(files, temporary, [&](ByteSink& out) {
        BlockWriter writer(blocked, out);
        return content.Run({&blocked, &writer});
      });
      if (written == Write::kDone && !blocked.carries_block()) {
        // hosts.sav keeps the file as it was before any block, never a file that carries one.
        std::uint32_t backup_kept = 0;
        written = SaveOriginal(files, system, hosts, read_as, paths.backup, copy, &backup_kept);
        reader.reset();
        if (written == Write::kDone) written = SwapIn(files, system, temporary, hosts, &read_as);
        if (written == Write::kChanged) continue;
        if (written == Write::kDone) {
          // A second name shares the hosts file's attributes until the swap parts them.
          std::uint32_t now = 0;
          if (backup_kept != 0 && files.GetAttributes(paths.backup, &now) == host::FsStatus::kOk)
            SetAttributesPatiently(files, system, paths.backup,
                                   (now & ~host::kAttrNormal) | backup_kept);
          return HostsToggle::kDone;
        }
      }
      RemoveLeftover(files, temporary);
      if (content.utf16()) {
        const Utf16Result lifted = RewriteUtf16(files, system, hosts, mode, read_as, &reader);
        if (lifted.written == Write::kChanged) continue;
        return lifted.toggle;
      }
      if (written != Write::kDone) return Failure(written);
      // Rare: the file carries a block already. Rebuilt whole in memory.
      StringSink original;
      if (!copy(original)) return HostsToggle::kFailed;
      reblocked = BlockedHosts(UnblockedHosts(original.text), kAdServerList, address);
      if (reblocked == original.text) return HostsToggle::kUnchanged;
    } else {
      if (!content.Run({&own})) {
        if (!content.utf16()) return HostsToggle::kFailed;
        const Utf16Result lifted = RewriteUtf16(files, system, hosts, mode, read_as, &reader);
        if (lifted.written == Write::kChanged) continue;
        return lifted.toggle;
      }
      if (mode == Mode::kUnblock) {
        FirstLineSink first_line;
        UnblockFilter unblocked(own, first_line);
        if (!content.Run({&unblocked})) return HostsToggle::kFailed;
        if (first_line.Found()) return HostsToggle::kMarkerNotOurs;
      }
      if (!own.Any()) return HostsToggle::kUnchanged;
    }
    const Producer produce = [&](ByteSink& out) {
      if (mode == Mode::kBlock) return out.Put(reblocked);
      UnblockFilter unblocked(own, out);
      return content.Run({&unblocked});
    };
    const Write written = ReplaceFileContent(files, system, hosts, produce, &read_as, &reader);
    if (written == Write::kChanged) continue;
    return written == Write::kDone ? HostsToggle::kDone : Failure(written);
  }
  return HostsToggle::kFailed;
}

}  // namespace

HostsToggle ToggleHostsBlock(host::FileSystem& files, host::System& system, const HostsPaths& paths,
                             bool block) {
  return Rewrite(files, system, paths, block ? Mode::kBlock : Mode::kUnblock);
}

HostsToggle LiftHostsBlock(host::FileSystem& files, host::System& system, const HostsPaths& paths) {
  return Rewrite(files, system, paths, Mode::kLift);
}

}  // namespace quenlox
