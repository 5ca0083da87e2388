#include "platform/win32_host.h"

#include "platform/optional_calls_win32.h"

#include <vector>

namespace host::win32 {

namespace {

FsStatus StatusOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return FsStatus::kNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FsStatus::kSharingViolation;
    case ERROR_ACCESS_DENIED:
      return FsStatus::kAccessDenied;
    case ERROR_CALL_NOT_IMPLEMENTED:
      return FsStatus::kNotImplemented;
    default:
      return FsStatus::kFailed;
  }
}

FsStatus Result(BOOL ok) { return ok ? FsStatus::kOk : StatusOf(GetLastError()); }

// Gives `to` the owner, group and access list of `from`. True also where files have no security
// (the 9x family); false where this process may not give that owner.
bool CopySecurity(const std::string& from, const std::string& to) {
  const SECURITY_INFORMATION what =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD needed = 0;
  if (!GetFileSecurityA(from.c_str(), what, nullptr, 0, &needed) &&
      GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
    return true;
  if (needed == 0) return false;
  std::vector<char> descriptor(needed);
  if (!GetFileSecurityA(from.c_str(), what, descriptor.data(), needed, &needed)) return false;
  return SetFileSecurityA(to.c_str(), what, descriptor.data()) != FALSE;
}

// Without the long-path prefix, as the older calls take a path.
std::string WithoutLongPrefix(std::string path) {
  if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + path.substr(8);
  if (path.compare(0, 4, "\\\\?\\") == 0) return path.substr(4);
  return path;
}

class Reader : public FileReader {
 public:
  explicit Reader(UniqueFile file) : file_(std::move(file)) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    DWORD read = 0;
    BOOL ok = ReadFile(file_.get(), buffer, static_cast<DWORD>(capacity), &read, nullptr);
    *got = ok ? read : 0;
    return ok != FALSE;
  }
  bool Rewind() override {
    LONG high = 0;  // with the high part, so a file past 4 GB is no failure
    return SetFilePointer(file_.get(), 0, &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
           GetLastError() == NO_ERROR;
  }
  bool Close() override { return CloseHandle(file_.release()) != FALSE; }

 private:
  UniqueFile file_;
};

class Writer : public FileWriter {
 public:
  explicit Writer(UniqueFile file) : file_(std::move(file)) {}
  FsStatus Write(const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD part = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
      DWORD written = 0;
      if (!WriteFile(file_.get(), data, part, &written, nullptr)) return StatusOf(GetLastError());
      if (written == 0) return FsStatus::kFailed;
      data += written;
      size -= written;
    }
    return FsStatus::kOk;
  }
  FsStatus Flush() override { return Result(FlushFileBuffers(file_.get())); }
  FsStatus Close() override { return Result(CloseHandle(file_.release())); }

 private:
  UniqueFile file_;
};

}  // namespace

bool Files::IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

FsStatus Files::OpenRead(const std::string& path, std::unique_ptr<FileReader>* reader) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return StatusOf(GetLastError());
  *reader = std::make_unique<Reader>(std::move(file));
  return FsStatus::kOk;
}

FsStatus Files::CreateNew(const std::string& path, std::unique_ptr<FileWriter>* writer) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return StatusOf(GetLastError());
  *writer = std::make_unique<Writer>(std::move(file));
  return FsStatus::kOk;
}

FsStatus Files::Replace(const std::string& source, const std::string& target) {
  // The 9x family has no one-step replace: MoveFileExA is a stub on 95 and 98, and no file of
  // theirs has security to keep.
  if (!IsNtFamily()) return FsStatus::kNotImplemented;
  const bool exists = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
  // One rename over the target, which a kill cannot split, once the new file carries the
  // target's security descriptor and owner.
  if (!exists || CopySecurity(target, source)) {
    return Result(MoveFileExA(source.c_str(), target.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  }
  // An owner this process may not give: ReplaceFile keeps it. It moves the target aside first,
  // so the aside name is ours: a kill leaves the old file there, and the next toggle puts it back.
  auto replace_file = Optional().ReplaceFileA;
  if (replace_file == nullptr) return FsStatus::kAccessDenied;
  const std::string aside = target + ".quenlox-old";
  if (replace_file(target.c_str(), source.c_str(), aside.c_str(), 0, nullptr, nullptr)) {
    DeleteFileA(aside.c_str());
    return FsStatus::kOk;
  }
  DWORD error = GetLastError();
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
    MoveFileA(aside.c_str(), target.c_str());
    return FsStatus::kFailed;
  }
  return error == ERROR_UNABLE_TO_REMOVE_REPLACED ? FsStatus::kSharingViolation : StatusOf(error);
}

FsStatus Files::Rename(const std::string& source, const std::string& target) {
  return Result(MoveFileA(source.c_str(), target.c_str()));
}

FsStatus Files::Link(const std::string& existing, const std::string& link) {
  auto create_hard_link = Optional().CreateHardLinkA;
  if (create_hard_link == nullptr) return FsStatus::kNotImplemented;
  return Result(create_hard_link(link.c_str(), existing.c_str(), nullptr));
}

bool Files::SameFile(const std::string& first, const std::string& second) {
  BY_HANDLE_FILE_INFORMATION ids[2];
  const std::string* paths[2] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    UniqueFile file(CreateFileA(paths[i]->c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file || !GetFileInformationByHandle(file.get(), &ids[i])) return false;
  }
  // Without a file index (the 9x family) nothing is known.
  if (ids[0].nFileIndexHigh == 0 && ids[0].nFileIndexLow == 0) return false;
  return ids[0].dwVolumeSerialNumber == ids[1].dwVolumeSerialNumber &&
         ids[0].nFileIndexHigh == ids[1].nFileIndexHigh &&
         ids[0].nFileIndexLow == ids[1].nFileIndexLow;
}

FsStatus Files::Remove(const std::string& path) { return Result(DeleteFileA(path.c_str())); }

FsStatus Files::GetAttributes(const std::string& path, std::uint32_t* attributes) {
  DWORD found = GetFileAttributesA(path.c_str());
  if (found == INVALID_FILE_ATTRIBUTES) return StatusOf(GetLastError());
  *attributes = found;
  return FsStatus::kOk;
}

FsStatus Files::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return Result(SetFileAttributesA(path.c_str(), attributes));
}

FsStatus Files::GetStamp(const std::string& path, FileStamp* stamp) {
  DWORD size_high = 0, size_low = 0;
  FILETIME written = {};
  if (auto attributes_of = Optional().GetFileAttributesExA) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes_of(path.c_str(), GetFileExInfoStandard, &data)) return StatusOf(GetLastError());
    size_high = data.nFileSizeHigh, size_low = data.nFileSizeLow, written = data.ftLastWriteTime;
  } else {
    // Windows 95: the directory entry says the same without opening the file.
    WIN32_FIND_DATAA data;
    UniqueFind search(FindFirstFileA(path.c_str(), &data));
    if (!search) return StatusOf(GetLastError());
    size_high = data.nFileSizeHigh, size_low = data.nFileSizeLow, written = data.ftLastWriteTime;
  }
  stamp->size = (std::uint64_t{size_high} << 32) | size_low;
  stamp->write_time = (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
  return FsStatus::kOk;
}

FsStatus Files::FinalPath(const std::string& path, std::string* final_path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return StatusOf(GetLastError());
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    *final_path = path;
    return FsStatus::kOk;
  }
  auto final_path_of = Optional().GetFinalPathNameByHandleA;
  if (final_path_of == nullptr) return FsStatus::kNotImplemented;
  UniqueFile file(CreateFileA(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return StatusOf(GetLastError());
  char buffer[1024];
  DWORD length = final_path_of(file.get(), buffer, sizeof buffer, 0);  // normalised, with a drive
  if (length == 0 || length >= sizeof buffer) return FsStatus::kFailed;
  *final_path = WithoutLongPrefix(std::string(buffer, length));
  return FsStatus::kOk;
}

}  // namespace host::win32
