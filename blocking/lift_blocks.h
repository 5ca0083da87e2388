// Lifting every block the program may have left, for the uninstaller: the system goes back to
// how it was before, and a setting the user chose himself is left alone.
#pragma once

#include "platform/host.h"

namespace quenlox {

struct LiftResult {
  bool window_pop_lifted = false;
  bool browser_pop_lifted = false;
  bool in_line_lifted = false;
  bool failed = false;  // something blocked could not be lifted, or the hosts file not read
};

// "Start" goes back to 3 only where it is 4, "1400" back to 0 only where it is 3, and the in-line
// block comes out exactly as the program's own unblock takes it out. Shows nothing.
LiftResult LiftAllBlocks(host::RegistryApi& registry, host::FileSystem& files,
                         host::System& system);

}  // namespace quenlox
