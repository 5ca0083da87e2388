// The window class "TFrmordr1", built from the layout table (Windows build only).
#pragma once

#include <windows.h>

#include <vector>

#include "ordering/Uord1.h"
#include "platform/win32_handles.h"
#include "platform/window_binding_win32.h"
#include "resources/ordering_layout.h"

namespace quenlox {

class OrderingWindow final : public host::win32::WindowBinding {
 public:
  OrderingWindow(host::Host& host, HWND owner);
  ~OrderingWindow();

  // Creates the window and its controls, shown; false when the system refused.
  bool Create();
  // Runs the window's own modal loop until it is closed or the program ends.
  void RunModal();
  host::WindowRef Handle() { return reinterpret_cast<host::WindowRef>(window_); }
  void Close();
  HWND Window() const { return window_; }

 private:
  // The window as TFrmordr1 sees it. A member, not a second base: one base keeps the
  // executable free of the runtime's support for multiple inheritance.
  class Frame : public FormWindow {
   public:
    explicit Frame(OrderingWindow& window) : window_(window) {}
    host::WindowRef Handle() override { return window_.Handle(); }
    void Close() override { window_.Close(); }

   private:
    OrderingWindow& window_;
  };

  LRESULT Dispatch(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  LRESULT OnCommand(WPARAM wparam);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  LRESULT OnSetCursor(HWND control, LPARAM lparam);
  LRESULT OnDestroy();
  bool CreateControl(const ControlSpec& row);
  HFONT FontFor(const FontSpec& font);
  const ControlSpec* SpecOf(HWND control) const;

  host::Host& host_;
  HWND owner_;
  Frame frame_{*this};
  TFrmordr1 form_;
  std::vector<host::win32::UniqueFont> fonts_;
  std::vector<std::pair<HWND, const ControlSpec*>> controls_;
  host::win32::UniqueFont default_font_;
  host::win32::UniqueBrush background_;
};

// Each "Buy Now" gets a fresh window, destroyed when its own modal loop ends.
class OrderingWindowsWin32 : public OrderingWindows {
 public:
  explicit OrderingWindowsWin32(host::Host& host) : host_(host) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void ShowModal() override;

 private:
  host::Host& host_;
  HWND owner_ = nullptr;
};

}  // namespace quenlox
