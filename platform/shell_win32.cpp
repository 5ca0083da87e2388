#include "platform/win32_host.h"

namespace host::win32 {

std::intptr_t Shell::Open(WindowRef window, const std::string& target, int show) {
  HINSTANCE result =
      ShellExecuteA(reinterpret_cast<HWND>(window), "open", target.c_str(), "", "", show);
  return reinterpret_cast<std::intptr_t>(result);
}

}  // namespace host::win32
