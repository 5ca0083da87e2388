#include <cstring>

#include "platform/win32_host.h"
#include "resources/texts.h"

namespace host::win32 {

namespace {

// The first shell version's record, understood by every shell: 88 bytes in the 32-bit program
// (a 64-bit build, used only as a test vehicle, has wider handles).
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAA_V1_SIZE;
static_assert(sizeof(void*) != 4 || kTrayRecordSize == 88, "the tray record is 88 bytes");
constexpr UINT kTrayIconId = 0;
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

}  // namespace

NOTIFYICONDATAA TrayRecord(HWND window, HICON icon) {
  NOTIFYICONDATAA record = TrayRemovalRecord(window);
  record.uFlags = kTrayFlags;
  record.uCallbackMessage = kTrayNotifyMessage;
  record.hIcon = icon;
  // The first shell version reads a 64-byte tip.
  lstrcpynA(record.szTip, quenlox::texts::kTrayTip, 64);
  return record;
}

NOTIFYICONDATAA TrayRemovalRecord(HWND window) {
  NOTIFYICONDATAA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = kTrayRecordSize;
  record.hWnd = window;
  record.uID = kTrayIconId;
  return record;
}

bool Tray::AddTrayIcon() {
  if (!icon_) {
    // The module's own MAINICON, at the size the notification area draws.
    icon_.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0)));
  }
  NOTIFYICONDATAA record = TrayRecord(window_, icon_.get());
  return Shell_NotifyIconA(NIM_ADD, &record) != FALSE;
}

void Tray::RemoveTrayIcon() {
  NOTIFYICONDATAA record = TrayRemovalRecord(window_);
  Shell_NotifyIconA(NIM_DELETE, &record);
}

void Tray::SetIconRetryTimer(bool on) {
  if (on) {
    SetTimer(window_, kIconRetryTimer, kIconRetryMs, nullptr);
  } else {
    KillTimer(window_, kIconRetryTimer);
  }
}

Point Tray::CursorPos() {
  POINT at{0, 0};
  if (!GetCursorPos(&at)) return Point{};
  return Point{at.x, at.y};
}

void Tray::SetForeground() { SetForegroundWindow(window_); }

int Tray::TrackPopup(const std::vector<std::string>& captions, Point at) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return -1;
  for (std::size_t i = 0; i < captions.size(); ++i) {
    if (!AppendMenuA(menu.get(), MF_STRING, i + 1, captions[i].c_str())) return -1;
  }
  UINT flags = TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY;
  int chosen = TrackPopupMenu(menu.get(), flags, at.x, at.y, 0, window_, nullptr);
  // Without it the menu of a background window does not close when the user clicks elsewhere.
  PostMessageA(window_, WM_NULL, 0, 0);
  return chosen - 1;
}

void Tray::CloseMainWindow() { SendMessageA(window_, WM_CLOSE, 0, 0); }

}  // namespace host::win32
