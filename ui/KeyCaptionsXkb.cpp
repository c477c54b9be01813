#include "ui/KeyCaptionsXkb.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <iterator>

namespace tastiva {

namespace {

// Dead keys type nothing by themselves; their keycaps show the spacing accent.
struct DeadKey {
  xkb_keysym_t keysym;
  char16_t spacing;
};
constexpr DeadKey kDeadKeys[] = {
    {XKB_KEY_dead_grave, u'`'},          {XKB_KEY_dead_acute, u'\u00B4'},
    {XKB_KEY_dead_circumflex, u'^'},     {XKB_KEY_dead_tilde, u'~'},
    {XKB_KEY_dead_macron, u'\u00AF'},    {XKB_KEY_dead_breve, u'\u02D8'},
    {XKB_KEY_dead_abovedot, u'\u02D9'},  {XKB_KEY_dead_diaeresis, u'\u00A8'},
    {XKB_KEY_dead_abovering, u'\u02DA'}, {XKB_KEY_dead_doubleacute, u'\u02DD'},
    {XKB_KEY_dead_caron, u'\u02C7'},     {XKB_KEY_dead_cedilla, u'\u00B8'},
    {XKB_KEY_dead_ogonek, u'\u02DB'},
};

QString Text(xkb_keysym_t keysym) {
  const auto* dead = std::find_if(std::begin(kDeadKeys), std::end(kDeadKeys),
                                  [keysym](const DeadKey& d) { return d.keysym == keysym; });
  if (dead != std::end(kDeadKeys)) return QString(QChar(dead->spacing));
  const std::uint32_t code = xkb_keysym_to_utf32(keysym);
  if (code == 0) return {};
  const char32_t text[] = {code};
  return QString::fromUcs4(text, 1);
}

}  // namespace

LayoutSymbols SymbolsOfLayout(xkb_keymap* keymap, xkb_layout_index_t layout) {
  XkbState plain(xkb_state_new(keymap));
  XkbState shifted(xkb_state_new(keymap));
  const xkb_mod_index_t shift = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
  const xkb_mod_mask_t shiftMask = shift == XKB_MOD_INVALID ? 0 : 1u << shift;
  xkb_state_update_mask(plain.get(), 0, 0, 0, 0, 0, layout);
  xkb_state_update_mask(shifted.get(), shiftMask, 0, 0, 0, 0, layout);

  LayoutSymbols symbols;
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    const xkb_keycode_t keycode = kKeyPositions[i].pcScanCode + 8u;
    symbols[i].plain = Text(xkb_state_key_get_one_sym(plain.get(), keycode));
    symbols[i].shifted = Text(xkb_state_key_get_one_sym(shifted.get(), keycode));
  }
  return symbols;
}

XkbKeymap KeymapFromEnvironment(xkb_context* context) {
  return XkbKeymap(xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS));
}

}  // namespace tastiva
