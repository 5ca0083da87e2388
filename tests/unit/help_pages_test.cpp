#include "tests/unit/world.h"

namespace quenlox::testing {

namespace {

TEST(HelpPages, OpenTheJoinedPathMaximisedWithTheMainWindow) {
  World w;
  w.desktop.executable = "C:\\Q\\quenlox.exe";
  w.Start();
  w.form.HelpFAQ1Click();
  w.form.MoreSoftwareDownloads1Click();
  ASSERT_EQ(w.shell.calls.size(), 2u);
  EXPECT_EQ(w.shell.calls[0].target, "C:\\Q\\\\index.html");  // the doubled separator is kept
  EXPECT_EQ(w.shell.calls[1].target, "C:\\Q\\\\download.html");
  EXPECT_EQ(w.shell.calls[0].show, host::kSwShowMaximized);
  EXPECT_EQ(w.shell.calls[0].window, w.desktop.window);
  EXPECT_TRUE(w.dialogs.shown.empty());
}

TEST(HelpPages, ShellFailureGivesEachItsNotice) {
  World w;
  w.Start();
  // ShellExecute's results as the shell wrapper reads them: below 32 is a failure.
  for (std::intptr_t result : {0, 2, 31}) {
    w.shell.result = [result](const std::string&) { return host::ShellExecuteSucceeded(result); };
    w.form.HelpFAQ1Click();
    w.form.MoreSoftwareDownloads1Click();
  }
  w.shell.result = [](const std::string&) { return host::ShellExecuteSucceeded(32); };
  w.form.HelpFAQ1Click();
  std::vector<std::string> expected;
  for (int i = 0; i < 3; ++i) {
    expected.push_back(
        "We could not automatically open your browser, please view the help.html file in your "
        "installation folder.");
    expected.push_back(
        "We could not automatically open your browser, please go to " QUENLOX_VENDOR_URL
        " to download free trial software.");
  }
  EXPECT_EQ(w.Notices(), expected);
}

TEST(HelpPages, LongPathsArePassedWhole) {
  World w;
  w.desktop.executable = "C:\\" + std::string(300, 'd') + "\\quenlox.exe";
  w.Start();
  w.form.HelpFAQ1Click();
  EXPECT_EQ(w.shell.calls[0].target, "C:\\" + std::string(300, 'd') + "\\\\index.html");
}

}  // namespace

}  // namespace quenlox::testing
