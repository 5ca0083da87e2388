#include <set>

#include "blocking/ad_list.h"
#include "blocking/elevated_writes.h"
#include "blocking/hosts_block.h"
#include "blocking/lift_blocks.h"
#include "tests/unit/world.h"

namespace quenlox::testing {

namespace {

constexpr int kWindowPopItem = 0;
constexpr int kInLineItem = 1;
constexpr int kBrowserPopItem = 2;
constexpr int kDisableItem = 0;

class Toggles : public ::testing::Test {
 protected:
  void SetUp() override {
    w.TypicalNt();
    w.Start();
  }
  void ClickBlockItem(int item) { w.Click(TForm1::kLeftButtonDown, item); }
  World w;
};

TEST_F(Toggles, WindowPopBlocksThenUnblocksSilently) {
  ClickBlockItem(kWindowPopItem);
  EXPECT_EQ(w.StartValue(), 4u);
  EXPECT_EQ(w.Notices(), std::vector<std::string>{
                             "The Windows spam popups are NOW BLOCKED and will no longer appear."});
  w.form.TrayNotifyMessage(TForm1::kMouseMove);
  EXPECT_EQ(w.Caption(BlockKind::kWindowPop), "Un-Block Window Popup Spam (Currently Blocked)");
  ClickBlockItem(kWindowPopItem);
  EXPECT_EQ(w.StartValue(), 3u);
  EXPECT_EQ(w.Notices().size(), 1u);
  EXPECT_EQ(w.registry.OpenHandles(), 0u);
}

TEST_F(Toggles, UnblockWritesTheFixedNumbersNotThePreviousOnes) {
  w.registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", 2);
  w.registry.SetDword(host::kHkeyCurrentUser, kZoneKey, "1400", 1);
  ClickBlockItem(kWindowPopItem);
  ClickBlockItem(kWindowPopItem);
  ClickBlockItem(kBrowserPopItem);
  ClickBlockItem(kBrowserPopItem);
  EXPECT_EQ(w.StartValue(), 3u);
  EXPECT_EQ(w.Policy(), 0u);
}

TEST_F(Toggles, BrowserPopBlocksWithTheReopenNotice) {
  ClickBlockItem(kBrowserPopItem);
  EXPECT_EQ(w.Policy(), 3u);
  EXPECT_EQ(w.Notices(),
            std::vector<std::string>{
                "The browser popups are NOW BLOCKED and will no longer appear. Be sure "
                "to close and reopen your browser to take effect."});
}

TEST_F(Toggles, TheCaptionAloneDecides) {
  w.form.SetBlockCaption(BlockKind::kWindowPop, "Block Window Popup Spam ");
  w.form.BlockWindowPopClick();
  EXPECT_EQ(w.StartValue(), 3u);
  w.form.SetBlockCaption(BlockKind::kBrowserPop, "block Browser Popups");
  w.form.BlockBrowserPopClick();
  EXPECT_EQ(w.Policy(), 0u);
  EXPECT_TRUE(w.Notices().empty());
  // The system says blocked, but the caption still says block: it blocks again.
  w.registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", 4);
  w.form.SetBlockCaption(BlockKind::kWindowPop, texts::kWindowPopNotBlocked);
  w.form.BlockWindowPopClick();
  EXPECT_EQ(w.StartValue(), 4u);
  EXPECT_EQ(w.Notices().size(), 1u);
}

TEST_F(Toggles, MissingValueGivesItsNoticeAndWritesNothing) {
  w.registry.DeleteValue(host::kHkeyLocalMachine, kMessengerKey, "Start");
  w.registry.DeleteValue(host::kHkeyCurrentUser, kZoneKey, "1400");
  ClickBlockItem(kWindowPopItem);
  ClickBlockItem(kBrowserPopItem);
  EXPECT_EQ(w.Notices(),
            (std::vector<std::string>{"This block does not apply to your system as these popups "
                                      "only occur on NT, XP, or later operating systems. ",
                                      "This IE block could not be done on your system. This could "
                                      "be due to an outdated browser."}));
  EXPECT_FALSE(w.registry.Get(host::kHkeyLocalMachine, kMessengerKey, "Start"));
  EXPECT_FALSE(w.registry.Get(host::kHkeyCurrentUser, kZoneKey, "1400"));
}

TEST_F(Toggles, MissingKeyDoesNothingVisible) {
  World nine_x;
  nine_x.files.Put(k9xHosts, "");
  nine_x.Start();
  nine_x.Click(TForm1::kLeftButtonDown, kWindowPopItem);
  nine_x.Click(TForm1::kLeftButtonDown, kBrowserPopItem);
  EXPECT_TRUE(nine_x.dialogs.shown.empty());
  EXPECT_FALSE(nine_x.registry.Get(host::kHkeyLocalMachine, kMessengerKey, "Start"));
}

TEST_F(Toggles, RefusedWriteGivesTheWriteFailedNoticeOnBothRoads) {
  w.registry.RefuseWrites(host::kHkeyLocalMachine, kMessengerKey);
  ClickBlockItem(kWindowPopItem);
  w.form.SetBlockCaption(BlockKind::kWindowPop, texts::kWindowPopBlocked);
  w.form.BlockWindowPopClick();
  EXPECT_EQ(w.Notices(), (std::vector<std::string>{texts::kBlockFailed, texts::kBlockFailed}));
  EXPECT_EQ(w.StartValue(), 3u);
  EXPECT_TRUE(w.Errors().empty());
  EXPECT_EQ(w.registry.OpenHandles(), 0u);
}

TEST_F(Toggles, InLineBlockAndUnblockRoundTrip) {
  const std::string original = w.files.Data(kNtHosts);
  ClickBlockItem(kInLineItem);
  EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kInLineNowBlocked});
  EXPECT_EQ(w.files.Data(kNtHostsBackup), original);
  EXPECT_TRUE(FirstLineHasMarker(w.files.Data(kNtHosts)));
  EXPECT_NE(w.files.Data(kNtHosts).find("\r\n0.0.0.0 "), std::string::npos);
  EXPECT_EQ(w.desktop.dns_flushes, 1);
  w.form.TrayNotifyMessage(TForm1::kMouseMove);
  EXPECT_EQ(w.Caption(BlockKind::kInLine), texts::kInLineBlocked);

  ClickBlockItem(kInLineItem);
  EXPECT_EQ(w.files.Data(kNtHosts), original);
  EXPECT_EQ(w.Notices().size(), 1u);
  EXPECT_EQ(w.desktop.dns_flushes, 2);
  EXPECT_EQ(w.files.Paths(), (std::set<std::string>{kNtHosts, kNtHostsBackup}));
}

TEST_F(Toggles, InLineBlockOnThe9xFamilyUsesLoopbackAndNoDnsFlush) {
  World nine_x;
  nine_x.desktop.nt_family = false;
  nine_x.files.Put(k9xHosts, "127.0.0.1 localhost");
  nine_x.files.SetReplaceImplemented(false);
  nine_x.Start();
  nine_x.Click(TForm1::kLeftButtonDown, kInLineItem);
  const std::string& blocked = nine_x.files.Data(k9xHosts);
  EXPECT_NE(blocked.find("\r\n127.0.0.1 "), std::string::npos);
  EXPECT_EQ(blocked.find("0.0.0.0"), std::string::npos);
  EXPECT_EQ(nine_x.files.Data("C:\\WINDOWS\\hosts.sav"), "127.0.0.1 localhost");
  EXPECT_EQ(nine_x.desktop.dns_flushes, 0);
  nine_x.Click(TForm1::kLeftButtonDown, kInLineItem);
  EXPECT_EQ(nine_x.files.Data(k9xHosts), "127.0.0.1 localhost");
}

TEST_F(Toggles, InLineWithoutHostsFileDoesNothing) {
  World none;
  none.Start();
  none.Click(TForm1::kLeftButtonDown, kInLineItem);
  EXPECT_TRUE(none.dialogs.shown.empty());
  EXPECT_TRUE(none.files.Paths().empty());
}

TEST_F(Toggles, InLineFailureLeavesTheFileAsItWas) {
  w.files.Put(kNtHosts, "x");
  w.files.Lock(kNtHosts);
  ClickBlockItem(kInLineItem);
  EXPECT_EQ(w.Notices(),
            (std::vector<std::string>{texts::kFileAccessProblem, texts::kBlockFailed}));
  EXPECT_EQ(w.desktop.dns_flushes, 0);
}

// As Notepad saves "Unicode": UTF-16, little-endian, with its mark; a user's line beyond ASCII.
std::string AsUtf16(const std::string& ascii, const std::string& units_after = {}) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) out += std::string{c, '\0'};
  return out + units_after;
}

TEST_F(Toggles, AHostsFileSavedAsUtf16IsNeverBlockedButWhatABlockLeftInItGoes) {
  const std::string user_line("\x16\x04\x0D\x00\x0A\x00", 6);  // U+0416, then CRLF
  const std::string plain = AsUtf16("127.0.0.1 localhost\r\n", user_line);
  w.files.Put(kNtHosts, plain);
  ClickBlockItem(kInLineItem);
  EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kInLineNotPlainText});
  EXPECT_EQ(w.files.Paths(), (std::set<std::string>{kNtHosts}));
  EXPECT_EQ(w.files.Data(kNtHosts), plain);
  EXPECT_FALSE(LiftInLineBlock(w.files, w.desktop).failed);  // the uninstaller goes on
  EXPECT_EQ(w.files.Data(kNtHosts), plain);

  // A blocked file re-saved as UTF-16 reads as not blocked: "Block" takes the block's lines out.
  const std::string blocked =
      AsUtf16(BlockedHosts("127.0.0.1 localhost\r\n", kAdServerList, "0.0.0.0"), user_line);
  for (bool uninstalling : {false, true}) {
    w.files.Put(kNtHosts, blocked);
    w.dialogs.shown.clear();
    if (uninstalling) {
      EXPECT_TRUE(LiftInLineBlock(w.files, w.desktop).in_line_lifted);
    } else {
      ClickBlockItem(kInLineItem);
      EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kInLineNotPlainText});
    }
    EXPECT_EQ(w.files.Data(kNtHosts), plain) << uninstalling;
    EXPECT_EQ(w.files.Paths(), (std::set<std::string>{kNtHosts}));
  }
}

// A standard user on a system that offers elevation: the system folder and the machine's
// settings refuse the user's writes.
class Elevation : public Toggles {
 protected:
  void SetUp() override {
    Toggles::SetUp();
    w.desktop.can_elevate = true;
    Refuse(true);
    // The elevated process: the program's own write, with the rights the user gave it.
    w.desktop.elevated = [this](const std::string& arguments) {
      ElevatedWrite write;
      if (!ParseElevatedWrite(arguments, &write)) return 99;
      Refuse(false);
      int exit_code = DoElevatedWrite(w.registry, w.files, w.desktop, write);
      Refuse(true);
      return exit_code;
    };
  }
  void Refuse(bool refused) {
    w.files.RefuseNewFiles(refused);
    w.registry.RefuseWrites(host::kHkeyLocalMachine, kMessengerKey, refused);
  }
};

TEST_F(Elevation, ARefusedWriteRunsElevatedOnceAndIsReadAgain) {
  const std::string original = w.files.Data(kNtHosts);
  ClickBlockItem(kInLineItem);
  EXPECT_EQ(w.desktop.elevated_runs, std::vector<std::string>{"/elevated in-line block"});
  EXPECT_TRUE(FirstLineHasMarker(w.files.Data(kNtHosts)));
  EXPECT_EQ(w.files.Data(kNtHostsBackup), original);
  w.form.TrayNotifyMessage(TForm1::kMouseMove);
  EXPECT_EQ(w.Caption(BlockKind::kInLine), texts::kInLineBlocked);
  ClickBlockItem(kInLineItem);
  EXPECT_EQ(w.files.Data(kNtHosts), original);
  ClickBlockItem(kWindowPopItem);
  EXPECT_EQ(w.StartValue(), 4u);
  EXPECT_EQ(w.desktop.elevated_runs.size(), 3u);
  EXPECT_EQ(w.desktop.elevated_runs.back(), "/elevated window-pop block");
  EXPECT_EQ(w.Notices(),
            (std::vector<std::string>{texts::kInLineNowBlocked, texts::kWindowPopNowBlocked}));
  EXPECT_EQ(w.registry.OpenHandles(), 0u);
}

TEST_F(Elevation, WhatTheElevatedRunDidNotWriteIsAFailure) {
  w.desktop.elevated = [](const std::string&) { return kElevatedDone; };
  ClickBlockItem(kInLineItem);
  ClickBlockItem(kWindowPopItem);
  EXPECT_EQ(w.Notices(), (std::vector<std::string>{texts::kBlockFailed, texts::kBlockFailed}));
  EXPECT_EQ(w.desktop.dns_flushes, 0);
}

TEST_F(Elevation, DeclinedOrNotOfferedKeepsTheFailureNotice) {
  const std::string original = w.files.Data(kNtHosts);
  w.desktop.elevation = host::Elevated::kDeclined;
  ClickBlockItem(kInLineItem);
  ClickBlockItem(kWindowPopItem);
  EXPECT_EQ(w.desktop.elevated_runs.size(), 2u);
  w.desktop.can_elevate = false;  // the 9x family, NT before version 6, or elevated already
  ClickBlockItem(kInLineItem);
  EXPECT_EQ(w.desktop.elevated_runs.size(), 2u);
  EXPECT_EQ(w.Notices(), std::vector<std::string>(3, texts::kBlockFailed));
  EXPECT_EQ(w.files.Data(kNtHosts), original);
  EXPECT_EQ(w.StartValue(), 3u);
}

TEST_F(Elevation, ASharingViolationNeverAsks) {
  Refuse(false);
  w.files.SharingViolationsOnReplace(1000);
  ClickBlockItem(kInLineItem);
  EXPECT_TRUE(w.desktop.elevated_runs.empty());
  EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kBlockFailed});
}

TEST_F(Toggles, InLineUnblockSaysSoWhenTheProductWordOnLineOneIsNotTheBlocks) {
  const std::string own = "# my Quenlox notes\r\n127.0.0.1 localhost\r\n";
  w.files.Put(kNtHosts, own);
  ClickBlockItem(kInLineItem);  // the caption reads blocked
  EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kInLineMarkerNotOurs});
  EXPECT_EQ(w.files.Data(kNtHosts), own);
  EXPECT_FALSE(w.files.Exists(kNtHostsBackup));
  EXPECT_EQ(w.desktop.dns_flushes, 0);
}

class Disable : public Toggles {
 protected:
  void Choose(bool yes) {
    w.dialogs.answers = {yes};
    w.Click(TForm1::kRightButtonDown, kDisableItem);
  }
};

TEST_F(Disable, NoChangesNothing) {
  w.registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", 4);
  Choose(false);
  EXPECT_EQ(w.dialogs.Texts(Kind::kWarning),
            std::vector<std::string>{"You are about to disable and remove Quenlox from your system "
                                     "tray. Please confirm."});
  EXPECT_EQ(w.StartValue(), 4u);
  EXPECT_EQ(w.desktop.tray_removes, 0);
  EXPECT_FALSE(w.desktop.closed);
}

TEST_F(Disable, YesUnblocksBothRegistryBlocksEvenWhenNeitherWasBlocked) {
  w.registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", 2);
  w.registry.SetDword(host::kHkeyCurrentUser, kZoneKey, "1400", 1);
  ClickBlockItem(kInLineItem);
  const std::string blocked_hosts = w.files.Data(kNtHosts);
  Choose(true);
  EXPECT_EQ(w.StartValue(), 3u);
  EXPECT_EQ(w.Policy(), 0u);
  EXPECT_EQ(w.Notices().size(), 1u);  // only the in-line block's own
  EXPECT_EQ(w.desktop.tray_removes, 1);
  EXPECT_TRUE(w.desktop.closed);
  EXPECT_EQ(w.files.Data(kNtHosts), blocked_hosts);  // the in-line block stays
  EXPECT_TRUE(w.registry.GetString(host::kHkeyLocalMachine, kRunKey, "Quenlox"));
  EXPECT_EQ(w.Caption(BlockKind::kInLine), texts::kInLineBlocked);
}

TEST_F(Disable, MissingValuesGiveTheirNoticesInOrderAndItStillEnds) {
  w.registry.DeleteValue(host::kHkeyLocalMachine, kMessengerKey, "Start");
  w.registry.DeleteValue(host::kHkeyCurrentUser, kZoneKey, "1400");
  Choose(true);
  EXPECT_EQ(w.Notices(), (std::vector<std::string>{texts::kWindowPopValueMissing,
                                                   texts::kBrowserPopValueMissing}));
  EXPECT_TRUE(w.desktop.closed);
}

TEST_F(Disable, TrayMessagesDuringANoticeCannotTurnTheUnblockIntoABlock) {
  w.registry.DeleteValue(host::kHkeyLocalMachine, kMessengerKey, "Start");
  bool reprobed = false;
  w.dialogs.while_open = [&] {
    if (w.dialogs.shown.back().text != texts::kWindowPopValueMissing) return;
    w.form.TrayNotifyMessage(TForm1::kMouseMove);  // re-probes: 1400 = 0 reads "Block ..."
    reprobed = w.Caption(BlockKind::kBrowserPop) == texts::kBrowserPopNotBlocked;
  };
  Choose(true);
  EXPECT_TRUE(reprobed);
  EXPECT_EQ(w.Policy(), 0u);
  EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kWindowPopValueMissing});
}

TEST_F(Disable, WriteFailuresAreShownAndItStillEnds) {
  w.registry.RefuseWrites(host::kHkeyLocalMachine, kMessengerKey);
  Choose(true);
  EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kBlockFailed});
  EXPECT_EQ(w.Policy(), 0u);
  EXPECT_TRUE(w.desktop.closed);
  EXPECT_EQ(w.desktop.tray_removes, 1);
}

}  // namespace

}  // namespace quenlox::testing
