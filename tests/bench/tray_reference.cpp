// The tray-message reference: an empty window ("QuenloxBenchReference") whose tray message does
// exactly what the program must do on every one and nothing else: the cursor position, its own
// window to the foreground, each of the two keys opened for full access, asked whether the value
// exists, read and closed, the hosts file named on the command line opened, its first piece read
// and closed, and the three captions written into the menu's model.
#include <windows.h>

#include <string>

namespace {

constexpr char kClass[] = "QuenloxBenchReference";
constexpr UINT kTrayMessage = WM_USER + 10;
constexpr char kMessengerKey[] = "SYSTEM\\CurrentControlSet\\Services\\Messenger";
constexpr char kZoneKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";

std::string g_hosts;
std::string g_captions[3];  // the menu's model

DWORD QueryDword(HKEY root, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  DWORD value = 0, size = 0, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    size = sizeof value;
    RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  }
  RegCloseKey(key);
  return value;
}

void RequiredCalls(HWND window) {
  POINT at;
  GetCursorPos(&at);
  SetForegroundWindow(window);
  const DWORD start = QueryDword(HKEY_LOCAL_MACHINE, kMessengerKey, "Start");
  const DWORD policy = QueryDword(HKEY_CURRENT_USER, kZoneKey, "1400");
  bool marker = false;
  HANDLE file = CreateFileA(g_hosts.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char buffer[4096];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    marker = std::string(buffer, read).find("Quenlox") != std::string::npos;
    CloseHandle(file);
  }
  g_captions[0] =
      start == 4 ? "Un-Block Window Popup Spam (Currently Blocked)" : "Block Window Popup Spam";
  g_captions[2] =
      policy == 3 ? "Un-Block Browser Popups (Currently Blocked)" : "Block Browser Popups";
  g_captions[1] =
      marker ? "Un-Block In-Line Browser Ads (Currently Blocked)" : "Block In-Line Browser Ads";
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kTrayMessage) {
    RequiredCalls(window);
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
