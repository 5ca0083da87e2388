// The block toggles: the item's caption alone decides between blocking and unblocking.
#pragma once

#include <string>

#include "blocking/hosts_file.h"
#include "blocking/registry_blocks.h"
#include "platform/host.h"

namespace quenlox {

void ToggleRegistryBlock(host::Host& host, const RegistryBlock& block, const std::string& caption);

// Nothing happens without a hosts file.
void ToggleInLineBlock(host::Host& host, const HostsPaths& paths, const std::string& caption);

}  // namespace quenlox
