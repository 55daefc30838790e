#include "platform/request_engine.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string_view>

#include "platform/cookie_store.h"

namespace vellox::platform {
namespace {

using Clock = std::chrono::steady_clock;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x | 0x20) == (y | 0x20) || x == y;
         });
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

// The header name of a "Name: value" line.
std::string_view HeaderName(std::string_view line) {
  size_t colon = line.find(':');
  return colon == std::string_view::npos ? std::string_view() : line.substr(0, colon);
}

bool HasHeader(const std::vector<std::string>& lines, std::string_view name) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return EqualsIgnoreCase(HeaderName(line), name); });
}

void RemoveHeaders(std::vector<std::string>& lines, std::initializer_list<std::string_view> names) {
  std::erase_if(lines, [&](const std::string& line) {
    return std::any_of(names.begin(), names.end(),
                       [&](std::string_view name) { return EqualsIgnoreCase(HeaderName(line), name); });
  });
}

// A line that could split into two on the wire, or that names no header, is
// not sent.
bool SendableHeaderLine(std::string_view line) {
  return line.find_first_of("\r\n", 0) == std::string_view::npos && !HeaderName(line).empty() &&
         line.find('\0') == std::string_view::npos;
}

bool AllowedInTarget(unsigned char c) {
  if (c >= 0x80 || c <= 0x20 || c == 0x7f) return false;
  return std::isalnum(c) || std::strchr("-._~!$&'()*+,;=:@/?%", c) != nullptr;
}

// scheme://authority of `url`, or empty when it is neither http nor https.
std::string_view Origin(std::string_view url) {
  size_t start;
  if (StartsWithIgnoreCase(url, "http://")) {
    start = 7;
  } else if (StartsWithIgnoreCase(url, "https://")) {
    start = 8;
  } else {
    return {};
  }
  size_t end = url.find_first_of("/?#", start);
  return url.substr(0, end == std::string_view::npos ? url.size() : end);
}

struct Transfer {
  std::string header_text;
  std::string body;
  bool too_large = false;
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  // Each response (an interim 100, a proxy's answer) starts with its status line.
  if (line.starts_with("HTTP/")) transfer->header_text.clear();
  if (line.ends_with("\r\n")) {
    transfer->header_text += line;
  } else {
    if (line.ends_with("\n")) line.remove_suffix(1);
    transfer->header_text.append(line).append("\r\n");
  }
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  size_t bytes = size * count;
  if (transfer->body.size() + bytes > RequestEngine::kMaxBodyBytes) {
    transfer->too_large = true;
    return 0;
  }
  transfer->body.append(data, bytes);
  return bytes;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

struct RequestEngine::Shared {
  CURLSH* share = nullptr;
  std::mutex locks[CURL_LOCK_DATA_LAST];

  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<Shared*>(user)->locks[data].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<Shared*>(user)->locks[data].unlock();
  }
};

std::string EncodeRequestTarget(const std::string& url) {
  std::string_view origin = Origin(url);
  if (origin.empty()) return url;
  std::string_view rest = std::string_view(url).substr(origin.size());
  rest = rest.substr(0, rest.find('#'));
  std::string out(origin);
  for (char c : rest) {
    if (AllowedInTarget(static_cast<unsigned char>(c))) {
      out += c;
    } else {
      char* escaped = curl_easy_escape(nullptr, &c, 1);
      if (escaped) out += escaped;
      curl_free(escaped);
    }
  }
  return out;
}

RequestEngine::RequestEngine(EngineOptions options)
    : options_(std::move(options)), shared_(std::make_unique<Shared>()) {
  GlobalInit();
  if (!options_.share) return;
  CURLSH* share = curl_share_init();
  if (!share) return;
  curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Shared::Lock);
  curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Shared::Unlock);
  curl_share_setopt(share, CURLSHOPT_USERDATA, shared_.get());
  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
  shared_->share = share;
}

RequestEngine::~RequestEngine() {
  if (shared_->share) curl_share_cleanup(shared_->share);
}

EngineResponse RequestEngine::Perform(const EngineRequest& request) {
  EngineResponse response;
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  if (!easy || Origin(request.url).empty()) return response;

  const int phase_ms = request.phase_timeout_ms > 0 ? request.phase_timeout_ms : 0;
  const int total_ms = request.total_timeout_ms > 0 ? request.total_timeout_ms : kTotalTimeoutMs;
  const auto deadline = Clock::now() + std::chrono::milliseconds(total_ms);

  std::string url = EncodeRequestTarget(request.url);
  std::string method = request.method.empty() ? "GET" : request.method;
  std::optional<std::string> body = request.body;
  std::vector<std::string> lines;
  for (const std::string& line : request.header_lines) {
    if (SendableHeaderLine(line)) lines.push_back(line);
  }

  for (int hop = 0;; ++hop) {
    CURL* h = easy.get();
    curl_easy_reset(h);
    Transfer transfer;

    std::vector<std::string> wire = lines;
    if (request.cookies && !HasHeader(wire, "Cookie")) {
      if (auto cookies = request.cookies->CookiesFor(url)) wire.push_back("Cookie: " + *cookies);
    }
    if (!request.user_agent.empty() && !HasHeader(wire, "User-Agent")) {
      wire.push_back("User-Agent: " + request.user_agent);
    }
    // "Name:" stops libcurl from adding a header of its own under that name.
    for (const char* own : {"Accept", "Expect", "Content-Type", "Transfer-Encoding"}) {
      if (!HasHeader(wire, own)) wire.push_back(std::string(own) + ":");
    }
    std::unique_ptr<curl_slist, ListDeleter> list;
    for (const std::string& line : wire) {
      curl_slist* next = curl_slist_append(list.get(), line.c_str());
      if (!next) return response;
      list.release();
      list.reset(next);
    }

    const bool secure = StartsWithIgnoreCase(url, "https://");
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options_.extra_ca_file.empty()) {
      // The system's directory of certificates stays trusted beside this file.
      curl_easy_setopt(h, CURLOPT_CAINFO, options_.extra_ca_file.c_str());
    }
    if (shared_->share) curl_easy_setopt(h, CURLOPT_SHARE, shared_->share);
    std::string proxy;
    if (!request.http_proxy.empty() && !secure) proxy = "http://" + request.http_proxy;
    // An empty proxy also keeps the environment's proxy variables out.
    curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());

    if (method == "HEAD") {
      curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    } else if (body || method == "POST") {
      const std::string& data = body ? *body : std::string();
      curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(data.size()));
      curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, data.c_str());
      if (method != "POST") curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());
    } else if (method != "GET") {
      curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, list.get());
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));

    const long left_ms = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left_ms <= 0) {
      response.outcome = EngineResponse::Outcome::kBroken;
      return response;
    }
    const long connect_ms = phase_ms ? phase_ms : options_.connect_timeout_ms;
    const long idle_s = ((phase_ms ? phase_ms : options_.idle_timeout_ms) + 999) / 1000;
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, std::min(connect_ms, left_ms));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, idle_s);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, left_ms);

    CURLcode rc = curl_easy_perform(h);
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    response.status = status;
    response.header_text = std::move(transfer.header_text);
    response.body = std::move(transfer.body);
    if (transfer.too_large || rc == CURLE_FILESIZE_EXCEEDED || rc == CURLE_URL_MALFORMAT ||
        rc == CURLE_UNSUPPORTED_PROTOCOL) {
      response = EngineResponse();
      return response;
    }
    if (rc != CURLE_OK) {
      response.outcome = EngineResponse::Outcome::kBroken;
      return response;
    }
    response.outcome = EngineResponse::Outcome::kComplete;

    char* location = nullptr;
    curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
    if (!request.follow_redirects || !IsRedirect(status) || !location) return response;
    std::string next = location;
    if (Origin(next).empty() || hop >= kMaxRedirects) return EngineResponse();

    // RFC 9110 15.4: 303 turns into GET; so do 301 and 302 after a POST, as
    // every browser does. 307 and 308 repeat the request as it was.
    if ((status == 303 && method != "HEAD") || ((status == 301 || status == 302) && method == "POST")) {
      method = "GET";
      body.reset();
      RemoveHeaders(lines, {"Content-Length"});
    }
    // Credentials and a fixed Host stay with the origin they were written for.
    if (!EqualsIgnoreCase(Origin(next), Origin(url))) {
      RemoveHeaders(lines, {"Cookie", "Authorization", "Host"});
    }
    url = EncodeRequestTarget(next);
  }
}

RequestEngine& DefaultRequestEngine() {
  // Never destroyed: worker threads that outlive main() may still use it.
  static RequestEngine* engine = new RequestEngine();
  return *engine;
}

}  // namespace vellox::platform
