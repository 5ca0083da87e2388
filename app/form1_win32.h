// The window class "TForm1": a hidden top-level window whose messages drive TForm1.
#pragma once

#include <windows.h>

#include "app/Ufirst.h"

namespace quenlox {

class Form1Window {
 public:
  static constexpr char kClassName[] = "TForm1";

  Form1Window(TForm1& form, host::Dialogs& dialogs) : form_(form), dialogs_(dialogs) {}
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  // Registers the class and creates the window, which is never shown. False on failure.
  bool Create(HINSTANCE instance);
  HWND Handle() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnTrayNotify(LPARAM mouse_event);
  LRESULT OnTaskbarCreated();
  LRESULT OnDestroy();

  TForm1& form_;
  host::Dialogs& dialogs_;
  HWND window_ = nullptr;
  UINT taskbar_created_ = 0;
};

}  // namespace quenlox
