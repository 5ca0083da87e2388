// Finds a dialog of this process from a helper thread, reads what it shows and answers it with a
// key, as a user would; the dialog itself runs its modal loop on the test's thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quenlox::testing {

struct SeenDialog {
  bool found = false;
  std::string caption;
  std::vector<std::string> statics;  // texts of the static controls
  std::vector<std::string> buttons;  // texts of the push buttons
  bool has_icon = false;
  RECT rect{};
  std::string focused_button;
};

inline BOOL CALLBACK CollectChild(HWND child, LPARAM out) {
  auto* seen = reinterpret_cast<SeenDialog*>(out);
  char cls[64] = {};
  char text[1024] = {};
  GetClassNameA(child, cls, sizeof cls);
  GetWindowTextA(child, text, sizeof text);
  LONG style = GetWindowLongA(child, GWL_STYLE);
  if (lstrcmpiA(cls, "Button") == 0) {
    seen->buttons.push_back(text);
  } else if (lstrcmpiA(cls, "Static") == 0) {
    if ((style & SS_TYPEMASK) == SS_ICON) {
      seen->has_icon = seen->has_icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
    } else if (text[0] != '\0') {
      seen->statics.push_back(text);
    }
  }
  return TRUE;
}

struct DialogSearch {
  DWORD process;
  HWND found;
};

inline BOOL CALLBACK FindOurDialog(HWND window, LPARAM out) {
  auto* search = reinterpret_cast<DialogSearch*>(out);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  if (pid == search->process && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// Waits up to two seconds for the dialog, reads it and posts `key` to it.
inline SeenDialog ReadAndAnswer(UINT key) {
  SeenDialog seen;
  DialogSearch search{GetCurrentProcessId(), nullptr};
  for (int i = 0; i < 200 && search.found == nullptr; ++i) {
    Sleep(10);
    EnumWindows(FindOurDialog, reinterpret_cast<LPARAM>(&search));
  }
  if (search.found == nullptr) return seen;
  Sleep(50);  // let WM_INITDIALOG finish
  HWND dialog = search.found;
  seen.found = true;
  char caption[256] = {};
  GetWindowTextA(dialog, caption, sizeof caption);
  seen.caption = caption;
  GetWindowRect(dialog, &seen.rect);
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&seen));
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus) {
    char text[128] = {};
    GetWindowTextA(info.hwndFocus, text, sizeof text);
    seen.focused_button = text;
  }
  HWND target = info.hwndFocus != nullptr ? info.hwndFocus : dialog;
  if (key == WM_CLOSE) {
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  } else {
    PostMessageA(target, WM_KEYDOWN, key, 0);
    PostMessageA(target, WM_KEYUP, key, 0xC0000000);
  }
  return seen;
}

// Runs `show` on this thread while a helper answers the dialog it opens. A Win32 thread: the
// win32 threading model of this compiler has no std::thread.
inline SeenDialog WhileShown(UINT key, const std::function<void()>& show) {
  struct Answer {
    UINT key;
    SeenDialog seen;
  } answer{key, {}};
  auto run = [](void* parameter) -> DWORD {
    auto* job = static_cast<Answer*>(parameter);
    job->seen = ReadAndAnswer(job->key);
    return 0;
  };
  // Without a helper nobody would answer: nothing is shown, and the test sees no dialog.
  HANDLE helper = CreateThread(nullptr, 0, run, &answer, 0, nullptr);
  if (helper == nullptr) return answer.seen;
  show();
  WaitForSingleObject(helper, INFINITE);
  CloseHandle(helper);
  return answer.seen;
}

}  // namespace quenlox::testing
