// One write the resident program was refused for lack of rights. A second process of the program,
// started with an administrator's rights, does that write alone and exits: the resident program
// keeps the user's rights all day.
#pragma once

#include <string>

#include "platform/host.h"

namespace quenlox {

enum class ElevatedWrite { kInLineBlock, kInLineUnblock, kWindowPopBlock, kWindowPopUnblock };

// The second process's exit codes.
enum ElevatedExit : int {
  kElevatedDone = 0,
  kElevatedFailed = 1,
  kElevatedMarkerNotOurs = 2,  // the in-line unblock found the product word not its own
  kElevatedNotPlainText = 3,   // the in-line block found a UTF-16 hosts file
};

std::string ElevatedWriteArguments(ElevatedWrite write);
// The write a command line asks for; false for any other command line.
bool ParseElevatedWrite(const std::string& arguments, ElevatedWrite* write);

// In the second process: the write, with the rights it was given; its exit code.
int DoElevatedWrite(host::RegistryApi& registry, host::FileSystem& files, host::System& system,
                    ElevatedWrite write);

// In the resident program: the write done elevated where the system offers it, after the user
// agreed; the second process's exit code, or kElevatedFailed where it did not run.
int RunElevatedWrite(host::System& system, ElevatedWrite write);

}  // namespace quenlox
