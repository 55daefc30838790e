#include "platform/hotkey.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace vellox::platform {
namespace {

constexpr xcb_keysym_t kKeysymF1 = 0xffbe;  // X11 keysyms F1..F35 are consecutive

template <typename Reply>
struct FreeReply {
  void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply<Reply>>;

xcb_window_t RootOf(xcb_connection_t* connection, xcb_window_t window) {
  if (window != 0) {
    ReplyPtr<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (tree) return tree->root;
  }
  const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  return screens.rem > 0 ? screens.data->root : 0;
}

// The first keycode whose mapping holds `keysym`, or 0.
xcb_keycode_t KeycodeOf(xcb_connection_t* connection, xcb_keysym_t keysym) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  ReplyPtr<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
      connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr));
  if (!mapping || mapping->keysyms_per_keycode == 0) return 0;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int per_keycode = mapping->keysyms_per_keycode;
  const int total = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
  for (int i = 0; i < total; ++i) {
    if (keysyms[i] == keysym) return static_cast<xcb_keycode_t>(setup->min_keycode + i / per_keycode);
  }
  return 0;
}

bool Grab(xcb_connection_t* connection, xcb_window_t root, uint16_t modifiers,
          xcb_keycode_t keycode) {
  xcb_generic_error_t* error = xcb_request_check(
      connection, xcb_grab_key_checked(connection, 1, root, modifiers, keycode,
                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  std::free(error);
  return error == nullptr;
}

}  // namespace

std::unique_ptr<GlobalHotkey> GlobalHotkey::Register(void* connection_pointer, uint32_t window,
                                                     int virtual_key) {
  auto* connection = static_cast<xcb_connection_t*>(connection_pointer);
  if (connection == nullptr || xcb_connection_has_error(connection)) return nullptr;
  if (virtual_key < 112 || virtual_key > 135) return nullptr;
  const xcb_window_t root = RootOf(connection, window);
  const xcb_keycode_t keycode = KeycodeOf(connection, kKeysymF1 + (virtual_key - 112));
  if (root == 0 || keycode == 0) return nullptr;
  // The key with no modifiers is the hotkey; the lock-key variants are grabbed
  // too so that Caps Lock or Num Lock being on does not disable it.
  if (!Grab(connection, root, 0, keycode)) return nullptr;
  const uint16_t lock_variants[] = {XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
  for (const uint16_t locks : lock_variants) Grab(connection, root, locks, keycode);
  return std::unique_ptr<GlobalHotkey>(new GlobalHotkey(keycode));
}

bool GlobalHotkey::Matches(const void* event_pointer) const {
  const auto* event = static_cast<const xcb_generic_event_t*>(event_pointer);
  if (event == nullptr) return false;
  const uint8_t type = event->response_type & 0x7f;
  if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) return false;
  return reinterpret_cast<const xcb_key_press_event_t*>(event)->detail == keycode_;
}

}  // namespace vellox::platform
