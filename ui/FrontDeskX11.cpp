// Coming to the front on X11. A window manager is asked through _NET_ACTIVE_WINDOW as a
// program's own request; without one the program raises the window and gives it the keyboard
// itself. Either carries the server's time of the call: a window manager weighs it against the
// user's last input elsewhere, the server ignores a focus change older than the last one (Qt's
// own requests carry the time of the last event the program saw, long past).
#include <poll.h>
#include <xcb/xcb.h>

#include <QtGui/qwindowdefs.h>
#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace tastiva {

namespace {

xcb_atom_t Atom(xcb_connection_t* c, std::string_view name) {
  const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

bool Supports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t feature) {
  const auto cookie =
      xcb_get_property(c, 0, root, Atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
  bool found = false;
  if (reply != nullptr && reply->format == 32) {
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const auto* end = atoms + xcb_get_property_value_length(reply) / 4;
    found = std::find(atoms, end, feature) != end;
  }
  std::free(reply);
  return found;
}

// The server's time now, from a change to a property of a window of our own; at most a second.
xcb_timestamp_t ServerTime(xcb_connection_t* c, xcb_window_t root) {
  const xcb_window_t probe = xcb_generate_id(c);
  const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root, -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  xcb_change_property(c, XCB_PROP_MODE_APPEND, probe, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                      nullptr);
  xcb_flush(c);
  xcb_timestamp_t time = XCB_CURRENT_TIME;
  pollfd readable{xcb_get_file_descriptor(c), POLLIN, 0};
  for (int polls = 0; time == XCB_CURRENT_TIME && polls < 20 && !xcb_connection_has_error(c);) {
    xcb_generic_event_t* event = xcb_poll_for_event(c);
    if (event == nullptr) {
      ::poll(&readable, 1, 50);
      ++polls;
    } else if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY) {
      time = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
    }
    std::free(event);
  }
  xcb_destroy_window(c, probe);
  return time;
}

}  // namespace

void ActivateOnX11(WId window) {
  // A connection of its own: Qt reads the events of its connection on another thread.
  int screen = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screen);
  xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (; !xcb_connection_has_error(c) && roots.rem > 0 && screen > 0; --screen) {
    xcb_screen_next(&roots);
  }
  if (xcb_connection_has_error(c) || roots.rem == 0) {
    xcb_disconnect(c);
    return;
  }
  const xcb_window_t root = roots.data->root;
  const auto target = static_cast<xcb_window_t>(window);
  const xcb_timestamp_t time = ServerTime(c, root);
  const xcb_atom_t active = Atom(c, "_NET_ACTIVE_WINDOW");
  if (Supports(c, root, active)) {
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = target;
    request.type = active;
    request.data.data32[0] = 1;  // from an application
    request.data.data32[1] = time;
    xcb_send_event(c, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&request));
  } else {
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(c, target, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(c, XCB_INPUT_FOCUS_PARENT, target, time);
  }
  // Done by the server before the connection goes.
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  xcb_disconnect(c);
}

}  // namespace tastiva
