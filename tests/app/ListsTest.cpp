// The two lists: every choice acts, the entry already selected included, and a device switch
// carries the instrument over; Ctrl never clears a selection; long device names leave both
// rows in view; the keys take the focus back; Alt+I and Alt+D reach the lists. A key's Press action
// and selections in the lists as assistive technology drives them act once each, as clicks do
// (names, the pressed state and its notifications are read over a real accessibility bus in
// tests/e2e/accessibility_test.sh).
#include <QAccessible>
#include <QScrollBar>

#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

using Lists = AppTest;

TEST_F(Lists, EverySelectionActsTheSelectedEntryAgainTooAndADeviceSwitchCarriesTheInstrument) {
  Start();
  window.List1().SetListIndex(-1);  // nothing selected: nothing changes
  EXPECT_TRUE(Log().empty());
  EXPECT_THROW(window.List1().SetListIndex(5), RuntimeError);  // no such position
  // The entry already selected acts again.
  for (int n = 0; n < 2; ++n) window.lst_sound_list().SetListIndex(40);
  for (int n = 0; n < 2; ++n) window.List1().SetListIndex(1);
  EXPECT_EQ(Log(), Split("send 0: B0 00 00, send 0: C0 28 00, send 0: B0 00 00, "
                         "send 0: C0 28 00, close 0, open 1, send 1: B0 00 00, send 1: C0 28 00, "
                         "close 1, open 1, send 1: B0 00 00, send 1: C0 28 00"));

  // A note held over a switch ends on the device it sounds on, before that one closes; its
  // key's release later still sends its own note-off, to the device open then.
  platform.ClearLog();
  Step("+Q");
  window.List1().SetListIndex(0);
  Step("-Q");
  EXPECT_EQ(Log(), Split("send 1: 90 35 7F, send 1: 90 35 00, close 1, open 0, "
                         "send 0: B0 00 00, send 0: C0 28 00, send 0: 90 35 00"));

  // Clicked, too.
  ListBox& devices = window.List1();
  ListBox& sounds = window.lst_sound_list();
  sounds.SetListIndex(0);
  platform.ClearLog();
  Click(Entry(devices, 0));
  Click(Entry(sounds, 0));
  EXPECT_EQ(Log(), Split("close 0, open 0, send 0: B0 00 00, send 0: C0 00 00, "
                         "send 0: B0 00 00, send 0: C0 00 00"));

  // Ctrl+click on the selected entry, then a double click on the next: each press chooses.
  for (ListBox* list : {&devices, &sounds}) {
    SCOPED_TRACE(list->objectName().toStdString());
    platform.ClearLog();
    Click(Entry(*list, 0), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(list->ListIndex(), 0);
    EXPECT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(Log().size(), list == &devices ? 4u : 2u);
    platform.ClearLog();
    QTest::mouseDClick(Win(), Qt::LeftButton, {}, Entry(*list, 1));
    EXPECT_EQ(list->ListIndex(), 1);
    EXPECT_EQ(Log().size(), list == &devices ? 8u : 4u);
  }
  EXPECT_EQ(Log(), Split("send 1: B0 00 00, send 1: C0 01 00, send 1: B0 00 00, send 1: C0 01 00"));
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
  Click(Entry(devices, 1));
  EXPECT_EQ(Log(), Split("close 0, open 1, send 1: B0 00 00, send 1: C0 00 00"));
}

QAccessibleInterface* Of(QWidget& w) {
  return QAccessible::queryAccessibleInterface(&w);
}

TEST_F(Lists, AltIAndAltDPutTheFocusInTheListsWhereAnArrowChoosesAndAnyKeyOrPressSendsItBack) {
  Start();
  const auto alt = [this](Qt::Key key) {
    SendKey(QEvent::KeyPress, Qt::Key_Alt, 0x38, false, Qt::AltModifier);
    // As the window system delivers it: shortcuts first, then the widget with the focus.
    QTest::keyPress(Focused(), key, Qt::AltModifier);
    SendKey(QEvent::KeyRelease, key, Pc(static_cast<char>(key)), false, Qt::AltModifier);
    SendKey(QEvent::KeyRelease, Qt::Key_Alt, 0x38);
  };
  const auto arrow = [this](Qt::Key key) {
    QTest::keyPress(Focused(), key);
    QTest::keyRelease(Focused(), key);
  };
  alt(Qt::Key_I);
  EXPECT_EQ(Focused(), &window.lst_sound_list());
  arrow(Qt::Key_Down);
  EXPECT_EQ(Focused(), &Key(0));
  alt(Qt::Key_I);
  arrow(Qt::Key_Up);
  alt(Qt::Key_D);
  EXPECT_EQ(Focused(), &window.List1());
  arrow(Qt::Key_Down);
  EXPECT_EQ(Focused(), &Key(0));
  EXPECT_EQ(Log(), Split("send 0: B0 00 00, send 0: C0 01 00, send 0: B0 00 00, send 0: C0 00 00, "
                         "close 0, open 1, send 1: B0 00 00, send 1: C0 00 00"));

  // Any other key or a press of another button, too; Alt plays nothing.
  for (ListBox* list : {&window.List1(), &window.lst_sound_list()}) {
    SCOPED_TRACE(list->objectName().toStdString());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A);
    EXPECT_EQ(Focused(), &Key(0));
    list->setFocus();
    Click(list->viewport()->mapTo(&window, list->viewport()->rect().center()), Qt::RightButton);
    EXPECT_EQ(Focused(), &Key(0));
  }

  // Screen readers tell each list's shortcut, as its focus action's key binding too, and that
  // action puts the focus there (names over the bus: tests/e2e/accessibility_test.sh).
  EXPECT_EQ(Of(window.lst_sound_list())->text(QAccessible::Accelerator), "Alt+I");
  EXPECT_EQ(Of(window.List1())->text(QAccessible::Accelerator), "Alt+D");
  QAccessibleActionInterface* focusing = Of(window.List1())->actionInterface();
  ASSERT_NE(focusing, nullptr);
  EXPECT_EQ(focusing->keyBindingsForAction(focusing->setFocusAction()), QStringList{"Alt+D"});
  focusing->doAction(focusing->setFocusAction());
  EXPECT_EQ(Focused(), &window.List1());
}

// The entry's own action, as a screen reader selects it.
void SelectEntry(ListBox& list, int row) {
  QAccessibleInterface* entry = Of(list)->tableInterface()->cellAt(row, 0);
  ASSERT_NE(entry, nullptr);
  entry->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  QCoreApplication::processEvents();
}

using Accessibility = AppTest;

TEST_F(Accessibility, PressAndSelectionsActOnceAsClicksDo) {
  Start();
  // Press is the key's first action; it brings the focus back to the keys (its sound and
  // look: PlayingTest).
  Key(12).setFocus();
  EXPECT_EQ(Of(Key(7))->actionInterface()->actionNames().value(0),
            QAccessibleActionInterface::pressAction());
  Play("P7");
  EXPECT_EQ(Focused(), &Key(0));
  Step("W");

  // An entry's own action chooses once, and toggling the selected entry off keeps it and
  // sends nothing; a program selection and a click still act once each. Through the list's
  // table, and at a receiver, tests/e2e/accessibility_test.sh.
  ListBox& sounds = window.lst_sound_list();
  SelectEntry(sounds, 40);
  SelectEntry(sounds, 40);
  EXPECT_EQ(sounds.selectedItems().size(), 1);
  sounds.SetListIndex(0);
  Click(Entry(sounds, 1));
  QCoreApplication::processEvents();
  EXPECT_EQ(Log(), Sends("90 3C 7F, 90 3C 00, B0 00 00, C0 28 00, B0 00 00, C0 00 00, B0 00 00, "
                         "C0 01 00"));
}

}  // namespace
}  // namespace tastiva::test
