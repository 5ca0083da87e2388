#include "blocking/lift_blocks.h"

#include "blocking/hosts_file.h"
#include "blocking/system_paths.h"

namespace quenlox {

LiftResult LiftInLineBlock(host::FileSystem& files, host::System& system) {
  LiftResult result;
  const HostsPaths paths = LocateHostsFile(files, LocateWindowsFolder(system));
  if (paths.hosts.empty()) return result;
  // Not only where the first line shows the block: an editor or tool may have moved it.
  const HostsToggle lifted = LiftHostsBlock(files, system, paths);
  result.in_line_lifted = lifted == HostsToggle::kDone;
  result.failed = lifted == HostsToggle::kFailed || lifted == HostsToggle::kRefused;
  if (result.in_line_lifted && system.IsNtFamily()) system.FlushDnsCache();
  return result;
}

}  // namespace quenlox
