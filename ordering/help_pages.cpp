#include "ordering/help_pages.h"

namespace quenlox {

void OpenLocalPage(host::Host& host, const std::string& path, const char* failure_notice) {
  if (!host.shell.Open(host.tray.MainWindow(), path, host::kSwShowMaximized))
    host.dialogs.Notice(failure_notice);
}

}  // namespace quenlox
