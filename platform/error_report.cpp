#include "platform/error_report.h"

#include "resources/texts.h"

namespace quenlox {

std::string ErrorReportText(const std::string& message) {
  if (message.empty() || static_cast<unsigned char>(message.back()) <= '.') return message;
  return message + ".";
}

void ShowErrorReport(host::Dialogs& dialogs, const char* message) noexcept {
  try {
    dialogs.ErrorReport(ErrorReportText(message != nullptr ? message : texts::kUnknownError));
  } catch (...) {
    // Nothing is left to tell the user with; the message loop must go on.
  }
}

}  // namespace quenlox
