#include "app/form1_win32.h"

#include "platform/error_report.h"
#include "platform/optional_calls_win32.h"
#include "resources/texts.h"

namespace quenlox {

bool Form1Window::Create(HINSTANCE instance) {
  // Explorer broadcasts it when the notification area is rebuilt and every icon is gone.
  taskbar_created_ = RegisterWindowMessageA("TaskbarCreated");
  if (host::win32::kCountHeldObjects) held_objects_ = RegisterWindowMessageA(kHeldObjectsMessage);
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = Procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  if (!RegisterClassA(&window_class)) return false;
  // A top-level window, not a message-only one: those never see broadcasts.
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, texts::kAppTitle, WS_POPUP, 0, 0, 0, 0,
                            nullptr, nullptr, instance, CreationParameter());
  if (window_ == nullptr) return false;
  AllowTaskbarCreated();
  return true;
}

void Form1Window::AllowTaskbarCreated() {
  // Since Vista the system drops registered messages to a process with more rights than the
  // shell unless they are let through; older systems have neither call, so both are looked up.
  if (taskbar_created_ == 0) return;
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for the older call
  const host::win32::OptionalCalls& calls = host::win32::Optional();
  if (calls.ChangeWindowMessageFilterEx) {
    calls.ChangeWindowMessageFilterEx(window_, taskbar_created_, kAllow, nullptr);
  } else if (calls.ChangeWindowMessageFilter) {
    calls.ChangeWindowMessageFilter(taskbar_created_, kAllow);
  }
}

LRESULT Form1Window::Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (taskbar_created_ != 0 && message == taskbar_created_) return OnTaskbarCreated();
  if (held_objects_ != 0 && message == held_objects_) return OnHeldObjects();
  switch (message) {
    case host::kTrayNotifyMessage:
      return OnTrayNotify(lparam);
    case WM_TIMER:
      return OnTimer(wparam);
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

LRESULT Form1Window::OnTimer(WPARAM timer) {
  if (timer == host::win32::kIconRetryTimer) RunGuarded(dialogs_, [&] { form_.IconRetryTimer(); });
  return 0;
}

LRESULT Form1Window::OnHeldObjects() { return host::win32::HeldObjects(); }

LRESULT Form1Window::OnDestroy() {
  // Form1 is the main window: its end is the end of the message loop and of every modal one.
  PostQuitMessage(0);
  return 0;
}

}  // namespace quenlox
