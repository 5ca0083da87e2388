// Reading the state of each block afresh.
#pragma once

#include "blocking/captions.h"
#include "blocking/registry_blocks.h"
#include "platform/registry.h"

namespace quenlox {

// Switches the accessor's root, opens the key, reads the value and closes the key again.
// A value of the wrong type raises ERegistryException and leaves the key to the accessor.
BlockState ProbeRegistryBlock(TRegistry& registry, const RegistryBlock& block);

}  // namespace quenlox
