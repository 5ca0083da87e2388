#include "platform/win32_host.h"

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

class Reader : public FileReader {
 public:
  explicit Reader(UniqueFile file) : file_(std::move(file)) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t* got) override {
    DWORD read = 0;
    BOOL ok = ReadFile(file_.get(), buffer, static_cast<DWORD>(capacity), &read, nullptr);
    *got = ok ? read : 0;
    return ok != FALSE;
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
  return Result(MoveFileExA(source.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

FsStatus Files::Rename(const std::string& source, const std::string& target) {
  return Result(MoveFileA(source.c_str(), target.c_str()));
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

}  // namespace host::win32
