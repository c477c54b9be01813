// The Press action of a key and selections in the lists, as assistive technology drives them:
// each acts once, as clicks do. Names, the pressed state and its notifications are read over a
// real accessibility bus in tests/e2e/accessibility_test.sh.
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

TEST_F(Accessibility, PressAndSelectionsActOnceAsClicksDo) {
  Key(12).setFocus();
  QAccessibleActionInterface* actions = Of(Key(7))->actionInterface();
  ASSERT_NE(actions, nullptr);
  EXPECT_EQ(actions->actionNames().value(0), QAccessibleActionInterface::pressAction());
  actions->doAction(QAccessibleActionInterface::pressAction());
  QCoreApplication::processEvents();
  EXPECT_EQ(Key(7).Value(), 0);
  EXPECT_EQ(Focused(), &Key(0));
  EXPECT_EQ(form.PlayedByMouse(), std::optional<std::int16_t>(1));

  // An entry's own action and a row selected through the table each choose once; toggling the
  // selected entry off keeps it and sends nothing; a program selection and a click still act
  // once each.
  ListBox& sounds = window.lst_sound_list();
  SelectEntry(sounds, 40);
  QCoreApplication::processEvents();
  ASSERT_TRUE(Of(window.List1())->tableInterface()->selectRow(1));
  QCoreApplication::processEvents();
  SelectEntry(sounds, 40);
  QCoreApplication::processEvents();
  EXPECT_EQ(sounds.selectedItems().size(), 1);
  sounds.SetListIndex(0);
  Click(sounds.viewport()->mapTo(&window, sounds.visualItemRect(sounds.item(1)).center()));
  QCoreApplication::processEvents();
  EXPECT_EQ(Log(), (Strings{"send 0: 90 3C 7F", "send 0: 90 3C 00", "send 0: B0 00 00",
                            "send 0: C0 28 00", "close 0", "open 1", "send 1: B0 00 00",
                            "send 1: C0 28 00", "send 1: B0 00 00", "send 1: C0 00 00",
                            "send 1: B0 00 00", "send 1: C0 01 00"}));
}

}  // namespace
}  // namespace tastiva::test
