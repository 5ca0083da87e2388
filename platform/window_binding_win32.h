// One window procedure for every window class of the program (Windows build only): it binds
// each window to the object that handles its messages.
#pragma once

#include <windows.h>

namespace host::win32 {

class WindowBinding {
 public:
  WindowBinding() = default;
  WindowBinding(const WindowBinding&) = delete;
  WindowBinding& operator=(const WindowBinding&) = delete;

 protected:
  ~WindowBinding() = default;
  // The class's procedure. A window created with the object as its creation parameter is bound
  // at WM_NCCREATE; from then on every message goes to Dispatch, and no exception ever unwinds
  // into the system's code.
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  virtual LRESULT Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) = 0;
  // What CreateWindowEx must get as its creation parameter: this base, which in a class with more
  // than one base need not be where the object starts.
  void* CreationParameter() { return this; }

  HWND window_ = nullptr;
};

}  // namespace host::win32
