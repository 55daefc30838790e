// Requests per second to the loopback test server through WebRequestObject,
// with the engine's sharing (DNS answers, TLS sessions, connections) on and
// off, over http and https, from one and from two threads.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "http/web_request_object.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "tests/support/test_server.h"

namespace vellox::http {
namespace {

using testing::TestServer;

struct Setup {
  explicit Setup(TestServer::Transport transport) : server(transport) {
    server.Route("/page", testing::Respond(200, {"Content-Type: text/html"}, std::string(16 << 10, 'p')));
    for (bool share : {false, true}) {
      platform::EngineOptions options;
      options.extra_ca_file = TestServer::CertificateFile();
      options.share = share;
      engines[share] = std::make_unique<platform::RequestEngine>(options);
    }
  }
  TestServer server;
  std::unique_ptr<platform::CookieStore> cookies = platform::NewMemoryCookieStore();
  std::unique_ptr<platform::RequestEngine> engines[2];
};

Setup& ForTransport(bool https) {
  static Setup plain(TestServer::Transport::kHttp);
  static Setup secure(TestServer::Transport::kHttps);
  return https ? secure : plain;
}

// Arguments: https (0/1), share (0/1).
void BM_WebRequestObject(benchmark::State& state) {
  Setup& setup = ForTransport(state.range(0) != 0);
  const HttpContext context{*setup.cookies, *setup.engines[state.range(1) != 0]};
  const text::LocalText url(setup.server.url("/page"));
  for (auto _ : state) {
    text::Bytes body = WebRequestObject(context, url);
    if (body.empty()) state.SkipWithError("request failed");
    benchmark::DoNotOptimize(body.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WebRequestObject)
    ->ArgNames({"https", "share"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Threads(1)
    ->Threads(2)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vellox::http

BENCHMARK_MAIN();
