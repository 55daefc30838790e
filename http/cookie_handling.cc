#include "http/cookie_handling.h"

#include <string>

namespace vellox::http {
namespace {

using text::LocalText;

// "https://" when `target` begins with it (ASCII case ignored), else "http://".
LocalText StoreAddress(const LocalText& target) {
  static const LocalText kHttps("https://");
  static const LocalText kHttp("http://");
  return (text::ToLower(text::Left(target, 8)) == kHttps ? kHttps : kHttp) + UrlHost(target, false);
}

// Appends ";" to a text that is not empty and does not end with one.
void CloseWithSeparator(LocalText& text) {
  if (!text.empty() && text.bytes().back() != ';') text += LocalText(";");
}

}  // namespace

LocalText UrlHost(const LocalText& url, bool domainOnly) {
  int start = 1;
  if (int at = text::Find(url, LocalText("http://")); at != -1) {
    start = at + 7;
  } else if (int at_secure = text::Find(url, LocalText("https://")); at_secure != -1) {
    start = at_secure + 8;
  }
  int slash = text::Find(url, LocalText("/"), start);
  LocalText host = slash == -1 ? text::MidToEnd(url, start) : text::Mid(url, start, slash - start);
  if (int colon = text::Find(host, LocalText(":")); colon != -1) host = text::Left(host, colon - 1);
  host = text::ToLower(host);
  if (domainOnly) {
    std::vector<LocalText> labels = text::Split(host, LocalText("."));
    if (labels.size() >= 2) host = labels[labels.size() - 2] + LocalText(".") + labels.back();
  }
  return host;
}

LocalText ReadStoreCookies(platform::CookieStore& store, const LocalText& target) {
  // Read whole, however long: a fixed buffer would drop every cookie of a site
  // once they outgrow it.
  std::optional<std::string> cookies = store.CookiesFor(StoreAddress(target).bytes());
  return cookies ? LocalText(*cookies) : LocalText();
}

LocalText MergeCookies(LocalText& base, LocalText& additions) {
  static const LocalText kSeparator(";");
  static const LocalText kEquals("=");
  base = text::Trim(base);
  additions = text::Trim(additions);
  CloseWithSeparator(base);
  CloseWithSeparator(additions);

  for (const LocalText& piece : text::Split(additions, kSeparator)) {
    int equals = text::Find(piece, kEquals);
    if (equals == -1) continue;
    LocalText name = text::Left(piece, equals - 1);
    int at = text::FindIgnoreCase(base, name);
    if (at == -1) {
      base += piece + kSeparator;
      continue;
    }
    int end = text::Find(base, kSeparator, at + name.size());
    LocalText old = end == -1 ? text::MidToEnd(base, at) : text::Mid(base, at, end - at);
    base = text::ReplaceAllIgnoreCase(base, old, piece);
  }

  std::vector<LocalText> pieces = text::Split(base, kSeparator);
  base = LocalText();
  for (const LocalText& piece : pieces) {
    if (text::Right(piece, 1) == kEquals || text::Right(piece, 8) == LocalText("=deleted")) continue;
    base += text::Trim(piece) + LocalText("; ");
  }
  base = text::Trim(base);
  return base;
}

void WriteStoreCookies(platform::CookieStore& store, const LocalText& target, const LocalText& cookieText) {
  const std::string address = StoreAddress(target).bytes();
  for (const LocalText& piece : text::Split(cookieText, LocalText(";"))) {
    if (!text::Contains(piece, LocalText("="))) continue;
    std::vector<LocalText> parts = text::Split(piece, LocalText("="));
    // "name=" has no value piece once the empty last piece is dropped: skipped.
    if (parts.size() < 2) continue;
    LocalText value = parts[1];
    for (size_t i = 2; i < parts.size(); ++i) value += LocalText("=") + parts[i];
    store.SetCookie(address, parts[0].bytes(), value.bytes());
  }
}

}  // namespace vellox::http
