#include "platform/window_binding_win32.h"

namespace host::win32 {

LRESULT CALLBACK WindowBinding::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<WindowBinding*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<WindowBinding*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wparam, lparam);
  try {
    return self->Dispatch(window, message, wparam, lparam);
  } catch (...) {
    return 0;  // the handlers are guarded already; nothing may unwind into the system's code
  }
}

}  // namespace host::win32
