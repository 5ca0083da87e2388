#include "app/form1_win32.h"

#include "platform/error_report.h"
#include "resources/texts.h"

namespace quenlox {

bool Form1Window::Create(HINSTANCE instance) {
  // Explorer broadcasts it when the notification area is rebuilt and every icon is gone.
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = Procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  if (!RegisterClassA(&window_class)) return false;
  // A top-level window, not a message-only one: those never see broadcasts.
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, texts::kAppTitle, WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, CreationParameter());
  return window_ != nullptr;
}

LRESULT Form1Window::Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (taskbar_created_ != 0 && message == taskbar_created_) return OnTaskbarCreated();
  switch (message) {
    case host::kTrayNotifyMessage:
      return OnTrayNotify(lparam);
    case WM_DESTROY:
      return OnDestroy();
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

LRESULT Form1Window::OnTrayNotify(LPARAM mouse_event) {
  RunGuarded(dialogs_, [&] { form_.TrayNotifyMessage(static_cast<long>(mouse_event)); });
  return 0;
}

LRESULT Form1Window::OnTaskbarCreated() {
  RunGuarded(dialogs_, [&] { form_.TaskbarCreated(); });
  return 0;
}

LRESULT Form1Window::OnDestroy() {
  // Form1 is the main window: its end is the end of the message loop and of every modal one.
  PostQuitMessage(0);
  return 0;
}

}  // namespace quenlox
