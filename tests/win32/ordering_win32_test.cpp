// The ordering window as built from its layout table, inspected on the real window system.
#include <gtest/gtest.h>

#include <cstring>

#include "ordering/Uord1_win32.h"
#include "resources/texts.h"
#include "tests/fakes/desktop_memory.h"
#include "tests/fakes/files_memory.h"
#include "tests/fakes/registry_memory.h"

namespace quenlox::testing {

namespace {

struct FontSeen {
  std::string face;
  int height = 0;  // as rendered
  int requested = 0;
  bool italic = false;
  bool underline = false;
};

FontSeen FontOf(HWND window) {
  FontSeen seen;
  auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  if (font == nullptr) return seen;
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  char face[LF_FACESIZE] = {};
  GetTextFaceA(dc, sizeof face, face);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  LOGFONTA logical{};
  GetObjectA(font, sizeof logical, &logical);
  seen.requested = -logical.lfHeight;
  seen.face = face;
  seen.height = metrics.tmHeight - metrics.tmInternalLeading;
  seen.italic = metrics.tmItalic != 0;
  seen.underline = metrics.tmUnderlined != 0;
  return seen;
}

class OrderingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(window.Create()); }
  HWND Control(const ControlSpec& row) { return GetDlgItem(window.Window(), row.id); }

  host::MemoryRegistry registry;
  host::MemoryFiles files;
  host::MemoryDialogs dialogs;
  host::MemoryShell shell;
  host::MemoryDesktop desktop;
  host::Host system{registry, files, dialogs, shell, desktop, desktop};
  OrderingWindow window{system, nullptr};
};

TEST_F(OrderingWindowTest, WindowFrameSizeAndPlace) {
  HWND w = window.Window();
  char caption[64] = {};
  GetWindowTextA(w, caption, sizeof caption);
  EXPECT_STREQ(caption, "Ordering Information");
  char cls[32] = {};
  GetClassNameA(w, cls, sizeof cls);
  EXPECT_STREQ(cls, "TFrmordr1");
  RECT rect;
  GetWindowRect(w, &rect);
  EXPECT_EQ(rect.right - rect.left, 504);
  EXPECT_EQ(rect.bottom - rect.top, 421);
  EXPECT_NEAR((rect.left + rect.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  LONG style = GetWindowLongA(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(IsWindowVisible(w));
  FontSeen font = FontOf(w);
  EXPECT_EQ(font.face, "System");
  EXPECT_EQ(font.requested, 13);
}

TEST_F(OrderingWindowTest, ControlsTextsPlacesAndFonts) {
  HDC screen = GetDC(nullptr);
  for (const ControlSpec& row : kOrderingControls) {
    SCOPED_TRACE(row.name);
    HWND control = Control(row);
    ASSERT_NE(control, nullptr);
    char cls[32] = {};
    GetClassNameA(control, cls, sizeof cls);
    EXPECT_STREQ(cls, row.button ? "Button" : "Static");
    char text[512] = {};
    GetWindowTextA(control, text, sizeof text);
    EXPECT_STREQ(text, row.text);
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window.Window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, row.left);
    EXPECT_EQ(rect.top, row.top);
    FontSeen font = FontOf(control);
    EXPECT_EQ(font.face, row.font.face);
    EXPECT_EQ(font.requested, row.font.height);
    EXPECT_NEAR(font.height, row.font.height, 1);  // rounding of the font's own scaling
    EXPECT_EQ(font.italic, row.font.italic);
    EXPECT_EQ(font.underline, row.font.underline);
    SIZE extent{};
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, row.text, lstrlenA(row.text), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (row.width == 0) {
      EXPECT_EQ(rect.right - rect.left, extent.cx);  // one line, as wide as its text
      EXPECT_EQ(rect.bottom - rect.top, extent.cy);
    } else if (row.wraps || row.button) {
      EXPECT_EQ(rect.right - rect.left, row.width);
      EXPECT_EQ(rect.bottom - rect.top, row.height);
    } else {
      EXPECT_EQ(rect.right - rect.left, std::max<LONG>(row.width, extent.cx));  // never cut off
      EXPECT_EQ(rect.bottom - rect.top, row.height);
    }
    if (!row.button) {
      LONG style = GetWindowLongA(control, GWL_STYLE);
      EXPECT_EQ((style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP, !row.wraps);
    }
  }
  ReleaseDC(nullptr, screen);
}

TEST_F(OrderingWindowTest, ColoursWhiteBackgroundAndHandCursors) {
  HDC dc = CreateCompatibleDC(nullptr);
  for (const ControlSpec& row : kOrderingControls) {
    if (row.button) continue;
    SCOPED_TRACE(row.name);
    HWND control = Control(row);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(window.Window(), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(control)));
    EXPECT_EQ(GetTextColor(dc), row.color);
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    LOGBRUSH fill{};
    ASSERT_TRUE(GetObjectA(brush, sizeof fill, &fill));
    EXPECT_EQ(fill.lbColor, RGB(255, 255, 255));

    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(window.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor() == LoadCursorA(nullptr, IDC_HAND), row.hand_cursor);
  }
  DeleteDC(dc);
}

TEST_F(OrderingWindowTest, LabelClicksReachTheirHandlersWithTheWindowsHandle) {
  const ControlSpec& support = kOrderingControls[9];  // Label3
  ASSERT_STREQ(support.name, "Label3");
  SendMessageA(window.Window(), WM_COMMAND, MAKEWPARAM(support.id, STN_CLICKED),
               reinterpret_cast<LPARAM>(Control(support)));
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0].window, window.Handle());
  EXPECT_EQ(dialogs.Texts(host::MemoryDialogs::Kind::kNotice),
            std::vector<std::string>{texts::kSupportNotice});
  EXPECT_TRUE(IsWindow(window.Window()));
}

TEST_F(OrderingWindowTest, TheKeyboardReachesReturnAsInADialogAndEscapeDoesNotClose) {
  HWND w = window.Window();
  HWND return_button = Control(kOrderingControls[10]);
  ASSERT_STREQ(kOrderingControls[10].name, "Button1");
  EXPECT_EQ(GetFocus(), return_button);
  // Keys as the modal loop reads them, from the window itself; the quit ends the loop once they
  // are handled.
  SetFocus(w);
  PostMessageA(w, WM_KEYDOWN, VK_TAB, 0);
  PostMessageA(return_button, WM_KEYDOWN, VK_ESCAPE, 0);
  PostQuitMessage(0);
  window.RunModal();
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  ASSERT_TRUE(IsWindow(w));
  EXPECT_EQ(GetFocus(), return_button);  // the one control that takes the keyboard
  PostMessageA(return_button, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageA(return_button, WM_KEYUP, VK_SPACE, 0);
  window.RunModal();  // ends when Space pressed "Return"
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(OrderingWindowTest, ModalLoopEndsWhenTheProgramQuitsAndPassesTheQuitOn) {
  PostQuitMessage(7);
  window.RunModal();
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

}  // namespace

}  // namespace quenlox::testing
