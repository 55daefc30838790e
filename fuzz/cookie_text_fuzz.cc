// Cookie text over arbitrary input: MergeCookies on two texts, and the
// Set-Cookie attribute parser on one line received from an address, then a
// store round trip of whatever it accepts. The input is
// "base \0 additions \0 address \0 Set-Cookie value".

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/cookie_handling.h"
#include "platform/cookie_rules.h"
#include "platform/cookie_store.h"

namespace http = vellox::http;
namespace platform = vellox::platform;
using vellox::text::LocalText;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view parts[4];
  for (auto& part : parts) {
    const size_t zero = rest.find('\0');
    part = rest.substr(0, zero);
    rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
  }

  LocalText base(parts[0]), additions(parts[1]);
  const LocalText merged = http::MergeCookies(base, additions);
  if (merged != base) abort();
  // Names are found as text anywhere in the base, so a second merge may
  // still change it; it must only never fail.
  LocalText again = merged, same = additions;
  http::MergeCookies(again, same);
  http::UrlHost(LocalText(parts[2]), false);
  http::UrlHost(LocalText(parts[2]), true);

  const std::string address = "http://" + std::string(parts[2].substr(0, 64)) + "/p/q";
  const auto from = platform::ParseCookieUrl(address);
  if (from) {
    const int64_t now = 1700000000;
    const auto cookie = platform::ParseSetCookie(*from, parts[3], now);
    if (cookie) {
      if (!platform::DomainMatch(from->host, cookie->domain)) abort();
      platform::CookieMatches(*cookie, *from, now);
      platform::SerializeCookies({*cookie, *cookie});
    }
    const auto store = platform::NewMemoryCookieStore();
    store->SetCookie(address, "n", parts[3]);
    store->CookiesFor(address);
    const LocalText stored = http::ReadStoreCookies(*store, LocalText(parts[2]));
    http::WriteStoreCookies(*store, LocalText(parts[2]), merged);
  }
  return 0;
}
