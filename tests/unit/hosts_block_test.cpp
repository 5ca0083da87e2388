#include "blocking/hosts_block.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>

#include "blocking/ad_list.h"
#include "blocking/hosts_file.h"
#include "blocking/utf16_text.h"
#include "resources/texts.h"
#include "tests/fakes/desktop_memory.h"
#include "tests/fakes/files_memory.h"

namespace quenlox::testing {

namespace {

using Op = host::MemoryFiles::Op;

constexpr char kList[] = "ads.example\ntrack.example\nbanner.example\n";

std::string Block(const std::string& original) { return BlockedHosts(original, kList, "0.0.0.0"); }
std::string Unblock(const std::string& blocked) { return UnblockedHosts(blocked); }

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
        std::string("a\r"),
        std::string("\xEF\xBB\xBF"
                    "127.0.0.1 x\r\n"),
        std::string("0.0.0.0 ads.example\r\n"), std::string("\x1a\0\r\n", 4)}) {
    EXPECT_EQ(Unblock(Block(original)), original) << original;
  }
}

TEST(HostsBlock, TheByteOrderMarkStaysAtTheStartAndTheFileReadsBlocked) {
  const std::string bom = "\xEF\xBB\xBF";
  std::string blocked = Block(bom + "127.0.0.1 x\r\n");
  EXPECT_EQ(blocked.compare(0, bom.size() + 9, bom + "# Quenlox"), 0);
  EXPECT_NE(blocked.find("\r\n127.0.0.1 x\r\n"), std::string::npos);
  EXPECT_TRUE(FirstLineHasMarker(blocked));
}

TEST(HostsBlock, BlockLinesAreKnownByTheirFormWhateverTheirLineEnds) {
  // Written by an older build from another list, then re-saved by a Unix tool.
  std::string blocked = std::string(texts::kHostsMarkerLine) +
                        "\nx\n# Quenlox block begin\n127.0.0.1 gone.example\n0.0.0.0 ads.example"
                        "\n# Quenlox block end\n";
  EXPECT_EQ(Unblock(blocked), "x\n");
  // The marker line moved below a line put above it; line ends turned into CRs.
  std::string moved = "mine\r\n" + Block("a\r\n");
  for (std::size_t at; (at = moved.find("\r\n")) != std::string::npos;) moved.erase(at + 1, 1);
  EXPECT_EQ(Unblock(moved), "mine\ra\r");
  // Lines that look generated are the user's outside the section.
  EXPECT_EQ(Unblock(Block("a\r\n") + "0.0.0.0 ads.example\r\n"), "a\r\n0.0.0.0 ads.example\r\n");
  // Blanks a tool left at the ends of the marker, begin and end lines; the marker's would
  // otherwise leave the product word on line 1 after an unblock.
  std::string padded = Block("a\r\n");
  for (std::size_t at = 0; (at = padded.find("\r\n", at)) != std::string::npos; at += 4)
    padded.insert(at, " \t");
  EXPECT_FALSE(FirstLineHasMarker(Unblock(padded)));
  EXPECT_EQ(Unblock(padded), "a \t\r\n");
}

TEST(HostsBlock, AFileThatCarriesABlockAlreadyComesOutWhole) {
  // A second block once appended an empty section to a file whose marker line had moved.
  std::string twice = "x\r\n" + Block("y\r\n") + "# Quenlox block begin\r\n# Quenlox block end\r\n";
  EXPECT_EQ(Unblock(twice), "x\r\ny\r\n");
  EXPECT_EQ(Unblock(Block(Unblock(twice))), Unblock(twice));
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

// Every byte of a UTF-16 file comes back through its 8-bit form: surrogates lone or paired, units
// that are ASCII with a zero byte, an odd last byte, either byte order.
TEST(HostsBlockProperty, Utf16TextRoundTripsByteForByte) {
  std::mt19937 rng(5);
  const std::uint16_t units[] = {'\r',  '\n',  ' ',    '#',    'a',    0,      0xFF,   0x100,
                                 0x7FF, 0x800, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xFEFF, 0xFFFF};
  for (int round = 0; round < 2000; ++round) {
    const bool big = rng() % 2;
    std::string file = big ? "\xFE\xFF" : "\xFF\xFE";
    const int count = static_cast<int>(rng() % 24);
    for (int i = 0; i < count; ++i) {
      const std::uint16_t unit =
          rng() % 3 ? units[rng() % std::size(units)] : static_cast<std::uint16_t>(rng());
      const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      file += big ? std::string{high, low} : std::string{low, high};
    }
    if (rng() % 4 == 0) file += 'x';
    Utf16Text text;
    ASSERT_TRUE(FromUtf16(file, &text));
    EXPECT_EQ(ToUtf16(text), file);
  }
  Utf16Text none;
  EXPECT_FALSE(
      FromUtf16("\xEF\xBB\xBF"
                "ab",
                &none));
}

TEST(HostsBlock, TheCompiledListIsTheWholeList) {
  std::string list = kAdServerList;
  std::size_t lines = std::count(list.begin(), list.end(), '\n');
  EXPECT_EQ(lines, 1258u);
  EXPECT_EQ(list.find('#'), std::string::npos);
  EXPECT_EQ(list.find(' '), std::string::npos);
  // Defender may reset a hosts file that maps a name of Windows' own domains.
  std::istringstream names(list);
  for (std::string name; std::getline(names, name);) {
    for (const std::string domain :
         {"microsoft.com", "windows.com", "windowsupdate.com", "live.com"}) {
      const bool under = name == domain || (name.size() > domain.size() &&
                                            name.compare(name.size() - domain.size() - 1,
                                                         std::string::npos, "." + domain) == 0);
      EXPECT_FALSE(under) << name;
    }
  }
}

// Random hosts files built from the pieces that trouble line-based editing.
std::string RandomHosts(std::mt19937& rng) {
  static const std::vector<std::string> pieces = {"127.0.0.1 localhost",
                                                  "\r\n",
                                                  "\n",
                                                  "\r",
                                                  std::string(1, '\0'),
                                                  "\x1a",
                                                  "Quenlox",
                                                  "# Quenlox block begin\r\n",
                                                  "# Quenlox block end\r\n",
                                                  "0.0.0.0 ads.example\r\n",
                                                  "#",
                                                  " ",
                                                  "\t",
                                                  "ads.example",
                                                  "\xEF\xBB\xBF",
                                                  "\xE9\xFF",
                                                  std::string(5000, 'l')};
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
    // What the toggle blocks: the file without any block lines it carried.
    std::string original = Unblock(RandomHosts(rng));
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
  bool Toggle(bool block) { return Done(ToggleHostsBlock(files, desktop, Paths(), block)); }
  static bool Done(HostsToggle result) {
    return result == HostsToggle::kDone || result == HostsToggle::kUnchanged;
  }
  static HostsPaths Paths() { return {kHosts, kBackup, false}; }
  std::set<std::string> OnlyTheTwoFiles() const { return {kHosts, kBackup}; }
  const std::string original = "127.0.0.1 localhost\r\n1.2.3.4 mine";
  host::MemoryFiles files;
  host::MemoryDesktop desktop;
};

TEST_F(HostsFileWrite, EveryFailingStepLeavesTheOldOrTheNewFileAndNoTemporary) {
  const std::string blocked = BlockedHosts(original, kAdServerList, "0.0.0.0");
  for (Op op : {Op::kOpenRead, Op::kRead, Op::kCreateNew, Op::kWrite, Op::kFlush, Op::kClose,
                Op::kReplace, Op::kLink, Op::kSetAttributes, Op::kGetStamp}) {
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

TEST_F(HostsFileWrite, AFileLargerThanTheReadBufferComesOutAsIfReadWhole) {
  // Lines of every end meet the read buffer's edge, a CRLF straddles it, one line is longer than
  // the buffer, and the last has no end.
  const char* const ends[] = {"\r\n", "\n", "\r"};
  std::string large = "0.0.0.0 ads.example\r\n";
  large += std::string(64 * 1024 - 1 - large.size(), 'a') + "\r\n";
  for (int i = 0; large.size() < 300000; ++i)
    large += "10.0.0.1 host" + std::to_string(i) + ends[i % 3];
  large.insert(100000, std::string(150000, 'x') + "\n");
  large += "1.2.3.4 last";
  files.Put(kHosts, large);
  files.SetLinkImplemented(false);
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Data(kHosts), BlockedHosts(large, kAdServerList, "0.0.0.0"));
  EXPECT_EQ(files.Data(kBackup), large);
  ASSERT_TRUE(Toggle(false));
  EXPECT_EQ(files.Data(kHosts), large);
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
  // One line of a block is enough, also the first after a byte order mark; one that does not
  // start its line is the user's.
  const std::string marker = texts::kHostsMarkerLine;
  for (const std::string& carried :
       {"\xEF\xBB\xBF" + marker + "\n" + original, original + "\r" + texts::kHostsSectionEnd,
        " " + marker + "\n" + original}) {
    files.Put(kHosts, carried);
    files.Put(kBackup, "older copy");
    ASSERT_TRUE(Toggle(true));
    const bool users = carried[0] == ' ';
    EXPECT_EQ(files.Data(kBackup), users ? carried : "older copy");
    EXPECT_EQ(files.Data(kHosts),
              BlockedHosts(users ? carried : Unblock(carried), kAdServerList, "0.0.0.0"));
  }
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

TEST_F(HostsFileWrite, WithoutOneStepReplaceTheOldFileIsMovedAsideAndComesBackOnFailure) {
  files.SetReplaceImplemented(false);
  files.SetLinkImplemented(false);
  ASSERT_TRUE(Toggle(true));
  ASSERT_TRUE(Toggle(false));
  EXPECT_EQ(files.Data(kHosts), original);
  EXPECT_EQ(files.Data(kBackup), original);
  // The block's renames: the old backup, gone already, aside and the copy in, then hosts aside
  // and the new file in.
  files.FailNth(Op::kRename, 4);
  EXPECT_FALSE(Toggle(true));
  EXPECT_EQ(files.Data(kHosts), original);
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
}

TEST_F(HostsFileWrite, AHostsSavLeftAsASecondNameOfTheHostsFileCostsItNothing) {
  // A kill between the backup's link and the swap leaves this; replacing that name clears the
  // read-only attribute of both.
  files.Put(kHosts, original, host::kAttrReadOnly);
  ASSERT_EQ(files.Link(kHosts, kBackup), host::FsStatus::kOk);
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Attributes(kHosts), host::kAttrReadOnly);
  EXPECT_EQ(files.Data(kBackup), original);
  EXPECT_TRUE(FirstLineHasMarker(files.Data(kHosts)));
}

TEST_F(HostsFileWrite, LeftoversOfAnInterruptedRunGoWhateverTheirAttributes) {
  const std::uint32_t stuck = host::kAttrReadOnly | host::kAttrHidden;
  files.Put(std::string(kHosts) + ".quenlox-new", "half written", stuck);
  files.Put(std::string(kBackup) + ".quenlox-new", "half written", stuck);
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
  // Killed between the two renames without a one-step replace: the old file goes back first.
  files.Put(std::string(kHosts) + ".quenlox-old", original);
  files.Erase(kHosts);
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
  EXPECT_TRUE(FirstLineHasMarker(files.Data(kHosts)));
}

TEST_F(HostsFileWrite, TheSwapKeepsTheHostsFilesSecurity) {
  files.SetSecurity(kHosts, "owner Administrators; users may not write");
  ASSERT_TRUE(Toggle(true));
  ASSERT_TRUE(Toggle(false));
  EXPECT_EQ(files.Data(kHosts), original);
  EXPECT_EQ(files.Security(kHosts), "owner Administrators; users may not write");
}

TEST_F(HostsFileWrite, ALinkStaysALinkAndItsTargetIsWritten) {
  const std::string target = "D:\\config\\hosts";
  files.Put(target, original);
  files.Erase(kHosts);
  files.PutLink(kHosts, target);
  ASSERT_TRUE(Toggle(true));
  EXPECT_TRUE(files.IsLink(kHosts));
  EXPECT_TRUE(FirstLineHasMarker(files.Data(target)));
  EXPECT_EQ(files.Data(kBackup), original);
  ASSERT_TRUE(Toggle(false));
  EXPECT_TRUE(files.IsLink(kHosts));
  EXPECT_EQ(files.Data(target), original);
  // Where the system cannot follow the link, nothing is written.
  files.SetFinalPathImplemented(false);
  EXPECT_FALSE(Toggle(true));
  EXPECT_TRUE(files.IsLink(kHosts));
  EXPECT_EQ(files.Data(target), original);
}

TEST_F(HostsFileWrite, ASaveByAnotherProgramBetweenReadAndSwapIsNeverOverwritten) {
  // Saved once while the toggle writes its files: it starts over from the saved file.
  const std::string saved = "127.0.0.1 localhost\r\n10.0.0.7 saved-meanwhile\r\n";
  files.BeforeNext(Op::kCreateNew, [&] { files.Put(kHosts, saved); });
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Data(kHosts), BlockedHosts(saved, kAdServerList, "0.0.0.0"));
  EXPECT_EQ(files.Data(kBackup), saved);
  // Saved again on every attempt: it gives up and the other program's file stays.
  const std::string blocked = files.Data(kHosts);
  int saves = 0;
  std::function<void()> save_again = [&] {
    files.Put(kHosts, blocked + "10.0.0.8 mine" + std::to_string(++saves) + "\r\n");
    files.BeforeNext(Op::kCreateNew, save_again);
  };
  files.BeforeNext(Op::kCreateNew, save_again);
  EXPECT_EQ(ToggleHostsBlock(files, desktop, Paths(), false), HostsToggle::kFailed);
  EXPECT_EQ(saves, 2);
  EXPECT_EQ(files.Data(kHosts), blocked + "10.0.0.8 mine2\r\n");
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
}

TEST_F(HostsFileWrite, ASaveWhileTheSwapWaitsOutAHoldIsNeverOverwritten) {
  // The first swap attempt meets another program's hold, and that program saves meanwhile.
  const std::string saved = original + "10.0.0.9 saved-while-held\r\n";
  files.SharingViolationsOnReplace(2);
  files.BeforeNext(Op::kReplace, [&] { files.Put(kHosts, saved); });
  ASSERT_TRUE(Toggle(true));
  EXPECT_EQ(files.Data(kHosts), BlockedHosts(saved, kAdServerList, "0.0.0.0"));
  EXPECT_EQ(files.Paths(), OnlyTheTwoFiles());
}

TEST_F(HostsFileWrite, ANewHostsSavKeepsTheAttributesTheLastOneHad) {
  for (bool links : {true, false}) {
    files.Put(kHosts, original);
    files.Put(kBackup, "the last block's", host::kAttrReadOnly | host::kAttrHidden);
    files.SetLinkImplemented(links);
    ASSERT_TRUE(Toggle(true));
    EXPECT_EQ(files.Data(kBackup), original);
    EXPECT_EQ(files.Attributes(kBackup), host::kAttrReadOnly | host::kAttrHidden) << links;
    EXPECT_EQ(files.Attributes(kHosts), host::kAttrNormal) << links;
  }
}

TEST_F(HostsFileWrite, UnblockNeverSucceedsWhileTheProductWordStaysOnLineOne) {
  const std::string foreign = "# my Quenlox notes\r\n" + BlockedHosts(original, kList, "0.0.0.0");
  files.Put(kHosts, foreign);
  EXPECT_EQ(ToggleHostsBlock(files, desktop, Paths(), false), HostsToggle::kMarkerNotOurs);
  EXPECT_EQ(files.Data(kHosts), foreign);
  // The uninstaller takes out what is the block's and leaves the user's line.
  EXPECT_EQ(LiftHostsBlock(files, desktop, Paths()), HostsToggle::kDone);
  EXPECT_EQ(files.Data(kHosts), "# my Quenlox notes\r\n" + original);
}

}  // namespace

}  // namespace quenlox::testing
