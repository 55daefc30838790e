#pragma once
// The cookie rules of RFC 6265 (with the safer parts of its revision, 6265bis):
// parsing a Set-Cookie line received from an address, and choosing and
// ordering the cookies that go back to an address. Pure functions; any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellox::platform {

struct Cookie {
  std::string name;
  std::string value;
  std::string domain;  // lower case, no leading "."
  std::string path;
  bool persistent = false;
  int64_t expiry = 0;  // Unix seconds; meaningful when persistent
  bool host_only = true;
  bool secure = false;
  bool http_only = false;
  int64_t creation = 0;  // microseconds; orders cookies of equal path length

  bool ExpiredAt(int64_t now) const { return persistent && expiry <= now; }
};

// The parts of an address that cookies care about.
struct CookieUrl {
  std::string host;  // lower case, without port
  std::string path;  // "/" when empty
  bool secure = false;
};
std::optional<CookieUrl> ParseCookieUrl(std::string_view url);

// RFC 6265 5.2 and 5.3 for one Set-Cookie value received from `from`. nullopt
// when the cookie is to be ignored; an expired cookie is returned (it deletes
// its namesake).
std::optional<Cookie> ParseSetCookie(const CookieUrl& from, std::string_view line, int64_t now);

// `host` followed by each parent domain ("a.b.c", "b.c", "c"); the host alone
// for an IP address. The domains under which cookies for `host` may be kept.
std::vector<std::string> DomainCandidates(const std::string& host);

bool DomainMatch(const std::string& host, const std::string& domain);
bool PathMatch(const std::string& request_path, const std::string& cookie_path);
// RFC 6265 5.4: whether `cookie` goes back to `to` at `now`.
bool CookieMatches(const Cookie& cookie, const CookieUrl& to, int64_t now);
// The Cookie header value of `cookies`: longest path first, then oldest first.
std::string SerializeCookies(std::vector<Cookie> cookies);

}  // namespace vellox::platform
