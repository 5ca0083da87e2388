// The two blocks that are a registry value: where each lives and what blocking writes.
#pragma once

#include <cstdint>

#include "blocking/captions.h"
#include "platform/host.h"

namespace quenlox {

struct RegistryBlock {
  BlockKind kind;
  host::RegKey root;
  const char* key;
  const char* value;
  std::int32_t blocked;    // what blocking writes, and what the probe counts as blocked
  std::int32_t unblocked;  // what unblocking writes, whatever stood there before
  const char* now_blocked_notice;
  const char* value_missing_notice;
};

extern const RegistryBlock kWindowPopBlock;   // the Messenger service's start type
extern const RegistryBlock kBrowserPopBlock;  // the Internet zone's popup policy

}  // namespace quenlox
