#include "blocking/toggles.h"

#include "blocking/elevated_writes.h"
#include "blocking/probes.h"
#include "platform/registry.h"
#include "resources/texts.h"

namespace quenlox {

namespace {

// The machine's Messenger setting, refused for rights, written by the elevated process; read
// again, so that what the user is told is what the registry now holds.
bool WrittenElevated(host::Host& host, const RegistryBlock& block, bool blocking) {
  if (block.kind != BlockKind::kWindowPop) return false;
  const int done = RunElevatedWrite(
      host.system, blocking ? ElevatedWrite::kWindowPopBlock : ElevatedWrite::kWindowPopUnblock);
  if (done != kElevatedDone) return false;
  TRegistry registry(host.registry);
  try {
    return ProbeRegistryBlock(registry, block) ==
           (blocking ? BlockState::kBlocked : BlockState::kNotBlocked);
  } catch (const ERegistryException&) {
    return false;
  }
}

// The hosts file, refused for rights, written by the elevated process and probed again.
HostsToggle InLineElevated(host::Host& host, const HostsPaths& paths, bool blocking) {
  switch (RunElevatedWrite(
      host.system, blocking ? ElevatedWrite::kInLineBlock : ElevatedWrite::kInLineUnblock)) {
    case kElevatedDone:
      break;
    case kElevatedMarkerNotOurs:
      return HostsToggle::kMarkerNotOurs;
    case kElevatedNotPlainText:
      return HostsToggle::kNotPlainText;
    default:
      return HostsToggle::kFailed;
  }
  const HostsProbe probe = ProbeHostsFile(host.files, paths.hosts);
  return !probe.failed && probe.marker == blocking ? HostsToggle::kDone : HostsToggle::kFailed;
}

}  // namespace

void ToggleRegistryBlock(host::Host& host, const RegistryBlock& block, const std::string& caption) {
  TRegistry registry(host.registry);
  registry.SetRootKey(block.root);
  if (!registry.OpenKey(block.key)) return;
  if (!registry.ValueExists(block.value)) {
    host.dialogs.Notice(block.value_missing_notice);
    registry.CloseKey();
    return;
  }
  bool blocking = caption == BlockCaption(block.kind, BlockState::kNotBlocked);
  bool written = false;
  try {
    registry.WriteInteger(block.value, blocking ? block.blocked : block.unblocked);
    written = true;
  } catch (const ERegistryException&) {
  }
  const bool refused = !written && registry.LastError() == host::kErrorAccessDenied;
  registry.CloseKey();
  if (refused) written = WrittenElevated(host, block, blocking);
  if (!written) {
    host.dialogs.Notice(texts::kBlockFailed);
  } else if (blocking) {
    host.dialogs.Notice(block.now_blocked_notice);
  }
}

void ToggleInLineBlock(host::Host& host, const HostsPaths& paths, const std::string& caption) {
  if (paths.hosts.empty()) return;
  bool blocking = caption == BlockCaption(BlockKind::kInLine, BlockState::kNotBlocked);
  HostsToggle result = ToggleHostsBlock(host.files, host.system, paths, blocking);
  if (result == HostsToggle::kRefused) result = InLineElevated(host, paths, blocking);
  switch (result) {
    case HostsToggle::kDone:
    case HostsToggle::kUnchanged:
      break;
    case HostsToggle::kFailed:
    case HostsToggle::kRefused:
      host.dialogs.Notice(texts::kBlockFailed);
      return;
    case HostsToggle::kMarkerNotOurs:
      host.dialogs.Notice(texts::kInLineMarkerNotOurs);
      return;
    case HostsToggle::kNotPlainText:
      host.dialogs.Notice(texts::kInLineNotPlainText);
      return;
  }
  // Browsers would go on using the addresses they resolved before.
  if (host.system.IsNtFamily()) host.system.FlushDnsCache();
  if (blocking) host.dialogs.Notice(texts::kInLineNowBlocked);
}

}  // namespace quenlox
