// The two lists under real clicks: every choice acts, the entry already selected included;
// Ctrl never clears a selection; long device names leave both rows in view.
#include <QScrollBar>

#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

using Lists = AppTest;

QPoint EntryCentre(MainWindow& window, ListBox& list, int row) {
  return list.viewport()->mapTo(&window, list.visualItemRect(list.item(row)).center());
}

TEST_F(Lists, ChoosingTheSelectedEntryAgainActsAgainAndCtrlKeepsTheSelection) {
  Start();
  ListBox& devices = window.List1();
  ListBox& sounds = window.lst_sound_list();
  Click(EntryCentre(window, devices, 0));
  EXPECT_EQ(Log(), (Strings{"close 0", "open 0", "send 0: B0 00 00", "send 0: C0 00 00"}));
  platform.ClearLog();
  Click(EntryCentre(window, sounds, 0));
  EXPECT_EQ(Log(), (Strings{"send 0: B0 00 00", "send 0: C0 00 00"}));

  // Ctrl+click on the selected entry, then a double click on the next: each press chooses.
  for (ListBox* list : {&devices, &sounds}) {
    SCOPED_TRACE(list->objectName().toStdString());
    platform.ClearLog();
    QTest::mouseClick(Win(), Qt::LeftButton, Qt::ControlModifier, EntryCentre(window, *list, 0));
    EXPECT_EQ(list->ListIndex(), 0);
    EXPECT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(Log().size(), list == &devices ? 4u : 2u);
    platform.ClearLog();
    QTest::mouseDClick(Win(), Qt::LeftButton, {}, EntryCentre(window, *list, 1));
    EXPECT_EQ(list->ListIndex(), 1);
    EXPECT_EQ(Log().size(), list == &devices ? 8u : 4u);
  }
  EXPECT_EQ(Log(), (Strings{"send 1: B0 00 00", "send 1: C0 01 00", "send 1: B0 00 00",
                            "send 1: C0 01 00"}));
}

TEST_F(Lists, ALongDeviceNameLeavesTheSecondRowInViewAndClickable) {
  // As wide as a device name gets, 31 bytes of wide letters, last: the list sizes its rows
  // by the last entry.
  platform.devices = {"Built-in Synthesizer", std::string(31, 'M')};
  Start();
  ListBox& devices = window.List1();
  EXPECT_FALSE(devices.horizontalScrollBar()->isVisible());
  EXPECT_EQ(devices.textElideMode(), Qt::ElideMiddle);
  const QRect row2 = devices.visualItemRect(devices.item(1));
  EXPECT_TRUE(devices.viewport()->rect().contains(row2.center())) << "row 2 out of view";
  Click(EntryCentre(window, devices, 1));
  EXPECT_EQ(Log(), (Strings{"close 0", "open 1", "send 1: B0 00 00", "send 1: C0 00 00"}));
}

}  // namespace
}  // namespace tastiva::test
