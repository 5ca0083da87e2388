// The tray-message reference: an empty window ("QuenloxBenchReference") whose tray message does
// only the system calls a probe cannot avoid: two key opens with their value queries and closes,
// and one open, read and close of the hosts file named on the command line.
#include <windows.h>

#include <string>

namespace {

constexpr char kClass[] = "QuenloxBenchReference";
constexpr UINT kTrayMessage = WM_USER + 10;
constexpr char kMessengerKey[] = "SYSTEM\\CurrentControlSet\\Services\\Messenger";
constexpr char kZoneKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

std::string g_hosts;

void QueryDword(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD value = 0, size = sizeof value, type = 0;
  RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
}

void UnavoidableProbeCalls() {
  QueryDword(HKEY_LOCAL_MACHINE, kMessengerKey, "Start");
  QueryDword(HKEY_CURRENT_USER, kZoneKey, "1400");
  HANDLE file = CreateFileA(g_hosts.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char buffer[4096];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kTrayMessage) {
    UnavoidableProbeCalls();
    return 0;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
  g_hosts = command_line;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = kClass;
  if (!RegisterClassA(&wc)) return 1;
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, kClass, WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
