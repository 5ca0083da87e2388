// What the uninstaller lifts: the in-line block, which carries the program's own marker. The
// registry blocks stay: "Disable Quenlox", which must run before the uninstaller will, lifted
// them, and "Start" = 4 and "1400" = 3 are also what the system and the browser set themselves.
#pragma once

#include "platform/host.h"

namespace quenlox {

struct LiftResult {
  bool in_line_lifted = false;
  bool failed = false;  // the block could not be taken out, or the hosts file not read
};

// The in-line block comes out as the program's own unblock takes it out, wherever its lines
// now stand. Shows nothing.
LiftResult LiftInLineBlock(host::FileSystem& files, host::System& system);

}  // namespace quenlox
