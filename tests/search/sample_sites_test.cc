// The sample sites speak each site's markup: every result page they generate
// gives complete rows through that site's own passes, and the detail pages hold
// what a double-click reads.

#include <gtest/gtest.h>

#include <string>

#include "search/site_table.h"
#include "tests/support/recording_bridge.h"
#include "text/encoding.h"
#include "text/regex_object.h"
#include "tools/sample_sites.h"

namespace vellox::tools {
namespace {

using text::LocalText;

const search::SearchSite& SiteFor(SampleSite site) {
  switch (site) {
    case SampleSite::kPro: return search::ProfessionalSearch();
    case SampleSite::kWeb: return search::ComprehensiveSearch();
    default: return search::ResourceSites()[static_cast<int>(site) - 1];
  }
}

TEST(SampleSitesTest, ResultPagesGiveCompleteRowsThroughEachSitesPasses) {
  const search::SiteRoots roots = search::BuiltInSiteRoots();
  const std::string keyword = "星际 <穿越>";
  for (int number = 1; number <= 8; ++number) {
    const auto site = static_cast<SampleSite>(number);
    SCOPED_TRACE("site " + std::to_string(number));
    const search::SearchSite& table = SiteFor(site);
    testing::RecordingBridge tab;
    const std::string page = ResultPage(site, keyword, 1, 7, "http://127.0.0.1:18936");
    search::FillRows(tab, table, roots, search::DecodePage(table, LocalText(page)));
    const auto rows = tab.rows();
    ASSERT_EQ(rows.size(), 7u);
    for (size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(rows[i].caption.ToUtf8(), std::to_string(i + 1));
      const std::string title = rows[i].cells[0].ToUtf8();
      EXPECT_NE(title.find("星际 &lt;穿越&gt;"), std::string::npos) << title;
      EXPECT_EQ(title.find('<'), std::string::npos) << "markup left in " << title;
      EXPECT_FALSE(rows[i].cells[1].empty());
      EXPECT_FALSE(rows[i].cells[2].empty());
    }
  }
}

TEST(SampleSitesTest, PagesAreDeterministicAndEnd) {
  EXPECT_EQ(ResultPage(SampleSite::kSite4, "abc", 2, 10, "http://h"),
            ResultPage(SampleSite::kSite4, "abc", 2, 10, "http://h"));
  EXPECT_NE(ResultPage(SampleSite::kSite4, "abc", 2, 10, "http://h"),
            ResultPage(SampleSite::kSite4, "abd", 2, 10, "http://h"));
  EXPECT_EQ(ResultsOnPage(0), 10);
  EXPECT_EQ(ResultsOnPage(3), 6);
  EXPECT_EQ(ResultsOnPage(4), 0);
  EXPECT_EQ(ResultsOnPage(-1), 0);
}

TEST(SampleSitesTest, DetailPagesHoldWhatADoubleClickReads) {
  struct Case {
    SampleSite site;
    const char* pattern;
    const char* starts;
    const char* why;
  } cases[] = {
      {SampleSite::kSite1, "\"magnetDownload\" href=\"(.*?)\" class=\"btn btn-primary\"", "magnet:?xt=",
       "site 1 magnet button"},
      {SampleSite::kSite3, "href=\"thunder://(.*?)\">", "", "site 3 thunder link"},
      {SampleSite::kSite5, "readonly>(.*?)</textarea>\n", "magnet:?xt=", "site 5 textarea"},
      {SampleSite::kSite6, "href=\"(.*?)\">使用磁力链下载</a></p>", "magnet:?xt=", "site 6 link"},
      {SampleSite::kPro, "SHARE_ID = \"(.*?)\";", "", "share id"},
      {SampleSite::kPro, "SHARE_UK = \"(.*?)\";", "", "share user"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    text::RegexObject regex;
    regex.Create(LocalText::FromUtf8(c.pattern), text::Utf8ToLocal(LocalText(DetailPage(c.site, "abc"))));
    const std::string value = regex.SubMatchText(1, 1).ToUtf8();
    EXPECT_FALSE(value.empty());
    EXPECT_EQ(value.rfind(c.starts, 0), 0u) << value;
  }
}

}  // namespace
}  // namespace vellox::tools
