// The passes of every site and mode over small pages that each show one rule:
// patterns, submatch-to-column maps, removals, link prefixes, row alignment.
// The page goes through the site's own decoding first, as a fetched body does.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "search/site_table.h"
#include "tests/support/recording_bridge.h"

namespace vellox::search {
namespace {

using text::LocalText;

enum Tab { kFilm, kCloud };
constexpr int kPro = 1, kAll = 2;

// A row as UTF-8: columns 0..3; "{root}" in an expectation stands for the
// origin every root below shares.
using Row = std::array<std::string, 4>;
constexpr const char* kOrigin = "http://127.0.0.1:1";

class SiteTableTest : public ::testing::Test {
 protected:
  SiteTableTest() {
    const std::string o = kOrigin;
    roots_.ResourceSiteRoot1 = o + "/site1/";
    roots_.ResourceSiteRoot2 = o + "/site2/";
    roots_.ResourceSiteRoot3 = o + "/site3/";
    roots_.ResourceSiteRoot4 = o + "/site4/";
    roots_.ResourceSiteRoot5 = o + "/site5/";
    roots_.ResourceSiteRoot6 = o + "/site6/";
    roots_.ProSearchRoot = o + "/pro/";
    roots_.WebSearchRoot = o + "/web/";
    roots_.CloudDiskRoot = o + "/pan/";
  }

  // The passes of the site or mode `radio` of `tab` over `page` (UTF-8 bytes).
  void Fill(Tab tab, int radio, const std::string& page) {
    const SearchSite& site = tab == kFilm ? ResourceSites()[radio - 1]
                             : radio == kPro ? ProfessionalSearch()
                                             : ComprehensiveSearch();
    bridge_ = std::make_unique<testing::RecordingBridge>();
    FillRows(*bridge_, site, roots_, DecodePage(site, LocalText(page)));
  }

  std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (const auto& row : bridge_->rows()) {
      rows.push_back({row.caption.ToUtf8(), row.cells[0].ToUtf8(), row.cells[1].ToUtf8(),
                      row.cells[2].ToUtf8()});
    }
    return rows;
  }

  static std::string WithRoot(std::string text) {
    for (size_t at; (at = text.find("{root}")) != std::string::npos;) text.replace(at, 6, kOrigin);
    return text;
  }

  SiteRoots roots_;
  std::unique_ptr<testing::RecordingBridge> bridge_;
};

struct PageCase {
  Tab tab;
  int radio;
  const char* page;
  std::vector<Row> rows;
  const char* why;
};


TEST_F(SiteTableTest, PassesCutRowsOutOfEachSitesMarkup) {
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
    Fill(c.tab, c.radio, c.page);
    std::vector<Row> expected = c.rows;
    for (Row& row : expected) row[3] = WithRoot(row[3]);
    EXPECT_EQ(Rows(), expected);
  }
}

TEST_F(SiteTableTest, ComprehensiveSecondPassFillsTheFirstPassRows) {
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
    Fill(kCloud, kAll, page(first_pass, c.first) + page(second_pass, c.second));
    EXPECT_EQ(Rows(), c.rows);
  }
}

TEST_F(SiteTableTest, LaterPassesNeverWriteRowsTheFirstDidNotInsert) {
  Fill(kFilm, 1,
       "<a href=\"L\" title=\"T\">\n<div class=\"right size\">1</div><div class=\"right size\">2</div>");
  for (const std::string& entry : bridge_->log()) {
    EXPECT_NE(entry, "set 1,2") << "a size for a row that does not exist";
  }
  EXPECT_EQ(Rows(), (std::vector<Row>{{"1", "T", "1", "L"}}));
}

}  // namespace
}  // namespace vellox::search
