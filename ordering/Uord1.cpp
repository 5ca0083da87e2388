#include "ordering/Uord1.h"

#include <string>

#include "resources/texts.h"

namespace quenlox {

void TFrmordr1::Label2Click() { MailSupport(texts::kMailSubjectOrderingHelp); }

void TFrmordr1::Label3Click() { MailSupport(texts::kMailSubjectQuestions); }

void TFrmordr1::MailSupport(const char* subject) {
  host_.dialogs.Notice(texts::kSupportNotice);
  const std::string address = std::string(texts::kMailTo) + subject;
  if (!host_.shell.Open(window_.Handle(), address, host::kSwShowNormal))
    host_.dialogs.Notice(texts::kNoMailClient);
}

void TFrmordr1::Label9Click() {
  if (!host_.shell.Open(window_.Handle(), QUENLOX_ORDER_URL, host::kSwShowMaximized))
    host_.dialogs.Notice(texts::kNoBrowser);
}

void TFrmordr1::Button1Click() { window_.Close(); }

}  // namespace quenlox
