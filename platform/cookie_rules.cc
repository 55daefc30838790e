#include "platform/cookie_rules.h"

#include <arpa/inet.h>
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <limits>

namespace vellox::platform {
namespace {

// RFC 6265bis: a cookie may not be kept longer than 400 days.
constexpr int64_t kMaxAgeSeconds = int64_t{400} * 24 * 3600;
constexpr size_t kMaxNameValueBytes = 4096;
constexpr size_t kMaxAttributeValueBytes = 1024;

std::string_view TrimWsp(std::string_view text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

bool IsIpAddress(const std::string& host) {
  if (host.starts_with("[")) return true;
  unsigned char buffer[16];
  return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// RFC 6265 5.1.4.
std::string DefaultPath(const std::string& uri_path) {
  if (uri_path.empty() || uri_path[0] != '/') return "/";
  size_t last = uri_path.rfind('/');
  if (last == 0) return "/";
  return uri_path.substr(0, last);
}

// Max-Age (RFC 6265 5.2.2): an optional "-" and digits only; saturates.
std::optional<int64_t> ParseMaxAge(std::string_view value) {
  if (value.empty()) return std::nullopt;
  bool negative = value[0] == '-';
  std::string_view digits = negative ? value.substr(1) : value;
  if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return std::nullopt;
  }
  int64_t seconds = 0;
  for (char c : digits) {
    if (seconds > kMaxAgeSeconds) break;
    seconds = seconds * 10 + (c - '0');
  }
  return negative ? -seconds : seconds;
}

}  // namespace

std::optional<CookieUrl> ParseCookieUrl(std::string_view url) {
  CookieUrl out;
  size_t start;
  if (StartsWithIgnoreCase(url, "http://")) {
    start = 7;
  } else if (StartsWithIgnoreCase(url, "https://")) {
    start = 8;
    out.secure = true;
  } else {
    return std::nullopt;
  }
  size_t end = url.find_first_of("/?#", start);
  std::string_view authority = url.substr(start, end == std::string_view::npos ? url.npos : end - start);
  if (size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  if (authority.starts_with("[")) {
    authority = authority.substr(0, authority.find(']') + 1);
  } else {
    authority = authority.substr(0, authority.find(':'));
  }
  if (authority.empty()) return std::nullopt;
  out.host = Lower(authority);
  if (end != std::string_view::npos && url[end] == '/') {
    std::string_view path = url.substr(end);
    out.path = std::string(path.substr(0, path.find_first_of("?#")));
  } else {
    out.path = "/";
  }
  return out;
}

std::optional<Cookie> ParseSetCookie(const CookieUrl& from, std::string_view line, int64_t now) {
  // A line never carries CR, LF or NUL; whatever follows one is not part of it.
  line = line.substr(0, line.find_first_of(std::string_view("\r\n\0", 3)));
  for (char c : line) {
    unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && u != '\t') || u == 0x7f) return std::nullopt;
  }
  size_t semicolon = line.find(';');
  std::string_view pair = line.substr(0, semicolon);
  std::string_view attributes = semicolon == std::string_view::npos ? std::string_view() : line.substr(semicolon + 1);

  Cookie cookie;
  if (size_t equals = pair.find('='); equals == std::string_view::npos) {
    cookie.value = TrimWsp(pair);
  } else {
    cookie.name = TrimWsp(pair.substr(0, equals));
    cookie.value = TrimWsp(pair.substr(equals + 1));
  }
  if (cookie.name.empty() && cookie.value.empty()) return std::nullopt;
  if (cookie.name.size() + cookie.value.size() > kMaxNameValueBytes) return std::nullopt;

  std::optional<int64_t> max_age, expires;
  std::optional<std::string> domain;
  cookie.path = DefaultPath(from.path);
  while (!attributes.empty()) {
    semicolon = attributes.find(';');
    std::string_view av = attributes.substr(0, semicolon);
    attributes = semicolon == std::string_view::npos ? std::string_view() : attributes.substr(semicolon + 1);
    size_t equals = av.find('=');
    std::string_view name = TrimWsp(av.substr(0, equals));
    std::string_view value = equals == std::string_view::npos ? std::string_view() : TrimWsp(av.substr(equals + 1));
    if (value.size() > kMaxAttributeValueBytes) continue;
    if (EqualsIgnoreCase(name, "expires")) {
      std::string text(value);
      time_t date = curl_getdate(text.c_str(), nullptr);
      if (date != -1) expires = static_cast<int64_t>(date);
    } else if (EqualsIgnoreCase(name, "max-age")) {
      if (auto seconds = ParseMaxAge(value)) max_age = seconds;
    } else if (EqualsIgnoreCase(name, "domain")) {
      if (!value.empty()) domain = Lower(value.starts_with(".") ? value.substr(1) : value);
    } else if (EqualsIgnoreCase(name, "path")) {
      cookie.path = value.empty() || value[0] != '/' ? DefaultPath(from.path) : std::string(value);
    } else if (EqualsIgnoreCase(name, "secure")) {
      cookie.secure = true;
    } else if (EqualsIgnoreCase(name, "httponly")) {
      cookie.http_only = true;
    }
  }

  if (max_age) {
    cookie.persistent = true;
    cookie.expiry = *max_age <= 0 ? std::numeric_limits<int64_t>::min() : now + std::min(*max_age, kMaxAgeSeconds);
  } else if (expires) {
    cookie.persistent = true;
    cookie.expiry = std::min(*expires, now + kMaxAgeSeconds);
  }

  if (domain && !domain->empty()) {
    // Without a public-suffix list a single label counts as a public suffix.
    if (domain->find('.') == std::string::npos && *domain != from.host) return std::nullopt;
    if (!DomainMatch(from.host, *domain)) return std::nullopt;
    cookie.host_only = *domain == from.host;
    cookie.domain = *domain;
  } else {
    cookie.domain = from.host;
  }

  // RFC 6265bis: only a secure origin sets a Secure cookie, and the name
  // prefixes promise how the cookie was set.
  if (cookie.secure && !from.secure) return std::nullopt;
  if (StartsWithIgnoreCase(cookie.name, "__Secure-") && !cookie.secure) return std::nullopt;
  if (StartsWithIgnoreCase(cookie.name, "__Host-") &&
      (!cookie.secure || !cookie.host_only || cookie.path != "/")) {
    return std::nullopt;
  }
  return cookie;
}

std::vector<std::string> DomainCandidates(const std::string& host) {
  std::vector<std::string> out{host};
  if (IsIpAddress(host)) return out;
  for (size_t dot = host.find('.'); dot != std::string::npos; dot = host.find('.', dot + 1)) {
    if (dot + 1 < host.size()) out.push_back(host.substr(dot + 1));
  }
  return out;
}

bool DomainMatch(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  return host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.' && !IsIpAddress(host);
}

bool PathMatch(const std::string& request_path, const std::string& cookie_path) {
  if (request_path == cookie_path) return true;
  return request_path.starts_with(cookie_path) &&
         (cookie_path.ends_with("/") || request_path[cookie_path.size()] == '/');
}

bool CookieMatches(const Cookie& cookie, const CookieUrl& to, int64_t now) {
  if (cookie.ExpiredAt(now)) return false;
  if (cookie.host_only ? to.host != cookie.domain : !DomainMatch(to.host, cookie.domain)) return false;
  if (!PathMatch(to.path, cookie.path)) return false;
  return !cookie.secure || to.secure;
}

std::string SerializeCookies(std::vector<Cookie> cookies) {
  std::stable_sort(cookies.begin(), cookies.end(), [](const Cookie& a, const Cookie& b) {
    if (a.path.size() != b.path.size()) return a.path.size() > b.path.size();
    return a.creation < b.creation;
  });
  std::string out;
  for (const Cookie& cookie : cookies) {
    if (!out.empty()) out += "; ";
    if (!cookie.name.empty()) out += cookie.name + "=";
    out += cookie.value;
  }
  return out;
}

}  // namespace vellox::platform
