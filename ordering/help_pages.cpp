#include "ordering/help_pages.h"

namespace quenlox {

void OpenLocalPage(host::Host& host, const std::string& path, const char* failure_notice) {
  constexpr std::intptr_t kFirstSuccess = 32;
  if (host.shell.Open(host.desktop.MainWindow(), path, host::kSwShowMaximized) < kFirstSuccess)
    host.dialogs.Notice(failure_notice);
}

}  // namespace quenlox
