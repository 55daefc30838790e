// Both request operations and the engine beneath them, against the loopback
// test server: what reaches the wire, what comes back, and how they fail.
#include <gtest/gtest.h>

#include <thread>

#include "http/http_file_read.h"
#include "http/web_request_inet.h"
#include "http/web_request_object.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "tests/support/local_text_printer.h"
#include "tests/support/test_server.h"

namespace vellox::http {
namespace {

using testing::RecordedRequest;
using testing::Reply;
using testing::TestServer;
using text::LocalText;

platform::EngineOptions TestEngineOptions() {
  platform::EngineOptions options;
  options.extra_ca_file = TestServer::CertificateFile();
  options.idle_timeout_ms = 1000;
  return options;
}

class WebRequestTest : public ::testing::Test {
 protected:
  WebRequestTest() : engine_(TestEngineOptions()), store_(platform::NewMemoryCookieStore()) {
    server_.Route("/echo", &testing::EchoReply);
  }
  HttpContext context() { return HttpContext{*store_, engine_}; }
  // The server's address by name: cookies are kept by host name, and
  // UrlHost("127.0.0.1") would be "0.1".
  std::string named(const std::string& path) { return "http://localhost:" + std::to_string(server_.port()) + path; }

  platform::RequestEngine engine_;
  std::unique_ptr<platform::CookieStore> store_;
  TestServer server_;
};

using Names = std::vector<std::string>;

InetRequest Inet(const std::string& url, const std::string& method = "", const std::string& proxy = "",
                 const std::string& headers = "", const std::string& post_data = "") {
  InetRequest request;
  request.url = LocalText(url);
  request.method = LocalText(method);
  request.proxy = LocalText(proxy);
  request.headers = LocalText(headers);
  request.postData = LocalText(post_data);
  return request;
}

TEST_F(WebRequestTest, ObjectSendsTheDefaultBlock) {
  const std::string url = server_.url("/echo");
  text::Bytes body = WebRequestObject(context(), LocalText(url));
  RecordedRequest r = server_.last_request();
  EXPECT_EQ(r.request_line, "GET /echo HTTP/1.1");
  EXPECT_EQ(r.HeaderNames(), (Names{"Host", "Referer", "Accept", "Accept-Language", "User-Agent", "Content-Type"}));
  EXPECT_EQ(r.Header("Referer"), url);
  EXPECT_EQ(r.Header("Accept"), "*/*");
  EXPECT_EQ(r.Header("Accept-Language"), "zh-cn");
  EXPECT_EQ(r.Header("User-Agent"), "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)");
  EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(body.substr(0, 20), "GET /echo HTTP/1.1\r\n");
}

TEST_F(WebRequestTest, ObjectExchangesCookiesWithTheStore) {
  server_.Route("/set", testing::Respond(200, {"Set-Cookie: a=deleted; path=/", "Set-Cookie: c=3; path=/"}, "ok"));
  store_->SetCookie("http://localhost/", "a", "1");
  store_->SetCookie("http://localhost/", "b", "2");
  ObjectRequest request;
  request.url = LocalText(named("/set"));
  request.cookies = LocalText("b=5");
  WebRequestObject(context(), request);
  EXPECT_EQ(server_.last_request().Header("Cookie"), "a=1; b=5;");
  EXPECT_EQ(server_.last_request().HeaderNames().at(1), "Cookie");
  EXPECT_EQ(request.responseCookies, LocalText("a=deleted; c=3;"));
  EXPECT_EQ(request.cookies, LocalText("b=5; c=3;"));
  // Only the names in the merged text are written back: a keeps its value.
  EXPECT_EQ(store_->CookiesFor("http://localhost/"), "a=1; b=5; c=3");
}

TEST_F(WebRequestTest, ObjectMethodBodyAndHeaderLines) {
  struct Case {
    const char* method;
    const char* headers;
    const char* body;
    const char* request_line;
    Names names;
    const char* x_a;
    const char* why;
  } cases[] = {
      {"post", "X-A: 1", "k=v&x=1", "POST /echo HTTP/1.1", {"Host", "X-A", "Content-Length"}, "1", "method upper-cased; body with its length"},
      {"", "X-A: 1:2", "", "GET /echo HTTP/1.1", {"Host", "X-A"}, "1:2", "the value runs past later colons"},
      {"get", "X-A: 1:", "", "GET /echo HTTP/1.1", {"Host", "X-A"}, "1", "one trailing colon is dropped"},
      {"GET", "X-A: 1\r\nX-B: 2\r\nnocolon\r\n", "", "GET /echo HTTP/1.1", {"Host", "X-A", "X-B"}, "1", "lines in order; a line without : is skipped"},
      {"GET", "no colon at all", "", "GET /echo HTTP/1.1", {"Host"}, "", "no header at all"},
      {"GET", "X-A: 1\nInjected: yes", "", "GET /echo HTTP/1.1", {"Host"}, "", "a bare LF never splits a line on the wire"},
      {"Delete", "X-A: 1", "", "DELETE /echo HTTP/1.1", {"Host", "X-A", "Content-Length"}, "1", "other methods go as given"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ObjectRequest request;
    request.url = LocalText(server_.url("/echo"));
    request.method = LocalText(c.method);
    request.headers = LocalText(c.headers);
    request.body = LocalText(c.body);
    WebRequestObject(context(), request);
    RecordedRequest r = server_.last_request();
    EXPECT_EQ(r.request_line, c.request_line);
    EXPECT_EQ(r.HeaderNames(), c.names);
    EXPECT_EQ(r.Header("X-A"), c.x_a);
    EXPECT_EQ(r.body, c.body);
    EXPECT_EQ(request.method, text::ToUpper(LocalText(*c.method ? c.method : "GET")));
  }
}

TEST_F(WebRequestTest, ObjectBodyBytesWinOverBody) {
  ObjectRequest request;
  request.url = LocalText(server_.url("/echo"));
  request.method = LocalText("POST");
  request.body = LocalText("text");
  request.bodyBytes = std::string("a\0b", 3);
  WebRequestObject(context(), request);
  EXPECT_EQ(server_.last_request().body, std::string("a\0b", 3));
}

TEST(RequestTimeoutTest, Rules) {
  struct Case {
    int seconds;
    int ms;
    const char* why;
  } cases[] = {
      {1, 0, "1 keeps the engine's own"}, {2, 2000, "seconds scaled"}, {0, 15000, "0 is the default"},
      {-5, 15000, "negative is the default"}, {3000000, 2147483647, "too large saturates"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(RequestTimeoutMilliseconds(c.seconds), c.ms);
  }
}

TEST_F(WebRequestTest, ObjectRedirectLocationAndResponseCookies) {
  server_.Route("/moved", testing::Respond(302, {"Location: /next"}, ""));
  server_.Route("/content", testing::Respond(200, {"Content-Location: x"}, ""));
  server_.Route("/plain", testing::Respond(200, {"X-Only: 1"}, ""));
  server_.Route("/cookies", testing::Respond(200, {"Set-Cookie: a=1; path=/", "Set-Cookie: b=2; path=/"}, ""));
  server_.Route("/bare", testing::Respond(200, {"Set-Cookie: c=3"}, ""));
  struct Case {
    const char* path;
    const char* caller_location;
    const char* location;  // nullptr: the whole header text
    const char* response_cookies;
    const char* why;
  } cases[] = {
      {"/moved", "", "/next", "", "the Location line"},
      {"/content", "", "Content- x", "", "the marker is cut out of the middle"},
      {"/plain", "", nullptr, "", "no Location: the whole header text"},
      {"/plain", "mine", "mine", "", "no Location: a caller's text stays"},
      {"/cookies", "", nullptr, "a=1; b=2;", "the value of each Set-Cookie line"},
      {"/bare", "", nullptr, ";", "a value without ; gives nothing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ObjectRequest request;
    request.url = LocalText(server_.url(c.path));
    request.noRedirect = true;
    request.redirectLocation = LocalText(c.caller_location);
    WebRequestObject(context(), request);
    EXPECT_EQ(request.redirectLocation, c.location ? LocalText(c.location) : request.responseHeaders);
    EXPECT_EQ(request.responseCookies, LocalText(c.response_cookies));
    EXPECT_FALSE(request.responseHeaders.empty());
    EXPECT_EQ(text::Find(request.responseHeaders, LocalText("HTTP/1.1")), -1) << "no status line";
  }
}

TEST_F(WebRequestTest, RedirectsAreFollowedWithinBounds) {
  server_.Route("/final", testing::Respond(200, {}, "done"));
  server_.Route("/to-final", testing::Redirect("/final"));
  server_.Route("/loop", testing::Redirect("/loop"));
  server_.Route("/to-ftp", testing::Redirect("ftp://127.0.0.1/x"));
  for (int i = 1; i <= 11; ++i) {
    server_.Route("/chain" + std::to_string(i), testing::Redirect(i == 1 ? "/final" : "/chain" + std::to_string(i - 1), 307));
  }
  struct Case {
    const char* path;
    const char* body;
    const char* why;
  } cases[] = {
      {"/to-final", "done", "followed by default"},
      {"/chain10", "done", "ten redirects are followed"},
      {"/chain11", "", "the eleventh fails the request"},
      {"/loop", "", "a loop fails"},
      {"/to-ftp", "", "only http and https"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(WebRequestObject(context(), LocalText(server_.url(c.path))), c.body);
  }
  ObjectRequest request;
  request.url = LocalText(server_.url("/to-final"));
  request.noRedirect = true;
  EXPECT_EQ(WebRequestObject(context(), request), "");
  EXPECT_EQ(request.redirectLocation, LocalText("/final"));
}

TEST_F(WebRequestTest, PostTurnsIntoGetAfterA302) {
  server_.Route("/form", testing::Redirect("/echo"));
  ObjectRequest request;
  request.url = LocalText(server_.url("/form"));
  request.method = LocalText("POST");
  request.body = LocalText("a=1");
  WebRequestObject(context(), request);
  RecordedRequest r = server_.last_request();
  EXPECT_EQ(r.request_line, "GET /echo HTTP/1.1");
  EXPECT_FALSE(r.HasHeader("Content-Length"));
  EXPECT_EQ(r.body, "");
}

TEST_F(WebRequestTest, ObjectFailuresAreEmpty) {
  server_.Route("/stall", [](const RecordedRequest&) { return Reply{200, {}, "", Reply::Mode::kStall}; });
  server_.Route("/drop", [](const RecordedRequest&) { return Reply{200, {}, std::string(1000, 'x'), Reply::Mode::kDropMidBody}; });
  server_.Route("/huge", testing::Respond(200, {"Content-Length: 67108865"}, ""));
  int closed_port;
  {
    testing::SilentServer gone;
    closed_port = gone.port();
  }
  struct Case {
    std::string url;
    const char* why;
  } cases[] = {
      {server_.url("/stall"), "a stalled server ends after the time-out"},
      {server_.url("/drop"), "a body cut short"},
      {server_.url("/huge"), "a body over 64 MiB"},
      {"http://localhost:" + std::to_string(closed_port) + "/", "nobody listening"},
      {"not an address", "no address at all"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ObjectRequest request;
    request.url = LocalText(c.url);
    request.timeoutSeconds = 2;
    request.cookies = LocalText("z=9");
    request.redirectLocation = LocalText("kept");
    EXPECT_EQ(WebRequestObject(context(), request), "");
    EXPECT_EQ(request.responseHeaders, LocalText());
    EXPECT_EQ(request.responseCookies, LocalText());
    EXPECT_EQ(request.redirectLocation, LocalText("kept"));
  }
  // The merged cookies still reach the store.
  EXPECT_EQ(store_->CookiesFor("http://localhost/"), "z=9");
}

TEST_F(WebRequestTest, BodiesComeBackExactly) {
  const std::string binary("\x1f\x8b\0\xff zero\0bytes", 16);
  server_.Route("/binary", testing::Respond(200, {}, binary));
  server_.Route("/big", testing::Respond(200, {}, std::string(3 << 20, 'b')));
  server_.Route("/missing", testing::Respond(404, {}, "error page"));
  EXPECT_EQ(WebRequestObject(context(), LocalText(server_.url("/binary"))), binary);
  EXPECT_EQ(WebRequestObject(context(), LocalText(server_.url("/big"))).size(), 3u << 20);
  EXPECT_EQ(WebRequestObject(context(), LocalText(server_.url("/missing"))), "error page");
  InetRequest binary_request = Inet(server_.url("/binary"));
  EXPECT_EQ(WebRequestInet(context(), binary_request), binary);
  EXPECT_EQ(WebRequestInetText(context(), LocalText(server_.url("/binary"))), LocalText("\x1f\x8b"));
}

TEST_F(WebRequestTest, RequestTargetsArePercentEncoded) {
  struct Case {
    std::string path;
    const char* target;
    const char* why;
  } cases[] = {
      {"/echo?q=a b", "/echo?q=a%20b", "a blank"},
      {"/echo?q=\xc4\xe3\xba\xc3", "/echo?q=%C4%E3%BA%C3", "code page 936 bytes"},
      {"/echo?q=%41\"<>", "/echo?q=%41%22%3C%3E", "existing escapes stay, quotes and angles go"},
      {"/echo#fragment", "/echo", "the fragment stays home"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WebRequestObject(context(), LocalText(server_.url(c.path)));
    EXPECT_EQ(server_.last_request().target, c.target);
  }
}

TEST_F(WebRequestTest, HttpsIsVerified) {
  TestServer secure(TestServer::Transport::kHttps);
  secure.Route("/", testing::Respond(200, {}, "secret"));
  EXPECT_EQ(WebRequestObject(context(), LocalText(secure.url("/"))), "secret");
  platform::RequestEngine untrusting;
  HttpContext plain{*store_, untrusting};
  EXPECT_EQ(WebRequestObject(plain, LocalText(secure.url("/"))), "");
  EXPECT_EQ(secure.requests().size(), 1u) << "no request crossed the untrusted handshake";
}

TEST_F(WebRequestTest, InetSendsThreeDefaultLines) {
  const std::string url = server_.url("/echo?x=1");
  InetRequest request = Inet(url);
  WebRequestInet(context(), request);
  RecordedRequest r = server_.last_request();
  EXPECT_EQ(r.request_line, "GET /echo?x=1 HTTP/1.1");
  EXPECT_EQ(r.HeaderNames(), (Names{"Host", "Accept", "Referer", "Accept-Language", "User-Agent"}));
  EXPECT_EQ(r.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)");
  const std::string accept =
      "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
      "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
  EXPECT_EQ(request.headers, LocalText(accept + "Referer: " + url + "\r\nAccept-Language: zh-cn\r\n"));
  EXPECT_EQ(text::Find(request.responseHeaders, LocalText("HTTP/1.1 200 OK\r\n")), 1);
}

TEST_F(WebRequestTest, InetHeadersAndMethods) {
  struct Case {
    const char* method;
    const char* headers;
    const char* post_data;
    const char* request_line;  // nullptr: nothing is sent
    Names names;
    const char* why;
  } cases[] = {
      {"", "referer: mine\r\n", "", "GET /echo HTTP/1.1", {"Host", "referer", "Accept", "Accept-Language", "User-Agent"},
       "a lower-case Referer suppresses only the default Referer"},
      {"post", "", "a=1&b=2", "POST /echo HTTP/1.1",
       {"Host", "Accept", "Referer", "Accept-Language", "Content-Type", "Content-Length", "User-Agent"},
       "a form post, its method upper-cased"},
      {"POST", "Content-Type: text/plain\r\n", "abc", "POST /echo HTTP/1.1",
       {"Host", "Content-Type", "Accept", "Referer", "Accept-Language", "Content-Length", "User-Agent"},
       "the caller's Content-Type stays"},
      {"POST", "", "", "POST /echo HTTP/1.1", {"Host", "Accept", "Referer", "Accept-Language", "User-Agent", "Content-Length"},
       "an empty post has neither line of its own"},
      {"PUT", "", "", nullptr, {}, "other methods fail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    size_t before = server_.requests().size();
    InetRequest request = Inet(server_.url("/echo"), c.method, "", c.headers, c.post_data);
    text::Bytes body = WebRequestInet(context(), request);
    if (!c.request_line) {
      EXPECT_EQ(body, std::string(255, '\0'));
      EXPECT_EQ(server_.requests().size(), before);
      EXPECT_EQ(WebRequestInetText(context(), request), LocalText());
      continue;
    }
    RecordedRequest r = server_.last_request();
    EXPECT_EQ(r.request_line, c.request_line);
    EXPECT_EQ(r.HeaderNames(), c.names);
    EXPECT_EQ(r.body, c.post_data);
    if (*c.post_data) {
      EXPECT_EQ(r.Header("Content-Length"), std::to_string(strlen(c.post_data)));
    }
  }
}

TEST_F(WebRequestTest, InetStoresResponseCookiesAndSendsThemBack) {
  std::string long_header = "X-Long: " + std::string(3000, 'l');
  server_.Route("/login", testing::Respond(200, {long_header, "Set-Cookie: sid=ab=c; path=/", "set-cookie: k=v"}, ""));
  server_.Route("/hop", testing::Redirect("/echo"));
  InetRequest login = Inet(named("/login"));
  WebRequestInet(context(), login);
  EXPECT_GT(login.responseHeaders.size(), 3000) << "read whole";
  EXPECT_EQ(store_->CookiesFor("http://localhost/"), "sid=ab=c; k=v");
  InetRequest next = Inet(named("/hop"));
  WebRequestInet(context(), next);
  std::vector<RecordedRequest> all = server_.requests();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[1].Header("Cookie"), "sid=ab=c; k=v");
  EXPECT_EQ(all[2].request_line, "GET /echo HTTP/1.1");
  EXPECT_EQ(all[2].Header("Cookie"), "sid=ab=c; k=v") << "and on each redirect";
}

TEST_F(WebRequestTest, InetFailuresKeepWhatArrived) {
  server_.Route("/drop", [](const RecordedRequest&) { return Reply{200, {}, std::string(1000, 'x'), Reply::Mode::kDropMidBody}; });
  server_.Route("/huge", testing::Respond(200, {"Content-Length: 67108865"}, ""));
  testing::SilentServer silent;
  InetRequest dropped = Inet(server_.url("/drop"));
  EXPECT_EQ(WebRequestInet(context(), dropped), std::string(500, 'x'));
  InetRequest stalled = Inet(silent.url("/"));
  EXPECT_EQ(WebRequestInet(context(), stalled), "");
  EXPECT_EQ(stalled.responseHeaders, LocalText(std::string(1024, ' '))) << "no response: the blanks stay";
  InetRequest huge = Inet(server_.url("/huge"));
  EXPECT_EQ(WebRequestInet(context(), huge), std::string(255, '\0'));
  InetRequest no_host = Inet("http:///x");
  EXPECT_EQ(WebRequestInet(context(), no_host), std::string(255, '\0'));
}

TEST_F(WebRequestTest, InetGoesThroughItsProxy) {
  server_.Route("*", &testing::EchoReply);
  InetRequest request = Inet("http://site.invalid/page", "", "127.0.0.1:" + std::to_string(server_.port()));
  WebRequestInet(context(), request);
  EXPECT_EQ(server_.last_request().request_line, "GET http://site.invalid/page HTTP/1.1");
  InetRequest blank_proxy = Inet(server_.url("/echo"), "", "   ");
  WebRequestInet(context(), blank_proxy);
  EXPECT_EQ(server_.last_request().request_line, "GET /echo HTTP/1.1") << "blanks only: direct";
}

TEST_F(WebRequestTest, ReadHttpFile) {
  server_.Route("/notice", testing::Respond(404, {}, "notice body"));
  testing::SilentServer silent;
  EXPECT_EQ(ReadHttpFile(context(), LocalText(server_.url("/notice")), 2000), "notice body");
  EXPECT_EQ(server_.last_request().HeaderNames(), Names{"Host"});
  EXPECT_EQ(ReadHttpFile(context(), LocalText(silent.url("/notice")), 300), "");
}

TEST_F(WebRequestTest, SharingReusesConnections) {
  server_.Route("/", testing::Respond(200, {}, "x"));
  platform::EngineOptions unshared = TestEngineOptions();
  unshared.share = false;
  platform::RequestEngine separate(unshared);
  for (platform::RequestEngine* engine : {&separate, &engine_}) {
    HttpContext c{*store_, *engine};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
      threads.emplace_back([&] {
        for (int i = 0; i < 5; ++i) WebRequestObject(c, LocalText(server_.url("/")));
      });
    }
    for (auto& thread : threads) thread.join();
  }
  EXPECT_EQ(server_.requests().size(), 20u);
  // Ten connections for the unshared engine, at most one per thread for the shared one.
  EXPECT_LE(server_.connections(), 12);
  EXPECT_GE(server_.connections(), 11);
}

}  // namespace
}  // namespace vellox::http
