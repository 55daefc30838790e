#pragma once
// The global hotkey on X11: a key grabbed on the root window through an xcb
// connection (usually the toolkit's own), so that its presses reach this
// process whichever window has the focus. Where there is no X11 connection
// (offscreen, Wayland) registration simply fails. Use on the window's thread.

#include <cstdint>
#include <memory>

namespace vellox::platform {

// Windows virtual-key codes F1..F24 are 112..135; F9 is 120.
inline constexpr int kVirtualKeyF9 = 120;

class GlobalHotkey {
 public:
  // Grabs `virtual_key` (F1..F24) with no modifier keys (Caps Lock and Num Lock
  // do not count) on the root window of `window`'s screen. `connection` is an
  // xcb_connection_t*. Null when the key is taken by another client, the key
  // is not on the keyboard, or there is no connection. Nothing ungrabs it: the
  // grab lapses when the connection closes with the process.
  static std::unique_ptr<GlobalHotkey> Register(void* connection, uint32_t window,
                                                int virtual_key = kVirtualKeyF9);

  // Whether `event` (an xcb_generic_event_t*) is a press or release of the key.
  bool Matches(const void* event) const;

  uint8_t keycode() const { return keycode_; }

 private:
  explicit GlobalHotkey(uint8_t keycode) : keycode_(keycode) {}
  uint8_t keycode_;
};

}  // namespace vellox::platform
