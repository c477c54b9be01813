#pragma once

#include <xkbcommon/xkbcommon.h>

#include <memory>

#include "ui/KeyCaptions.h"

namespace tastiva {

struct XkbFree {
  void operator()(xkb_context* p) const { xkb_context_unref(p); }
  void operator()(xkb_keymap* p) const { xkb_keymap_unref(p); }
  void operator()(xkb_state* p) const { xkb_state_unref(p); }
};
using XkbContext = std::unique_ptr<xkb_context, XkbFree>;
using XkbKeymap = std::unique_ptr<xkb_keymap, XkbFree>;
using XkbState = std::unique_ptr<xkb_state, XkbFree>;

// What the 32 keys type in one layout (group) of an XKB keymap.
LayoutSymbols SymbolsOfLayout(xkb_keymap* keymap, xkb_layout_index_t layout);

// The keymap XKB builds from the rules, model, layout, variant and options in the
// environment (XKB_DEFAULT_LAYOUT and the others), or its defaults (us).
XkbKeymap KeymapFromEnvironment(xkb_context* context);

}  // namespace tastiva
