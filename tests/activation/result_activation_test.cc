#include "search/result_activation.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "recording_user.h"
#include "support/recording_bridge.h"

namespace vellox::search {
namespace {

using text::LocalText;

// Detail pages as the sites write them, served as UTF-8 on an ephemeral
// loopback port; every path asked for is recorded.
class ActivationTest : public ::testing::Test {
 protected:
  static constexpr const char* kPages[][2] = {
      {"/site1/detail",
       R"(<a id="magnetDownload" href="magnet:?xt=urn:btih:S1" class="btn btn-primary">)"},
      {"/site3/detail", R"(<li><a href="thunder://QUFodHRwOi8vUzM=">迅雷下载</a></li>)"},
      {"/site3/upper", R"(<A HREF="THUNDER://UPPER">)"},
      {"/site5/detail", "<textarea readonly>magnet:?xt=urn:btih:S5</textarea>\n<p>"},
      {"/site5/no-line-feed", "<textarea readonly>magnet:?xt=urn:btih:S5</textarea><p>"},
      {"/site6/detail", R"(<p><a href="magnet:?xt=urn:btih:S6">使用磁力链下载</a></p>)"},
      {"/pro/file1", R"(<script>var SHARE_ID = "12"; var SHARE_UK = "34";</script>)"},
      {"/pro/no-uk", R"(<script>var SHARE_ID = "12";</script>)"},
      {"/empty", ""},
  };

  void SetUp() override {
    for (const auto& page : kPages) {
      server_.Get(page[0], [body = std::string(page[1])](const httplib::Request&,
                                                          httplib::Response& response) {
        response.set_content(body, "text/html; charset=utf-8");
      });
    }
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
      std::lock_guard lock(mutex_);
      requested_.push_back(request.path);
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server_.set_keep_alive_max_count(1);  // no idle connection holds up stop()
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();  // cpp-httplib 0.11 has no wait_until_ready()
    roots_.CloudDiskRoot = "http://pan.test/";
  }
  void TearDown() override {
    server_.stop();
    thread_.join();
  }

  std::string Expand(std::string text) const {
    const size_t at = text.find("{server}");
    if (at != std::string::npos) text.replace(at, 8, "http://127.0.0.1:" + std::to_string(port_));
    return text;
  }
  std::vector<std::string> Expand(std::vector<std::string> texts) const {
    for (auto& text : texts) text = Expand(text);
    return texts;
  }
  std::vector<std::string> requested() {
    std::lock_guard lock(mutex_);
    return requested_;
  }
  void ClearRequests() {
    std::lock_guard lock(mutex_);
    requested_.clear();
  }
  SearchEnvironment Environment() { return SearchEnvironment{roots_, {*cookies_, engine_}}; }

  // A tab holding one result row whose link is `link`, with `row` selected.
  static std::unique_ptr<testing::RecordingBridge> Tab(const std::string& link, int radio,
                                                       int row = 0) {
    auto tab = std::make_unique<testing::RecordingBridge>(LocalText("keyword"), radio);
    tab->InsertItem(LocalText("1"));
    tab->SetCellText(0, 1, LocalText::FromUtf8("名称"));
    tab->SetCellText(0, 3, LocalText::FromUtf8(link));
    tab->SelectRow(row);
    return tab;
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> requested_;
  SiteRoots roots_;
  std::unique_ptr<platform::CookieStore> cookies_ = platform::NewMemoryCookieStore();
  platform::RequestEngine engine_;
};

struct Case {
  int radio;
  std::string link;  // "{server}" stands for the test server's root
  int selected_row;
  std::vector<std::string> events;
  std::vector<std::string> requested;
  const char* why;
};

TEST_F(ActivationTest, ResourceRows) {
  const std::string copied = "message 信息：: 磁力链接已复制";
  const std::string no_link = "message 信息：: 未找到下载链接";
  const std::string choose = "message 信息：: 请选择目录";
  const Case cases[] = {
      {1, "{server}/site1/detail", 0, {"clipboard magnet:?xt=urn:btih:S1", copied}, {"/site1/detail"},
       "site 1: the magnetDownload button's address"},
      {2, "magnet:?xt=urn:btih:S2", 0, {"clipboard magnet:?xt=urn:btih:S2", copied}, {},
       "site 2: the link itself, no fetch"},
      {3, "{server}/site3/detail", 0, {"clipboard thunder://QUFodHRwOi8vUzM=", copied}, {"/site3/detail"},
       "site 3: thunder:// and the submatch"},
      {3, "{server}/site3/upper", 0, {"clipboard thunder://UPPER", copied}, {"/site3/upper"},
       "site 3: the pattern ignores letter case"},
      {4, "magnet:?xt=urn:btih:S4&dn=名称", 0, {"clipboard magnet:?xt=urn:btih:S4&dn=名称", copied},
       {}, "site 4: the link itself, unchanged"},
      {5, "{server}/site5/detail", 0, {"clipboard magnet:?xt=urn:btih:S5", copied}, {"/site5/detail"},
       "site 5: the text area followed by a line feed"},
      {5, "{server}/site5/no-line-feed", 0, {no_link}, {"/site5/no-line-feed"},
       "site 5: no line feed after </textarea>, no link, clipboard left alone"},
      {6, "{server}/site6/detail", 0, {"clipboard magnet:?xt=urn:btih:S6", copied}, {"/site6/detail"},
       "site 6: the link before 使用磁力链下载"},
      {3, "{server}/empty", 0, {no_link}, {"/empty"}, "site 3: no thunder link, not \"thunder://\" alone"},
      {1, "{server}/missing", 0, {no_link}, {"/missing"}, "an error page"},
      {6, "http://127.0.0.1:1/closed", 0, {no_link}, {}, "an unreachable site"},
      {2, "{server}/site1/detail", 0, {"clipboard {server}/site1/detail", copied}, {},
       "radio switched to site 2 after a site-1 search: the row's link is copied"},
      {1, "{server}/site1/detail", -1, {choose}, {}, "no row selected"},
      {5, "", 0, {choose}, {}, "an empty link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ClearRequests();
    auto tab = Tab(Expand(c.link), c.radio, c.selected_row);
    testing::RecordingUser user;
    ResourceListActivated(*tab, Environment(), user);
    EXPECT_EQ(user.events, Expand(c.events));
    EXPECT_EQ(requested(), c.requested);
  }
}

TEST_F(ActivationTest, CloudRows) {
  const std::string choose = "message 信息：: 请选择目录";
  const std::string unsupported = "message 信息：: 不支持的链接";
  const Case cases[] = {
      {1, "{server}/pro/file1", 0, {"open http://pan.test/share/link?shareid=12&uk=34"}, {"/pro/file1"},
       "professional: the share address from SHARE_ID and SHARE_UK"},
      {1, "{server}/pro/no-uk", 0, {"message 信息：: 未找到分享链接"}, {"/pro/no-uk"},
       "professional: a page without SHARE_UK opens nothing"},
      {1, "{server}/empty", 0, {"message 信息：: 未找到分享链接"}, {"/empty"},
       "professional: an empty page"},
      {1, "file:///etc/passwd", 0, {unsupported}, {}, "professional: not a web address, no fetch"},
      {1, "", 0, {choose}, {}, "professional: an empty link is not fetched"},
      {1, "{server}/pro/file1", -1, {choose}, {}, "professional: no row selected"},
      {2, "https://pan.example/s/1abc?pwd=x", 0, {"open https://pan.example/s/1abc?pwd=x"}, {},
       "comprehensive: the link unchanged"},
      {2, "HTTP://www.search.test/link?url=9", 0, {"open HTTP://www.search.test/link?url=9"}, {},
       "comprehensive: a search engine's own link, scheme in capitals"},
      {2, "javascript:alert(1)", 0, {unsupported}, {}, "comprehensive: javascript: is not opened"},
      {2, "/usr/bin/xterm", 0, {unsupported}, {}, "comprehensive: a local program is not opened"},
      {2, "{server}/pro/file1", 0, {"open {server}/pro/file1"}, {},
       "mode switched to comprehensive after a professional search: opened as it is"},
      {2, "", 0, {choose}, {}, "comprehensive: an empty link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    ClearRequests();
    auto tab = Tab(Expand(c.link), c.radio, c.selected_row);
    testing::RecordingUser user;
    CloudListActivated(*tab, Environment(), user);
    EXPECT_EQ(user.events, Expand(c.events));
    EXPECT_EQ(requested(), c.requested);
  }
}

}  // namespace
}  // namespace vellox::search
