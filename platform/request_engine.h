#pragma once
// The one HTTP client behind both request operations, on libcurl. An engine is
// safe to use from any number of threads at once: each Perform() has its own
// transfer, while DNS answers, TLS sessions and open connections are shared
// across requests and threads, so the next page of a site skips the connect and
// the TLS handshake.
//
// What reaches the wire is the request line, Host, the caller's header lines in
// their order, and Cookie/User-Agent where the request asks for them; libcurl's
// own additions (Accept, Expect, Accept-Encoding, ...) are switched off. TLS
// peers are always verified.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vellox::platform {

class CookieStore;

struct EngineOptions {
  // A PEM file trusted in addition to the system's certificates (tests).
  std::string extra_ca_file;
  // Share DNS answers, TLS sessions and connections across requests.
  bool share = true;
  // The bounds a request gets when it names none of its own.
  int connect_timeout_ms = 15000;
  int idle_timeout_ms = 30000;
};

struct EngineRequest {
  std::string method = "GET";  // sent as given
  std::string url;             // http:// or https://; characters a request target may not hold are
                               // percent-encoded on the way out
  std::vector<std::string> header_lines;  // "Name: value", sent in this order
  std::optional<std::string> body;        // sent when present (also an empty one)
  bool follow_redirects = true;           // at most kMaxRedirects, to http and https only
  // Bounds the resolve and connect, and each wait for the peer to send or take
  // data; 0 keeps the engine's own (EngineOptions).
  int phase_timeout_ms = 0;
  // Bounds the whole request; 0 keeps the engine's own (kTotalTimeoutMs).
  int total_timeout_ms = 0;
  std::string user_agent;  // empty: no User-Agent unless a header line gives one
  std::string http_proxy;  // "host:port" used for http:// addresses; empty: direct
  // When set, the store's cookies for each address, redirects included, go out
  // in a Cookie header.
  CookieStore* cookies = nullptr;
};

struct EngineResponse {
  enum class Outcome {
    kComplete,  // a whole response arrived (any status)
    kBroken,    // the transfer failed midway (refused, reset, timed out): what arrived is kept
    kRefused,   // not sent or given up by rule: bad address or scheme, body over the limit,
                // too many redirects
  };
  Outcome outcome = Outcome::kRefused;
  long status = 0;
  // The last response's status line and header lines, each ending with CR LF,
  // then the empty line, as received.
  std::string header_text;
  std::string body;  // exactly as received

  bool complete() const { return outcome == Outcome::kComplete; }
};

class RequestEngine {
 public:
  static constexpr std::size_t kMaxBodyBytes = std::size_t{64} << 20;
  static constexpr int kMaxRedirects = 10;
  static constexpr int kTotalTimeoutMs = 300000;

  explicit RequestEngine(EngineOptions options = {});
  ~RequestEngine();
  RequestEngine(const RequestEngine&) = delete;
  RequestEngine& operator=(const RequestEngine&) = delete;

  EngineResponse Perform(const EngineRequest& request);

 private:
  struct Shared;
  EngineOptions options_;
  std::unique_ptr<Shared> shared_;
};

// The process-wide engine, for main() and the command line.
RequestEngine& DefaultRequestEngine();

// `url` with every byte that may not stand in a request target (RFC 3986:
// outside unreserved, sub-delims, ":", "@", "/", "?" and "%") in its path and
// query percent-encoded; the fragment is dropped.
std::string EncodeRequestTarget(const std::string& url);

}  // namespace vellox::platform
