// A whole system in memory: registry, disk, dialogs, shell and desktop around one TForm1.
#pragma once

#include <gtest/gtest.h>

#include "app/Ufirst.h"
#include "resources/texts.h"
#include "tests/fakes/desktop_memory.h"
#include "tests/fakes/files_memory.h"
#include "tests/fakes/registry_memory.h"

namespace quenlox::testing {

constexpr char kMessengerKey[] = "SYSTEM\\CurrentControlSet\\Services\\Messenger";
constexpr char kZoneKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Zones\\3";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kNtHosts[] = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
constexpr char kNtHostsBackup[] = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts.sav";
constexpr char k9xHosts[] = "C:\\WINDOWS\\hosts";

class CountingOrdering : public OrderingWindows {
 public:
  int shown = 0;
  void ShowModal() override { ++shown; }
};

using Kind = host::MemoryDialogs::Kind;

struct World {
  host::MemoryRegistry registry;
  host::MemoryFiles files;
  host::MemoryDialogs dialogs;
  host::MemoryShell shell;
  host::MemoryDesktop desktop;
  CountingOrdering ordering;
  host::Host host{registry, files, dialogs, shell, desktop, desktop};
  TForm1 form{host, ordering};

  // An NT-family machine with nothing blocked.
  void TypicalNt() {
    registry.CreateKey(host::kHkeyLocalMachine, kRunKey);
    registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", 3);
    registry.SetDword(host::kHkeyCurrentUser, kZoneKey, "1400", 0);
    files.Put(kNtHosts, "127.0.0.1       localhost\r\n");
  }
  void Start() { form.FormCreate(); }
  std::uint32_t StartValue() const {
    return *registry.GetDword(host::kHkeyLocalMachine, kMessengerKey, "Start");
  }
  std::uint32_t Policy() const {
    return *registry.GetDword(host::kHkeyCurrentUser, kZoneKey, "1400");
  }
  std::vector<std::string> Notices() const { return dialogs.Texts(Kind::kNotice); }
  std::vector<std::string> Errors() const { return dialogs.Texts(Kind::kError); }
  // Clicks item `index` of the menu that `button` opens.
  void Click(long button, int index) {
    desktop.choose = index;
    form.TrayNotifyMessage(button);
  }
  std::string Caption(BlockKind kind) const {
    return form.PopupMenu1.Items[static_cast<int>(kind)]->Caption;
  }
};

}  // namespace quenlox::testing
