#include "http/web_request_object.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "http/cookie_handling.h"
#include "platform/request_engine.h"

namespace vellox::http {
namespace {

using text::LocalText;

constexpr int kDefaultTimeoutMs = 15000;

LocalText DefaultHeaderBlock(const LocalText& url) {
  return LocalText("Referer: ") + url +
         LocalText("\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; "
                   "Windows NT 6.1; Trident/5.0)\r\nContent-Type: application/x-www-form-urlencoded");
}

bool SameHeaderName(const std::string& line, const std::string& name) {
  if (line.size() <= name.size() || line[name.size()] != ':') return false;
  return std::equal(name.begin(), name.end(), line.begin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                std::tolower(static_cast<unsigned char>(b)); });
}

// Setting a header again replaces its earlier value, as the request object does.
void SetRequestHeader(std::vector<std::string>& lines, const LocalText& name, const LocalText& value) {
  std::string line = name.bytes() + ":" + value.bytes();
  for (std::string& existing : lines) {
    if (SameHeaderName(existing, name.bytes())) {
      existing = std::move(line);
      return;
    }
  }
  lines.push_back(std::move(line));
}

// One caller header line: the name before the first ":", the value everything
// after it with one trailing ":" dropped. A line with nothing after its colon
// sets nothing.
void SetHeaderLine(std::vector<std::string>& lines, const LocalText& line) {
  std::vector<LocalText> parts = text::Split(line, LocalText(":"));
  if (parts.size() < 2) return;
  LocalText value = parts[1];
  for (size_t i = 2; i < parts.size(); ++i) value += LocalText(":") + parts[i];
  SetRequestHeader(lines, parts[0], value);
}

// The header lines of a response without its status line, each followed by
// CR LF.
LocalText AllResponseHeaders(const std::string& header_text) {
  std::string out;
  size_t start = header_text.find("\r\n");
  while (start != std::string::npos) {
    start += 2;
    size_t end = header_text.find("\r\n", start);
    if (end == std::string::npos || end == start) break;
    out.append(header_text, start, end - start + 2);
    start = end;
  }
  return LocalText(out);
}

}  // namespace

int RequestTimeoutMilliseconds(int timeoutSeconds) {
  if (timeoutSeconds == 1) return 0;
  if (timeoutSeconds <= 0) return kDefaultTimeoutMs;
  return static_cast<int>(std::min<double>(std::trunc(timeoutSeconds * 1000.0), INT_MAX));
}

LocalText TextBetween(const LocalText& text, const LocalText& startMarker, const LocalText& endMarker) {
  int start = text::FindIgnoreCase(text, startMarker);
  if (start == -1) return LocalText();
  int from = start + startMarker.size();
  int end = text::FindIgnoreCase(text, endMarker, from);
  if (end == -1) return LocalText();
  return text::Mid(text, from, end - from);
}

text::Bytes WebRequestObject(const HttpContext& context, ObjectRequest& request) {
  request.method = text::ToUpper(request.method);
  if (request.method.empty()) request.method = LocalText("GET");

  platform::EngineRequest wire;
  wire.method = request.method.bytes();
  wire.url = request.url.bytes();
  wire.follow_redirects = !request.noRedirect;
  wire.phase_timeout_ms = RequestTimeoutMilliseconds(request.timeoutSeconds);

  if (request.headers.empty()) request.headers = DefaultHeaderBlock(request.url);

  LocalText stored = ReadStoreCookies(context.cookies, UrlHost(request.url, true));
  request.cookies = MergeCookies(stored, request.cookies);
  if (!request.cookies.empty()) SetRequestHeader(wire.header_lines, LocalText("Cookie"), LocalText(" ") + request.cookies);

  const LocalText kLineEnd("\r\n");
  if (text::Contains(request.headers, kLineEnd)) {
    for (const LocalText& line : text::Split(request.headers, kLineEnd)) {
      if (text::Contains(line, LocalText(":"))) SetHeaderLine(wire.header_lines, line);
    }
  } else if (text::Contains(request.headers, LocalText(":"))) {
    SetHeaderLine(wire.header_lines, request.headers);
  }

  const std::string& body = request.bodyBytes.empty() ? request.body.bytes() : request.bodyBytes;
  if (!body.empty() || (wire.method != "GET" && wire.method != "HEAD")) wire.body = body;

  platform::EngineResponse response = context.engine.Perform(wire);
  text::Bytes result;
  if (response.complete()) {
    result = std::move(response.body);
    request.responseHeaders = AllResponseHeaders(response.header_text);
  } else {
    request.responseHeaders = LocalText();
  }

  request.responseCookies = LocalText();
  for (const LocalText& line : text::Split(request.responseHeaders, kLineEnd)) {
    if (text::Contains(line, LocalText("Location:"))) {
      int at = text::FindIgnoreCase(line, LocalText("Location:"));
      request.redirectLocation = text::Trim(text::Left(line, at - 1) + text::MidToEnd(line, at + 9));
    }
    if (text::Contains(line, LocalText("Set-Cookie"))) {
      request.responseCookies += text::Trim(TextBetween(line, LocalText("Set-Cookie:"), LocalText(";"))) + LocalText("; ");
    }
  }
  MergeCookies(request.cookies, request.responseCookies);
  WriteStoreCookies(context.cookies, UrlHost(request.url, true), request.cookies);
  if (request.redirectLocation.empty()) request.redirectLocation = request.responseHeaders;
  return result;
}

text::Bytes WebRequestObject(const HttpContext& context, const LocalText& url) {
  ObjectRequest request;
  request.url = url;
  return WebRequestObject(context, request);
}

}  // namespace vellox::http
