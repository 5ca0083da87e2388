// The hosts file on disk: the first-line probe and the all-or-nothing rewrite of the in-line block.
#pragma once

#include <string>

#include "platform/host.h"

namespace quenlox {

struct HostsProbe {
  bool marker = false;  // the first line holds the product word
  bool failed = false;  // opening, reading or closing failed; `marker` covers what was read
};

// Reads in fixed-size chunks and stops at the end of the first line or at the marker.
HostsProbe ProbeHostsFile(host::FileSystem& files, const std::string& path);

// A swap without a one-step replace (the 9x family) moves the old file aside before the new one
// takes its name; a kill between the two leaves no file at `path`. Then the old one goes back,
// before anything looks for the file. True when it was there to put back.
bool RestoreInterruptedSwap(host::FileSystem& files, const std::string& path);

struct HostsPaths {
  std::string hosts;
  std::string backup;
  bool loopback = false;  // the 9x family's hosts file, which wants 127.0.0.1
};

enum class HostsToggle {
  kDone,           // rewritten
  kUnchanged,      // it was as asked already
  kFailed,         // nothing changed
  kRefused,        // nothing changed: this process may not create a file beside the hosts file
  kMarkerNotOurs,  // unblocking: the product word stands on line 1 in a line the block did not
                   // write; nothing changed
  kNotPlainText,   // blocking a file saved as UTF-16: not blocked, though what an earlier block
                   // left in it was taken out
};

// Blocks or unblocks. A hosts file that is a link is written where the link points.
HostsToggle ToggleHostsBlock(host::FileSystem& files, host::System& system, const HostsPaths& paths,
                             bool block);

// For the uninstaller: takes out whatever of the block is left, wherever it stands. The product
// word in a line the block did not write is the user's and no failure.
HostsToggle LiftHostsBlock(host::FileSystem& files, host::System& system, const HostsPaths& paths);

}  // namespace quenlox
