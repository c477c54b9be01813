// The compositor's keymap, through a connection of our own: Qt 6.4 does not share the one it
// reads. That connection has no window, so it never has the keyboard focus and never hears
// which group is locked; it shows the keymap's first layout, which is the active one unless
// the user switches between several. Without a keyboard there (a headless compositor) the
// keymap comes from XKB's environment and defaults.
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cstring>

#include "ui/KeyCaptionsXkb.h"

namespace tastiva {

namespace {

class WaylandSource final : public LayoutSource {
 public:
  WaylandSource() : context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    if (!context_) return;
    display_ = wl_display_connect(nullptr);
    if (display_ == nullptr) return;
    wl_registry* registry = wl_display_get_registry(display_);
    wl_registry_add_listener(registry, &kRegistryListener, this);
    wl_display_roundtrip(display_);                 // the globals
    if (seat_) wl_display_roundtrip(display_);      // the seat's capabilities
    if (keyboard_) wl_display_roundtrip(display_);  // the keymap
    wl_registry_destroy(registry);
    keymapChanged_ = false;
    if (keyboard_ == nullptr) {
      Disconnect();
      return;
    }
    notifier_ =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Dispatch(); });
  }

  ~WaylandSource() override { Disconnect(); }

  std::optional<LayoutSymbols> Read() override {
    if (!context_) return std::nullopt;
    if (keymap_) return SymbolsOfLayout(keymap_.get(), 0);
    XkbKeymap keymap = KeymapFromEnvironment(context_.get());
    if (!keymap) return std::nullopt;
    return SymbolsOfLayout(keymap.get(), 0);
  }

 private:
  void Dispatch() {
    if (wl_display_dispatch(display_) < 0) {
      Disconnect();  // the compositor went away; keep the last keymap
      return;
    }
    if (keymapChanged_) {
      keymapChanged_ = false;
      Changed();
    }
  }

  void Disconnect() {
    notifier_.reset();
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    if (seat_) wl_seat_destroy(seat_);
    if (display_) wl_display_disconnect(display_);
    keyboard_ = nullptr;
    seat_ = nullptr;
    display_ = nullptr;
  }

  void OnKeymap(std::uint32_t format, int fd, std::uint32_t size) {
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
      void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
      if (text != MAP_FAILED) {
        // The text ends with a NUL within size.
        XkbKeymap keymap(xkb_keymap_new_from_buffer(context_.get(), static_cast<const char*>(text),
                                                    strnlen(static_cast<const char*>(text), size),
                                                    XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS));
        munmap(text, size);
        if (keymap) {
          keymap_ = std::move(keymap);
          keymapChanged_ = true;
        }
      }
    }
    close(fd);
  }

  static void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
    auto* self = static_cast<WaylandSource*>(data);
    if (self->seat_ == nullptr && std::strcmp(interface, wl_seat_interface.name) == 0) {
      self->seat_ = static_cast<wl_seat*>(
          wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 4u)));
      wl_seat_add_listener(self->seat_, &kSeatListener, self);
    }
  }

  static void OnCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
    auto* self = static_cast<WaylandSource*>(data);
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && self->keyboard_ == nullptr) {
      self->keyboard_ = wl_seat_get_keyboard(seat);
      wl_keyboard_add_listener(self->keyboard_, &kKeyboardListener, self);
    }
  }

  static void OnKeymapEvent(void* data, wl_keyboard*, std::uint32_t format, int fd,
                            std::uint32_t size) {
    static_cast<WaylandSource*>(data)->OnKeymap(format, fd, size);
  }

  static constexpr wl_registry_listener kRegistryListener{
      OnGlobal, [](void*, wl_registry*, std::uint32_t) {}};
  static constexpr wl_seat_listener kSeatListener{OnCapabilities,
                                                  [](void*, wl_seat*, const char*) {}};
  static constexpr wl_keyboard_listener kKeyboardListener{
      OnKeymapEvent,
      [](void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {},
      [](void*, wl_keyboard*, std::uint32_t, wl_surface*) {},
      [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {},
      [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
         std::uint32_t) {},
      [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
  };

  XkbContext context_;
  XkbKeymap keymap_;  // the compositor's, once it sent one
  bool keymapChanged_ = false;
  wl_display* display_ = nullptr;
  wl_seat* seat_ = nullptr;
  wl_keyboard* keyboard_ = nullptr;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

std::unique_ptr<LayoutSource> CreateWaylandLayoutSource() {
  return std::make_unique<WaylandSource>();
}

}  // namespace tastiva
