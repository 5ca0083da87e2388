// The seams over the real Win32 API (Windows build only).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "platform/host.h"
#include "platform/win32_handles.h"

namespace host::win32 {

class Registry : public RegistryApi {
 public:
  long OpenKeyEx(RegKey parent, const std::string& sub_key, std::uint32_t access,
                 RegKey* result) override;
  long QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type, void* data,
                    std::uint32_t* size) override;
  long SetValueEx(RegKey key, const std::string& name, std::uint32_t type, const void* data,
                  std::uint32_t size) override;
  long CloseKey(RegKey key) override;
};

class Files : public FileSystem {
 public:
  bool IsFile(const std::string& path) override;
  FsStatus OpenRead(const std::string& path, std::unique_ptr<FileReader>* reader) override;
  FsStatus CreateNew(const std::string& path, std::unique_ptr<FileWriter>* writer) override;
  FsStatus Replace(const std::string& source, const std::string& target) override;
  FsStatus Rename(const std::string& source, const std::string& target) override;
  FsStatus Link(const std::string& existing, const std::string& link) override;
  bool SameFile(const std::string& first, const std::string& second) override;
  FsStatus Remove(const std::string& path) override;
  FsStatus GetAttributes(const std::string& path, std::uint32_t* attributes) override;
  FsStatus SetAttributes(const std::string& path, std::uint32_t attributes) override;
  FsStatus GetStamp(const std::string& path, FileStamp* stamp) override;
  FsStatus FinalPath(const std::string& path, std::string* final_path) override;
};

class Dialogs : public host::Dialogs {
 public:
  void Notice(const std::string& text) override;
  bool AskWarning(const std::string& text) override;
  void ErrorReport(const std::string& text) override;
};

class Shell : public host::Shell {
 public:
  bool Open(WindowRef window, const std::string& target, int show) override;
};

// The notification-icon record; the ANSI size of the first shell version (88 bytes in 32 bits).
NOTIFYICONDATAA TrayRecord(HWND window, HICON icon);
NOTIFYICONDATAA TrayRemovalRecord(HWND window);

// The timer that retries the tray icon: its id, and how often it fires.
constexpr UINT_PTR kIconRetryTimer = 1;
constexpr UINT kIconRetryMs = 3000;

class Tray : public host::Tray {
 public:
  void Attach(HWND window) { window_ = window; }

  WindowRef MainWindow() override { return reinterpret_cast<WindowRef>(window_); }
  bool AddTrayIcon() override;
  void RemoveTrayIcon() override;
  void SetIconRetryTimer(bool on) override;
  Point CursorPos() override;
  void SetForeground() override;
  int TrackPopup(const std::vector<std::string>& captions, Point at) override;
  void CloseMainWindow() override;

 private:
  HWND window_ = nullptr;
  UniqueIcon icon_;
};

// At start: DLLs loaded by name come from the system folder only, never from the current or
// the program's folder (a download folder may hold planted ones). Where the system offers it.
void LeaveTheProgramFolderOutOfTheDllSearch();

class System : public host::System {
 public:
  std::string ExecutablePath() override;
  std::string WindowsDirectory(unsigned buffer_size) override;
  void Sleep(unsigned milliseconds) override;
  bool IsNtFamily() override;
  void FlushDnsCache() override;
  bool CanElevate() override;
  Elevated RunElevated(const std::string& arguments, int* exit_code) override;
};

}  // namespace host::win32
