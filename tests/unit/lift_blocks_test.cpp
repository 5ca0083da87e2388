#include "blocking/lift_blocks.h"

#include "blocking/hosts_block.h"
#include "tests/unit/world.h"

namespace quenlox::testing {

namespace {

class LiftBlocks : public ::testing::Test {
 protected:
  void SetUp() override { w.TypicalNt(); }
  LiftResult Lift() { return LiftInLineBlock(w.files, w.desktop); }
  void BlockInLine() {
    w.Start();
    w.Click(TForm1::kLeftButtonDown, 1);
    ASSERT_TRUE(FirstLineHasMarker(w.files.Data(kNtHosts)));
  }
  World w;
};

TEST_F(LiftBlocks, InLineComesOutAsTheProgramsOwnUnblockTakesIt) {
  const std::string original = w.files.Data(kNtHosts);
  BlockInLine();
  w.dialogs.shown.clear();
  const LiftResult lifted = Lift();
  EXPECT_TRUE(lifted.in_line_lifted);
  EXPECT_FALSE(lifted.failed);
  EXPECT_EQ(w.files.Data(kNtHosts), original);
  EXPECT_EQ(w.desktop.dns_flushes, 2);
  EXPECT_TRUE(w.dialogs.shown.empty());

  // Not blocked: the file is not rewritten.
  EXPECT_FALSE(Lift().in_line_lifted);
  EXPECT_EQ(w.desktop.dns_flushes, 2);
}

TEST_F(LiftBlocks, ABlockMovedDownAndResavedWithLineFeedsComesOutToo) {
  auto line_feeds = [](std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
    return text;
  };
  const std::string original = "10.0.0.9 above\r\n" + w.files.Data(kNtHosts);
  BlockInLine();
  w.files.Put(kNtHosts, line_feeds("10.0.0.9 above\r\n" + w.files.Data(kNtHosts)));
  EXPECT_TRUE(Lift().in_line_lifted);
  EXPECT_EQ(w.files.Data(kNtHosts), line_feeds(original));
}

TEST_F(LiftBlocks, ALockedHostsFileIsAFailureAndStaysBlocked) {
  BlockInLine();
  const std::string blocked = w.files.Data(kNtHosts);
  w.files.Lock(kNtHosts);
  const LiftResult lifted = Lift();
  EXPECT_TRUE(lifted.failed);
  EXPECT_FALSE(lifted.in_line_lifted);
  EXPECT_EQ(w.files.Data(kNtHosts), blocked);
}

TEST_F(LiftBlocks, NoHostsFileIsNoFailure) {
  World none;
  const LiftResult lifted = LiftInLineBlock(none.files, none.desktop);
  EXPECT_FALSE(lifted.in_line_lifted || lifted.failed);
  EXPECT_TRUE(none.files.Paths().empty());
}

}  // namespace

}  // namespace quenlox::testing
