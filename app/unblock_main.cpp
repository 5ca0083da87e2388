// The uninstaller's helper: lifts the in-line block the program left, with the program's own
// code, and says by its exit code whether it could. It shows no window.
#include <windows.h>

#include "blocking/lift_blocks.h"
#include "platform/win32_host.h"

namespace {

enum ExitCode { kLifted = 0, kNotAllLifted = 1, kCrashed = 2 };

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  host::win32::LeaveTheProgramFolderOutOfTheDllSearch();
  try {
    host::win32::Files files;
    host::win32::System system;
    return quenlox::LiftInLineBlock(files, system).failed ? kNotAllLifted : kLifted;
  } catch (...) {
    return kCrashed;
  }
}
