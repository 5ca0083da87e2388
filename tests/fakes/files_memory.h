// An in-memory file system for native tests, with the faults a real disk can give on demand.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/host.h"

namespace host {

class MemoryFiles : public FileSystem {
 public:
  enum class Op {
    kOpenRead,
    kRead,
    kCreateNew,
    kWrite,
    kFlush,
    kClose,
    kReplace,
    kRename,
    kLink,
    kRemove,
    kSetAttributes,
    kGetStamp
  };

  void Put(const std::string& path, std::string data, std::uint32_t attributes = kAttrNormal);
  // A symbolic link at `path` naming `target`; reads follow it, moves and deletes act on it.
  void PutLink(const std::string& path, const std::string& target);
  bool IsLink(const std::string& path) const { return !files_.at(path).link.empty(); }
  // Stands for the security descriptor and owner; a new file gets kInherited.
  static constexpr char kInherited[] = "inherited";
  void SetSecurity(const std::string& path, std::string security) {
    files_.at(path).security = std::move(security);
  }
  const std::string& Security(const std::string& path) const { return files_.at(path).security; }
  // Runs `action` at the start of the next call of `op`, as another program would act then.
  void BeforeNext(Op op, std::function<void()> action) { before_[op] = std::move(action); }
  // Where a link cannot be followed (a system without the call).
  void SetFinalPathImplemented(bool implemented) { final_path_implemented_ = implemented; }
  void MakeDirectory(const std::string& path);
  void Erase(const std::string& path) { files_.erase(path); }
  bool Exists(const std::string& path) const { return files_.count(path) != 0; }
  const std::string& Data(const std::string& path) const { return files_.at(path).data; }
  std::uint32_t Attributes(const std::string& path) const { return files_.at(path).attributes; }
  std::set<std::string> Paths() const;

  // Another program holds the file open without sharing it.
  void Lock(const std::string& path) { locked_.insert(path); }
  void Unlock(const std::string& path) { locked_.erase(path); }
  // The n-th call (from 1) of `op` from now on fails; 0 clears it.
  void FailNth(Op op, int n);
  // Reads of this file fail once this many bytes have been delivered.
  void FailReadAfter(const std::string& path, std::size_t bytes) { read_limit_[path] = bytes; }
  void SetReplaceImplemented(bool implemented) { replace_implemented_ = implemented; }
  void SetLinkImplemented(bool implemented) { link_implemented_ = implemented; }
  // New files and names are refused for rights, as a system folder refuses a standard user.
  void RefuseNewFiles(bool refused) { refuse_new_files_ = refused; }
  // The next `count` replaces find the target in use.
  void SharingViolationsOnReplace(int count) { sharing_violations_ = count; }

  int Calls(Op op) const;
  std::size_t LargestReadRequest() const { return largest_read_; }
  int OpenReaders() const { return open_readers_; }

  bool IsFile(const std::string& path) override;
  FsStatus OpenRead(const std::string& path, std::unique_ptr<FileReader>* reader) override;
  FsStatus CreateNew(const std::string& path, std::unique_ptr<FileWriter>* writer) override;
  FsStatus Replace(const std::string& source, const std::string& target) override;
  FsStatus Rename(const std::string& source, const std::string& target) override;
  // The second name is the same file: its attributes are shared. Nothing here changes a file's
  // bytes in place, so each name keeps its own copy of them.
  FsStatus Link(const std::string& existing, const std::string& link) override;
  bool SameFile(const std::string& first, const std::string& second) override;
  FsStatus Remove(const std::string& path) override;
  FsStatus GetAttributes(const std::string& path, std::uint32_t* attributes) override;
  FsStatus SetAttributes(const std::string& path, std::uint32_t attributes) override;
  FsStatus GetStamp(const std::string& path, FileStamp* stamp) override;
  FsStatus FinalPath(const std::string& path, std::string* final_path) override;

 private:
  struct Entry {
    std::string data;
    std::uint32_t attributes = kAttrNormal;
    bool directory = false;
    std::string link;
    std::string security = kInherited;
    std::uint64_t saved = 0;  // the write time: a count of saves
    int file = 0;             // names of one file (hard links) share a nonzero number
  };
  class Reader;
  class Writer;

  bool Fails(Op op);  // counts the call and tells whether it is the one to fail
  std::string Resolve(const std::string& path) const;
  void Saved(Entry& entry) { entry.saved = ++saves_; }

  std::map<std::string, Entry> files_;
  std::set<std::string> locked_;
  std::map<Op, int> calls_;
  std::map<Op, int> fail_at_;
  std::map<std::string, std::size_t> read_limit_;
  std::map<Op, std::function<void()>> before_;
  std::uint64_t saves_ = 0;
  int files_linked_ = 0;
  bool replace_implemented_ = true;
  bool final_path_implemented_ = true;
  bool link_implemented_ = true;
  bool refuse_new_files_ = false;
  int sharing_violations_ = 0;
  std::size_t largest_read_ = 0;
  int open_readers_ = 0;
  std::map<std::string, int> open_reads_;  // by the file a name resolves to
};

}  // namespace host
