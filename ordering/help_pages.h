// The local help and download pages, handed to the shell to open in the user's browser.
#pragma once

#include <string>

#include "platform/host.h"

namespace quenlox {

// The path goes to the shell whole, however long; the shell's answer decides.
void OpenLocalPage(host::Host& host, const std::string& path, const char* failure_notice);

}  // namespace quenlox
