#include "cli/resolve_commands.h"

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_bridge.h"
#include "search/result_activation.h"
#include "search/user_interaction.h"

namespace vellox::cli {
namespace {

// The desktop as the command line sees it: what would reach the clipboard or
// the browser is the command's result; a message shown instead is its error.
class CliUser : public search::UserInteraction {
 public:
  void ShowMessage(const text::LocalText& message, const text::LocalText&) override {
    messages_.push_back(message);
  }
  void SetClipboardText(const text::LocalText& content) override { result_ = content; }
  void OpenInBrowser(const text::LocalText& address) override { result_ = address; }

  // The result on `out` (0), or the messages on `err` (1). A message that
  // follows a result only confirms it.
  int Report(std::ostream& out, std::ostream& err) const {
    if (result_) {
      out << result_->ToUtf8() << "\n";
      return 0;
    }
    for (const text::LocalText& message : messages_) err << message.ToUtf8() << "\n";
    return 1;
  }

 private:
  std::optional<text::LocalText> result_;
  std::vector<text::LocalText> messages_;
};

// A tab holding the one row LINK stands for, selected, with radio `radio` on.
CliBridge OneRowTab(int radio, const text::LocalText& link) {
  CliBridge tab(text::LocalText(), radio, 0);
  tab.InsertItem(text::LocalText("1"));
  tab.SetCellText(0, 3, link);
  tab.SelectRow(0);
  return tab;
}

}  // namespace

int ResolveFilm(const search::SearchEnvironment& environment, int site, const text::LocalText& link,
                std::ostream& out, std::ostream& err) {
  CliBridge tab = OneRowTab(site, link);
  CliUser user;
  search::ResourceListActivated(tab, environment, user);
  return user.Report(out, err);
}

int ResolveCloud(const search::SearchEnvironment& environment, int mode,
                 const text::LocalText& link, std::ostream& out, std::ostream& err) {
  CliBridge tab = OneRowTab(mode, link);
  CliUser user;
  search::CloudListActivated(tab, environment, user);
  return user.Report(out, err);
}

}  // namespace vellox::cli
