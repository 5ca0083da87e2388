#include "blocking/hosts_file.h"

#include <array>

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

bool ReadWhole(host::FileSystem& files, const std::string& path, std::string* content) {
  std::unique_ptr<host::FileReader> reader;
  if (files.OpenRead(path, &reader) != host::FsStatus::kOk) return false;
  std::array<char, 64 * 1024> chunk;
  std::size_t got = 0;
  bool ok = true;
  while ((ok = reader->Read(chunk.data(), chunk.size(), &got)) && got > 0)
    content->append(chunk.data(), got);
  return reader->Close() && ok;
}

bool InUse(host::FsStatus status) {
  return status == host::FsStatus::kSharingViolation || status == host::FsStatus::kAccessDenied;
}

template <typename F>
host::FsStatus RetryWhileShared(host::Desktop& desktop, F operation) {
  host::FsStatus status = operation();
  for (int i = 0; i < kSharingRetries && InUse(status); ++i) {
    desktop.Sleep(kRetryPauseMs);
    status = operation();
  }
  return status;
}

bool WriteTemporary(host::FileSystem& files, const std::string& path, const std::string& data) {
  files.Remove(path);  // left over from an interrupted run
  std::unique_ptr<host::FileWriter> writer;
  if (files.CreateNew(path, &writer) != host::FsStatus::kOk) return false;
  bool ok = writer->Write(data.data(), data.size()) == host::FsStatus::kOk &&
            writer->Flush() == host::FsStatus::kOk;
  ok = writer->Close() == host::FsStatus::kOk && ok;
  return ok;
}

host::FsStatus Swap(host::FileSystem& files, host::Desktop& desktop, const std::string& source,
                    const std::string& target) {
  host::FsStatus status =
      RetryWhileShared(desktop, [&] { return files.Replace(source, target); });
  if (status != host::FsStatus::kNotImplemented) return status;
  // Without a one-step replace (the 9x family) the backup made deleting first safe.
  status = RetryWhileShared(desktop, [&] { return files.Remove(target); });
  if (status != host::FsStatus::kOk && status != host::FsStatus::kNotFound) return status;
  return files.Rename(source, target);
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

bool ReplaceFileContent(host::FileSystem& files, host::Desktop& desktop, const std::string& path,
                        const std::string& data) {
  const std::string temporary = path + ".quenlox-new";
  std::uint32_t attributes = host::kAttrNormal;
  bool exists = files.GetAttributes(path, &attributes) == host::FsStatus::kOk;
  std::uint32_t kept = exists ? attributes & kKeptAttributes : 0;
  // The new file carries the old one's attributes into the swap; a read-only target would
  // refuse it, so it loses its own for the moment of the swap.
  bool ready = WriteTemporary(files, temporary, data) &&
               (kept == 0 || files.SetAttributes(temporary, attributes) == host::FsStatus::kOk);
  bool cleared = ready && (kept == 0 || files.SetAttributes(path, host::kAttrNormal) ==
                                            host::FsStatus::kOk);
  if (cleared && Swap(files, desktop, temporary, path) == host::FsStatus::kOk) return true;
  if (kept != 0) files.SetAttributes(temporary, host::kAttrNormal);
  files.Remove(temporary);
  if (cleared && kept != 0) files.SetAttributes(path, attributes);
  return false;
}

bool ToggleHostsBlock(host::FileSystem& files, host::Desktop& desktop, const HostsPaths& paths,
                      bool block) {
  std::string original;
  if (!ReadWhole(files, paths.hosts, &original)) return false;
  // A UTF-16 hosts file would be mangled by byte-wise editing.
  if (StartsWithUtf16Bom(original)) return false;
  std::string updated;
  if (block) {
    std::string base = original;
    if (FirstLineHasMarker(original)) {
      base = UnblockedHosts(original, kAdServerList);
    } else if (!ReplaceFileContent(files, desktop, paths.backup, original)) {
      return false;
    }
    updated = BlockedHosts(base, kAdServerList, paths.loopback ? "127.0.0.1" : "0.0.0.0");
  } else {
    updated = UnblockedHosts(original, kAdServerList);
  }
  if (updated == original) return true;
  return ReplaceFileContent(files, desktop, paths.hosts, updated);
}

}  // namespace quenlox
