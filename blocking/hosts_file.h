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

struct HostsPaths {
  std::string hosts;
  std::string backup;
  bool loopback = false;  // the 9x family's hosts file, which wants 127.0.0.1
};

// Blocks or unblocks; false when anything failed, and then the hosts file is as it was.
bool ToggleHostsBlock(host::FileSystem& files, host::Desktop& desktop, const HostsPaths& paths,
                      bool block);

// Writes `data` to a temporary file beside `path`, flushes it and swaps it in whole.
bool ReplaceFileContent(host::FileSystem& files, host::Desktop& desktop, const std::string& path,
                        const std::string& data);

}  // namespace quenlox
