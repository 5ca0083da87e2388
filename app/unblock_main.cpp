// The uninstaller's helper: lifts what the program left blocked, with the program's own code, and
// says by its exit code whether everything blocked could be lifted. It shows no window.
#include <windows.h>

#include "blocking/lift_blocks.h"
#include "platform/win32_host.h"

namespace {

enum ExitCode { kLifted = 0, kNotAllLifted = 1, kCrashed = 2 };

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  host::win32::LeaveTheProgramFolderOutOfTheDllSearch();
  try {
    host::win32::Registry registry;
    host::win32::Files files;
    host::win32::System system;
    return quenlox::LiftAllBlocks(registry, files, system).failed ? kNotAllLifted : kLifted;
  } catch (...) {
    return kCrashed;
  }
}
