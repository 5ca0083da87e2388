// Test driver for the end-to-end scenarios: looks at the Wine desktop from another process, as
// far as the window system lets it, and prints what it sees. One command per run:
//   windows CLASS            top-level windows of CLASS: "hwnd pid visible left top right bottom
//                            client_x client_y"
//   dialogs                  every visible dialog with its caption, icon, texts, buttons and
//                            whether it holds the keyboard
//   menu-item INDEX COUNT    screen centre of item INDEX of the open COUNT-item menu: "x y"
//   tray-delete              takes Form1's icon out of the notification area, as a lost shell does
//   taskbar-created          broadcasts "TaskbarCreated", as a restarted shell does
//   tray-message COUNT EVENT [CLASS]
//                            sends COUNT tray messages to Form1 (or the window of CLASS), prints
//                            microseconds per message
//   startup EXE CLASS RUNS   starts EXE RUNS times, each time until the window of CLASS has its
//                            icon (id 0) in the notification area; prints the median milliseconds
//   toggle-and-kill ITEM MS  chooses item ITEM of Form1's left-click menu (posted tray message and
//                            keys), waits MS milliseconds and kills the program
//   exec EXE WORD...         runs EXE with the WORDs joined by blanks, unquoted (as NSIS wants
//                            "/D=C:\a b"), waits for it and prints its exit code
//   decoy CLASS TITLE        holds a hidden window of CLASS titled TITLE until it is ended, as
//                            another program built with the same tool does
//   soak ROUNDS              drives the program that counts its objects through ROUNDS equal
//                            rounds of tray messages, menus, toggles and ordering windows; prints
//                            "private_bytes held_objects" after the first round and after the last
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Found {
  const char* cls;
  std::vector<HWND> windows;
};

BOOL CALLBACK Collect(HWND window, LPARAM out) {
  auto* found = reinterpret_cast<Found*>(out);
  char cls[64] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpA(cls, found->cls) == 0 && IsWindowVisible(window)) found->windows.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevel(const char* cls, bool visible_only = true) {
  Found found{cls, {}};
  if (visible_only) {
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  } else {
    for (HWND w = FindWindowExA(nullptr, nullptr, cls, nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, cls, nullptr))
      found.windows.push_back(w);
  }
  return found.windows;
}

std::string Text(HWND window) {
  char text[2048] = {};
  // WM_GETTEXT reads another process's control; GetWindowText would not.
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  LONG style = GetWindowLongA(child, GWL_STYLE);
  if (lstrcmpiA(cls, "Button") == 0) {
    std::printf("BUTTON\t%s\n", Text(child).c_str());
  } else if (lstrcmpiA(cls, "Static") == 0) {
    if ((style & SS_TYPEMASK) == SS_ICON) {
      std::printf("ICON\t%d\n", SendMessageA(child, STM_GETICON, 0, 0) != 0 ? 1 : 0);
    } else if (!Text(child).empty()) {
      std::printf("STATIC\t%s\n", Text(child).c_str());
    }
  }
  return TRUE;
}

int Windows(const char* cls) {
  for (HWND w : TopLevel(cls, false)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    RECT r{};
    GetWindowRect(w, &r);
    POINT client{0, 0};
    ClientToScreen(w, &client);
    std::printf("%p %lu %d %ld %ld %ld %ld %ld %ld\n", static_cast<void*>(w), pid,
                IsWindowVisible(w) ? 1 : 0, r.left, r.top, r.right, r.bottom, client.x, client.y);
  }
  return 0;
}

// True when a key typed now reaches `dialog`: a dialog is listed as soon as it is visible, which
// can be before it is activated and its default button has the focus.
bool HoldsKeyboard(HWND dialog) {
  if (GetForegroundWindow() != dialog) return false;
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return false;
  return info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus);
}

int Dialogs() {
  for (HWND w : TopLevel("#32770")) {
    std::printf("DIALOG\t%p\t%s\n", static_cast<void*>(w), Text(w).c_str());
    EnumChildWindows(w, PrintChild, 0);
    std::printf("KEYS\t%d\n", HoldsKeyboard(w) ? 1 : 0);
  }
  return 0;
}

// Menu item strings and handles cannot be read from another process; the rows are equal.
int MenuItem(int index, int count) {
  std::vector<HWND> menus = TopLevel("#32768");
  if (menus.empty() || count <= 0) return 1;
  RECT w{};
  GetWindowRect(menus.front(), &w);
  int row = (w.bottom - w.top - 6) / count;
  std::printf("%ld %ld\n", (w.left + w.right) / 2, w.top + 3 + row * index + row / 2);
  return 0;
}

int TrayDelete() {
  std::vector<HWND> forms = TopLevel("TForm1", false);
  if (forms.empty()) return 1;
  for (HWND form : forms) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = form;
    record.uID = 0;
    Shell_NotifyIconA(NIM_DELETE, &record);
  }
  return 0;
}

int TaskbarCreated() {
  UINT message = RegisterWindowMessageA("TaskbarCreated");
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  return 0;
}

int TrayMessages(int count, LPARAM event, const char* cls) {
  std::vector<HWND> forms = TopLevel(cls, false);
  if (forms.empty()) return 1;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < count; ++i) SendMessageA(forms.front(), WM_USER + 10, 0, event);
  QueryPerformanceCounter(&end);
  double micros = 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
                  static_cast<double>(frequency.QuadPart) / count;
  std::printf("%.2f\n", micros);
  return 0;
}

// True when the shell holds an icon of `window`: modifying a missing icon fails.
bool HasTrayIcon(HWND window) {
  NOTIFYICONDATAA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = window;
  return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

int Startup(const char* exe, const char* cls, int runs) {
  std::vector<double> times;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < runs; ++i) {
    std::string line = std::string("\"") + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(exe, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
      return 1;
    HWND window = nullptr;
    const DWORD give_up = GetTickCount() + 30000;
    for (;;) {
      window = FindWindowA(cls, nullptr);
      if (window != nullptr && HasTrayIcon(window)) break;
      if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) return 1;
      if (GetTickCount() > give_up) {
        std::printf("no icon (window %p)\n", static_cast<void*>(window));
        TerminateProcess(process.hProcess, 1);
        return 1;
      }
      Sleep(1);
    }
    QueryPerformanceCounter(&now);
    times.push_back(1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    Shell_NotifyIconA(NIM_DELETE, &record);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  std::sort(times.begin(), times.end());
  std::printf("%.1f\n", times[times.size() / 2]);
  return 0;
}

HWND WaitForWindow(const char* cls, bool with_icon, DWORD timeout_ms) {
  const DWORD give_up = GetTickCount() + timeout_ms;
  while (GetTickCount() < give_up) {
    for (HWND window : TopLevel(cls, !with_icon)) {
      if (!with_icon || HasTrayIcon(window)) return window;
    }
    Sleep(5);
  }
  return nullptr;
}

int ToggleAndKill(int item, int delay_ms) {
  // A start on a busy machine can take most of a minute (see the start-up scenario's times).
  HWND form = WaitForWindow("TForm1", true, 60000);
  if (form == nullptr) return 3;
  DWORD pid = 0;
  GetWindowThreadProcessId(form, &pid);
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return 1;
  PostMessageA(form, WM_USER + 10, 0, WM_LBUTTONDOWN);
  HWND menu = WaitForWindow("#32768", false, 10000);
  int status = 4;
  if (menu != nullptr) {
    // The menu's own loop reads the keys posted to it; keys typed on the display may go astray.
    for (int i = 0; i <= item; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    Sleep(static_cast<DWORD>(delay_ms));
    status = 0;
  } else {
    Dialogs();  // what opened instead of the menu
  }
  TerminateProcess(process, 9);
  WaitForSingleObject(process, 10000);
  CloseHandle(process);
  return status;
}

// --- the soak ------------------------------------------------------------------------------

constexpr LPARAM kMouseMove = WM_MOUSEMOVE;

bool WaitGone(const char* cls, DWORD timeout_ms) {
  const DWORD give_up = GetTickCount() + timeout_ms;
  while (!TopLevel(cls).empty()) {
    if (GetTickCount() > give_up) return false;
    Sleep(5);
  }
  return true;
}

// Opens the menu of `button` and chooses item `item`, or closes it with Escape for -1.
bool UseMenu(HWND form, LPARAM button, int item) {
  PostMessageA(form, WM_USER + 10, 0, button);
  HWND menu = WaitForWindow("#32768", false, 10000);
  if (menu == nullptr) return false;
  if (item < 0) {
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  } else {
    for (int i = 0; i <= item; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  }
  return WaitGone("#32768", 10000);
}

// A sent message returns once the program has finished what it was doing.
void WaitIdle(HWND form) { SendMessageA(form, WM_USER + 10, 0, kMouseMove); }

bool AnswerNotice() {
  HWND notice = WaitForWindow("#32770", false, 10000);
  if (notice == nullptr) return false;
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  HWND target = GetGUIThreadInfo(GetWindowThreadProcessId(notice, nullptr), &info) &&
                        info.hwndFocus != nullptr
                    ? info.hwndFocus
                    : notice;
  PostMessageA(target, WM_KEYDOWN, VK_RETURN, 0);
  return WaitGone("#32770", 10000);
}

bool OrderingWindowAndReturn(HWND form) {
  constexpr int kBuyNow = 2;
  if (!UseMenu(form, WM_RBUTTONDOWN, kBuyNow)) return false;
  HWND ordering = WaitForWindow("TFrmordr1", false, 10000);
  if (ordering == nullptr) return false;
  HWND button = FindWindowExA(ordering, nullptr, "Button", "Return");
  if (button == nullptr) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return WaitGone("TFrmordr1", 10000);
}

// Each round: 2,000 tray messages, every hundredth a button press whose menu is closed again;
// 30 clicks of each block item, which block and unblock in turn, every block answered at its
// notice; and 5 ordering windows closed with "Return".
bool SoakRound(HWND form) {
  constexpr int kMessages = 2000;
  constexpr int kToggles = 30;
  constexpr int kOrderingWindows = 5;
  for (int i = 1; i <= kMessages; ++i) {
    if (i % 100 != 0) {
      SendMessageA(form, WM_USER + 10, 0, kMouseMove);
    } else if (!UseMenu(form, i % 200 == 0 ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, -1)) {
      return false;
    }
  }
  for (int item = 0; item < 3; ++item) {
    for (int i = 0; i < kToggles; ++i) {
      if (!UseMenu(form, WM_LBUTTONDOWN, item)) return false;
      if (i % 2 == 0 && !AnswerNotice()) return false;  // a block says so
      WaitIdle(form);
    }
  }
  for (int i = 0; i < kOrderingWindows; ++i) {
    if (!OrderingWindowAndReturn(form)) return false;
  }
  WaitIdle(form);
  return true;
}

bool Measure(HWND form, HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return false;
  DWORD_PTR held = 0;
  if (!SendMessageTimeoutA(form, RegisterWindowMessageA("QuenloxHeldObjects"), 0, 0,
                           SMTO_ABORTIFHUNG, 5000, &held))
    return false;
  std::printf("%lu %ld\n", static_cast<unsigned long>(counters.PagefileUsage),
              static_cast<long>(held));
  return true;
}

int Soak(int rounds) {
  HWND form = WaitForWindow("TForm1", true, 60000);
  if (form == nullptr || rounds < 1) return 3;
  DWORD pid = 0;
  GetWindowThreadProcessId(form, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (process == nullptr) return 1;
  int status = 0;
  for (int round = 1; round <= rounds && status == 0; ++round) {
    if (!SoakRound(form)) {
      std::fprintf(stderr, "round %d stopped\n", round);
      Dialogs();
      status = 4;
    } else if ((round == 1 || round == rounds) && !Measure(form, process)) {
      status = 5;
    }
  }
  CloseHandle(process);
  return status;
}

int Exec(int argc, char** argv) {
  std::string line = std::string("\"") + argv[2] + "\"";
  for (int i = 3; i < argc; ++i) line += std::string(" ") + argv[i];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(argv[2], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 1;
  DWORD code = 1;
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("%lu\n", code);
  return 0;
}

int Decoy(const char* cls, const char* title) {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = cls;
  if (!RegisterClassA(&window_class)) return 1;
  if (!CreateWindowExA(0, cls, title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                       window_class.hInstance, nullptr))
    return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string command = argv[1];
  int status = 2;
  if (command == "windows" && argc == 3) status = Windows(argv[2]);
  if (command == "dialogs") status = Dialogs();
  if (command == "menu-item" && argc == 4)
    status = MenuItem(std::atoi(argv[2]), std::atoi(argv[3]));
  if (command == "tray-delete") status = TrayDelete();
  if (command == "taskbar-created") status = TaskbarCreated();
  if (command == "tray-message" && argc == 4)
    status = TrayMessages(std::atoi(argv[2]), std::atol(argv[3]), "TForm1");
  if (command == "tray-message" && argc == 5)
    status = TrayMessages(std::atoi(argv[2]), std::atol(argv[3]), argv[4]);
  if (command == "startup" && argc == 5) status = Startup(argv[2], argv[3], std::atoi(argv[4]));
  if (command == "toggle-and-kill" && argc == 4)
    status = ToggleAndKill(std::atoi(argv[2]), std::atoi(argv[3]));
  if (command == "exec" && argc >= 3) status = Exec(argc, argv);
  if (command == "decoy" && argc == 4) status = Decoy(argv[2], argv[3]);
  if (command == "soak" && argc == 3) status = Soak(std::atoi(argv[2]));
  std::fflush(stdout);
  return status;
}
