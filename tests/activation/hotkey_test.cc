// The F9 grab on a real X server (run under xvfb-run, see CMakeLists.txt).

#include "platform/hotkey.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <memory>

namespace vellox::platform {
namespace {

struct Disconnect {
  void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

Connection Connect() {
  Connection connection(xcb_connect(nullptr, nullptr));
  if (xcb_connection_has_error(connection.get())) return nullptr;
  return connection;
}

TEST(GlobalHotkeyTest, NoConnectionNoHotkey) {
  EXPECT_EQ(GlobalHotkey::Register(nullptr, 0), nullptr);
}

TEST(GlobalHotkeyTest, OneClientHoldsTheKeyUntilItGoes) {
  Connection first = Connect();
  if (!first) GTEST_SKIP() << "no X server";
  Connection second = Connect();
  ASSERT_TRUE(second);

  const auto hotkey = GlobalHotkey::Register(first.get(), 0);
  ASSERT_NE(hotkey, nullptr);
  EXPECT_NE(hotkey->keycode(), 0);
  EXPECT_EQ(GlobalHotkey::Register(second.get(), 0), nullptr) << "F9 is already taken";
  EXPECT_EQ(GlobalHotkey::Register(second.get(), 0, 111), nullptr) << "not a function key";

  first.reset();  // the grab lapses with its client
  EXPECT_NE(GlobalHotkey::Register(second.get(), 0), nullptr);
}

TEST(GlobalHotkeyTest, MatchesPressAndReleaseOfTheKeyOnly) {
  Connection connection = Connect();
  if (!connection) GTEST_SKIP() << "no X server";
  const auto hotkey = GlobalHotkey::Register(connection.get(), 0);
  ASSERT_NE(hotkey, nullptr);
  struct Case {
    uint8_t type;
    int keycode_offset;
    bool matches;
    const char* why;
  };
  const Case cases[] = {
      {XCB_KEY_PRESS, 0, true, "a press"},
      {XCB_KEY_RELEASE, 0, true, "a release"},
      {XCB_KEY_PRESS | 0x80, 0, true, "a press sent by another client"},
      {XCB_KEY_PRESS, 1, false, "another key"},
      {XCB_BUTTON_PRESS, 0, false, "a mouse button with the same number"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    xcb_key_press_event_t event{};
    event.response_type = c.type;
    event.detail = static_cast<xcb_keycode_t>(hotkey->keycode() + c.keycode_offset);
    EXPECT_EQ(hotkey->Matches(&event), c.matches);
  }
  EXPECT_FALSE(hotkey->Matches(nullptr));
}

}  // namespace
}  // namespace vellox::platform
