// The window as assistive technology sees and drives it: names, the pressed state, the Press
// action of a key and selections in the lists, each acting once. (Notifications need a real
// accessibility bus: tests/e2e/accessibility_test.sh.)
#include <QAccessible>

#include "tests/app/AppFixture.h"

namespace tastiva::test {
namespace {

class Accessibility : public AppTest {
 protected:
  void SetUp() override { Start(); }
  static QAccessibleInterface* Of(QWidget& w) { return QAccessible::queryAccessibleInterface(&w); }
  // The entry's own action, as a screen reader selects it.
  static void SelectEntry(ListBox& list, int row) {
    QAccessibleInterface* entry = Of(list)->tableInterface()->cellAt(row, 0);
    ASSERT_NE(entry, nullptr);
    entry->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  }
};

TEST_F(Accessibility, NamesFromLabelsNoteAndCaptionAndThePressedState) {
  EXPECT_EQ(Of(window.List1())->text(QAccessible::Name), "Device");
  EXPECT_EQ(Of(window.lst_sound_list())->text(QAccessible::Name), "Instrument");
  EXPECT_EQ(window.Label1().buddy(), &window.List1());
  EXPECT_EQ(window.Label2().buddy(), &window.lst_sound_list());
  for (const auto& [key, name] :
       {std::pair{0, "F3, key Q"}, {1, "F#3, key 2"}, {7, "C4, key Z"}, {31, "C6, key ["}}) {
    EXPECT_EQ(Of(Key(key))->text(QAccessible::Name), name);
  }
  EXPECT_EQ(Of(Key(7))->role(), QAccessible::Button);
  Key(7).setText("Y");  // the name follows the caption
  EXPECT_EQ(Of(Key(7))->text(QAccessible::Name), "C4, key Y");

  // The state follows the press.
  Key(0).setFocus();
  Play("+Z");
  QAccessible::State state = Of(Key(7))->state();
  EXPECT_TRUE(state.checkable && state.checked && state.pressed);
  Play("-Z");
  state = Of(Key(7))->state();
  EXPECT_FALSE(state.checked || state.pressed);
}

TEST_F(Accessibility, PressPlaysTheKeyAsAClickDoes) {
  Key(12).setFocus();
  QAccessibleActionInterface* actions = Of(Key(7))->actionInterface();
  ASSERT_NE(actions, nullptr);
  EXPECT_EQ(actions->actionNames().value(0), QAccessibleActionInterface::pressAction());
  actions->doAction(QAccessibleActionInterface::pressAction());
  QCoreApplication::processEvents();
  EXPECT_EQ(Log(), (Strings{"send 0: 90 3C 7F", "send 0: 90 3C 00"}));
  EXPECT_EQ(Key(7).Value(), 0);
  EXPECT_EQ(Focused(), &Key(0));
  EXPECT_EQ(form.PlayedByMouse(), std::optional<std::int16_t>(1));
}

TEST_F(Accessibility, AnEntrySelectedByAssistiveTechnologyIsChosenOnce) {
  ListBox& sounds = window.lst_sound_list();
  ListBox& devices = window.List1();
  SelectEntry(sounds, 40);
  QCoreApplication::processEvents();
  EXPECT_EQ(sounds.ListIndex(), 40);
  EXPECT_EQ(Log(), (Strings{"send 0: B0 00 00", "send 0: C0 28 00"}));
  platform.ClearLog();
  SelectEntry(devices, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(devices.ListIndex(), 1);
  EXPECT_EQ(Log(), (Strings{"close 0", "open 1", "send 1: B0 00 00", "send 1: C0 28 00"}));

  // Through the table; toggling the selected entry off keeps it and sends nothing.
  platform.ClearLog();
  ASSERT_TRUE(Of(devices)->tableInterface()->selectRow(0));
  SelectEntry(sounds, 40);
  QCoreApplication::processEvents();
  EXPECT_EQ(Log(), (Strings{"close 1", "open 0", "send 0: B0 00 00", "send 0: C0 28 00"}));
  EXPECT_EQ(sounds.selectedItems().size(), 1);

  // A program selection and a click still run the handler once each.
  platform.ClearLog();
  sounds.SetListIndex(0);
  Click(sounds.viewport()->mapTo(&window, sounds.visualItemRect(sounds.item(1)).center()));
  QCoreApplication::processEvents();
  EXPECT_EQ(Log(), (Strings{"send 0: B0 00 00", "send 0: C0 00 00", "send 0: B0 00 00",
                            "send 0: C0 01 00"}));
}

}  // namespace
}  // namespace tastiva::test
