#include "blocking/toggles.h"

#include "platform/registry.h"
#include "resources/texts.h"

namespace quenlox {

void ToggleRegistryBlock(host::Host& host, const RegistryBlock& block, const std::string& caption) {
  TRegistry registry(host.registry);
  registry.SetRootKey(block.root);
  if (!registry.OpenKey(block.key)) return;
  if (!registry.ValueExists(block.value)) {
    host.dialogs.Notice(block.value_missing_notice);
  } else {
    bool blocking = caption == BlockCaption(block.kind, BlockState::kNotBlocked);
    try {
      registry.WriteInteger(block.value, blocking ? block.blocked : block.unblocked);
      if (blocking) host.dialogs.Notice(block.now_blocked_notice);
    } catch (...) {
      host.dialogs.Notice(texts::kBlockFailed);
    }
  }
  registry.CloseKey();
}

void ToggleInLineBlock(host::Host& host, const HostsPaths& paths, const std::string& caption) {
  if (paths.hosts.empty()) return;
  bool blocking = caption == BlockCaption(BlockKind::kInLine, BlockState::kNotBlocked);
  switch (ToggleHostsBlock(host.files, host.system, paths, blocking)) {
    case HostsToggle::kDone:
    case HostsToggle::kUnchanged:
      break;
    case HostsToggle::kFailed:
      host.dialogs.Notice(texts::kBlockFailed);
      return;
    case HostsToggle::kMarkerNotOurs:
      host.dialogs.Notice(texts::kInLineMarkerNotOurs);
      return;
  }
  // Browsers would go on using the addresses they resolved before.
  if (host.system.IsNtFamily()) host.system.FlushDnsCache();
  if (blocking) host.dialogs.Notice(texts::kInLineNowBlocked);
}

}  // namespace quenlox
