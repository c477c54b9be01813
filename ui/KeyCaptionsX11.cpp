// The layout of X11's core keyboard, read again when XKB reports a new keymap or group.
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
// xkb.h names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <QtGui/qguiapplication_platform.h>
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTimer>

#include "ui/KeyCaptionsXkb.h"

namespace tastiva {

namespace {

class X11Source final : public LayoutSource, public QAbstractNativeEventFilter {
 public:
  X11Source(xcb_connection_t* connection, std::uint8_t xkbEvent)
      : connection_(connection),
        xkbEvent_(xkbEvent),
        context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    // setxkbmap and layout switches come as bursts of notifications: read once after them.
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Changed(); });
    // Qt's own keyboard selects these notifications on the same connection.
    QCoreApplication::instance()->installNativeEventFilter(this);
  }

  ~X11Source() override {
    if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
  }

  std::optional<LayoutSymbols> Read() override {
    if (!context_) return std::nullopt;
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection_);
    if (device < 0) return std::nullopt;
    XkbKeymap keymap(xkb_x11_keymap_new_from_device(context_.get(), connection_, device,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) return std::nullopt;
    XkbState state(xkb_x11_state_new_from_device(keymap.get(), connection_, device));
    if (!state) return std::nullopt;
    const xkb_layout_index_t layout =
        xkb_state_serialize_layout(state.get(), XKB_STATE_LAYOUT_EFFECTIVE);
    return SymbolsOfLayout(keymap.get(), layout);
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != xkbEvent_) return false;
    // Every XKB event carries its kind in the byte after the response type.
    switch (event->pad0) {
      case XCB_XKB_NEW_KEYBOARD_NOTIFY:
      case XCB_XKB_MAP_NOTIFY:
        timer_.start();
        break;
      case XCB_XKB_STATE_NOTIFY: {
        const auto* state = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event);
        if (state->changed & XCB_XKB_STATE_PART_GROUP_STATE) timer_.start();
        break;
      }
      default:
        break;
    }
    return false;
  }

 private:
  xcb_connection_t* connection_;
  std::uint8_t xkbEvent_;
  XkbContext context_;
  QTimer timer_;
};

}  // namespace

std::unique_ptr<LayoutSource> CreateX11LayoutSource() {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return nullptr;
  std::uint8_t xkbEvent = 0;
  if (!xkb_x11_setup_xkb_extension(
          x11->connection(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
          XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &xkbEvent, nullptr)) {
    return nullptr;
  }
  return std::make_unique<X11Source>(x11->connection(), xkbEvent);
}

}  // namespace tastiva
