#pragma once
// The cookie store that the request operations read and write around every
// request, in place of the system's own store. One store may be shared by every
// thread of a process and by several processes (the window and the command
// line): all methods are safe to call from any thread.
//
// Cookies are parsed and matched by RFC 6265: Expires, Max-Age, Domain, Path,
// Secure and HttpOnly attributes; domain- and path-matching on read; expiry.
// Cookies with an expiry persist; cookies without one live for the process.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vellox::platform {

class CookieStore {
 public:
  virtual ~CookieStore() = default;

  // Every cookie the store holds for `url` (an http:// or https:// address), as
  // "a=1; b=2" without a final separator; nullopt when there is none.
  virtual std::optional<std::string> CookiesFor(std::string_view url) = 0;

  // Stores one cookie received from `url`. `data` is the value, optionally
  // followed by attributes ("1; path=/; expires=..."). False when refused.
  virtual bool SetCookie(std::string_view url, std::string_view name, std::string_view data) = 0;
};

// The per-user store: $XDG_DATA_HOME/vellox/cookies.sqlite (or
// ~/.local/share/vellox/cookies.sqlite).
std::string DefaultCookieStorePath();

// A store kept in the SQLite file at `path` (created with mode 0600 when
// missing). Never null: a store whose file cannot be opened keeps its cookies
// in memory for the process.
std::unique_ptr<CookieStore> OpenCookieStore(const std::string& path);

// A store that keeps everything in memory, for tests and fallbacks.
std::unique_ptr<CookieStore> NewMemoryCookieStore();

}  // namespace vellox::platform
