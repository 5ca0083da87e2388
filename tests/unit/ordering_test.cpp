#include <cstring>

#include "ordering/Uord1.h"
#include "resources/ordering_layout.h"
#include "tests/unit/world.h"

namespace quenlox::testing {

namespace {

class FakeWindow : public FormWindow {
 public:
  host::WindowRef Handle() override { return 0x777; }
  void Close() override { ++closed; }
  int closed = 0;
};

class Ordering : public ::testing::Test {
 protected:
  World w;
  FakeWindow window;
  TFrmordr1 form{w.host, window};
};

constexpr char kSupport[] = QUENLOX_SUPPORT_EMAIL;
constexpr char kOrderPage[] = QUENLOX_ORDER_URL;

TEST_F(Ordering, SupportLabelsShowTheNoticeFirstThenOpenMailWithTheirSubjects) {
  std::size_t shell_calls_during_notice = 99;
  w.dialogs.while_open = [&] { shell_calls_during_notice = w.shell.calls.size(); };
  form.Label2Click();
  EXPECT_EQ(shell_calls_during_notice, 0u);
  form.Label3Click();
  ASSERT_EQ(w.shell.calls.size(), 2u);
  EXPECT_EQ(w.shell.calls[0].target,
            std::string("mailto:") + kSupport + "?Subject=Ordering Help - Quenlox");
  EXPECT_EQ(w.shell.calls[1].target,
            std::string("mailto:") + kSupport + "?Subject=Quenlox Questions (Order Page)");
  EXPECT_EQ(w.shell.calls[0].show, host::kSwShowNormal);
  EXPECT_EQ(w.shell.calls[0].window, 0x777u);
  EXPECT_EQ(w.Notices()[0],
            std::string("If you have any questions or problems, please feel free to send an email "
                        "to support at ") +
                kSupport +
                " (Many ordering options are available, including Mastercard, Visa, Discover, "
                "Amex, Switch, Solo, Pay Pal, Eurocard, Diners, Check, Money Order, and others. "
                "You can also visit either of the ordering websites listed above, as there are "
                "several choices for your convenience.)");
  EXPECT_EQ(w.Notices().size(), 2u);  // no mail notice: the shell succeeded
}

TEST_F(Ordering, NoMailClientNoticeHasNoFullStop) {
  w.shell.result = [](const std::string&) { return false; };
  form.Label3Click();
  EXPECT_EQ(w.Notices().back(),
            std::string("You cannot view this file because you do not have a default email "
                        "software setup. Simply email your question to support at ") +
                kSupport);
  EXPECT_EQ(window.closed, 0);
}

TEST_F(Ordering, OrderPageOpensMaximisedAndItsFailureNoticeIsExact) {
  form.Label9Click();
  ASSERT_EQ(w.shell.calls.size(), 1u);
  EXPECT_EQ(w.shell.calls[0].target, kOrderPage);
  EXPECT_EQ(w.shell.calls[0].show, host::kSwShowMaximized);
  EXPECT_TRUE(w.Notices().empty());
  w.shell.result = [](const std::string&) { return false; };
  form.Label9Click();
  EXPECT_EQ(w.Notices(),
            std::vector<std::string>{
                std::string("Your browser did not open. Please open your browser and type the "
                            "website name in your browser -> ") +
                kOrderPage + "  If you have any questions or problems, please contact support at " +
                kSupport + " and place \"Ordering Help\" on the subject line"});
}

TEST_F(Ordering, ReturnClosesTheWindow) {
  form.Button1Click();
  EXPECT_EQ(window.closed, 1);
}

TEST(OrderingLayout, WindowAndControlsAsDesigned) {
  EXPECT_STREQ(kOrderingWindow.caption, "Ordering Information");
  EXPECT_EQ(kOrderingWindow.width, 504);
  EXPECT_EQ(kOrderingWindow.height, 421);
  EXPECT_STREQ(kOrderingWindow.font.face, "System");
  EXPECT_EQ(kOrderingWindow.font.height, 13);
  EXPECT_EQ(kOrderingWindow.background, kWhite);

  struct Row {
    const char* name;
    int left, top, width, height;
    int font;
    bool wraps, hand;
  };
  const Row rows[] = {
      {"Label1", 5, 8, 428, 17, 13, false, false},    {"Label2", 24, 33, 457, 27, 12, true, true},
      {"Label6", 24, 64, 466, 48, 12, true, false},   {"Label9", 41, 115, 400, 29, 13, false, true},
      {"Label17", 24, 176, 0, 0, 13, false, false},   {"Label20", 30, 198, 0, 0, 12, false, false},
      {"Label21", 30, 218, 0, 0, 12, false, false},   {"Label23", 183, 237, 0, 0, 12, false, false},
      {"Label22", 183, 255, 0, 0, 12, false, false},  {"Label3", 24, 313, 452, 35, 12, true, true},
      {"Button1", 399, 354, 89, 22, 13, false, false}};
  ASSERT_EQ(std::size(rows), std::size(kOrderingControls));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const ControlSpec& c = kOrderingControls[i];
    SCOPED_TRACE(rows[i].name);
    EXPECT_STREQ(c.name, rows[i].name);
    EXPECT_EQ(c.left, rows[i].left);
    EXPECT_EQ(c.top, rows[i].top);
    EXPECT_EQ(c.width, rows[i].width);
    EXPECT_EQ(c.height, rows[i].height);
    EXPECT_EQ(c.font.height, rows[i].font);
    EXPECT_STREQ(c.font.face, c.button ? "MS Sans Serif" : "Arial");
    EXPECT_EQ(c.wraps, rows[i].wraps);
    EXPECT_EQ(c.hand_cursor, rows[i].hand);
    EXPECT_EQ(c.hand_cursor, c.click == OrderingClick::kLabel2 ||
                                 c.click == OrderingClick::kLabel3 ||
                                 c.click == OrderingClick::kLabel9);
  }
}

TEST(OrderingLayout, ExactBlanksInsideTheTexts) {
  auto text = [](const char* name) {
    for (const ControlSpec& c : kOrderingControls)
      if (std::strcmp(c.name, name) == 0) return std::string(c.text);
    return std::string();
  };
  EXPECT_EQ(text("Label21"),
            "Shipping/Handling" + std::string(19, ' ') + "- $0.00  FREE  Via Email Delivery");
  EXPECT_EQ(text("Label23"), "  - $5.00 U.S. Postal Mail (CD Rom)");
  EXPECT_EQ(text("Label22"), "  - $7.00 International (CD Rom)");
  EXPECT_EQ(text("Label20"), "\"Quenlox Popup Software\"     - $19.95");
  EXPECT_EQ(text("Label9"), std::string(kOrderPage) + "  (Click here to open the order page)");
  EXPECT_EQ(text("Button1"), "Return");
  const ControlSpec& label1 = kOrderingControls[0];
  EXPECT_EQ(label1.color, kBlue);
  EXPECT_TRUE(label1.font.underline);
  EXPECT_TRUE(kOrderingControls[1].font.italic);
}

}  // namespace

}  // namespace quenlox::testing
