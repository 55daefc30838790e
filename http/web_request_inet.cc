#include "http/web_request_inet.h"

#include <cctype>
#include <climits>
#include <string>

#include "platform/cookie_store.h"
#include "platform/request_engine.h"

namespace vellox::http {
namespace {

using text::LocalText;

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr char kDefaultAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr int kDefaultPort = 80;
constexpr int kFailureBytes = 255;
constexpr int kHeaderBufferBytes = 1024;

text::Bytes Failure() { return text::Bytes(kFailureBytes, '\0'); }

bool ContainsIgnoreCase(const LocalText& text, const char* what) {
  return text::FindIgnoreCase(text, LocalText(what)) != -1;
}

// Store every cookie the response sets under "http://" + host, the data with
// its attributes as sent.
void StoreResponseCookies(platform::CookieStore& store, const LocalText& host, const LocalText& header_text) {
  static const LocalText kMarker("Set-Cookie: ");
  if (text::FindIgnoreCase(header_text, kMarker) == -1) return;
  const std::string address = "http://" + host.bytes();
  for (LocalText line : text::Split(header_text, LocalText("\n"))) {
    if (text::Right(line, 1) == LocalText("\r")) line = text::Left(line, line.size() - 1);
    if (text::FindIgnoreCase(line, kMarker) == -1) continue;
    LocalText rest = text::MidToEnd(line, kMarker.size() + 1);
    int equals = text::Find(rest, LocalText("="));
    if (equals == -1) {
      store.SetCookie(address, "", rest.bytes());
    } else {
      store.SetCookie(address, text::Left(rest, equals - 1).bytes(), text::MidToEnd(rest, equals + 1).bytes());
    }
  }
}

}  // namespace

LocalText HttpUrlHost(const LocalText& url, bool keepPort) {
  int start = 1;
  if (int at = text::Find(url, LocalText("http://")); at != -1) start = at + 7;
  int slash = text::Find(url, LocalText("/"), start);
  LocalText host = slash == -1 ? text::MidToEnd(url, start) : text::Mid(url, start, slash - start);
  if (!keepPort) {
    if (int colon = text::Find(host, LocalText(":")); colon != -1) host = text::Left(host, colon - 1);
  }
  return text::ToLower(host);
}

LocalText HttpUrlPath(const LocalText& url) {
  int at = text::FindIgnoreCase(url, HttpUrlHost(url, false));
  int slash = at == -1 ? -1 : text::Find(url, LocalText("/"), at);
  return slash == -1 ? LocalText("/") : text::MidToEnd(url, slash);
}

int32_t HttpUrlPort(const LocalText& url) {
  LocalText host = HttpUrlHost(url, true);
  int colon = text::Find(host, LocalText(":"));
  if (colon == -1) return kDefaultPort;
  const std::string rest = text::MidToEnd(host, colon + 1).bytes();
  size_t i = 0;
  bool negative = false;
  if (i < rest.size() && (rest[i] == '-' || rest[i] == '+')) negative = rest[i++] == '-';
  long long port = 0;
  for (; i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])); ++i) {
    port = std::min<long long>(port * 10 + (rest[i] - '0'), INT_MAX);
  }
  return static_cast<int32_t>(negative ? -port : port);
}

text::Bytes WebRequestInet(const HttpContext& context, InetRequest& request) {
  const LocalText path = HttpUrlPath(request.url);
  const LocalText host = HttpUrlHost(request.url, false);
  // The connection needs a host; a port of 0 means the service's default.
  if (host.empty()) return Failure();
  int32_t port = HttpUrlPort(request.url);
  if (port == 0) port = kDefaultPort;

  if (!ContainsIgnoreCase(request.headers, "Accept: ")) request.headers += LocalText(kDefaultAccept);
  if (!ContainsIgnoreCase(request.headers, "Referer: ")) {
    request.headers += LocalText("Referer: ") + request.url + LocalText("\r\n");
  }
  if (!ContainsIgnoreCase(request.headers, "Accept-Language: ")) request.headers += LocalText("Accept-Language: zh-cn\r\n");

  platform::EngineRequest wire;
  const LocalText method = text::ToUpper(request.method);
  if (method.empty() || method == LocalText("GET")) {
    wire.method = "GET";
  } else if (method == LocalText("POST")) {
    // The method token is case-sensitive on the wire (RFC 9110 9.1): a "post"
    // chosen ignoring case goes out as POST.
    wire.method = "POST";
    if (!request.postData.empty()) {
      if (!ContainsIgnoreCase(request.headers, "Content-Type: ")) {
        request.headers += LocalText("Content-Type: application/x-www-form-urlencoded\r\n");
      }
      request.headers += LocalText("Content-Length: ") + text::NumberText(int64_t{request.postData.size()}) +
                         LocalText("\r\n");
      wire.body = request.postData.bytes();
    }
  } else {
    return Failure();
  }

  wire.url = "http://" + host.bytes() + (port == kDefaultPort ? "" : ":" + std::to_string(port)) + path.bytes();
  for (const LocalText& line : text::Split(request.headers, LocalText("\r\n"))) {
    if (!line.empty()) wire.header_lines.push_back(line.bytes());
  }
  wire.user_agent = kUserAgent;
  if (!text::RemoveBlanks(request.proxy).empty()) wire.http_proxy = request.proxy.bytes();
  wire.cookies = &context.cookies;

  platform::EngineResponse response = context.engine.Perform(wire);
  if (response.outcome == platform::EngineResponse::Outcome::kRefused) return Failure();

  // Read whole, however long: a fixed buffer would lose every cookie of a
  // response with long headers. No response at all leaves the blanks.
  request.responseHeaders = response.header_text.empty() ? LocalText(std::string(kHeaderBufferBytes, ' '))
                                                         : LocalText(response.header_text);
  StoreResponseCookies(context.cookies, host, request.responseHeaders);
  return std::move(response.body);
}

LocalText WebRequestInetText(const HttpContext& context, InetRequest& request) {
  return text::BytesAsText(WebRequestInet(context, request));
}

LocalText WebRequestInetText(const HttpContext& context, const LocalText& url) {
  InetRequest request;
  request.url = url;
  return WebRequestInetText(context, request);
}

}  // namespace vellox::http
