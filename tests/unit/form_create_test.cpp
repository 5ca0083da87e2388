#include "blocking/lift_blocks.h"
#include "platform/error_report.h"
#include "tests/unit/world.h"

namespace quenlox::testing {

namespace {

std::optional<std::string> RunValue(const World& w) {
  return w.registry.GetString(host::kHkeyLocalMachine, kRunKey, "Quenlox");
}

TEST(FormCreate, InstallFolderEndsInTheSeparator) {
  World w;
  w.desktop.executable = "D:\\Tools\\Q\\quenlox.exe";
  w.Start();
  EXPECT_EQ(w.form.InstallFolder, "D:\\Tools\\Q\\");
}

TEST(FormCreate, AutorunHoldsTheBarePathOrTheQuotedPathWithBlanks) {
  World w;
  w.TypicalNt();
  w.desktop.executable = "C:\\Q\\quenlox.exe";
  w.Start();
  EXPECT_EQ(RunValue(w), "C:\\Q\\quenlox.exe");

  World moved;
  moved.TypicalNt();
  moved.desktop.executable = "C:\\Program Files\\Quenlox\\quenlox.exe";
  moved.Start();
  EXPECT_EQ(RunValue(moved), "\"C:\\Program Files\\Quenlox\\quenlox.exe\"");
  EXPECT_TRUE(moved.dialogs.shown.empty());
}

TEST(FormCreate, RunKeyThatDoesNotOpenIsPassedOverSilently) {
  World w;
  w.files.Put(kNtHosts, "");
  w.Start();  // no Run key at all
  EXPECT_FALSE(RunValue(w));
  World locked;
  locked.registry.DenyFullAccess(host::kHkeyLocalMachine, kRunKey);
  locked.Start();
  EXPECT_FALSE(RunValue(locked));
  EXPECT_TRUE(w.dialogs.shown.empty());
  EXPECT_TRUE(locked.dialogs.shown.empty());
  EXPECT_EQ(locked.desktop.tray_adds, 1);
  EXPECT_EQ(locked.registry.OpenHandles(), 0u);
}

TEST(FormCreate, RefusedAutorunWriteIsReportedAndStartUpGoesOn) {
  World w;
  w.TypicalNt();
  w.registry.RefuseWrites(host::kHkeyLocalMachine, kRunKey);
  w.Start();
  EXPECT_EQ(w.Errors(), std::vector<std::string>{"Failed to set data for 'Quenlox'"});
  EXPECT_EQ(w.form.HostsFile, kNtHosts);
  EXPECT_EQ(w.desktop.tray_adds, 1);
  EXPECT_EQ(w.registry.OpenHandles(), 0u);
}

TEST(FormCreate, WindowsFolderAsReportedWithFallbacks) {
  World w;
  w.desktop.windows_directory = "E:\\WINNT";
  w.Start();
  EXPECT_EQ(w.form.WindowsFolder, "E:\\WINNT");
  EXPECT_EQ(w.desktop.last_directory_size, 200u);

  World failed;
  failed.desktop.windows_directory = "";
  failed.Start();
  EXPECT_EQ(failed.form.WindowsFolder, "c:\\windows");

  // A length that does not fit the buffer means nothing was copied into it.
  World too_long;
  too_long.desktop.windows_directory = std::string(230, 'x');
  too_long.Start();
  EXPECT_EQ(too_long.form.WindowsFolder, "c:\\windows");

  World just_fits;
  just_fits.desktop.windows_directory = "C:\\" + std::string(196, 'w');
  just_fits.Start();
  EXPECT_EQ(just_fits.form.WindowsFolder.size(), 199u);
}

TEST(FormCreate, HostsFileChoices) {
  World both;
  both.files.Put(kNtHosts, "");
  both.files.Put(k9xHosts, "");
  both.Start();
  EXPECT_EQ(both.form.HostsFile, kNtHosts);
  EXPECT_EQ(both.form.HostsBackupFile, kNtHostsBackup);

  World nine_x;
  nine_x.files.Put(k9xHosts, "");
  nine_x.Start();
  EXPECT_EQ(nine_x.form.HostsFile, k9xHosts);
  EXPECT_EQ(nine_x.form.HostsBackupFile, "C:\\WINDOWS\\hosts.sav");

  World directory;
  directory.files.MakeDirectory(kNtHosts);
  directory.files.Put(k9xHosts, "");
  directory.Start();
  EXPECT_EQ(directory.form.HostsFile, k9xHosts);

  World neither;
  neither.Start();
  EXPECT_EQ(neither.form.HostsFile, "");
  EXPECT_EQ(neither.form.HostsBackupFile, "");
  EXPECT_TRUE(neither.dialogs.shown.empty());
}

// A swap without a one-step replace killed between its renames leaves only the moved-aside
// original; without it back, start-up and the uninstaller would find no hosts file at all.
TEST(FormCreate, AnOriginalMovedAsideByAnInterruptedSwapIsBackBeforeTheFileIsLookedFor) {
  const std::string aside = std::string(k9xHosts) + ".quenlox-old";
  World nine_x;
  nine_x.files.Put(aside, "127.0.0.1 localhost\r\n");
  nine_x.Start();
  EXPECT_EQ(nine_x.form.HostsFile, k9xHosts);
  EXPECT_EQ(nine_x.files.Data(k9xHosts), "127.0.0.1 localhost\r\n");
  EXPECT_FALSE(nine_x.files.Exists(aside));

  World uninstalling;
  uninstalling.files.Put(aside, "127.0.0.1 localhost\r\n");
  EXPECT_FALSE(LiftInLineBlock(uninstalling.files, uninstalling.desktop).failed);
  EXPECT_EQ(uninstalling.files.Data(k9xHosts), "127.0.0.1 localhost\r\n");

  // Beside a hosts file it is a leftover, never put over it.
  World both;
  both.files.Put(k9xHosts, "new");
  both.files.Put(aside, "old");
  both.Start();
  EXPECT_EQ(both.files.Data(k9xHosts), "new");
}

TEST(FormCreate, FallbackWindowsFolderIsUsedForTheHostsPaths) {
  World w;
  w.desktop.windows_directory = "";
  w.files.Put("c:\\windows\\system32\\drivers\\etc\\hosts", "");
  w.Start();
  EXPECT_EQ(w.form.HostsFile, "c:\\windows\\system32\\drivers\\etc\\hosts");
}

TEST(ErrorReport, FullStopRule) {
  EXPECT_EQ(ErrorReportText("Access denied"), "Access denied.");
  EXPECT_EQ(ErrorReportText("Done."), "Done.");
  EXPECT_EQ(ErrorReportText(""), "");
  EXPECT_EQ(ErrorReportText("Failed to get data for 'Start'"), "Failed to get data for 'Start'");
  EXPECT_EQ(ErrorReportText("x (y)"), "x (y)");
  EXPECT_EQ(ErrorReportText("trailing "), "trailing ");
  EXPECT_EQ(ErrorReportText("a-"), "a-");  // '-' is below '.'
  EXPECT_EQ(ErrorReportText("a/"), "a/.");
  EXPECT_EQ(ErrorReportText("caf\xE9"), "caf\xE9.");  // ANSI letters are above '.'
}

TEST(ErrorReport, GuardShowsAnyEscapingError) {
  host::MemoryDialogs dialogs;
  RunGuarded(dialogs, [] { throw std::runtime_error("Boom"); });
  RunGuarded(dialogs, [] { throw 42; });
  RunGuarded(dialogs, [] {});
  ASSERT_EQ(dialogs.shown.size(), 2u);
  EXPECT_EQ(dialogs.shown[0].text, "Boom.");
  EXPECT_EQ(dialogs.shown[1].text, "Unknown error.");
}

}  // namespace

}  // namespace quenlox::testing
