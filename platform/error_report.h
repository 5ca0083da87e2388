// The application's error report: every error that leaves a handler ends here.
#pragma once

#include <string>

#include "platform/host.h"

namespace quenlox {

// A full stop is added unless the text is empty or ends in '.' or a character below it.
std::string ErrorReportText(const std::string& message);

// Runs a handler; an escaping error is shown by the error report and the program goes on.
template <typename F>
void RunGuarded(host::Dialogs& dialogs, F handler) noexcept;

void ShowErrorReport(host::Dialogs& dialogs, const char* message) noexcept;

template <typename F>
void RunGuarded(host::Dialogs& dialogs, F handler) noexcept {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowErrorReport(dialogs, error.what());
  } catch (...) {
    ShowErrorReport(dialogs, nullptr);
  }
}

}  // namespace quenlox
