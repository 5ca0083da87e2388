#include "app/Ufirst.h"

#include "blocking/hosts_file.h"
#include "blocking/probes.h"
#include "blocking/system_paths.h"
#include "blocking/toggles.h"
#include "ordering/help_pages.h"
#include "platform/error_report.h"
#include "platform/registry.h"
#include "resources/texts.h"

namespace quenlox {

namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Clears a flag when the dialog it guards has closed, however it closed.
class FlagWhileOpen {
 public:
  explicit FlagWhileOpen(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagWhileOpen() { flag_ = false; }
  FlagWhileOpen(const FlagWhileOpen&) = delete;
  FlagWhileOpen& operator=(const FlagWhileOpen&) = delete;

 private:
  bool& flag_;
};

}  // namespace

TForm1::TForm1(host::Host& host, OrderingWindows& ordering)
    : BlockWindowPop{"BlockWindowPop", texts::kBlockWindowPopDesigned,
                     &TForm1::BlockWindowPopClick},
      BlockInLine{"BlockInLine", texts::kBlockInLineDesigned, &TForm1::BlockInLineClick},
      BlockBrowserPop{"BlockBrowserPop", texts::kBlockBrowserPopDesigned,
                      &TForm1::BlockBrowserPopClick},
      HelpFAQ1{"HelpFAQ1", texts::kHelpFAQ, &TForm1::HelpFAQ1Click},
      DisableMurmurClerk1{"DisableMurmurClerk1", texts::kDisable,
                          &TForm1::DisableMurmurClerk1Click},
      MoreSoftwareDownloads1{"MoreSoftwareDownloads1", texts::kMoreSoftwareDownloads,
                             &TForm1::MoreSoftwareDownloads1Click},
      HowToOrder1{"HowToOrder1", texts::kHowToOrder, &TForm1::HowToOrder1Click},
      PopupMenu1{{&BlockWindowPop, &BlockInLine, &BlockBrowserPop, &HelpFAQ1}},
      PopupMenu2{{&DisableMurmurClerk1, &MoreSoftwareDownloads1, &HowToOrder1}},
      host_(host),
      ordering_(ordering) {}

void TForm1::FormCreate() {
  const std::string executable = host_.system.ExecutablePath();
  InstallFolder = executable.substr(0, executable.rfind('\\') + 1);
  // A failed write is reported, and start-up still goes on to put up the icon.
  RunGuarded(host_.dialogs, [&] { RegisterAutoRun(executable); });
  WindowsFolder = LocateWindowsFolder(host_.system);
  const HostsPaths hosts = LocateHostsFile(host_.files, WindowsFolder);
  HostsFile = hosts.hosts;
  HostsBackupFile = hosts.backup;
  hosts_want_loopback_ = hosts.loopback;
  tray_icon_wanted_ = true;
  ShowTrayIcon();
}

void TForm1::ShowTrayIcon() {
  tray_icon_shown_ = host_.tray.AddTrayIcon();
  // At logon the notification area may not be ready yet: the timer tries again until it is.
  host_.tray.SetIconRetryTimer(!tray_icon_shown_);
}

void TForm1::IconRetryTimer() {
  if (tray_icon_wanted_ && !tray_icon_shown_) {
    ShowTrayIcon();
  } else {
    host_.tray.SetIconRetryTimer(false);
  }
}

void TForm1::RegisterAutoRun(const std::string& path) {
  TRegistry registry(host_.registry);
  registry.SetRootKey(host::kHkeyLocalMachine);
  if (!registry.OpenKey(kRunKey)) return;
  // Unquoted, a path with blanks would let a planted "C:\Program.exe" run at logon.
  bool quote = path.find(' ') != std::string::npos;
  registry.WriteString(texts::kProductWord, quote ? "\"" + path + "\"" : path);
  registry.CloseKey();
}

void TForm1::TaskbarCreated() {
  // The rebuilt notification area has lost the icon; one left over is replaced, not doubled.
  if (!tray_icon_wanted_) return;
  host_.tray.RemoveTrayIcon();
  ShowTrayIcon();
}

void TForm1::TrayNotifyMessage(long mouse_event) {
  const host::Point at = host_.tray.CursorPos();
  host_.tray.SetForeground();
  try {
    RefreshBlockCaptions();
  } catch (const std::exception& error) {
    if (refresh_error_open_) return;
    FlagWhileOpen open(refresh_error_open_);
    ShowErrorReport(host_.dialogs, error.what());
    return;
  }
  if (mouse_event == kRightButtonDown) {
    Popup(PopupMenu2, at);
  } else if (mouse_event == kLeftButtonDown) {
    Popup(PopupMenu1, at);
  }
}

void TForm1::Popup(const TPopupMenu& menu, host::Point at) {
  std::vector<std::string> captions;
  for (const TMenuItem* item : menu.Items) captions.push_back(item->Caption);
  int chosen = host_.tray.TrackPopup(captions, at);
  if (chosen < 0 || chosen >= static_cast<int>(menu.Items.size())) return;
  (this->*menu.Items[chosen]->OnClick)();
}

TMenuItem& TForm1::BlockItem(BlockKind kind) {
  switch (kind) {
    case BlockKind::kWindowPop:
      return BlockWindowPop;
    case BlockKind::kInLine:
      return BlockInLine;
    case BlockKind::kBrowserPop:
      break;
  }
  return BlockBrowserPop;
}

void TForm1::SetBlockCaption(BlockKind kind, const std::string& text) {
  BlockItem(kind).Caption = text;
}

void TForm1::RefreshBlockCaptions() {
  {
    TRegistry registry(host_.registry);
    SetBlockCaption(
        BlockKind::kWindowPop,
        BlockCaption(BlockKind::kWindowPop, ProbeRegistryBlock(registry, kWindowPopBlock)));
    SetBlockCaption(
        BlockKind::kBrowserPop,
        BlockCaption(BlockKind::kBrowserPop, ProbeRegistryBlock(registry, kBrowserPopBlock)));
  }
  RefreshInLineCaption();
}

void TForm1::RefreshInLineCaption() {
  if (HostsFile.empty()) {
    SetBlockCaption(BlockKind::kInLine, texts::kInLineNotApplicable);
    return;
  }
  HostsProbe probe = ProbeHostsFile(host_.files, HostsFile);
  if (probe.failed && !file_notice_open_) {
    FlagWhileOpen open(file_notice_open_);
    host_.dialogs.Notice(texts::kFileAccessProblem);
  }
  SetBlockCaption(BlockKind::kInLine,
                  BlockCaption(BlockKind::kInLine,
                               probe.marker ? BlockState::kBlocked : BlockState::kNotBlocked));
}

void TForm1::BlockWindowPopClick() {
  ToggleRegistryBlock(host_, kWindowPopBlock, BlockWindowPop.Caption);
}

void TForm1::BlockBrowserPopClick() {
  ToggleRegistryBlock(host_, kBrowserPopBlock, BlockBrowserPop.Caption);
}

void TForm1::BlockInLineClick() {
  const HostsPaths hosts{HostsFile, HostsBackupFile, hosts_want_loopback_};
  ToggleInLineBlock(host_, hosts, BlockInLine.Caption);
}

void TForm1::DisableMurmurClerk1Click() {
  if (!host_.dialogs.AskWarning(texts::kDisableQuestion)) return;
  SetBlockCaption(BlockKind::kWindowPop, texts::kWindowPopBlocked);
  SetBlockCaption(BlockKind::kInLine, texts::kInLineBlocked);
  SetBlockCaption(BlockKind::kBrowserPop, texts::kBrowserPopBlocked);
  BlockWindowPopClick();
  // A tray message handled during a notice above may have re-probed the captions.
  SetBlockCaption(BlockKind::kBrowserPop, texts::kBrowserPopBlocked);
  BlockBrowserPopClick();
  host_.tray.RemoveTrayIcon();
  tray_icon_wanted_ = false;
  tray_icon_shown_ = false;
  host_.tray.SetIconRetryTimer(false);
  host_.tray.CloseMainWindow();
}

void TForm1::HelpFAQ1Click() {
  OpenLocalPage(host_, InstallFolder + "\\index.html", texts::kHelpNoBrowser);
}

void TForm1::MoreSoftwareDownloads1Click() {
  OpenLocalPage(host_, InstallFolder + "\\download.html", texts::kDownloadsNoBrowser);
}

void TForm1::HowToOrder1Click() { ordering_.ShowModal(); }

}  // namespace quenlox
