// The main window's geometry, stacking and tab order, and the notice window.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "tests/app/AppFixture.h"
#include "ui/NoticeWindow.h"

namespace tastiva::test {
namespace {

using Layout = AppTest;

TEST_F(Layout, WindowAndControlsStandAtTheirPlacesInPixels) {
  Start();
  EXPECT_EQ(window.size(), QSize(623, 219));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the window cannot be resized";
  EXPECT_EQ(window.windowTitle(), "Tastiva");
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(192, 192, 192));
  EXPECT_TRUE(window.font().bold());
  EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.4);
  EXPECT_FALSE(window.windowIcon().isNull());

  EXPECT_EQ(window.List1().geometry(), QRect(48, 16, 189, 29));
  EXPECT_EQ(window.lst_sound_list().geometry(), QRect(386, 15, 177, 29));
  EXPECT_EQ(window.Label1().pos(), QPoint(48, 0));
  EXPECT_EQ(window.Label1().text(), "Device");
  EXPECT_EQ(window.Label2().pos(), QPoint(384, 0));
  EXPECT_EQ(window.Label2().text(), "Instrument");

  const std::vector<int> blackKeys{1, 3, 5, 8, 10, 13, 15, 17, 20, 22, 25, 27, 29};
  int white = 0;
  for (int i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    const bool black = std::count(blackKeys.begin(), blackKeys.end(), i) == 1;
    EXPECT_EQ(Key(i).IsBlack(), black);
    EXPECT_EQ(Key(i).text(), QString(kUsCaptions[i]));
    EXPECT_EQ(Key(i).Value(), 0);
    if (black) {
      // 120 twips left of the next white key.
      EXPECT_EQ(Key(i).geometry(), QRect(8 + 32 * white - 8, 64, 17, 89));
    } else {
      EXPECT_EQ(Key(i).geometry(), QRect(8 + 32 * white, 64, 33, 145));
      ++white;
    }
  }
  EXPECT_EQ(white, 19);
}

TEST_F(Layout, AMousePressReachesTheKeyOnTop) {
  Start();
  struct Case {
    int xTwips, yTwips;
    const char* sent;  // nullptr: no key
  } cases[] = {
      {610, 1000, "send 0: 90 36 7F"},   // shared line of keys 0 and 2, inside black key 1
      {610, 2500, "send 0: 90 35 7F"},   // the same line below the black keys: the left key
      {2050, 1000, "send 0: 90 3B 7F"},  // B3 and C4, with no black key between
      {3500, 1000, "send 0: 90 41 7F"},  // just past E4, on F4
      {9300, 1000, nullptr},             // right of the last key
      {4000, 3200, nullptr},             // below the keys
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.xTwips);
    platform.ClearLog();
    const QPoint at(c.xTwips / 15, c.yTwips / 15);
    Click(at);
    if (c.sent) {
      ASSERT_EQ(Log().size(), 2u);
      EXPECT_EQ(Log()[0], c.sent);
    } else {
      EXPECT_TRUE(Log().empty());
    }
  }
}

TEST_F(Layout, KeysHaveTheFocusFromTheStartTabWalksTheDesignedOrderNothingToggles) {
  Start();
  const std::vector<int> keyOrder{29, 27, 25, 8, 10, 20, 22, 23, 21, 19, 11, 9,  13, 15, 17, 12,
                                  14, 16, 18, 7, 1,  3,  2,  0,  5,  24, 26, 28, 30, 31, 6,  4};
  // The lists are no tab stops, so key 29 has the focus when the window is first shown.
  ASSERT_EQ(Focused(), &Key(29));
  std::vector<QWidget*> expected;
  for (int k : keyOrder) expected.push_back(&Key(k));
  expected.push_back(&Key(29));  // wraps round
  std::vector<QWidget*> walked{Focused()};
  for (std::size_t i = 1; i < expected.size(); ++i) {
    QTest::keyClick(Focused(), Qt::Key_Tab);
    walked.push_back(Focused());
  }
  EXPECT_EQ(walked, expected);

  // The first computer key pressed plays at once; neither Space, Enter nor a click leaves a
  // key toggled.
  Play("+Q");
  EXPECT_EQ(Log(), Sends("90 35 7F"));
  Play("-Q");
  Key(0).setFocus();
  QTest::keyClick(&Key(0), Qt::Key_Space);
  QTest::keyClick(&Key(0), Qt::Key_Return);
  Click(Centre(7));
  EXPECT_EQ(Log(), Sends("90 35 7F, 90 35 00, 90 3C 7F, 90 3C 00"));
  ExpectLooksFollowSound();
  EXPECT_FALSE(Key(0).isChecked() || Key(7).isChecked());
}

TEST(NoticeWindow, IsThePictureAtItsOwnSizeWithXInTheCorner) {
  NoticeWindow notice;
  EXPECT_TRUE(notice.windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_EQ(notice.size(), QSize(685, 361));
  EXPECT_EQ(notice.Image1().geometry(), QRect(0, 0, 685, 361));
  EXPECT_EQ(notice.Command1().geometry(), QRect(8, 8, 21, 21));
  EXPECT_EQ(notice.Command1().text(), "X");
  EXPECT_FALSE(notice.Command1().isDefault());
  EXPECT_EQ(notice.Command2().y(), 361 + 67) << "out of sight below the bottom edge";

  // Escape is bound to nothing; "X" closes and the modal show returns.
  bool escaped = true;
  QTimer::singleShot(0, &notice, [&] {
    QTest::keyClick(&notice, Qt::Key_Escape);
    escaped = !notice.isVisible();
    QTest::mouseClick(&notice.Command1(), Qt::LeftButton);
  });
  notice.ShowModal();
  EXPECT_FALSE(escaped);
  EXPECT_FALSE(notice.isVisible());
}

}  // namespace
}  // namespace tastiva::test
