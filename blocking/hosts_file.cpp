#include "blocking/hosts_file.h"

#include <array>
#include <optional>

#include "blocking/ad_list.h"
#include "blocking/hosts_block.h"

namespace quenlox {

namespace {

constexpr std::size_t kChunk = 4096;
// Another program (a virus scanner, an editor saving) may hold the file for a moment; Windows
// then refuses the swap with a sharing violation or with access denied.
constexpr unsigned kRetryPauseMs = 100;
constexpr int kSharingRetries = 20;
constexpr std::uint32_t kKeptAttributes =
    host::kAttrReadOnly | host::kAttrHidden | host::kAttrSystem;
constexpr char kNewSuffix[] = ".quenlox-new";
constexpr char kOldSuffix[] = ".quenlox-old";

enum class Write { kDone, kChanged, kFailed, kRefused };

bool SameBytes(const Pieces& pieces, std::string_view text) {
  if (SizeOf(pieces) != text.size()) return false;
  std::size_t at = 0;
  for (std::string_view piece : pieces) {
    if (text.compare(at, piece.size(), piece) != 0) return false;
    at += piece.size();
  }
  return true;
}

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

// What an interrupted run left beside `path`. An old file moved aside while `path` is missing
// is the only copy: it goes back.
void ClearLeftovers(host::FileSystem& files, const std::string& path) {
  RemoveLeftover(files, path + kNewSuffix);
  const std::string aside = path + kOldSuffix;
  if (!files.IsFile(aside)) return;
  if (files.IsFile(path)) {
    RemoveLeftover(files, aside);
  } else {
    files.Rename(aside, path);
  }
}

// A new file refused for access is refused for rights: no other program holds a name that
// is new. Anything else failed.
Write WriteTemporary(host::FileSystem& files, const std::string& path, const Pieces& data) {
  std::unique_ptr<host::FileWriter> writer;
  const host::FsStatus created = files.CreateNew(path, &writer);
  if (created == host::FsStatus::kAccessDenied) return Write::kRefused;
  if (created != host::FsStatus::kOk) return Write::kFailed;
  bool ok = true;
  for (std::string_view piece : data) {
    ok = ok && writer->Write(piece.data(), piece.size()) == host::FsStatus::kOk;
  }
  ok = ok && writer->Flush() == host::FsStatus::kOk;
  ok = writer->Close() == host::FsStatus::kOk && ok;
  return ok ? Write::kDone : Write::kFailed;
}

host::FsStatus Swap(host::FileSystem& files, host::System& system, const std::string& source,
                    const std::string& target) {
  host::FsStatus status = RetryWhileShared(system, [&] { return files.Replace(source, target); });
  if (status != host::FsStatus::kNotImplemented) return status;
  // Without a one-step replace (the 9x family) the old file is moved aside, not deleted, so that
  // a failed rename can put it back.
  const std::string aside = target + kOldSuffix;
  status = RetryWhileShared(system, [&] { return files.Rename(target, aside); });
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

// Writes `data` to a temporary file beside `path`, flushes it and swaps it in whole. With
// `read_as`, the swap happens only while `path` is still as it was read; `mapped`, the view
// `data` was taken from, is closed before the swap, which a mapped file would refuse.
Write ReplaceFileContent(host::FileSystem& files, host::System& system, const std::string& path,
                         const Pieces& data, const host::FileStamp* read_as,
                         std::unique_ptr<host::FileView>* mapped) {
  const std::string temporary = path + kNewSuffix;
  const Write written = WriteTemporary(files, temporary, data);
  if (mapped != nullptr) mapped->reset();
  if (written != Write::kDone) {
    RemoveLeftover(files, temporary);
    return written;
  }
  host::FileStamp now;
  if (read_as != nullptr &&
      (files.GetStamp(path, &now) != host::FsStatus::kOk || !(now == *read_as))) {
    RemoveLeftover(files, temporary);
    return Write::kChanged;
  }
  std::uint32_t attributes = host::kAttrNormal;
  const bool exists = files.GetAttributes(path, &attributes) == host::FsStatus::kOk;
  const std::uint32_t kept = exists ? attributes & kKeptAttributes : 0;
  // A read-only target refuses the swap: it loses these attributes for that moment only.
  std::uint32_t bare = attributes & ~kKeptAttributes;
  bool ready = kept == 0 ||
               files.SetAttributes(path, bare ? bare : host::kAttrNormal) == host::FsStatus::kOk;
  bool swapped = ready && Swap(files, system, temporary, path) == host::FsStatus::kOk;
  if (ready && kept != 0) SetAttributesPatiently(files, system, path, attributes);
  if (!swapped) RemoveLeftover(files, temporary);
  return swapped ? Write::kDone : Write::kFailed;
}

// hosts.sav becomes a second name of the unblocked file where the volume has them: nothing is
// copied, and the swap that follows leaves that file as it is. Elsewhere it gets a copy.
Write SaveOriginal(host::FileSystem& files, host::System& system, const std::string& hosts,
                   const host::FileStamp& hosts_stamp, const std::string& backup,
                   std::string_view original) {
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
  RemoveLeftover(files, backup);
  if (!files.IsFile(backup) && files.Link(hosts, backup) == host::FsStatus::kOk)
    return Write::kDone;
  return ReplaceFileContent(files, system, backup, {original}, nullptr, nullptr);
}

HostsToggle Failure(Write write) {
  return write == Write::kRefused ? HostsToggle::kRefused : HostsToggle::kFailed;
}

}  // namespace

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

HostsToggle Rewrite(host::FileSystem& files, host::System& system, const HostsPaths& paths,
                    Mode mode) {
  ClearLeftovers(files, paths.hosts);
  ClearLeftovers(files, paths.backup);
  // A link stays a link: the file it names is rewritten.
  std::string hosts;
  if (files.FinalPath(paths.hosts, &hosts) != host::FsStatus::kOk) return HostsToggle::kFailed;
  if (hosts != paths.hosts) ClearLeftovers(files, hosts);
  // Another program's save between the read and the swap starts the toggle over, once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    host::FileStamp read_as;
    std::unique_ptr<host::FileView> mapped;
    if (files.GetStamp(hosts, &read_as) != host::FsStatus::kOk ||
        files.OpenMapped(hosts, &mapped) != host::FsStatus::kOk)
      return HostsToggle::kFailed;
    const std::string_view original = mapped->Data();
    // A UTF-16 hosts file would be mangled by byte-wise editing.
    if (StartsWithUtf16Bom(original)) return HostsToggle::kFailed;
    // Whatever the block left, wherever it now stands; blocking again rebuilds it.
    const Pieces unblocked = UnblockedPieces(original);
    const bool carries_block = SizeOf(unblocked) != original.size();
    if (mode == Mode::kUnblock && FirstLineHasMarker(unblocked)) return HostsToggle::kMarkerNotOurs;
    std::string joined;
    std::string_view base = original;
    if (carries_block && mode == Mode::kBlock) base = joined = Join(unblocked);
    std::optional<BlockedContent> blocked;
    if (mode == Mode::kBlock)
      blocked.emplace(base, kAdServerList, paths.loopback ? "127.0.0.1" : "0.0.0.0");
    const Pieces updated = blocked ? blocked->pieces() : unblocked;
    if (blocked ? SameBytes(updated, original) : !carries_block) return HostsToggle::kUnchanged;
    // hosts.sav keeps the file as it was before any block, never a file that carries one.
    if (blocked && !carries_block) {
      const Write saved = SaveOriginal(files, system, hosts, read_as, paths.backup, original);
      if (saved != Write::kDone) return Failure(saved);
    }
    const Write written = ReplaceFileContent(files, system, hosts, updated, &read_as, &mapped);
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
