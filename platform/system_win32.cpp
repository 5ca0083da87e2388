#include "platform/win32_host.h"

#include "platform/optional_calls_win32.h"

namespace host::win32 {

std::string System::ExecutablePath() {
  // No fixed buffer: the path is read whole, however long.
  std::string path(MAX_PATH, '\0');
  while (true) {
    DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string System::WindowsDirectory(unsigned buffer_size) {
  char buffer[256] = {};
  if (buffer_size > sizeof buffer) buffer_size = sizeof buffer;
  UINT length = GetWindowsDirectoryA(buffer, buffer_size);
  // A length that does not fit is the size needed: nothing was copied.
  if (length == 0 || length >= buffer_size) return "";
  return buffer;
}

void System::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

bool System::IsNtFamily() { return win32::IsNtFamily(); }

void System::FlushDnsCache() {
  if (auto flush = OptionalLoaded().DnsFlushResolverCache) flush();
}

bool System::CanElevate() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
      version.dwMajorVersion < 6)
    return false;
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
  UniqueHandle token(opened);
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size))
    return false;
  return elevation.TokenIsElevated == 0;
}

Elevated System::RunElevated(const std::string& arguments, int* exit_code) {
  // The write takes a few seconds at most, even with another program holding the file.
  constexpr DWORD kLongestWaitMs = 60000;
  const std::string program = ExecutablePath();
  if (program.empty()) return Elevated::kFailed;
  SHELLEXECUTEINFOA run = {};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  run.lpVerb = "runas";
  run.lpFile = program.c_str();
  run.lpParameters = arguments.c_str();
  run.nShow = SW_HIDE;
  if (!ShellExecuteExA(&run))
    return GetLastError() == ERROR_CANCELLED ? Elevated::kDeclined : Elevated::kFailed;
  if (run.hProcess == nullptr) return Elevated::kFailed;
  UniqueHandle process(run.hProcess);
  DWORD code = 0;
  if (WaitForSingleObject(process.get(), kLongestWaitMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &code))
    return Elevated::kFailed;
  *exit_code = static_cast<int>(code);
  return Elevated::kRan;
}

void LeaveTheProgramFolderOutOfTheDllSearch() {
  const OptionalCalls& calls = Optional();
  if (calls.SetDllDirectoryA) calls.SetDllDirectoryA("");  // the current folder leaves the search
  constexpr DWORD kSystem32Only = 0x800;                   // LOAD_LIBRARY_SEARCH_SYSTEM32
  if (calls.SetDefaultDllDirectories) calls.SetDefaultDllDirectories(kSystem32Only);
}

}  // namespace host::win32
