// TForm1: the hidden main window's behaviour. It owns both popup menus, whose block captions are
// the program's whole state, and has one method per event.
#pragma once

#include <string>
#include <vector>

#include "blocking/captions.h"
#include "blocking/hosts_file.h"
#include "ordering/Uord1.h"
#include "platform/host.h"

namespace quenlox {

class TForm1;

struct TMenuItem {
  const char* Name;
  std::string Caption;
  void (TForm1::*OnClick)();
};

struct TPopupMenu {
  std::vector<TMenuItem*> Items;
};

class TForm1 {
 public:
  static constexpr long kTrayNotifyMessage = host::kTrayNotifyMessage;
  static constexpr long kMouseMove = host::kMouseMove;
  static constexpr long kLeftButtonDown = host::kLeftButtonDown;
  static constexpr long kRightButtonDown = host::kRightButtonDown;

  TForm1(host::Host& host, OrderingWindows& ordering);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  void FormCreate();
  void TrayNotifyMessage(long mouse_event);
  void TaskbarCreated();
  // The retry timer's tick: the icon wanted but not yet taken is tried again.
  void IconRetryTimer();

  void RefreshBlockCaptions();
  void SetBlockCaption(BlockKind kind, const std::string& text);

  void BlockWindowPopClick();
  void BlockInLineClick();
  void BlockBrowserPopClick();
  void HelpFAQ1Click();
  void DisableMurmurClerk1Click();
  void MoreSoftwareDownloads1Click();
  void HowToOrder1Click();

  std::string InstallFolder;
  std::string WindowsFolder;
  std::string HostsFile;
  std::string HostsBackupFile;

  TMenuItem BlockWindowPop;
  TMenuItem BlockInLine;
  TMenuItem BlockBrowserPop;
  TMenuItem HelpFAQ1;
  TMenuItem DisableMurmurClerk1;
  TMenuItem MoreSoftwareDownloads1;
  TMenuItem HowToOrder1;
  TPopupMenu PopupMenu1;
  TPopupMenu PopupMenu2;

 private:
  void RegisterAutoRun(const std::string& path);
  void RefreshInLineCaption();
  TMenuItem& BlockItem(BlockKind kind);
  void Popup(const TPopupMenu& menu, host::Point at);

  host::Host& host_;
  OrderingWindows& ordering_;
  bool hosts_want_loopback_ = false;  // the 9x family's hosts file
  void ShowTrayIcon();

  // Wanted from start-up until "Disable"; shown once the notification area took it.
  bool tray_icon_wanted_ = false;
  bool tray_icon_shown_ = false;
  // A dialog of the refresh is open: the tray messages of its nested loop open no second one.
  bool file_notice_open_ = false;
  bool refresh_error_open_ = false;
};

}  // namespace quenlox
