// Recording stand-ins for the dialogs, the shell, the tray and the system, for native tests.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace host {

class MemoryDialogs : public Dialogs {
 public:
  enum class Kind { kNotice, kWarning, kError };
  struct Shown {
    Kind kind;
    std::string text;
  };

  std::vector<Shown> shown;
  std::deque<bool> answers;  // for AskWarning; No once they run out
  // Runs while a dialog is open, as the nested message loop would dispatch tray messages.
  std::function<void()> while_open;

  void Notice(const std::string& text) override { Show(Kind::kNotice, text); }
  bool AskWarning(const std::string& text) override {
    Show(Kind::kWarning, text);
    if (answers.empty()) return false;
    bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void ErrorReport(const std::string& text) override { Show(Kind::kError, text); }

  std::vector<std::string> Texts(Kind kind) const {
    std::vector<std::string> texts;
    for (const auto& s : shown)
      if (s.kind == kind) texts.push_back(s.text);
    return texts;
  }

 private:
  void Show(Kind kind, const std::string& text) {
    shown.push_back({kind, text});
    if (while_open) {
      auto during = while_open;  // a dialog opened meanwhile must not recurse into it
      while_open = nullptr;
      during();
      while_open = during;
    }
  }
};

class MemoryShell : public Shell {
 public:
  struct Call {
    WindowRef window;
    std::string target;
    int show;
  };
  std::vector<Call> calls;
  std::function<bool(const std::string&)> result = [](const std::string&) { return true; };

  bool Open(WindowRef window, const std::string& target, int show) override {
    calls.push_back({window, target, show});
    return result(target);
  }
};

// The tray and the system in one, as the tests see them: one desktop.
class MemoryDesktop : public Tray, public System {
 public:
  struct Popup {
    std::vector<std::string> captions;
    Point at;
  };

  WindowRef window = 0x4242;
  std::string executable = "C:\\Quenlox\\quenlox.exe";
  std::string windows_directory = "C:\\WINDOWS";  // empty: the call fails
  unsigned last_directory_size = 0;
  int tray_adds = 0;
  std::deque<bool> tray_add_results;  // what the next adds give; taken once they run out
  bool retry_timer = false;
  int tray_removes = 0;
  int foreground_calls = 0;
  bool closed = false;
  bool nt_family = true;
  int dns_flushes = 0;
  unsigned slept_ms = 0;
  Point cursor{700, 740};
  std::vector<Popup> popups;
  int choose = -1;  // the item the user picks in the next popup

  WindowRef MainWindow() override { return window; }
  std::string ExecutablePath() override { return executable; }
  std::string WindowsDirectory(unsigned buffer_size) override {
    last_directory_size = buffer_size;
    return windows_directory.size() < buffer_size ? windows_directory : "";
  }
  bool AddTrayIcon() override {
    ++tray_adds;
    if (tray_add_results.empty()) return true;
    bool taken = tray_add_results.front();
    tray_add_results.pop_front();
    return taken;
  }
  void RemoveTrayIcon() override { ++tray_removes; }
  void SetIconRetryTimer(bool on) override { retry_timer = on; }
  Point CursorPos() override { return cursor; }
  void SetForeground() override { ++foreground_calls; }
  int TrackPopup(const std::vector<std::string>& captions, Point at) override {
    popups.push_back({captions, at});
    int picked = choose;
    choose = -1;
    return picked;
  }
  void CloseMainWindow() override { closed = true; }
  void Sleep(unsigned milliseconds) override { slept_ms += milliseconds; }
  bool IsNtFamily() override { return nt_family; }
  void FlushDnsCache() override { ++dns_flushes; }
  bool CanElevate() override { return can_elevate; }
  Elevated RunElevated(const std::string& arguments, int* exit_code) override {
    elevated_runs.push_back(arguments);
    if (elevation != Elevated::kRan) return elevation;
    *exit_code = elevated(arguments);
    return Elevated::kRan;
  }

  bool can_elevate = false;
  Elevated elevation = Elevated::kRan;  // kDeclined: the user says No at the prompt
  std::function<int(const std::string&)> elevated = [](const std::string&) { return 1; };
  std::vector<std::string> elevated_runs;
};

}  // namespace host
