#include "blocking/lift_blocks.h"

#include "blocking/hosts_file.h"
#include "blocking/registry_blocks.h"
#include "blocking/system_paths.h"
#include "platform/registry.h"

namespace quenlox {

namespace {

// True when the value stood at the blocked number and now holds the unblocked one.
bool LiftRegistryBlock(host::RegistryApi& api, const RegistryBlock& block, bool& failed) {
  TRegistry registry(api);
  registry.SetRootKey(block.root);
  if (!registry.OpenKey(block.key) || !registry.ValueExists(block.value)) return false;
  try {
    if (registry.ReadInteger(block.value) != block.blocked) return false;
  } catch (const ERegistryException&) {
    return false;  // not a number: blocking never wrote it
  }
  try {
    registry.WriteInteger(block.value, block.unblocked);
    return true;
  } catch (const ERegistryException&) {
    failed = true;
    return false;
  }
}

}  // namespace

LiftResult LiftAllBlocks(host::RegistryApi& registry, host::FileSystem& files,
                         host::System& system) {
  LiftResult result;
  result.window_pop_lifted = LiftRegistryBlock(registry, kWindowPopBlock, result.failed);
  result.browser_pop_lifted = LiftRegistryBlock(registry, kBrowserPopBlock, result.failed);

  const HostsPaths paths = LocateHostsFile(files, LocateWindowsFolder(system));
  if (paths.hosts.empty()) return result;
  // Not only where the first line shows the block: an editor or tool may have moved it.
  const HostsToggle lifted = LiftHostsBlock(files, system, paths);
  result.in_line_lifted = lifted == HostsToggle::kDone;
  result.failed = result.failed || lifted == HostsToggle::kFailed;
  if (result.in_line_lifted && system.IsNtFamily()) system.FlushDnsCache();
  return result;
}

}  // namespace quenlox
