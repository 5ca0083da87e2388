#include "blocking/system_paths.h"

namespace quenlox {

namespace {

constexpr char kWindowsFolderFallback[] = "c:\\windows";
constexpr char kNtHosts[] = "\\system32\\drivers\\etc\\hosts";
constexpr char kNtHostsBackup[] = "\\system32\\drivers\\etc\\hosts.sav";
constexpr char k9xHosts[] = "\\hosts";
constexpr char k9xHostsBackup[] = "\\hosts.sav";

}  // namespace

std::string LocateWindowsFolder(host::System& system) {
  constexpr unsigned kPassedSize = 200;
  std::string folder = system.WindowsDirectory(kPassedSize);
  return folder.empty() ? kWindowsFolderFallback : folder;
}

HostsPaths LocateHostsFile(host::FileSystem& files, const std::string& windows_folder) {
  RestoreInterruptedSwap(files, windows_folder + kNtHosts);
  RestoreInterruptedSwap(files, windows_folder + k9xHosts);
  if (files.IsFile(windows_folder + kNtHosts)) {
    return {windows_folder + kNtHosts, windows_folder + kNtHostsBackup, false};
  }
  if (files.IsFile(windows_folder + k9xHosts)) {
    return {windows_folder + k9xHosts, windows_folder + k9xHostsBackup, true};
  }
  return {};
}

}  // namespace quenlox
