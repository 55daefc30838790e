// The two providers against fixture pages served on loopback: what reaches the
// wire for each site and mode, and the rows each site's passes cut out of a
// small page that shows one rule.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "search/cloud_disk_search.h"
#include "search/resource_search.h"
#include "search/search_environment.h"
#include "tests/search/page_server.h"
#include "tests/support/recording_bridge.h"

namespace vellox::search {
namespace {

using text::LocalText;

enum Tab { kFilm, kCloud };
constexpr int kPro = 1, kAll = 2;

// A row as UTF-8: columns 0..3; "{root}" in an expectation stands for the
// fixture server's origin.
using Row = std::array<std::string, 4>;

class ProvidersTest : public ::testing::Test {
 protected:
  ProvidersTest()
      : roots_(server_.Roots()),
        cookies_(platform::NewMemoryCookieStore()),
        environment_{roots_, {*cookies_, platform::DefaultRequestEngine()}} {}

  // Runs one provider with `keyword` (UTF-8) typed into the tab.
  void Search(Tab tab, int radio, const std::string& keyword, int page = 0) {
    bridge_ = std::make_unique<testing::RecordingBridge>(LocalText::FromUtf8(keyword), radio, page);
    if (tab == kFilm) {
      ResourceSearch(*bridge_, environment_);
    } else {
      CloudDiskSearch(*bridge_, environment_);
    }
  }

  std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (const auto& row : bridge_->rows()) {
      rows.push_back({row.caption.ToUtf8(), row.cells[0].ToUtf8(), row.cells[1].ToUtf8(),
                      row.cells[2].ToUtf8()});
    }
    return rows;
  }

  std::string WithRoot(std::string text) {
    for (size_t at; (at = text.find("{root}")) != std::string::npos;) {
      text.replace(at, 6, server_.origin());
    }
    return text;
  }

  testing::PageServer server_;
  SiteRoots roots_;
  std::unique_ptr<platform::CookieStore> cookies_;
  SearchEnvironment environment_;
  std::unique_ptr<testing::RecordingBridge> bridge_;
};

TEST_F(ProvidersTest, RequestTargetPerSiteAndPage) {
  struct Case {
    Tab tab;
    int radio;
    const char* keyword;
    int page;
    const char* target;
    const char* why;
  } cases[] = {
      {kFilm, 1, "abc", 0, "/site1/search/abc/currentPage/1", "site 1 asks page counter + 1"},
      {kFilm, 1, "abc", 1, "/site1/search/abc/currentPage/2", "site 1 after one next page"},
      {kFilm, 2, "abc", 0, "/site2/baike/abc/0-1.html", "site 2 asks the counter itself"},
      {kFilm, 3, "abc", 2, "/site3/search/abc/2-1.html", "site 3 on a later page"},
      {kFilm, 4, "abc", 0, "/site4/list/abc-s1d-0.html", "site 4 pieces"},
      {kFilm, 5, "abc", 1, "/site5/search/abc_ctime_1.html", "site 5 pieces"},
      {kFilm, 6, "abc", 0, "/site6/search.php?keyword=abc&page=0", "site 6 first page"},
      {kFilm, 6, "abc", 1, "/site6/search.php?keyword=abc&page=1", "site 6 after one next page"},
      {kFilm, 1, "  abc  ", 0, "/site1/search/abc/currentPage/1", "blanks trimmed before encoding"},
      {kFilm, 2, "\xE3\x80\x80" "abc\xE3\x80\x80", 0, "/site2/baike/abc/0-1.html",
       "full-width spaces trimmed"},
      {kFilm, 2, "\tabc", 0, "/site2/baike/%09abc/0-1.html", "a tab is no blank: it stays"},
      {kFilm, 3, "中文 a,b-c.d/e", 0,
       "/site3/search/%E4%B8%AD%E6%96%87%20a,b-c.d/e/0-1.html", "UTF-8 encoded, plain kept"},
      {kCloud, kPro, "abc", 0, "/pro/search.asp?wd=abc&page=0", "professional first page"},
      {kCloud, kPro, "abc", 1, "/pro/search.asp?wd=abc&page=1", "professional next page"},
      {kCloud, kPro, "", 0, "/pro/search.asp?wd=&page=0", "an empty keyword is still asked"},
      {kCloud, kAll, "abc", 0,
       "/web/web?num=12&query=abc%20&insite=pan.baidu.com%7Cyunpan.360.cn&freecode=1&page=0&ie=utf8",
       "comprehensive: the blank before &insite goes out encoded"},
      {kCloud, kAll, " ", 3,
       "/web/web?num=12&query=%20&insite=pan.baidu.com%7Cyunpan.360.cn&freecode=1&page=3&ie=utf8",
       "comprehensive: blank keyword trims to empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const size_t before = server_.targets().size();
    Search(c.tab, c.radio, c.keyword, c.page);
    const auto targets = server_.targets();
    ASSERT_EQ(targets.size(), before + 1);
    EXPECT_EQ(targets.back(), c.target);
  }
}

TEST_F(ProvidersTest, TrimmedKeywordIsWrittenBack) {
  struct Case {
    Tab tab;
    int radio;
    const char* typed;
    const char* kept;
    const char* why;
  } cases[] = {
      {kFilm, 1, "  abc  ", "abc", "ASCII blanks go"},
      {kCloud, kPro, "\xE3\x80\x80" "中 文\xE3\x80\x80", "中 文", "full-width blanks go, inner stay"},
      {kCloud, kAll, "\tabc ", "\tabc", "tabs stay"},
      {kFilm, 0, " abc ", "abc", "no site selected: trimmed, nothing asked"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Search(c.tab, c.radio, c.typed);
    EXPECT_EQ(bridge_->keyword().ToUtf8(), c.kept);
  }
  EXPECT_EQ(server_.targets().size(), 3u);
}

TEST_F(ProvidersTest, EmptyOrFailedResponsesGiveNoRows) {
  struct Case {
    Tab tab;
    int radio;
    int status;
    const char* body;
    const char* why;
  } cases[] = {
      {kFilm, 1, 200, "", "empty page"},
      {kFilm, 6, 200, "<html>nothing here</html>", "page without matches"},
      {kCloud, kPro, 200, "", "professional: empty page"},
      {kCloud, kAll, 500, "", "comprehensive: server error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    server_.Serve(c.body, c.status);
    Search(c.tab, c.radio, "abc");
    EXPECT_TRUE(Rows().empty());
  }
}

TEST_F(ProvidersTest, UnreachableSiteGivesNoRows) {
  SiteRoots roots = roots_;
  // A port nothing listens on: bound and closed by a server of our own.
  { testing::PageServer gone; roots = gone.Roots(); }
  SearchEnvironment environment{roots, environment_.http};
  for (int radio : {1, 2}) {
    testing::RecordingBridge tab(LocalText("abc"), radio);
    ResourceSearch(tab, environment);
    CloudDiskSearch(tab, environment);
    EXPECT_TRUE(tab.rows().empty());
  }
}

}  // namespace
}  // namespace vellox::search
