#pragma once
// What a double-click handler or start-up needs from the user's desktop: a
// message box, the clipboard and the default browser. The window implements
// it with Qt, the command line with its streams, tests with a recording fake.
// Called on the window's thread (or the command line's only thread).

#include "text/local_text.h"

namespace vellox::search {

class UserInteraction {
 public:
  virtual ~UserInteraction() = default;

  // A modal box with an OK button and no owner; returns when it is closed. An
  // empty caption shows the default caption "信息：".
  virtual void ShowMessage(const text::LocalText& message,
                           const text::LocalText& caption = text::LocalText()) = 0;
  // Replaces the clipboard's whole content by `content` as plain text.
  virtual void SetClipboardText(const text::LocalText& content) = 0;
  // Opens `address` in the default web browser.
  virtual void OpenInBrowser(const text::LocalText& address) = 0;
};

}  // namespace vellox::search
