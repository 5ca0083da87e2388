#include "blocking/hosts_block.h"

#include <gtest/gtest.h>

#include <random>

#include "blocking/ad_list.h"
#include "blocking/hosts_file.h"
#include "platform/desktop_memory.h"
#include "platform/files_memory.h"
#include "resources/texts.h"

namespace quenlox::testing {

namespace {

using Op = host::MemoryFiles::Op;

constexpr char kList[] = "ads.example\ntrack.example\nbanner.example\n";

std::string Block(const std::string& original) {
  return BlockedHosts(original, kList, "0.0.0.0");
}
std::string Unblock(const std::string& blocked) { return UnblockedHosts(blocked, kList); }

TEST(HostsBlock, LayoutOfTheBlockedFile) {
  EXPECT_EQ(Block("127.0.0.1 localhost\r\n"),
            std::string(texts::kHostsMarkerLine) +
                "\r\n127.0.0.1 localhost\r\n# Quenlox block begin\r\n0.0.0.0 ads.example\r\n"
                "0.0.0.0 track.example\r\n0.0.0.0 banner.example\r\n# Quenlox block end\r\n");
  EXPECT_TRUE(FirstLineHasMarker(Block("")));
  EXPECT_NE(Block("x").find("\r\nx\r\n# Quenlox block begin (the line break before this line was "
                            "added)\r\n"),
            std::string::npos);
  EXPECT_NE(BlockedHosts("", kList, "127.0.0.1").find("\r\n127.0.0.1 ads.example\r\n"),
            std::string::npos);
}

TEST(HostsBlock, NamesTheFileMapsAlreadyAreLeftOut) {
  std::string blocked = Block("10.0.0.5  ADS.example other # banner.example\n");
  EXPECT_EQ(blocked.find("0.0.0.0 ads.example"), std::string::npos);
  EXPECT_NE(blocked.find("0.0.0.0 banner.example"), std::string::npos);  // only in a comment
  EXPECT_NE(blocked.find("0.0.0.0 track.example"), std::string::npos);
}

TEST(HostsBlock, UnblockRestoresExactBytes) {
  for (const std::string& original :
       {std::string(""), std::string("a"), std::string("a\r\n"), std::string("a\n"),
        std::string("a\r"), std::string("\xEF\xBB\xBF" "127.0.0.1 x\r\n"),
        std::string("x\r\n# Quenlox block begin\r\n0.0.0.0 ads.example\r\n# Quenlox block end\r\n"),
        std::string("0.0.0.0 ads.example\r\n"), std::string("\x1a\0\r\n", 4)}) {
    EXPECT_EQ(Unblock(Block(original)), original) << original;
  }
}

TEST(HostsBlock, UserLinesAddedWhileBlockedSurvive) {
  std::string blocked = Block("127.0.0.1 localhost\r\n");
  std::size_t end = blocked.find("# Quenlox block end");
  std::string edited = blocked;
  edited.insert(end, "10.1.1.1 inside\r\n");
  edited += "10.1.1.2 after\r\n";
  EXPECT_EQ(Unblock(edited), "127.0.0.1 localhost\r\n10.1.1.1 inside\r\n10.1.1.2 after\r\n");
  // Appended to a file whose last line the block had to end.
  EXPECT_EQ(Unblock(Block("a") + "b\r\n"), "a\r\nb\r\n");
}

TEST(HostsBlock, SectionWithoutItsEndLineStopsAtTheFirstForeignLine) {
  std::string blocked = Block("h\r\n");
  blocked.erase(blocked.find("# Quenlox block end"));
  blocked.insert(blocked.find("0.0.0.0 track"), "mine\r\n");
  EXPECT_EQ(Unblock(blocked), "h\r\nmine\r\n0.0.0.0 track.example\r\n0.0.0.0 banner.example\r\n");
}

TEST(HostsBlock, UnblockLeavesAFileItDidNotBlockAlone) {
  EXPECT_EQ(Unblock("# Quenlox by hand\r\n1.2.3.4 x\r\n"), "# Quenlox by hand\r\n1.2.3.4 x\r\n");
}

TEST(HostsBlock, Utf16ByteOrderMarks) {
  EXPECT_TRUE(StartsWithUtf16Bom("\xFF\xFE"));
  EXPECT_TRUE(StartsWithUtf16Bom("\xFE\xFFxx"));
  EXPECT_FALSE(StartsWithUtf16Bom("\xEF\xBB\xBF"));
  EXPECT_FALSE(StartsWithUtf16Bom("\xFF"));
}

TEST(HostsBlock, TheCompiledListIsTheWholeList) {
  std::string list = kAdServerList;
  std::size_t lines = std::count(list.begin(), list.end(), '\n');
  EXPECT_EQ(lines, 1259u);
  EXPECT_EQ(list.find('#'), std::string::npos);
  EXPECT_EQ(list.find(' '), std::string::npos);
}

// Random hosts files built from the pieces that trouble line-based editing.
std::string RandomHosts(std::mt19937& rng) {
  static const std::vector<std::string> pieces = {
      "127.0.0.1 localhost", "\r\n", "\n", "\r", std::string(1, '\0'), "\x1a", "Quenlox",
      "# Quenlox block begin\r\n", "# Quenlox block end\r\n", "0.0.0.0 ads.example\r\n", "#", " ",
      "\t", "ads.example", "\xEF\xBB\xBF", "\xE9\xFF", std::string(5000, 'l')};
  std::string out;
  int n = std::uniform_int_distribution<int>(0, 30)(rng);
  for (int i = 0; i < n; ++i) {
    if (rng() % 4 == 0) {
      out += static_cast<char>(rng() % 256);
    } else {
      out += pieces[rng() % pieces.size()];
    }
  }
  return out;
}

TEST(HostsBlockProperty, RoundTripsAndMarksEveryFile) {
  std::mt19937 rng(20261209);
  for (int i = 0; i < 3000; ++i) {
    std::string original = RandomHosts(rng);
    if (FirstLineHasMarker(original)) continue;  // such a file is shown as blocked already
    std::string blocked = Block(original);
    ASSERT_TRUE(FirstLineHasMarker(blocked)) << i;
    ASSERT_EQ(Unblock(blocked), original) << i;
    std::string kept = Unblock(blocked + "10.9.9.9 mine\r\n");
    ASSERT_EQ(kept.compare(0, original.size(), original), 0) << i;
    ASSERT_NE(kept.find("10.9.9.9 mine\r\n"), std::string::npos) << i;
  }
}

class HostsFileWrite : public ::testing::Test {
 protected:
  static constexpr char kHosts[] = "C:\\W\\system32\\drivers\\etc\\hosts";
  static constexpr char kBackup[] = "C:\\W\\system32\\drivers\\etc\\hosts.sav";
  void SetUp() override { files.Put(kHosts, original); }
  bool Toggle(bool block) {
    return ToggleHostsBlock(files, desktop, {kHosts, kBackup, false}, block);
  }
  std::set<std::string> OnlyTheTwoFiles() const { return {kHosts, kBackup}; }
  const std::string original = "127.0.0.1 localhost\r\n1.2.3.4 mine";
  host::MemoryFiles files;
  host::MemoryDesktop desktop;
};

TEST_F(HostsFileWrite, EveryFailingStepLeavesTheOldOrTheNewFileAndNoTemporary) {
  const std::string blocked = BlockedHosts(original, kAdServerList, "0.0.0.0");
  for (Op op : {Op::kOpenRead, Op::kRead, Op::kCreateNew, Op::kWrite, Op::kFlush, Op::kClose,
                Op::kReplace, Op::kSetAttributes}) {
    for (int n = 1; n <= 3; ++n) {
      for (bool block : {true, false}) {
        files = host::MemoryFiles();
        files.Put(kHosts, block ? original : blocked, host::kAttrReadOnly);
        files.FailNth(op, n);
        bool ok = Toggle(block);
        std::string now = files.Data(kHosts);
        const std::string& before = block ? original : blocked;
        const std::string& after = block ? blocked : original;
        SCOPED_TRACE(::testing::Message() << static_cast<int>(op) << " n=" << n << " " << block);
        EXPECT_TRUE(now == before || now == after);
        EXPECT_EQ(ok, now == after);
        EXPECT_EQ(files.Attributes(kHosts), host::kAttrReadOnly);
        for (const std::string& path : files.Paths())
          EXPECT_TRUE(path == kHosts || path == kBackup) << path;
      }
    }
  }
}

TEST_F(HostsFileWrite, BackupIsAnExactCopyAndNeverOfABlockedFile) {
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Data(kBackup), original);
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
  // Blocking a file that is blocked already rebuilds the section and keeps the backup.
  files.Put(kBackup, "older copy");
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Data(kBackup), "older copy");
  EXPECT_EQ(files.Data(kHosts), BlockedHosts(original, kAdServerList, "0.0.0.0"));
}

TEST_F(HostsFileWrite, AttributesComeBackAfterTheSwap) {
  files.Put(kHosts, original, host::kAttrReadOnly | host::kAttrHidden | host::kAttrSystem);
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Attributes(kHosts), host::kAttrReadOnly | host::kAttrHidden | host::kAttrSystem);
  ASSERT_TRUE(Toggle(false));
  EXPECT_EQ(files.Data(kHosts), original);
}

TEST_F(HostsFileWrite, SharingViolationsAreRetriedForAboutTwoSeconds) {
  files.SharingViolationsOnReplace(3);
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(desktop.slept_ms, 300u);
  desktop.slept_ms = 0;
  files.Lock(kHosts);
  files.Unlock(kHosts);
  files.SharingViolationsOnReplace(1000);
  EXPECT_FALSE(Toggle(false));
  EXPECT_GE(desktop.slept_ms, 1900u);
  EXPECT_LE(desktop.slept_ms, 2500u);
  EXPECT_TRUE(FirstLineHasMarker(files.Data(kHosts)));
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
}

TEST_F(HostsFileWrite, WithoutOneStepReplaceItDeletesThenRenames) {
  files.SetReplaceImplemented(false);
  ASSERT_TRUE(Toggle(true));
  ASSERT_TRUE(Toggle(false));
  EXPECT_EQ(files.Data(kHosts), original);
  EXPECT_EQ(files.Data(kBackup), original);
}

TEST_F(HostsFileWrite, LeftoverTemporaryFromAnInterruptedRunIsReplaced) {
  files.Put(std::string(kHosts) + ".quenlox-new", "half written");
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
}

}  // namespace

}  // namespace quenlox::testing
