#include <gtest/gtest.h>

#include "platform/win32_host.h"
#include "resources/texts.h"
#include "tests/win32/dialog_reader.h"

namespace quenlox::testing {

namespace {

using Strings = std::vector<std::string>;

void ExpectCentredOnScreen(const RECT& rect) {
  int screen_x = GetSystemMetrics(SM_CXSCREEN);
  int screen_y = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR((rect.left + rect.right) / 2, screen_x / 2, 4);
  EXPECT_NEAR((rect.top + rect.bottom) / 2, screen_y / 2, 40);  // the work area leaves the taskbar
}

TEST(Win32Dialogs, PlainNoticeHasTheTitleNoIconAndOneOkThatEscapeAndEnterClose) {
  host::win32::Dialogs dialogs;
  for (UINT key : {VK_ESCAPE, VK_RETURN}) {
    SeenDialog seen = WhileShown(key, [&] { dialogs.Notice(texts::kInLineNowBlocked); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.caption, "Quenlox Popup Software");
    EXPECT_EQ(seen.statics, Strings{texts::kInLineNowBlocked});
    EXPECT_FALSE(seen.has_icon);
    EXPECT_EQ(seen.buttons, Strings{"OK"});
    ExpectCentredOnScreen(seen.rect);
  }
}

TEST(Win32Dialogs, WarningQuestionEnterIsYesEscapeAndCloseBoxAreNo) {
  host::win32::Dialogs dialogs;
  bool answer = false;
  SeenDialog seen =
      WhileShown(VK_RETURN, [&] { answer = dialogs.AskWarning(texts::kDisableQuestion); });
  ASSERT_TRUE(seen.found);
  EXPECT_TRUE(answer);
  EXPECT_EQ(seen.caption, "Warning");
  EXPECT_EQ(seen.statics, Strings{texts::kDisableQuestion});
  EXPECT_TRUE(seen.has_icon);
  EXPECT_EQ(seen.buttons, (Strings{"&Yes", "&No"}));
  EXPECT_EQ(seen.focused_button, "&Yes");
  ExpectCentredOnScreen(seen.rect);

  answer = true;
  ASSERT_TRUE(WhileShown(VK_ESCAPE, [&] { answer = dialogs.AskWarning("q"); }).found);
  EXPECT_FALSE(answer);
  answer = true;
  ASSERT_TRUE(WhileShown(WM_CLOSE, [&] { answer = dialogs.AskWarning("q"); }).found);
  EXPECT_FALSE(answer);
}

TEST(Win32Dialogs, ErrorReportHasTheErrorIconAndOk) {
  host::win32::Dialogs dialogs;
  SeenDialog seen =
      WhileShown(VK_RETURN, [&] { dialogs.ErrorReport("Invalid data type for 'Start'"); });
  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.caption, "Quenlox Popup Software");
  EXPECT_EQ(seen.statics, Strings{"Invalid data type for 'Start'"});
  EXPECT_TRUE(seen.has_icon);
  EXPECT_EQ(seen.buttons, Strings{"OK"});
}

}  // namespace

}  // namespace quenlox::testing
