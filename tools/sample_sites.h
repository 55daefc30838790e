#pragma once
// The sample sites: one loopback HTTP server that speaks the markup of every
// site and mode Vellox searches, so the demo, the end-to-end tests and the
// benchmarks run with no network. Pages are generated, deterministic for a given
// keyword and page, and served as UTF-8.
//
// SampleSitesServer runs its own listener thread; its methods are for the thread
// that owns it. The page generators are pure functions.

#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "search/site_roots.h"

namespace httplib {
class Server;
}

namespace vellox::tools {

// Which markup a result page is written in: the six resource sites, then the
// professional and the comprehensive cloud-disk search.
enum class SampleSite { kSite1 = 1, kSite2, kSite3, kSite4, kSite5, kSite6, kPro, kWeb };

// Results on the zero-based page `page` of any keyword: three full pages of
// `per_page`, a shorter one, then none.
int ResultsOnPage(int page, int per_page = 10);

// A result page of `count` results for `keyword` (UTF-8, as the site received
// it) on the zero-based page `page`. `origin` ("http://host:port") makes the
// links that the site writes absolute.
std::string ResultPage(SampleSite site, std::string_view keyword, int page, int count,
                       std::string_view origin);

// The detail page behind a result link of `site` (site 1, 3, 5 and 6, and the
// professional search's file pages); `id` is the page's name without ".html".
std::string DetailPage(SampleSite site, std::string_view id);

class SampleSitesServer {
 public:
  // `per_page`: the results on each full page.
  explicit SampleSitesServer(int per_page = 10);
  ~SampleSitesServer();
  SampleSitesServer(const SampleSitesServer&) = delete;
  SampleSitesServer& operator=(const SampleSitesServer&) = delete;

  // Binds `host`:`port` (0: an ephemeral port) and starts serving. False when the
  // address cannot be bound.
  bool Start(const std::string& host, int port);
  void Stop();
  int port() const { return port_; }

  // Every root pointed at this server; InsiteHosts is kept from `base`.
  search::SiteRoots Roots(const search::SiteRoots& base) const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::string host_;
  int port_ = 0;
  int per_page_;
};

}  // namespace vellox::tools
