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

std::string Desktop::ExecutablePath() {
  // No fixed buffer: the path is read whole, however long.
  std::string path(MAX_PATH, '\0');
  while (true) {
    DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

unsigned Desktop::WindowsDirectory(char* buffer, unsigned size) {
  return GetWindowsDirectoryA(buffer, size);
}

void Desktop::AddTrayIcon() {
  if (!icon_) {
    // The module's own MAINICON, at the size the notification area draws.
    icon_.reset(static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0)));
  }
  NOTIFYICONDATAA record = TrayRecord(window_, icon_.get());
  Shell_NotifyIconA(NIM_ADD, &record);
}

void Desktop::RemoveTrayIcon() {
  NOTIFYICONDATAA record = TrayRemovalRecord(window_);
  Shell_NotifyIconA(NIM_DELETE, &record);
}

Point Desktop::CursorPos() {
  POINT at{0, 0};
  if (!GetCursorPos(&at)) return Point{};
  return Point{at.x, at.y};
}

void Desktop::SetForeground() { SetForegroundWindow(window_); }

int Desktop::TrackPopup(const std::vector<std::string>& captions, Point at) {
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

void Desktop::CloseMainWindow() { SendMessageA(window_, WM_CLOSE, 0, 0); }

void Desktop::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

bool Desktop::IsNtFamily() { return GetVersion() < 0x80000000u; }

void Desktop::FlushDnsCache() {
  // Looked up at run time: dnsapi.dll is not on every system.
  UniqueModule dns(LoadLibraryA("dnsapi.dll"));
  if (!dns) return;
  using Flush = BOOL(WINAPI*)();
  auto flush = reinterpret_cast<Flush>(
      reinterpret_cast<void*>(GetProcAddress(dns.get(), "DnsFlushResolverCache")));
  if (flush != nullptr) flush();
}

}  // namespace host::win32
