// The window class "TForm1": a hidden top-level window whose messages drive TForm1.
#pragma once

#include <windows.h>

#include "app/Ufirst.h"
#include "platform/win32_host.h"
#include "platform/window_binding_win32.h"
#include "resources/product.h"

namespace quenlox {

class Form1Window final : public host::win32::WindowBinding {
 public:
  static constexpr char kClassName[] = QUENLOX_WINDOW_CLASS;
  // Answered with the count of objects held, in the build that counts them.
  static constexpr char kHeldObjectsMessage[] = "QuenloxHeldObjects";

  Form1Window(TForm1& form, host::Dialogs& dialogs) : form_(form), dialogs_(dialogs) {}

  // Registers the class and creates the window, which is never shown. False on failure.
  bool Create(HINSTANCE instance);
  HWND Handle() const { return window_; }

 private:
  LRESULT Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  LRESULT OnTrayNotify(LPARAM mouse_event);
  LRESULT OnTaskbarCreated();
  LRESULT OnTimer(WPARAM timer);
  LRESULT OnHeldObjects();
  void AllowTaskbarCreated();
  LRESULT OnDestroy();

  TForm1& form_;
  host::Dialogs& dialogs_;
  UINT taskbar_created_ = 0;
  UINT held_objects_ = 0;  // asked by the soak benchmark, in the build that counts them
};

}  // namespace quenlox
