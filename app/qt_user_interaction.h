#pragma once
// UserInteraction on Qt: application-modal message boxes without an owner, the
// system clipboard as plain text, and the default browser through the
// desktop services (never a shell command line). GUI thread only.

#include "search/user_interaction.h"

namespace vellox::app {

class QtUserInteraction : public search::UserInteraction {
 public:
  void ShowMessage(const text::LocalText& message,
                   const text::LocalText& caption = text::LocalText()) override;
  void SetClipboardText(const text::LocalText& content) override;
  void OpenInBrowser(const text::LocalText& address) override;
};

}  // namespace vellox::app
