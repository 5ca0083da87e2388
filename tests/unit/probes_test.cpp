#include "tests/unit/world.h"

namespace quenlox::testing {

namespace {

class Probes : public ::testing::Test {
 protected:
  void SetUp() override {
    w.TypicalNt();
    w.Start();
  }
  void Refresh() { w.form.TrayNotifyMessage(TForm1::kMouseMove); }
  std::string WindowPop() { return w.Caption(BlockKind::kWindowPop); }
  std::string InLine() { return w.Caption(BlockKind::kInLine); }
  std::string BrowserPop() { return w.Caption(BlockKind::kBrowserPop); }
  std::string InLineFor(const std::string& hosts) {
    w.files.Put(kNtHosts, hosts);
    Refresh();
    return InLine();
  }
  World w;
};

TEST_F(Probes, MessengerStartType) {
  for (auto [start, caption] :
       std::vector<std::pair<int, const char*>>{{2, texts::kWindowPopNotBlocked},
                                                {3, texts::kWindowPopNotBlocked},
                                                {4, texts::kWindowPopBlocked},
                                                {-4, texts::kWindowPopNotBlocked}}) {
    w.registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", start);
    Refresh();
    EXPECT_EQ(WindowPop(), caption) << start;
  }
  w.registry.DeleteValue(host::kHkeyLocalMachine, kMessengerKey, "Start");
  Refresh();
  EXPECT_EQ(WindowPop(), texts::kWindowPopNotApplicable);
}

TEST_F(Probes, NoMessengerKeyOrNoFullAccessIsNotApplicable) {
  World nine_x;
  nine_x.files.Put(k9xHosts, "");
  nine_x.Start();
  nine_x.form.TrayNotifyMessage(TForm1::kMouseMove);
  EXPECT_EQ(nine_x.Caption(BlockKind::kWindowPop), texts::kWindowPopNotApplicable);
  EXPECT_EQ(nine_x.Caption(BlockKind::kBrowserPop), texts::kBrowserPopNotApplicable);
  EXPECT_TRUE(nine_x.dialogs.shown.empty());

  w.registry.DenyFullAccess(host::kHkeyLocalMachine, kMessengerKey);
  Refresh();
  EXPECT_EQ(WindowPop(), texts::kWindowPopNotApplicable);
}

TEST_F(Probes, ZonePopupPolicy) {
  for (auto [policy, caption] :
       std::vector<std::pair<int, const char*>>{{0, texts::kBrowserPopNotBlocked},
                                                {1, texts::kBrowserPopNotBlocked},
                                                {3, texts::kBrowserPopBlocked}}) {
    w.registry.SetDword(host::kHkeyCurrentUser, kZoneKey, "1400", policy);
    Refresh();
    EXPECT_EQ(BrowserPop(), caption) << policy;
  }
  w.registry.DeleteValue(host::kHkeyCurrentUser, kZoneKey, "1400");
  Refresh();
  EXPECT_EQ(BrowserPop(), texts::kBrowserPopNotApplicable);
}

TEST_F(Probes, WrongTypedStartIsReportedAndNoMenuOpens) {
  w.registry.SetString(host::kHkeyLocalMachine, kMessengerKey, "Start", "3");
  w.form.TrayNotifyMessage(TForm1::kLeftButtonDown);
  EXPECT_EQ(w.Errors(), std::vector<std::string>{"Invalid data type for 'Start'"});
  EXPECT_TRUE(w.desktop.popups.empty());
  EXPECT_EQ(w.registry.OpenHandles(), 0u);

  w.registry.SetString(host::kHkeyLocalMachine, kMessengerKey, "Start", "automatic");
  w.form.TrayNotifyMessage(TForm1::kLeftButtonDown);
  EXPECT_EQ(w.Errors().back(), "Failed to get data for 'Start'");
  EXPECT_TRUE(w.desktop.popups.empty());
}

TEST_F(Probes, WrongTypedPolicyKeepsTheCaptionAlreadySet) {
  w.registry.SetDword(host::kHkeyLocalMachine, kMessengerKey, "Start", 4);
  w.registry.SetRaw(host::kHkeyCurrentUser, kZoneKey, "1400", host::kRegBinary, {3, 0, 0, 0});
  w.form.TrayNotifyMessage(TForm1::kRightButtonDown);
  EXPECT_EQ(w.Errors(), std::vector<std::string>{"Invalid data type for '1400'"});
  EXPECT_EQ(WindowPop(), texts::kWindowPopBlocked);
  EXPECT_EQ(InLine(), texts::kBlockInLineDesigned);  // the rest of the refresh was skipped
  EXPECT_EQ(w.registry.OpenHandles(), 0u);
}

TEST_F(Probes, RefreshErrorsDoNotPileUpWhileOneIsOpen) {
  w.registry.SetString(host::kHkeyLocalMachine, kMessengerKey, "Start", "3");
  int nested = 0;
  w.dialogs.while_open = [&] {
    for (int i = 0; i < 5; ++i) w.form.TrayNotifyMessage(TForm1::kMouseMove);
    ++nested;
  };
  w.form.TrayNotifyMessage(TForm1::kLeftButtonDown);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(w.Errors().size(), 1u);
  w.form.TrayNotifyMessage(TForm1::kMouseMove);  // dismissed: the cause remains, so again
  EXPECT_EQ(w.Errors().size(), 2u);
}

TEST_F(Probes, MarkerInTheFirstLineOnly) {
  EXPECT_EQ(InLineFor("# Quenlox\r\n127.0.0.1 localhost\r\n"), texts::kInLineBlocked);
  EXPECT_EQ(InLineFor("127.0.0.1 localhostQuenlox"), texts::kInLineBlocked);
  EXPECT_EQ(InLineFor("# quenlox\r\n"), texts::kInLineNotBlocked);
  EXPECT_EQ(InLineFor("QUENLOX"), texts::kInLineNotBlocked);
  EXPECT_EQ(InLineFor("127.0.0.1 localhost\r\n# Quenlox\r\n"), texts::kInLineNotBlocked);
  EXPECT_EQ(InLineFor("Quenlo\rx"), texts::kInLineNotBlocked);
  EXPECT_EQ(InLineFor(""), texts::kInLineNotBlocked);
  EXPECT_TRUE(w.dialogs.shown.empty());
}

TEST_F(Probes, LineFeedsDoNotEndTheFirstLineButCtrlZDoes) {
  EXPECT_EQ(InLineFor("127.0.0.1 localhost\n::1 localhost\n# Quenlox\n"), texts::kInLineBlocked);
  EXPECT_EQ(InLineFor("a\nb\nc\r\n# Quenlox\n"), texts::kInLineNotBlocked);
  EXPECT_EQ(InLineFor("127.0.0.1 localhost\x1a# Quenlox"), texts::kInLineNotBlocked);
  EXPECT_EQ(InLineFor("Quen\x1alox"), texts::kInLineNotBlocked);
  EXPECT_EQ(InLineFor(std::string("a\0b Quenlox", 11)), texts::kInLineBlocked);
}

TEST_F(Probes, MarkerAcrossChunkBoundariesOfALongFirstLine) {
  for (std::size_t at : {0u, 4090u, 4093u, 4096u, 8190u, 100000u}) {
    std::string hosts(at, 'a');
    hosts += "Quenlox";
    EXPECT_EQ(InLineFor(hosts), texts::kInLineBlocked) << at;
    hosts.insert(at + 3, "\r");
    EXPECT_EQ(InLineFor(hosts), texts::kInLineNotBlocked) << at;
  }
  // Memory stays bounded: the reads ask for fixed-size chunks only.
  EXPECT_LE(w.files.LargestReadRequest(), 4096u);
}

TEST_F(Probes, ProbeStopsReadingOnceTheAnswerIsKnown) {
  w.files.Put(kNtHosts, "# Quenlox" + std::string(1 << 20, '\n'));
  int before = w.files.Calls(host::MemoryFiles::Op::kRead);
  Refresh();
  EXPECT_EQ(w.files.Calls(host::MemoryFiles::Op::kRead) - before, 1);
  EXPECT_EQ(w.files.OpenReaders(), 0);
}

TEST_F(Probes, UnreadableHostsFileGivesTheNoticeOnEveryMessage) {
  w.files.Erase(kNtHosts);
  Refresh();
  w.files.Put(kNtHosts, "# Quenlox\r\n");
  w.files.Lock(kNtHosts);
  w.form.TrayNotifyMessage(TForm1::kLeftButtonDown);
  EXPECT_EQ(w.Notices(),
            (std::vector<std::string>{texts::kFileAccessProblem, texts::kFileAccessProblem}));
  EXPECT_EQ(InLine(), texts::kInLineNotBlocked);
  EXPECT_EQ(w.desktop.popups.size(), 1u);  // the menu still opens after the notice
}

TEST_F(Probes, ReadFailureKeepsWhatWasReadBeforeIt) {
  w.files.Put(kNtHosts, std::string(5000, 'a') + "Quenlox" + std::string(9000, 'b'));
  w.files.FailReadAfter(kNtHosts, 8192);
  Refresh();
  EXPECT_EQ(InLine(), texts::kInLineBlocked);
  EXPECT_TRUE(w.Notices().empty());  // the marker was found before the failing read

  w.files.Put(kNtHosts, std::string(9000, 'b') + "Quenlox");
  Refresh();
  EXPECT_EQ(w.Notices(), std::vector<std::string>{texts::kFileAccessProblem});
  EXPECT_EQ(InLine(), texts::kInLineNotBlocked);
  EXPECT_EQ(w.files.OpenReaders(), 0);
}

TEST_F(Probes, FileNoticesDoNotPileUpWhileOneIsOpen) {
  w.files.Lock(kNtHosts);
  w.dialogs.while_open = [&] {
    for (int i = 0; i < 3; ++i) w.form.TrayNotifyMessage(TForm1::kMouseMove);
    w.form.TrayNotifyMessage(TForm1::kLeftButtonDown);
  };
  Refresh();
  EXPECT_EQ(w.Notices().size(), 1u);
  EXPECT_EQ(w.desktop.popups.size(), 1u);  // the press during the notice still opened its menu
  Refresh();
  EXPECT_EQ(w.Notices().size(), 2u);
}

TEST_F(Probes, NoHostsFileIsNotApplicable) {
  World none;
  none.Start();
  none.form.TrayNotifyMessage(TForm1::kMouseMove);
  EXPECT_EQ(none.Caption(BlockKind::kInLine), texts::kInLineNotApplicable);
  EXPECT_EQ(none.files.Calls(host::MemoryFiles::Op::kOpenRead), 0);
}

}  // namespace

}  // namespace quenlox::testing
