#pragma once
// A loopback server on an ephemeral port that answers every GET with one fixture
// page and records each request target as it reached the wire. Also the roots
// that point every site and mode at it. For the provider tests; thread-safe.

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "search/site_roots.h"

namespace vellox::testing {

class PageServer {
 public:
  PageServer() {
    server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      targets_.push_back(request.target);
      response.status = status_;
      response.set_content(body_, "text/html; charset=utf-8");
    });
    // One request per connection, so that stopping never waits out a kept-alive one.
    server_.set_keep_alive_max_count(1);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~PageServer() {
    server_.stop();
    thread_.join();
  }

  void Serve(std::string body, int status = 200) {
    std::lock_guard lock(mutex_);
    body_ = std::move(body);
    status_ = status;
  }
  std::vector<std::string> targets() {
    std::lock_guard lock(mutex_);
    return targets_;
  }
  std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Every root points here under its own path, so a target names its site.
  search::SiteRoots Roots() const {
    search::SiteRoots roots;
    const std::string o = origin();
    roots.ResourceSiteRoot1 = o + "/site1/";
    roots.ResourceSiteRoot2 = o + "/site2/";
    roots.ResourceSiteRoot3 = o + "/site3/";
    roots.ResourceSiteRoot4 = o + "/site4/";
    roots.ResourceSiteRoot5 = o + "/site5/";
    roots.ResourceSiteRoot6 = o + "/site6/";
    roots.ProSearchRoot = o + "/pro/";
    roots.WebSearchRoot = o + "/web/";
    roots.CloudDiskRoot = o + "/pan/";
    roots.InsiteHosts = "pan.baidu.com%7Cyunpan.360.cn";
    return roots;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::string body_;
  int status_ = 200;
  std::vector<std::string> targets_;
};

}  // namespace vellox::testing
