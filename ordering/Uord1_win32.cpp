#include "ordering/Uord1_win32.h"

#include "platform/error_report.h"

namespace quenlox {

namespace {

constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;

bool RegisterOnce(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kOrderingWindow.class_name, &existing)) return true;
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hIcon = LoadIconA(instance, "MAINICON");
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  window_class.lpszClassName = kOrderingWindow.class_name;
  return RegisterClassA(&window_class) != 0;
}

// Disables the program's other visible windows while one modal window runs, as a modal form does.
struct DisabledWindows {
  HWND keep;
  std::vector<HWND> windows;
  static BOOL CALLBACK Collect(HWND window, LPARAM self) {
    auto* list = reinterpret_cast<DisabledWindows*>(self);
    if (window != list->keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
      list->windows.push_back(window);
    }
    return TRUE;
  }
  explicit DisabledWindows(HWND kept) : keep(kept) {
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(this));
    for (HWND window : windows) EnableWindow(window, FALSE);
  }
  ~DisabledWindows() {
    for (HWND window : windows)
      if (IsWindow(window)) EnableWindow(window, TRUE);
  }
};

HFONT CreateLayoutFont(const FontSpec& font_spec) {
  // Negative: the character height, which is what the layout gives in pixels.
  return CreateFontA(-font_spec.height, 0, 0, 0, FW_NORMAL, font_spec.italic, font_spec.underline,
                     FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font_spec.face);
}

}  // namespace

OrderingWindow::OrderingWindow(host::Host& host, HWND owner)
    : host_(host), owner_(owner), form_(host, frame_) {}

OrderingWindow::~OrderingWindow() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

HFONT OrderingWindow::FontFor(const FontSpec& font_spec) {
  HFONT font = CreateLayoutFont(font_spec);
  if (font == nullptr) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace_back(font);
  return font;
}

bool OrderingWindow::Create() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterOnce(instance, Procedure)) return false;
  background_.reset(CreateSolidBrush(kOrderingWindow.background));
  default_font_.reset(CreateLayoutFont(kOrderingWindow.font));
  int left = (GetSystemMetrics(SM_CXSCREEN) - kOrderingWindow.width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - kOrderingWindow.height) / 2;
  window_ = CreateWindowExA(0, kOrderingWindow.class_name, kOrderingWindow.caption, kWindowStyle,
                            left, top, kOrderingWindow.width, kOrderingWindow.height, owner_,
                            nullptr, instance, CreationParameter());
  if (window_ == nullptr) return false;
  for (const ControlSpec& row : kOrderingControls) {
    if (!CreateControl(row)) return false;
  }
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  // The keyboard starts on the one control that takes it, "Return".
  SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
  return true;
}

bool OrderingWindow::CreateControl(const ControlSpec& row) {
  HFONT font = FontFor(row.font);
  int width = row.width;
  int height = row.height;
  if (!row.wraps && !row.button) {
    HDC dc = GetDC(window_);
    if (dc == nullptr) return false;
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{0, 0};
    BOOL measured = GetTextExtentPoint32A(dc, row.text, lstrlenA(row.text), &extent);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    if (!measured) return false;
    if (width == 0 && height == 0) {
      // Sized to the text on one line, as an auto-sized label is.
      width = extent.cx;
      height = extent.cy;
    } else if (extent.cx > width) {
      // A one-line label never cuts its text off (a long order address would lose its end).
      width = extent.cx;
    }
  }
  DWORD style = WS_CHILD | WS_VISIBLE;
  const char* window_class = "STATIC";
  if (row.button) {
    style |= BS_PUSHBUTTON | WS_TABSTOP;
    window_class = "BUTTON";
  } else {
    style |= SS_NOTIFY | SS_NOPREFIX | (row.wraps ? SS_LEFT : SS_LEFTNOWORDWRAP);
  }
  HWND control =
      CreateWindowExA(0, window_class, row.text, style, row.left, row.top, width, height, window_,
                      reinterpret_cast<HMENU>(row.id), GetModuleHandleA(nullptr), nullptr);
  if (control == nullptr) return false;
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  controls_.emplace_back(control, &row);
  return true;
}

const ControlSpec* OrderingWindow::SpecOf(HWND control) const {
  for (const auto& entry : controls_)
    if (entry.first == control) return entry.second;
  return nullptr;
}

void OrderingWindow::RunModal() {
  DisabledWindows others(window_);
  MSG message;
  while (window_ != nullptr) {
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The program is ending: this loop ends and the outer loops see the quit too.
      if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    // Tab, the arrow keys and Space reach the controls as in a dialog. Escape becomes the
    // command IDCANCEL, which no control has, so it does not close the window.
    if (IsDialogMessageA(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void OrderingWindow::Close() {
  if (window_ != nullptr) SendMessageA(window_, WM_CLOSE, 0, 0);
}

LRESULT OrderingWindow::Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wparam);
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_SETCURSOR:
      return OnSetCursor(reinterpret_cast<HWND>(wparam), lparam);
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(default_font_.get());
    case WM_DESTROY:
      return OnDestroy();
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
}

LRESULT OrderingWindow::OnCommand(WPARAM wparam) {
  HWND control = GetDlgItem(window_, LOWORD(wparam));
  const ControlSpec* row = SpecOf(control);
  if (row == nullptr) return 0;
  WORD code = HIWORD(wparam);
  if (code != (row->button ? BN_CLICKED : STN_CLICKED)) return 0;
  RunGuarded(host_.dialogs, [&] {
    switch (row->click) {
      case OrderingClick::kLabel2:
        form_.Label2Click();
        break;
      case OrderingClick::kLabel3:
        form_.Label3Click();
        break;
      case OrderingClick::kLabel9:
        form_.Label9Click();
        break;
      case OrderingClick::kButton1:
        form_.Button1Click();
        break;
      case OrderingClick::kNone:
        break;
    }
  });
  return 0;
}

LRESULT OrderingWindow::OnCtlColorStatic(HDC dc, HWND control) {
  const ControlSpec* row = SpecOf(control);
  SetTextColor(dc, row != nullptr ? row->color : kBlack);
  SetBkColor(dc, kOrderingWindow.background);
  return reinterpret_cast<LRESULT>(background_.get());
}

LRESULT OrderingWindow::OnSetCursor(HWND control, LPARAM lparam) {
  const ControlSpec* row = SpecOf(control);
  if (row != nullptr && row->hand_cursor && LOWORD(lparam) == HTCLIENT) {
    // IDC_HAND is missing before Windows 2000 and 98.
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    SetCursor(hand != nullptr ? hand : LoadCursorA(nullptr, IDC_ARROW));
    return TRUE;
  }
  return DefWindowProcA(window_, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), lparam);
}

LRESULT OrderingWindow::OnDestroy() {
  window_ = nullptr;
  controls_.clear();
  return 0;
}

void OrderingWindowsWin32::ShowModal() {
  OrderingWindow window(host_, owner_);
  if (!window.Create()) return;
  window.RunModal();
}

}  // namespace quenlox
