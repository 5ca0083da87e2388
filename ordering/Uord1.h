// TFrmordr1: the ordering window's behaviour. Its labels open the order page or a new message
// to support; "Return" closes it.
#pragma once

#include "platform/host.h"

namespace quenlox {

// The window a TFrmordr1 lives in, as the platform made it.
class FormWindow {
 public:
  virtual ~FormWindow() = default;
  virtual host::WindowRef Handle() = 0;
  virtual void Close() = 0;
};

// Shows the ordering window modally; provided by the platform, which owns its window.
class OrderingWindows {
 public:
  virtual ~OrderingWindows() = default;
  virtual void ShowModal() = 0;
};

class TFrmordr1 {
 public:
  TFrmordr1(host::Host& host, FormWindow& window) : host_(host), window_(window) {}

  void Label2Click();  // "Problems Ordering? ..."
  void Label3Click();  // "Support: ..."
  void Label9Click();  // the order page
  void Button1Click();

 private:
  void MailSupport(const char* subject);

  host::Host& host_;
  FormWindow& window_;
};

}  // namespace quenlox
