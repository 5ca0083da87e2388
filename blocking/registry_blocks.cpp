#include "blocking/registry_blocks.h"

#include "resources/texts.h"

namespace quenlox {

const RegistryBlock kWindowPopBlock = {BlockKind::kWindowPop,
                                       host::kHkeyLocalMachine,
                                       "SYSTEM\\CurrentControlSet\\Services\\Messenger",
                                       "Start",
                                       4,
                                       3,
                                       texts::kWindowPopNowBlocked,
                                       texts::kWindowPopValueMissing};

const RegistryBlock kBrowserPopBlock = {
    BlockKind::kBrowserPop,
    host::kHkeyCurrentUser,
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3",
    "1400",
    3,
    0,
    texts::kBrowserPopNowBlocked,
    texts::kBrowserPopValueMissing};

}  // namespace quenlox
