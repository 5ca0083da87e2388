#include "tests/unit/world.h"

namespace quenlox::testing {

namespace {

using Captions = std::vector<std::string>;

TEST(Menus, DesignedItemsInOrder) {
  World w;
  Captions one, two;
  for (auto* item : w.form.PopupMenu1.Items) one.push_back(item->Caption);
  for (auto* item : w.form.PopupMenu2.Items) two.push_back(item->Caption);
  EXPECT_EQ(one, (Captions{"Block Window Popup Advertising", "Block In-Line Browser Ads",
                           "Block Browser Pop Ups", "Help FAQ"}));
  EXPECT_EQ(two, (Captions{"Disable Quenlox", "More Free Trial Software", "Buy Now"}));
  EXPECT_STREQ(w.form.PopupMenu1.Items[0]->Name, "BlockWindowPop");
  EXPECT_STREQ(w.form.PopupMenu2.Items[0]->Name, "DisableMurmurClerk1");
}

TEST(TrayNotifyMessage, LeftPressOpensTheFirstMenuAtTheCursorWithFreshCaptions) {
  World w;
  w.TypicalNt();
  w.Start();
  w.desktop.cursor = {1000, 750};
  w.form.TrayNotifyMessage(TForm1::kLeftButtonDown);
  ASSERT_EQ(w.desktop.popups.size(), 1u);
  EXPECT_EQ(w.desktop.popups[0].at.x, 1000);
  EXPECT_EQ(w.desktop.popups[0].at.y, 750);
  EXPECT_EQ(w.desktop.popups[0].captions,
            (Captions{"Block Window Popup Spam", "Block In-Line Browser Ads",
                      "Block Browser Popups", "Help FAQ"}));
  EXPECT_EQ(w.desktop.foreground_calls, 1);
}

TEST(TrayNotifyMessage, RightPressOpensTheSecondMenu) {
  World w;
  w.TypicalNt();
  w.Start();
  w.form.TrayNotifyMessage(TForm1::kRightButtonDown);
  ASSERT_EQ(w.desktop.popups.size(), 1u);
  EXPECT_EQ(w.desktop.popups[0].captions,
            (Captions{"Disable Quenlox", "More Free Trial Software", "Buy Now"}));
}

TEST(TrayNotifyMessage, OtherEventsOpenNothingButStillProbe) {
  World w;
  w.TypicalNt();
  w.Start();
  w.registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", 4);
  for (long event : {512L, 514L, 515L, 517L, 518L, 0L}) {
    int opens = w.registry.OpenCalls();
    int reads = w.files.Calls(host::MemoryFiles::Op::kOpenRead);
    w.form.TrayNotifyMessage(event);
    EXPECT_EQ(w.registry.OpenCalls(), opens + 2) << event;
    EXPECT_EQ(w.files.Calls(host::MemoryFiles::Op::kOpenRead), reads + 1) << event;
  }
  EXPECT_TRUE(w.desktop.popups.empty());
  EXPECT_EQ(w.Caption(BlockKind::kWindowPop), texts::kWindowPopBlocked);
  EXPECT_EQ(w.desktop.foreground_calls, 6);
  EXPECT_EQ(w.registry.OpenHandles(), 0u);
}

TEST(TrayNotifyMessage, ChosenItemRunsItsHandlerAndNothingWhenNoneIsChosen) {
  World w;
  w.TypicalNt();
  w.Start();
  w.Click(TForm1::kRightButtonDown, 2);
  EXPECT_EQ(w.ordering.shown, 1);
  w.Click(TForm1::kRightButtonDown, -1);
  EXPECT_EQ(w.ordering.shown, 1);
  w.Click(TForm1::kLeftButtonDown, 3);
  ASSERT_EQ(w.shell.calls.size(), 1u);
}

TEST(TaskbarCreated, PutsTheIconBackOnceWithoutDoubling) {
  World w;
  w.form.TaskbarCreated();  // before start-up there is no icon to restore
  EXPECT_EQ(w.desktop.tray_adds, 0);
  w.TypicalNt();
  w.Start();
  w.form.TaskbarCreated();
  w.form.TaskbarCreated();
  EXPECT_EQ(w.desktop.tray_adds, 3);
  EXPECT_EQ(w.desktop.tray_removes, 2);  // each re-add drops a survivor first
}

TEST(TrayIcon, ANotificationAreaNotReadyAtLogonIsRetriedUntilItTakesTheIcon) {
  World w;
  w.TypicalNt();
  w.desktop.tray_add_results = {false, false};
  w.Start();
  EXPECT_TRUE(w.desktop.retry_timer);
  w.form.IconRetryTimer();
  EXPECT_TRUE(w.desktop.retry_timer);
  w.form.IconRetryTimer();  // taken now
  EXPECT_FALSE(w.desktop.retry_timer);
  w.form.IconRetryTimer();  // a tick already queued adds nothing
  EXPECT_EQ(w.desktop.tray_adds, 3);

  // The shell restarts while the icon is wanted but not taken: it is tried, and retried.
  World early;
  early.TypicalNt();
  early.desktop.tray_add_results = {false, false};
  early.Start();
  early.form.TaskbarCreated();
  EXPECT_TRUE(early.desktop.retry_timer);
  early.form.TaskbarCreated();
  EXPECT_FALSE(early.desktop.retry_timer);
  EXPECT_EQ(early.desktop.tray_adds, 3);
}

TEST(TaskbarCreated, AfterDisableTheIconStaysAway) {
  World w;
  w.TypicalNt();
  w.Start();
  w.dialogs.answers = {true};
  w.Click(TForm1::kRightButtonDown, 0);
  int adds = w.desktop.tray_adds;
  w.form.TaskbarCreated();
  w.form.IconRetryTimer();
  EXPECT_EQ(w.desktop.tray_adds, adds);
  EXPECT_FALSE(w.desktop.retry_timer);
}

}  // namespace

}  // namespace quenlox::testing
