#pragma once
// The start-up sequence, run once on the window's thread right after the main
// window is shown: the notice check (which may announce a newer version and end
// the program), the skin, the focus on the cloud-disk keyword box and the F9
// hotkey, in this order. The logic sees the window only through StartupHost.

#include <filesystem>

#include "search/search_environment.h"
#include "search/user_interaction.h"
#include "text/local_text.h"

class QWidget;

namespace vellox::platform {
class SkinEngine;
}

namespace vellox::app {

// The notice fetch blocks the window, so an unreachable host must fail fast.
inline constexpr int kNoticeTimeoutMilliseconds = 2000;

// What start-up needs from the window and the process.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  // The notice page's body bytes; empty on failure.
  virtual text::Bytes ReadNoticePage(const text::LocalText& url) = 0;
  // The main window's caption as it is now.
  virtual text::LocalText WindowCaption() = 0;
  virtual void FocusCloudKeyword() = 0;
  virtual void ApplySkin(int number) = 0;
  virtual void RegisterHotkey() = 0;
};

// A version text read as a decimal number: full-width digits, signs, point and
// space count as their ASCII forms, leading blanks are skipped, the longest
// prefix of the form [sign] digits [. digits] counts, anything else reads as 0.
double VersionNumber(const text::LocalText& version);

// The notice check. Returns false when the page announced a newer version: the
// update message has been shown and the update page opened, and the program
// must now end with exit code 0.
bool UpdateNotice(StartupHost& host, search::UserInteraction& user, const search::SiteRoots& roots);

// The whole sequence; false as UpdateNotice, and then nothing after it has run.
bool RunStartup(StartupHost& host, search::UserInteraction& user, const search::SiteRoots& roots);

// StartupHost over the real window: the notice read over HTTP, the caption and
// focus of `window`, the skin engine with its library file in `directory`, and
// the hotkey on the toolkit's X11 connection.
class WindowStartupHost : public StartupHost {
 public:
  WindowStartupHost(QWidget& window, const http::HttpContext& http);
  WindowStartupHost(QWidget& window, const http::HttpContext& http, platform::SkinEngine& skins,
                    std::filesystem::path directory);

  text::Bytes ReadNoticePage(const text::LocalText& url) override;
  text::LocalText WindowCaption() override;
  void FocusCloudKeyword() override;
  void ApplySkin(int number) override;
  void RegisterHotkey() override;

  // Whether RegisterHotkey got the key (false on offscreen and Wayland).
  bool hotkey_registered() const { return hotkey_registered_; }

 private:
  QWidget& window_;
  const http::HttpContext& http_;
  platform::SkinEngine& skins_;
  std::filesystem::path directory_;
  bool hotkey_registered_ = false;
};

// What main() calls once the window is shown: false means "end now, exit code 0".
bool RunStartup(QWidget& window, const search::SearchEnvironment& environment,
                search::UserInteraction& user);

}  // namespace vellox::app
