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

struct PageCase {
  Tab tab;
  int radio;
  const char* page;
  std::vector<Row> rows;
  const char* why;
};

void PrintTo(const Row& row, std::ostream* os) {
  *os << "{" << row[0] << " | " << row[1] << " | " << row[2] << " | " << row[3] << "}";
}

TEST_F(ProvidersTest, PassesCutRowsOutOfEachSitesMarkup) {
  const PageCase cases[] = {
      // Site 1: title and link from one match, the size from a second pattern.
      {kFilm, 1,
       "<a href=\"http://x/1.html\" title=\"一\">\n<div class=\"right size\">1 GB</div>\n"
       "<a href=\"http://x/2.html\" title=\"二\">\n<div class=\"right size\">2 GB</div>\n"
       "<a href=\"http://x/3.html\" title=\"三\">\n<div class=\"right size\">3 GB</div>\n"
       "<div class=\"right size\">4 GB</div><div class=\"right size\">5 GB</div>\n",
       {{"1", "一", "1 GB", "http://x/1.html"},
        {"2", "二", "2 GB", "http://x/2.html"},
        {"3", "三", "3 GB", "http://x/3.html"}},
       "site 1: three titles, five sizes: the extra sizes are dropped"},
      {kFilm, 1, "<A HREF=\"L\" TITLE=\"T\">\nRIGHT SIZE\">9 MB</DIV>",
       {{"1", "T", "9 MB", "L"}}, "site 1: letter case does not matter"},
      {kFilm, 1, "<a href=\"L\" title=\"T\"> \n<a href=\"M\" title=\"U\">",
       {}, "site 1: the pattern ends with the line feed right after the tag"},
      {kFilm, 1, "<a href=\"L\" title=\"片名🎬\">\n",
       {{"1", "片名?", "", "L"}}, "site 1: a character outside code page 936 becomes ?"},
      // Site 2: title and size first, the link from the second pattern.
      {kFilm, 2,
       "<ul>\n<li>甲<span class=\"lightColor\">1 GB</span>\n<a href=\"magnet:?a\" class=\"download\">"
       "<ul>\n<li>乙<span class=\"lightColor\">2 GB</span>\n",
       {{"1", "甲", "1 GB", "magnet:?a"}, {"2", "乙", "2 GB", ""}},
       "site 2: fewer links than titles leave the last link empty"},
      // Site 3: closing bold removed, opening kept; link made absolute.
      {kFilm, 3,
       "<a href=\"t/1.html\" target=\"_blank\"><b>abc</b>片</a>\n"
       "<li>大小 <span class=\"lightColor\">7 GB</span></li>\n",
       {{"1", "<b>abc片", "7 GB", "{root}/site3/t/1.html"}},
       "site 3: </b> removed, root prefixed"},
      // Site 4: three passes; no link matches leave column 3 empty.
      {kFilm, 4,
       "<a title=\"甲\" target=\"_blank\">甲</a>\n<dt>x<span>1 GB</span> &nbsp;&nbsp;y</dt>\n"
       "<a title=\"乙\" target=\"_blank\">乙</a>\n<dt>x<span>2 GB</span> &nbsp;&nbsp;y</dt>\n",
       {{"1", "甲", "1 GB", ""}, {"2", "乙", "2 GB", ""}},
       "site 4: titles and sizes but no links"},
      {kFilm, 4,
       "<a title=\"甲\" target=\"_blank\">甲</a>\n"
       "<a href=\"#\">d</a>\n             <a href=\"magnet:?13\">m</a>\n"
       "<a href=\"#\">d</a>\n            <a href=\"magnet:?12\">m</a>\n",
       {{"1", "甲", "", "magnet:?13"}},
       "site 4: the link pattern wants a line feed and exactly 13 blanks"},
      // Site 5: highlight spans removed in order; root without its "/".
      {kFilm, 5,
       "<h4><a href=\"/t/1.html\"><span class=\"highlight\">a</span><span class=\"highlight\">b"
       "</span>c</a></h4>\n<cite>文件大小：</cite><span class=\"label label-warning\">3 GB</span>\n"
       "<cite>文件大小:</cite><span class=\"label label-warning\">4 GB</span>\n",
       {{"1", "abc", "3 GB", "{root}/site5/t/1.html"}},
       "site 5: spans gone, full-width colon only, link under the root without its slash"},
      // Site 6: one pass over CR LF lines with exact indents.
      {kFilm, 6,
       "<a href=\"t/1.html\" target=\"_blank\">\r\n        x<span class=\"keyword\">abc</span>y</a>"
       "\r\n                </td>\r\n        <td>5 GB</td>\r\n"
       "<a href=\"t/2.html\" target=\"_blank\">\n        z</a>\n                </td>\n"
       "        <td>6 GB</td>\n",
       {{"1", "xabcy", "5 GB", "{root}/site6/t/1.html"}},
       "site 6: keyword span removed; bare line feeds do not match"},
      // Professional search: the whole page percent-decoded first.
      {kCloud, kPro,
       "<a href=\"file/123.html\"  title=\"%E4%B8%AD%E6%96%87\"  target=\"_blank\">x</a>"
       " 资料大小: 1.5 GB&nbsp;\n"
       "<a href=\"file/9.html\" title=\"one blank\"  target=\"_blank\"> 资料大小: 1 GB&nbsp;\n",
       {{"1", "中文", "1.5 GB", "{root}/pro/file/123.html"}},
       "professional: decoded title, root prefix, two blanks required"},
      // Comprehensive search: link rebuilds.
      {kCloud, kAll,
       "<a name=\"dttl\" target=\"_blank\" href=\"http://s/link\" id=\"uigs__1\" cacheStrategy=\"\">"
       "<!--a-->plain</a>  </h3>\n"
       "<a name=\"dttl\" target=\"_blank\" href=\"http://pan.baidu.com/s?uk=123&shareid=9\" "
       "id=\"uigs__2\" cacheStrategy=\"\"><!--a-->uk amp</a>  </h3>\n"
       "<a name=\"dttl\" target=\"_blank\" href=\"http://baidu/?uk=1234567890123456789012345678901234567890\" "
       "id=\"uigs__3\" cacheStrategy=\"\"><!--a-->long uk</a>  </h3>\n"
       "<a name=\"dttl\" target=\"_blank\" href=\"http://baidu/?x=1\" id=\"uigs__4\" "
       "cacheStrategy=\"\"><!--a-->no uk</a>  </h3>\n"
       "<a name=\"dttl\" target=\"_blank\" href=\"http://BAIDU/?uk=1\" id=\"uigs__5\" "
       "cacheStrategy=\"\"><!--a-->capitals</a>  </h3>\n",
       {{"1", "plain", "未知", "http://s/link"},
        {"2", "uk amp", "未知", "{root}/pan/share/home?uk=123"},
        {"3", "long uk", "未知", "{root}/pan/share/home?uk=123456789012345678901234567"},
        {"4", "no uk", "未知", "{root}/pan/share/home?"},
        {"5", "capitals", "未知", "http://BAIDU/?uk=1"}},
       "comprehensive: links without baidu kept, with baidu rebuilt, baidu case-sensitive"},
      {kCloud, kAll,
       "<a name=\"dttl\" target=\"_blank\" href=\"L\" id=\"uigs__1\" cacheStrategy=\"\"><!--x-->"
       "<em><!--red_beg-->abc</em>d<!--red_end--></em>e</a>  </h3>\n",
       {{"1", "abcd>e", "未知", "L"}},
       "comprehensive: the four title removals run in order"},
  };
  for (const PageCase& c : cases) {
    SCOPED_TRACE(c.why);
    server_.Serve(c.page);
    Search(c.tab, c.radio, "abc");
    std::vector<Row> expected = c.rows;
    for (Row& row : expected) row[3] = WithRoot(row[3]);
    EXPECT_EQ(Rows(), expected);
  }
}

TEST_F(ProvidersTest, ComprehensiveSecondPassFillsTheFirstPassRows) {
  const std::string first_pass =
      "<a href=\"#\">q</a> <span>来源: </span><a target=\"_blank\"  href=\"http://first/%d\" >s</a>\n";
  const std::string second_pass =
      "<a name=\"dttl\" target=\"_blank\" href=\"http://second/%d\" id=\"uigs__1\" "
      "cacheStrategy=\"\"><!--x-->t%d</a>  </h3>\n";
  const auto page = [](const std::string& line, int count) {
    std::string out;
    for (int i = 1; i <= count; ++i) {
      std::string piece = line;
      for (size_t at; (at = piece.find("%d")) != std::string::npos;) {
        piece.replace(at, 2, std::to_string(i));
      }
      out += piece;
    }
    return out;
  };
  struct Case {
    int first, second;
    std::vector<Row> rows;
    const char* why;
  } cases[] = {
      {3, 1,
       {{"1", "t1", "未知", "http://second/1"}, {"2", "", "", "http://first/2"},
        {"3", "", "", "http://first/3"}},
       "more first-pass rows: the rest keep their first-pass link"},
      {1, 3,
       {{"1", "t1", "未知", "http://second/1"}, {"2", "t2", "未知", "http://second/2"},
        {"3", "t3", "未知", "http://second/3"}},
       "more second-pass matches: appended rows are complete"},
      {0, 2, {{"1", "t1", "未知", "http://second/1"}, {"2", "t2", "未知", "http://second/2"}},
       "no first pass: the second alone"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    server_.Serve(page(first_pass, c.first) + page(second_pass, c.second));
    Search(kCloud, kAll, "abc");
    EXPECT_EQ(Rows(), c.rows);
  }
}

TEST_F(ProvidersTest, LaterPassesNeverWriteRowsTheFirstDidNotInsert) {
  server_.Serve(
      "<a href=\"L\" title=\"T\">\n<div class=\"right size\">1</div><div class=\"right size\">2</div>");
  Search(kFilm, 1, "abc");
  for (const std::string& entry : bridge_->log()) {
    EXPECT_NE(entry, "set 1,2") << "a size for a row that does not exist";
  }
  EXPECT_EQ(Rows(), (std::vector<Row>{{"1", "T", "1", "L"}}));
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
