// The main window's start-up and end with the MIDI traffic and boxes they cause, its
// geometry, stacking and tab order, and the notice window.
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "tests/app/AppFixture.h"
#include "ui/NoticeWindow.h"

namespace tastiva::test {
namespace {

using Words = std::vector<std::uint32_t>;

struct Launch {
  const char* mapper;
  std::string_view devices;
  int day;
  std::string_view calls;  // to the desktop
  std::size_t boxes;
  std::string_view log;
  friend void PrintTo(const Launch& l, std::ostream* os) { *os << "day " << l.day; }
};
const Launch kLaunches[] = {
    // Device 0 is opened, then the first listed; each gets instrument 0. The notice comes
    // first on days divisible by five.
    {nullptr, "Synth, Port", 4, "PrevInstance", 0,
     "open 0, send 0: B0 00 00, send 0: C0 00 00, close 0, open 0, send 0: B0 00 00, "
     "send 0: C0 00 00"},
    {"MIDI Mapper", "Synth", 10, "PrevInstance, ShowNotice", 0,
     "open 0, send 0: B0 00 00, send 0: C0 00 00, close 0, open mapper, "
     "send mapper: B0 00 00, send mapper: C0 00 00"},
    // No device: the refused open of device 0 and the two messages of the program change.
    {nullptr, "", 15, "PrevInstance, ShowNotice", 3,
     "open 0 -> 2, send none: B0 00 00 -> 5, send none: C0 00 00 -> 5"},
    // Another copy runs: ends at once and touches nothing.
    {nullptr, "Synth", 30, "PrevInstance, End", 0, ""},
};

class Startup : public AppTest, public ::testing::WithParamInterface<Launch> {};

TEST_P(Startup, OpensDeviceZeroThenTheFirstListedAndSendsInstrumentZeroToEach) {
  const Launch& start = GetParam();
  if (start.mapper) platform.mapper = start.mapper;
  platform.devices = Split(start.devices);
  desktop.running = start.calls.ends_with("End");
  desktop.day = start.day;
  std::size_t sentBeforeNotice = 0;
  bool shownBeforeNotice = false;
  desktop.onNotice = [&] {
    sentBeforeNotice = Log().size();
    shownBeforeNotice = window.isVisible();
  };
  form.Form_Load();
  EXPECT_EQ(desktop.calls, Split(start.calls));
  EXPECT_EQ(sentBeforeNotice, 0u) << "start-up waits for the notice";
  EXPECT_FALSE(shownBeforeNotice);
  EXPECT_EQ(Log(), Split(start.log));
  EXPECT_EQ(box.boxes.size(), start.boxes);
  EXPECT_EQ(window.isVisible(), !desktop.running);
  const std::size_t listed =
      desktop.running ? 0 : platform.devices.size() + (start.mapper != nullptr);
  // Which entries are selected, and what they hold, the log tells.
  EXPECT_EQ(window.List1().ListCount(), static_cast<int>(listed));
  ListBox& sounds = window.lst_sound_list();
  ASSERT_EQ(sounds.ListCount(), desktop.running ? 0 : 128);
  if (desktop.running) return;
  EXPECT_EQ(sounds.item(0)->text(), "Acoustic Grand Piano");
  EXPECT_EQ(sounds.item(127)->text(), "Gun Shot");
}
INSTANTIATE_TEST_SUITE_P(Devices, Startup, ::testing::ValuesIn(kLaunches));

using Layout = AppTest;
using Window = AppTest;

// With no device open each note is refused with a box of its own: tests/windows/e2e_test.sh.
TEST_F(Window, ARefusedSwitchShowsThreeBoxesAndClosingEndsTheNotesHeldFirst) {
  Start();
  platform.refuseOpen[1] = 68;
  window.List1().SetListIndex(1);
  EXPECT_EQ(Log(), Split("close 0, open 1 -> 68, send none: B0 00 00 -> 5, "
                         "send none: C0 00 00 -> 5"));
  EXPECT_EQ(box.boxes.size(), 3u);

  window.List1().SetListIndex(0);
  Play("L+7 +Q +X -X");
  platform.ClearLog();
  window.close();
  EXPECT_EQ(Log(), Split("send 0: 90 35 00, send 0: 90 3C 00, close 0"));
  EXPECT_EQ(desktop.calls.back(), "End");
  EXPECT_FALSE(window.isVisible());
}

TEST_F(Layout, WindowAndControlsStandAtTheirPlacesInPixelsAndAPressReachesTheKeyOnTop) {
  Start();
  EXPECT_EQ(window.size(), QSize(623, 219));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the window cannot be resized";
  EXPECT_EQ(window.windowTitle(), "Tastiva");
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(192, 192, 192));
  EXPECT_TRUE(window.font().bold());
  EXPECT_DOUBLE_EQ(window.font().pointSizeF(), 8.4);
  QList<QSize> icons = window.windowIcon().availableSizes();
  std::sort(icons.begin(), icons.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
  EXPECT_EQ(icons, (QList<QSize>{
                       {16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));

  EXPECT_EQ(window.List1().geometry(), QRect(48, 16, 189, 29));
  EXPECT_EQ(window.lst_sound_list().geometry(), QRect(386, 15, 177, 29));
  EXPECT_EQ(window.Label1().pos(), QPoint(48, 0));
  EXPECT_EQ(window.Label1().text(), "Device");
  EXPECT_EQ(window.Label2().pos(), QPoint(384, 0));
  EXPECT_EQ(window.Label2().text(), "Instrument");

  const char kBlack[] = "-#-#-#--#-#--#-#-#--#-#--#-#-#--";
  int white = 0;
  for (int i = 0; i < 32; ++i) {
    SCOPED_TRACE(i);
    const bool black = kBlack[i] == '#';
    EXPECT_EQ(Key(i).IsBlack(), black);
    EXPECT_EQ(Key(i).text(), QString(kUsCaptions[i]));
    EXPECT_EQ(Key(i).Value(), 0);
    // A black key stands 120 twips left of the next white key.
    EXPECT_EQ(Key(i).geometry(),
              black ? QRect(32 * white, 64, 17, 89) : QRect(8 + 32 * white++, 64, 33, 145));
  }
  EXPECT_EQ(white, 19);

  // A press reaches the key on top, by key index, at points in twips: the shared line of keys
  // 0 and 2 inside black key 1, and below the black keys (the left key); B3 and C4 with no
  // black key between; just past E4, on F4; right of the last key; below the keys.
  const int presses[][3] = {{610, 1000, 1},   {610, 2500, 0},   {2050, 1000, 6},
                            {3500, 1000, 12}, {9300, 1000, -1}, {4000, 3200, -1}};
  for (const auto& [x, y, key] : presses) {
    platform.ClearLog();
    Click(QPoint(x / 15, y / 15));
    const std::uint32_t note = 0x90 | (53 + key) << 8;
    EXPECT_EQ(platform.Words(), (key < 0 ? Words{} : Words{note | 0x7F0000, note}))
        << x << "," << y;
  }
}

TEST_F(Layout, KeysHaveTheFocusFromTheStartTabWalksTheDesignedOrderNothingToggles) {
  Start();
  // The lists are no tab stops, so key 29 has the focus when the window is first shown; the
  // walk wraps round to it.
  const int keyOrder[] = {29, 27, 25, 8, 10, 20, 22, 23, 21, 19, 11, 9,  13, 15, 17, 12, 14,
                          16, 18, 7,  1, 3,  2,  0,  5,  24, 26, 28, 30, 31, 6,  4,  29};
  for (std::size_t i = 0; i < std::size(keyOrder); ++i) {
    if (i > 0) QTest::keyClick(Focused(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), &Key(keyOrder[i])) << i;
  }
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
