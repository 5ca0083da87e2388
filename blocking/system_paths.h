// Where the Windows folder and the hosts file are: shared by the program and the uninstall helper.
#pragma once

#include <string>

#include "blocking/hosts_file.h"
#include "platform/host.h"

namespace quenlox {

// The Windows directory, or "c:\windows" when the system gives none that fits.
std::string LocateWindowsFolder(host::System& system);

// The NT family's hosts file first, then the 9x one; all empty when neither is there.
HostsPaths LocateHostsFile(host::FileSystem& files, const std::string& windows_folder);

}  // namespace quenlox
