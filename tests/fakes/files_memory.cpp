#include "tests/fakes/files_memory.h"

#include <algorithm>
#include <cstring>

namespace host {

class MemoryFiles::Reader : public FileReader {
 public:
  // Windows refuses to replace or move a file that is open without delete sharing.
  Reader(MemoryFiles& fs, std::string path)
      : fs_(fs), path_(std::move(path)), target_(fs_.Resolve(path_)) {
    ++fs_.open_readers_;
    ++fs_.open_reads_[target_];
  }
  ~Reader() override { Close(); }
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    *got = 0;
    fs_.largest_read_ = std::max(fs_.largest_read_, capacity);
    if (fs_.Fails(Op::kRead)) return false;
    auto entry = fs_.files_.find(fs_.Resolve(path_));
    if (entry == fs_.files_.end()) return false;
    const std::string& data = entry->second.data;
    std::size_t end = data.size();
    auto limit = fs_.read_limit_.find(path_);
    if (limit != fs_.read_limit_.end()) {
      if (offset_ >= limit->second) return false;
      end = std::min(end, limit->second);
    }
    std::size_t n = std::min(capacity, end - std::min(end, offset_));
    std::memcpy(buffer, data.data() + offset_, n);
    offset_ += n;
    *got = n;
    return true;
  }
  bool Rewind() override {
    offset_ = 0;
    return true;
  }
  bool Close() override {
    if (open_) {
      --fs_.open_readers_;
      --fs_.open_reads_[target_];
    }
    open_ = false;
    return true;
  }

 private:
  MemoryFiles& fs_;
  std::string path_;
  std::string target_;
  std::size_t offset_ = 0;
  bool open_ = true;
};

class MemoryFiles::Writer : public FileWriter {
 public:
  Writer(MemoryFiles& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
  FsStatus Write(const char* data, std::size_t size) override {
    if (fs_.Fails(Op::kWrite)) return FsStatus::kFailed;
    Entry& entry = fs_.files_[path_];
    entry.data.append(data, size);
    fs_.Saved(entry);
    return FsStatus::kOk;
  }
  FsStatus Flush() override { return fs_.Fails(Op::kFlush) ? FsStatus::kFailed : FsStatus::kOk; }
  FsStatus Close() override { return fs_.Fails(Op::kClose) ? FsStatus::kFailed : FsStatus::kOk; }

 private:
  MemoryFiles& fs_;
  std::string path_;
};

void MemoryFiles::Put(const std::string& path, std::string data, std::uint32_t attributes) {
  Entry& entry = files_[path];
  std::string security = entry.link.empty() ? entry.security : kInherited;
  entry = Entry{std::move(data), attributes, false, "", std::move(security), 0};
  Saved(entry);
}

void MemoryFiles::PutLink(const std::string& path, const std::string& target) {
  files_[path] = Entry{"", kAttrReparsePoint, false, target, kInherited, 0};
}

std::string MemoryFiles::Resolve(const std::string& path) const {
  auto entry = files_.find(path);
  return entry == files_.end() || entry->second.link.empty() ? path : entry->second.link;
}

void MemoryFiles::MakeDirectory(const std::string& path) {
  files_[path] = Entry{"", 0x10, true, "", kInherited, 0};
}

std::set<std::string> MemoryFiles::Paths() const {
  std::set<std::string> paths;
  for (const auto& entry : files_) paths.insert(entry.first);
  return paths;
}

void MemoryFiles::FailNth(Op op, int n) {
  if (n == 0) {
    fail_at_.erase(op);
  } else {
    fail_at_[op] = calls_[op] + n;
  }
}

int MemoryFiles::Calls(Op op) const {
  auto found = calls_.find(op);
  return found == calls_.end() ? 0 : found->second;
}

bool MemoryFiles::Fails(Op op) {
  auto before = before_.find(op);
  if (before != before_.end()) {
    std::function<void()> action = std::move(before->second);
    before_.erase(before);
    action();
  }
  int call = ++calls_[op];
  auto at = fail_at_.find(op);
  return at != fail_at_.end() && at->second == call;
}

bool MemoryFiles::IsFile(const std::string& path) {
  auto entry = files_.find(Resolve(path));
  return entry != files_.end() && !entry->second.directory;
}

FsStatus MemoryFiles::OpenRead(const std::string& path, std::unique_ptr<FileReader>* reader) {
  if (Fails(Op::kOpenRead)) return FsStatus::kFailed;
  if (!IsFile(path)) return FsStatus::kNotFound;
  if (locked_.count(Resolve(path)) != 0) return FsStatus::kSharingViolation;
  *reader = std::make_unique<Reader>(*this, path);
  return FsStatus::kOk;
}

FsStatus MemoryFiles::CreateNew(const std::string& path, std::unique_ptr<FileWriter>* writer) {
  if (Fails(Op::kCreateNew)) return FsStatus::kFailed;
  if (refuse_new_files_) return FsStatus::kAccessDenied;
  if (files_.count(path) != 0) return FsStatus::kFailed;
  Saved(files_[path]);
  *writer = std::make_unique<Writer>(*this, path);
  return FsStatus::kOk;
}

FsStatus MemoryFiles::Replace(const std::string& source, const std::string& target) {
  if (!replace_implemented_) return FsStatus::kNotImplemented;
  if (Fails(Op::kReplace)) return FsStatus::kFailed;
  if (!IsFile(source)) return FsStatus::kNotFound;
  if (locked_.count(target) != 0) return FsStatus::kSharingViolation;
  if (sharing_violations_ > 0) {
    --sharing_violations_;
    return FsStatus::kSharingViolation;
  }
  auto reads = open_reads_.find(target);
  if (reads != open_reads_.end() && reads->second > 0) return FsStatus::kSharingViolation;
  auto existing = files_.find(target);
  // Windows refuses to move a file over a read-only one.
  if (existing != files_.end() && (existing->second.attributes & kAttrReadOnly) != 0)
    return FsStatus::kAccessDenied;
  Entry moved = files_[source];
  if (existing != files_.end()) moved.security = existing->second.security;
  files_[target] = moved;
  files_.erase(source);
  return FsStatus::kOk;
}

FsStatus MemoryFiles::Rename(const std::string& source, const std::string& target) {
  if (Fails(Op::kRename)) return FsStatus::kFailed;
  if (!IsFile(source)) return FsStatus::kNotFound;
  auto reads = open_reads_.find(source);
  if (reads != open_reads_.end() && reads->second > 0) return FsStatus::kSharingViolation;
  if (files_.count(target) != 0) return FsStatus::kFailed;
  files_[target] = files_[source];
  files_.erase(source);
  return FsStatus::kOk;
}

FsStatus MemoryFiles::Link(const std::string& existing, const std::string& link) {
  if (!link_implemented_) return FsStatus::kNotImplemented;
  if (Fails(Op::kLink)) return FsStatus::kFailed;
  if (refuse_new_files_) return FsStatus::kAccessDenied;
  if (!IsFile(existing)) return FsStatus::kNotFound;
  if (files_.count(link) != 0) return FsStatus::kFailed;
  Entry& file = files_[Resolve(existing)];
  if (file.file == 0) file.file = ++files_linked_;
  files_[link] = file;
  files_[link].link.clear();
  return FsStatus::kOk;
}

bool MemoryFiles::SameFile(const std::string& first, const std::string& second) {
  auto a = files_.find(Resolve(first));
  auto b = files_.find(Resolve(second));
  if (a == files_.end() || b == files_.end()) return false;
  return a == b || (a->second.file != 0 && a->second.file == b->second.file);
}

FsStatus MemoryFiles::Remove(const std::string& path) {
  if (Fails(Op::kRemove)) return FsStatus::kFailed;
  auto entry = files_.find(path);
  if (entry == files_.end()) return FsStatus::kNotFound;
  if (locked_.count(path) != 0) return FsStatus::kSharingViolation;
  if ((entry->second.attributes & kAttrReadOnly) != 0) return FsStatus::kAccessDenied;
  files_.erase(entry);
  return FsStatus::kOk;
}

FsStatus MemoryFiles::GetStamp(const std::string& path, FileStamp* stamp) {
  if (Fails(Op::kGetStamp)) return FsStatus::kFailed;
  auto entry = files_.find(path);
  if (entry == files_.end()) return FsStatus::kNotFound;
  *stamp = FileStamp{entry->second.data.size(), entry->second.saved};
  return FsStatus::kOk;
}

FsStatus MemoryFiles::FinalPath(const std::string& path, std::string* final_path) {
  auto entry = files_.find(path);
  if (entry == files_.end()) return FsStatus::kNotFound;
  if (!entry->second.link.empty() && !final_path_implemented_) return FsStatus::kNotImplemented;
  *final_path = Resolve(path);
  return FsStatus::kOk;
}

FsStatus MemoryFiles::GetAttributes(const std::string& path, std::uint32_t* attributes) {
  auto entry = files_.find(path);
  if (entry == files_.end()) return FsStatus::kNotFound;
  *attributes = entry->second.attributes;
  return FsStatus::kOk;
}

FsStatus MemoryFiles::SetAttributes(const std::string& path, std::uint32_t attributes) {
  if (Fails(Op::kSetAttributes)) return FsStatus::kFailed;
  auto entry = files_.find(path);
  if (entry == files_.end()) return FsStatus::kNotFound;
  entry->second.attributes = attributes;
  for (auto& [name, other] : files_) {
    if (entry->second.file != 0 && other.file == entry->second.file) other.attributes = attributes;
  }
  return FsStatus::kOk;
}

}  // namespace host
