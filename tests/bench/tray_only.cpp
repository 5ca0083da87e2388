// The start-up reference: an empty Windows program that only puts an icon in the notification
// area, built and linked like quenlox.exe.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr char kClass[] = "QuenloxBenchTrayOnly";

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = kClass;
  if (!RegisterClassA(&wc)) return 1;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, kClass, WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  NOTIFYICONDATAA record = {};
  record.cbSize = sizeof record;
  record.hWnd = window;
  record.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  record.uCallbackMessage = WM_USER + 10;
  record.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  lstrcpyA(record.szTip, kClass);
  if (!Shell_NotifyIconA(NIM_ADD, &record)) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
