// The pure cookie-text and address operations, and the two that go through a
// store.
#include <gtest/gtest.h>

#include "http/cookie_handling.h"
#include "http/web_request_inet.h"
#include "http/web_request_object.h"
#include "tests/support/local_text_printer.h"

namespace vellox::http {
namespace {

using text::LocalText;

TEST(UrlHostTest, Cases) {
  struct Case {
    const char* url;
    bool domain_only;
    const char* expected;
    const char* why;
  } cases[] = {
      {"http://WWW.Example.COM:8080/a/b", true, "example.com", "last two labels, lower case, no port"},
      {"http://WWW.Example.COM:8080/a/b", false, "www.example.com", "whole host without port"},
      {"https://Sub.Site.org/x", false, "sub.site.org", "https:// is recognised too"},
      {"www.site.org/x", true, "site.org", "a bare host is the host"},
      {"http://www.site.org", false, "www.site.org", "no / after the host: the rest is the host"},
      {"http://10.0.0.1/x", true, "0.1", "a numeric host keeps its last two numbers"},
      {"http://localhost:81/", true, "localhost", "a single label stays"},
      {"", true, "", "empty address"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(UrlHost(LocalText(c.url), c.domain_only), LocalText(c.expected));
  }
}

TEST(MergeCookiesTest, Cases) {
  struct Case {
    const char* base;
    const char* additions;
    const char* merged;
    const char* additions_after;
    const char* why;
  } cases[] = {
      {"a=1; b=2", "b=3", "a=1; b=3;", "b=3;", "an addition replaces its name"},
      {"", "a=1", "a=1;", "a=1;", "empty base"},
      {"a=1", "", "a=1;", "", "empty additions"},
      {"", "", "", "", "both empty"},
      {"a=1; b=2", "a=deleted", "b=2;", "a=deleted;", "a deleted value drops the item"},
      {"a=1", "c=", "a=1;", "c=;", "an empty value is dropped"},
      {"sid=5; id=7", "id=8", "sid=8; id=7;", "id=8;", "the name is found as plain text"},
      {"y=5; z=6", "x=1; y=2", "y=5; z=6; x=1; y=2;", "x=1; y=2;", "the blank after ; belongs to the name"},
      {"a=1;HttpOnly", "", "a=1; HttpOnly;", "", "pieces without = survive"},
      {"  A=1  ", "a=2", "a=2;", "a=2;", "names are found ignoring case; both are trimmed"},
      {"a=1", "novalue", "a=1;", "novalue;", "an addition without = is skipped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    LocalText base(c.base), additions(c.additions);
    LocalText result = MergeCookies(base, additions);
    EXPECT_EQ(result, LocalText(c.merged));
    EXPECT_EQ(base, LocalText(c.merged));
    EXPECT_EQ(additions, LocalText(c.additions_after));
  }
}

TEST(TextBetweenTest, Cases) {
  struct Case {
    const char* text;
    const char* start;
    const char* end;
    const char* expected;
    const char* why;
  } cases[] = {
      {"Set-Cookie: a=1; path=/", "Set-Cookie:", ";", " a=1", "between the markers, untrimmed"},
      {"set-cookie: a=1; path=/", "Set-Cookie:", ";", " a=1", "markers found ignoring case"},
      {"Set-Cookie: c=3", "Set-Cookie:", ";", "", "no end marker"},
      {"x=1; y", "Set-Cookie:", ";", "", "no start marker"},
      {";a;b;", ";", ";", "a", "the end is searched after the start"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(TextBetween(LocalText(c.text), LocalText(c.start), LocalText(c.end)), LocalText(c.expected));
  }
}

TEST(HttpUrlTest, HostPathPort) {
  struct Case {
    const char* url;
    const char* host;
    const char* host_port;
    const char* path;
    int port;
    const char* why;
  } cases[] = {
      {"http://MiXed.Example.com:81/a?b=1", "mixed.example.com", "mixed.example.com:81", "/a?b=1", 81, "host, port, path and query"},
      {"http://Example.com", "example.com", "example.com", "/", 80, "host alone"},
      {"https://a.com/x", "https", "https:", "//a.com/x", 0, "https:// is not recognised"},
      {"http://a.com:8x/p", "a.com", "a.com:8x", "/p", 8, "the leading number of the port"},
      {"http://a.com:/p", "a.com", "a.com:", "/p", 0, "an empty port"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    LocalText url(c.url);
    EXPECT_EQ(HttpUrlHost(url), LocalText(c.host));
    EXPECT_EQ(HttpUrlHost(url, true), LocalText(c.host_port));
    EXPECT_EQ(HttpUrlPath(url), LocalText(c.path));
    EXPECT_EQ(HttpUrlPort(url), c.port);
  }
}

TEST(StoreCookiesTest, WriteThenRead) {
  auto store = platform::NewMemoryCookieStore();
  WriteStoreCookies(*store, LocalText("site.org"), LocalText("a=1; b=x=y;"));
  // The second name begins with a blank; the store trims it as RFC 6265 does.
  EXPECT_EQ(store->CookiesFor("http://site.org/"), "a=1; b=x=y");
  EXPECT_EQ(ReadStoreCookies(*store, LocalText("site.org")), LocalText("a=1; b=x=y"));
  EXPECT_EQ(ReadStoreCookies(*store, LocalText("http://SITE.org:81/path")), LocalText("a=1; b=x=y"));
  EXPECT_EQ(ReadStoreCookies(*store, LocalText("other.org")), LocalText());
}

TEST(StoreCookiesTest, LongCookieTextIsReadWhole) {
  auto store = platform::NewMemoryCookieStore();
  std::string text;
  for (int i = 0; i < 40; ++i) text += "name" + std::to_string(i) + "=" + std::string(40, 'v') + ";";
  WriteStoreCookies(*store, LocalText("site.org"), LocalText(text));
  LocalText read = ReadStoreCookies(*store, LocalText("site.org"));
  EXPECT_GT(read.size(), 1024);
  EXPECT_NE(text::Find(read, LocalText("name39=")), -1);
}

}  // namespace
}  // namespace vellox::http
