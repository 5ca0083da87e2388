// The seams between the portable program and the system it runs on.
// The Windows build implements them over the Win32 API (*_win32.cpp); the native tests use
// the in-memory stand-ins (tests/fakes/*_memory.h). Nothing here includes <windows.h>: the
// Win32 numbers the program relies on are named constants of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// Registry handles travel as the Windows API passes them; the predefined roots keep their numbers.
using RegKey = std::uintptr_t;
constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;

constexpr std::uint32_t kKeyAllAccess = 0xF003Fu;

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorMoreData = 234;

// The four advapi32 calls the program makes, with their own contracts: a null data pointer asks
// for type and size only; a buffer too small for the data gives kErrorMoreData.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  virtual long OpenKeyEx(RegKey parent, const std::string& sub_key, std::uint32_t access,
                         RegKey* result) = 0;
  virtual long QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                            std::uint32_t* size) = 0;
  virtual long SetValueEx(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                          std::uint32_t size) = 0;
  virtual long CloseKey(RegKey key) = 0;
};

enum class FsStatus { kOk, kNotFound, kSharingViolation, kAccessDenied, kNotImplemented, kFailed };

constexpr std::uint32_t kAttrReadOnly = 0x1;
constexpr std::uint32_t kAttrHidden = 0x2;
constexpr std::uint32_t kAttrSystem = 0x4;
constexpr std::uint32_t kAttrNormal = 0x80;
constexpr std::uint32_t kAttrReparsePoint = 0x400;  // a symbolic link or junction

// What changes when another program saves the file.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t write_time = 0;
  bool operator==(const FileStamp& other) const {
    return size == other.size && write_time == other.write_time;
  }
};

class FileReader {
 public:
  virtual ~FileReader() = default;
  // Reads up to `capacity` bytes; *got == 0 with a true result is the end of the file.
  virtual bool Read(char* buffer, std::size_t capacity, std::size_t* got) = 0;
  virtual bool Rewind() = 0;  // back to the first byte
  virtual bool Close() = 0;
};

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual FsStatus Write(const char* data, std::size_t size) = 0;
  virtual FsStatus Flush() = 0;  // to the disk, not only out of the process
  virtual FsStatus Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool IsFile(const std::string& path) = 0;  // exists and is not a directory
  // Opened for reading; others may only read it meanwhile.
  virtual FsStatus OpenRead(const std::string& path, std::unique_ptr<FileReader>* reader) = 0;
  // Creates a file that must not exist yet; others may not open it meanwhile.
  virtual FsStatus CreateNew(const std::string& path, std::unique_ptr<FileWriter>* writer) = 0;
  // Moves source over target in one step; an existing target keeps its security descriptor and
  // owner (kNotImplemented where the system has no such call). A link at target is replaced.
  virtual FsStatus Replace(const std::string& source, const std::string& target) = 0;
  virtual FsStatus Rename(const std::string& source, const std::string& target) = 0;
  // A second name for the file at `existing` (a hard link); kNotImplemented where the system has
  // none. It fails where the volume has none or `link` exists.
  virtual FsStatus Link(const std::string& existing, const std::string& link) = 0;
  // Whether both paths name one file (hard links); false where either is missing or the system
  // cannot tell.
  virtual bool SameFile(const std::string& first, const std::string& second) = 0;
  virtual FsStatus Remove(const std::string& path) = 0;
  virtual FsStatus GetAttributes(const std::string& path, std::uint32_t* attributes) = 0;
  virtual FsStatus SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  virtual FsStatus GetStamp(const std::string& path, FileStamp* stamp) = 0;
  // The file a symbolic link or junction finally names, or `path` itself where it is no link;
  // kNotImplemented where the system cannot follow a link.
  virtual FsStatus FinalPath(const std::string& path, std::string* final_path) = 0;
};

// The three modal dialogs of the program; each runs a nested message loop.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void Notice(const std::string& text) = 0;       // title caption, no icon, OK
  virtual bool AskWarning(const std::string& text) = 0;   // "Warning": true for Yes
  virtual void ErrorReport(const std::string& text) = 0;  // error icon, OK; text as shown
};

using WindowRef = std::uintptr_t;

constexpr int kSwShowNormal = 1;
constexpr int kSwShowMaximized = 3;

class Shell {
 public:
  virtual ~Shell() = default;
  // ShellExecuteA with the verb "open" and empty parameters and directory; true when it opened.
  virtual bool Open(WindowRef window, const std::string& target, int show) = 0;
};

// ShellExecute's result: below 32 is a failure, 32 and above a success.
constexpr bool ShellExecuteSucceeded(std::intptr_t result) { return result >= 32; }

// The notification-area icon's message to Form1 (WM_USER + 10) and the mouse events it carries
// in its second parameter.
constexpr long kTrayNotifyMessage = 1034;
constexpr long kMouseMove = 512;
constexpr long kLeftButtonDown = 513;
constexpr long kRightButtonDown = 516;

struct Point {
  int x = 0;
  int y = 0;
};

// Form1's window and what the desktop does for it: the notification-area icon, the cursor and
// the popup menus.
class Tray {
 public:
  virtual ~Tray() = default;
  virtual WindowRef MainWindow() = 0;
  // False when the notification area did not take the icon (not ready yet at logon).
  virtual bool AddTrayIcon() = 0;
  virtual void RemoveTrayIcon() = 0;
  // While on, the timer asks TForm1 every few seconds to try the icon again.
  virtual void SetIconRetryTimer(bool on) = 0;
  virtual Point CursorPos() = 0;
  virtual void SetForeground() = 0;
  // Shows a menu with its top-left corner at `at`; the index chosen, or -1 when none was.
  virtual int TrackPopup(const std::vector<std::string>& captions, Point at) = 0;
  virtual void CloseMainWindow() = 0;
};

enum class Elevated { kRan, kDeclined, kFailed };

// What the program asks of the system it runs on.
class System {
 public:
  virtual ~System() = default;
  virtual std::string ExecutablePath() = 0;
  // The Windows directory, read into a buffer of `buffer_size` bytes; empty when the call
  // fails or the directory does not fit.
  virtual std::string WindowsDirectory(unsigned buffer_size) = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
  virtual bool IsNtFamily() = 0;
  virtual void FlushDnsCache() = 0;
  // Whether a write refused for rights may be run again with an administrator's: the NT family
  // from version 6, where this process does not hold them already.
  virtual bool CanElevate() = 0;
  // Runs this program again with `arguments` and an administrator's rights, once the user agreed
  // at the system's prompt, and waits for it to end; its exit code when it ran.
  virtual Elevated RunElevated(const std::string& arguments, int* exit_code) = 0;
};

struct Host {
  RegistryApi& registry;
  FileSystem& files;
  Dialogs& dialogs;
  Shell& shell;
  Tray& tray;
  System& system;
};

}  // namespace host
