#pragma once
// A UserInteraction that records what the user would see, as UTF-8 lines:
// "message CAPTION: TEXT", "clipboard TEXT", "open ADDRESS". Single thread.

#include <string>
#include <vector>

#include "search/user_interaction.h"

namespace vellox::testing {

class RecordingUser : public search::UserInteraction {
 public:
  void ShowMessage(const text::LocalText& message, const text::LocalText& caption) override {
    events.push_back("message " + (caption.empty() ? std::string("信息：") : caption.ToUtf8()) +
                     ": " + message.ToUtf8());
  }
  void SetClipboardText(const text::LocalText& content) override {
    events.push_back("clipboard " + content.ToUtf8());
  }
  void OpenInBrowser(const text::LocalText& address) override {
    events.push_back("open " + address.ToUtf8());
  }

  std::vector<std::string> events;
};

}  // namespace vellox::testing
