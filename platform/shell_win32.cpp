#include "platform/win32_host.h"

namespace host::win32 {

bool Shell::Open(WindowRef window, const std::string& target, int show) {
  HINSTANCE result =
      ShellExecuteA(reinterpret_cast<HWND>(window), "open", target.c_str(), "", "", show);
  return ShellExecuteSucceeded(reinterpret_cast<std::intptr_t>(result));
}

}  // namespace host::win32
