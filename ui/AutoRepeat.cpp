#include "ui/AutoRepeat.h"

#include <QGuiApplication>

#if defined(TASTIVA_HAVE_XCB_XKB)
#include <xcb/xcb.h>
// xkb.h names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <QtGui/qguiapplication_platform.h>
#endif

namespace tastiva {

void UseDetectableAutoRepeat() {
#if defined(TASTIVA_HAVE_XCB_XKB)
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return;
  xcb_connection_t* connection = x11->connection();
  const auto flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
  // Sent in order and not waited for: the window maps after them either way, and an error
  // (no XKB) is only a server that repeats keys as it always did.
  auto cookie = xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION);
  xcb_discard_reply(connection, cookie.sequence);
  auto flags = xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0);
  xcb_discard_reply(connection, flags.sequence);
#endif
}

}  // namespace tastiva
