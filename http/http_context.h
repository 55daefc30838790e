#pragma once
// What the request operations need from their surroundings: the request engine
// (which pools connections, DNS answers and TLS sessions across requests and
// threads) and the cookie store. Both outlive every request made with them.
// Handed down from main() or a test, never found through a global.

namespace vellox::platform {
class CookieStore;
class RequestEngine;
}  // namespace vellox::platform

namespace vellox::http {

struct HttpContext {
  platform::CookieStore& cookies;
  platform::RequestEngine& engine;
};

}  // namespace vellox::http
