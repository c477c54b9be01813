// Each key's caption is what the user's layout types on the physical key that plays it.
#include <gtest/gtest.h>

#include <QStringList>

#include "ui/KeyCaptions.h"

#if defined(TASTIVA_HAVE_XKBCOMMON)
#include "ui/KeyCaptionsXkb.h"
#endif

namespace tastiva {
namespace {

TEST(KeyCaptions, LettersInCapitalsOtherSymbolsAsTypedUsWhereNothingPrints) {
  EXPECT_EQ(Caption({"q", "Q"}, "Q"), "Q");
  EXPECT_EQ(Caption({"ö", "Ö"}, ";"), "Ö");
  EXPECT_EQ(Caption({"i", "İ"}, "I"), "İ");  // Turkish: the capital Shift gives
  EXPECT_EQ(Caption({"é", "2"}, "2"), "é");  // AZERTY: a letter over a digit
  EXPECT_EQ(Caption({"ß", ""}, "-"), "ß");   // no capital of its own
  EXPECT_EQ(Caption({"a", ""}, "Q"), "A");   // a key with one level
  EXPECT_EQ(Caption({",", "<"}, ","), ",");
  EXPECT_EQ(Caption({"^", "¨"}, "["), "^");
  EXPECT_EQ(Caption({"", "Q"}, "Q"), "Q");
  EXPECT_EQ(Caption({"\r", ""}, "["), "[");
  EXPECT_EQ(Caption({" ", ""}, "["), "[");
}

#if defined(TASTIVA_HAVE_XKBCOMMON)

class NamedLayout final : public LayoutSource {
 public:
  NamedLayout(const char* layouts, xkb_layout_index_t active) : active_(active) {
    const xkb_rule_names names{"evdev", "pc105", layouts, "", ""};
    keymap_.reset(xkb_keymap_new_from_names(context_.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
  }
  std::optional<LayoutSymbols> Read() override {
    if (!keymap_) return std::nullopt;
    return SymbolsOfLayout(keymap_.get(), active_);
  }

 private:
  XkbContext context_{xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES)};
  XkbKeymap keymap_;
  xkb_layout_index_t active_;
};

std::string Joined(LayoutSource* source) {
  QStringList captions;
  for (const QString& caption : KeyCaptions(source)) captions << caption;
  return captions.join(' ').toStdString();
}

TEST(KeyCaptions, XkbLayoutsCaptionTheirOwnSymbols) {
  const std::string us = "Q 2 W 3 E 4 R Z S X D C V G B H N J M , L . ; / U 8 I 9 O 0 P [";
  const std::string de = "Q 2 W 3 E 4 R Y S X D C V G B H N J M , L . Ö - U 8 I 9 O 0 P Ü";
  const std::string fr = "A é Z \" E ' R W S X D C V G B H N J , ; L : M ! U _ I ç O à P ^";
  NamedLayout usLayout("us", 0), deLayout("de", 0), frLayout("fr", 0);
  EXPECT_EQ(Joined(&usLayout), us);
  EXPECT_EQ(Joined(&deLayout), de);
  EXPECT_EQ(Joined(&frLayout), fr);
  // Of several layouts, the active group's.
  NamedLayout usDe("us,de", 1);
  EXPECT_EQ(Joined(&usDe), de);
}

#endif

}  // namespace
}  // namespace tastiva
