#include "text/regex_object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellox::text {
namespace {

LocalText L(const char* utf8) { return LocalText::FromUtf8(utf8); }

std::vector<std::string> AllGroups(const RegexBase& regex, int group) {
  std::vector<std::string> texts;
  for (int n = 1; n <= regex.MatchCount(); ++n) texts.push_back(regex.SubMatchText(n, group).ToUtf8());
  return texts;
}

// Patterns run as the providers run them: defaults everywhere.
TEST(RegexObjectTest, MatchingRulesTheProvidersRelyOn) {
  using Texts = std::vector<std::string>;
  struct Case {
    const char* pattern;
    const char* subject;
    Texts group1;
    const char* why;
  } cases[] = {
      {"<b>(.*?)</b>", "<b>one</b> and <b>two</b>", {"one", "two"},
       "a lazy group stops at the first closing text"},
      {"<b>(.*)</b>", "<b>one</b> and <b>two</b>", {"one</b> and <b>two"}, "a greedy one does not"},
      {"<b>(.*?)</b>", "<b>li\nne</b> <b>ok</b>", {"ok"}, "\".\" never crosses a line feed"},
      {"<b>(.*?)</b>\n<i>(.*?)</i>", "<b>a</b>\n<i>b</i>", {"a"}, "a spelt-out line feed does"},
      {"<b>(.*?)</b>\r\n", "<b>a</b>\r\n<b>b</b>\n", {"a"}, "a literal CR LF"},
      {"<td class=\"x\">(.*?)</td>", "<TD CLASS=\"x\">Big</TD>", {"Big"}, "case is ignored"},
      {"<b>(.)</b>", "<b>中</b><b>ab</b>", {"中"}, "\".\" is one Chinese character"},
      {"名称：(.*?)<", "名称：电影<br>名称：剧集<", {"电影", "剧集"}, "Chinese literal text"},
      {"^(\\w+)$", "one\ntwo", {"one", "two"}, "^ and $ at line breaks"},
      {"a  +(b)", "a   b", {"b"}, "runs of blanks"},
      {"\\[(.*?)\\]\\{(\\d+)\\}", "[x]{12}", {"x"}, "escaped brackets and braces"},
      {"{(.*?)}", "{x}", {"x"}, "a brace that is no repetition is literal"},
      {"href=\\\"(.*?)\\\"", "href=\"/a\"", {"/a"}, "escaped quotes"},
      {"<p>(.*?)</p>", "no paragraphs here", {}, "nothing found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    RegexObject regex;
    EXPECT_TRUE(regex.Create(L(c.pattern), L(c.subject)));
    EXPECT_EQ(AllGroups(regex, 1), c.group1);
    RegexMatcher matcher;
    EXPECT_TRUE(matcher.Create(L(c.pattern), L(c.subject)));
    EXPECT_EQ(AllGroups(matcher, 1), c.group1) << "both object kinds agree";
  }
}

TEST(RegexObjectTest, OptionsOfCreate) {
  RegexObject regex;
  EXPECT_TRUE(regex.Create(L("<B>(.*?)</B>"), L("<b>x</b><B>y</B>"), /*caseSensitive=*/true));
  EXPECT_EQ(AllGroups(regex, 1), std::vector<std::string>{"y"});
  EXPECT_TRUE(regex.Create(L("^b"), L("a\nb"), false, /*multiline=*/false));
  EXPECT_EQ(regex.MatchCount(), 0) << "without multiline ^ is the start of the subject only";
  EXPECT_TRUE(regex.Create(L("(\\d)"), L("1 2 3"), false, true, /*global=*/false));
  EXPECT_EQ(AllGroups(regex, 1), std::vector<std::string>{"1"});
}

TEST(RegexObjectTest, RejectedPatternReadsEmpty) {
  for (const char* pattern : {"<b>(.*?</b>", "a)", "(?=a)", "(a)\\1", "a**"}) {
    SCOPED_TRACE(pattern);
    RegexObject regex;
    EXPECT_FALSE(regex.Create(L(pattern), L("<b>a</b> a aa")));
    EXPECT_EQ(regex.MatchCount(), 0);
    EXPECT_EQ(regex.SubMatchCount(), 0);
    EXPECT_TRUE(regex.SubMatchText(1, 1).empty());
    EXPECT_TRUE(regex.MatchText(1).empty());
    EXPECT_TRUE(regex.Replace(L("x")).empty());
    EXPECT_EQ(regex.GetPattern().ToUtf8(), pattern) << "the engine still holds the pattern";
  }
}

TEST(RegexObjectTest, ReadsOutOfRangeAndNonParticipatingGroups) {
  RegexObject regex;
  EXPECT_TRUE(regex.GetPattern().empty());
  EXPECT_EQ(regex.MatchCount(), 0) << "before any Create";
  EXPECT_TRUE(regex.SubMatchText(1, 1).empty());
  ASSERT_TRUE(regex.Create(L("(a)|(b)"), L("a b")));
  ASSERT_EQ(regex.MatchCount(), 2);
  EXPECT_EQ(regex.SubMatchCount(), 2);
  EXPECT_EQ(regex.SubMatchText(2, 2).ToUtf8(), "b");
  EXPECT_TRUE(regex.SubMatchText(2, 1).empty()) << "group 1 took no part in match 2";
  EXPECT_TRUE(regex.SubMatchText(1, 3).empty()) << "no third group";
  EXPECT_TRUE(regex.SubMatchText(1, 0).empty());
  EXPECT_TRUE(regex.SubMatchText(3, 1).empty());
  EXPECT_TRUE(regex.MatchText(0).empty());
  EXPECT_TRUE(regex.MatchText(3).empty());
  EXPECT_EQ(regex.MatchText(2).ToUtf8(), "b");
  ASSERT_TRUE(regex.Create(L("<p>(.*?)</p>"), L("none")));
  EXPECT_EQ(regex.SubMatchCount(), 0) << "no match, no groups";
}

TEST(RegexObjectTest, PositionsAreLocalByteOffsets) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(L("<b>(.*?)</b>"), L("中文<b>名x</b>")));
  int position = 99;
  EXPECT_EQ(regex.MatchText(1, &position).ToUtf8(), "<b>名x</b>");
  EXPECT_EQ(position, 4) << "two double-byte characters before it";
  EXPECT_EQ(regex.SubMatchText(1, 1, &position).ToUtf8(), "名x");
  EXPECT_EQ(position, 7);
  regex.SubMatchText(2, 1, &position);
  EXPECT_EQ(position, -1);
}

TEST(RegexObjectTest, EmptyMatchesAdvanceOneCharacter) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(L("x*"), L("中ax")));
  EXPECT_EQ(regex.MatchCount(), 4) << "before 中, before a, x, and at the very end";
  EXPECT_EQ(regex.Replace(L("-")).ToUtf8(), "-中-a--");
  ASSERT_TRUE(regex.Create(L(""), L("")));
  EXPECT_EQ(regex.MatchCount(), 1) << "an empty pattern matches the empty subject once";
}

TEST(RegexObjectTest, SecondCreateReplacesTheFirst) {
  RegexObject regex;
  ASSERT_TRUE(regex.Create(L("<b>(.*?)</b>"), L("<b>1</b><b>2</b><b>3</b>")));
  ASSERT_EQ(regex.MatchCount(), 3);
  RegexObject copy = regex;
  ASSERT_TRUE(regex.Create(L("<i>(.*?)</i>"), L("<b>1</b><i>x</i>")));
  EXPECT_EQ(AllGroups(regex, 1), std::vector<std::string>{"x"});
  EXPECT_EQ(regex.GetPattern().ToUtf8(), "<i>(.*?)</i>");
  EXPECT_EQ(copy.MatchCount(), 3) << "a copy keeps the run it was made from";
  EXPECT_FALSE(regex.Create(L("("), L("<i>x</i>")));
  EXPECT_EQ(regex.MatchCount(), 0) << "a failed Create also discards the earlier run";
}

TEST(RegexObjectTest, QuoteEscape) {
  const LocalText page = L("<a href=\"/x\">a</a> <a href=#引号/y#引号>b</a>");
  const LocalText marked = L("href=#引号(.*?)#引号");
  RegexObject regex;
  ASSERT_TRUE(regex.Create(marked, page, false, true, true, /*quoteEscape=*/true));
  EXPECT_EQ(AllGroups(regex, 1), std::vector<std::string>{"/x"});
  EXPECT_EQ(regex.GetPattern().ToUtf8(), "href=\"(.*?)\"");
  ASSERT_TRUE(regex.Create(marked, page));
  EXPECT_EQ(AllGroups(regex, 1), std::vector<std::string>{"/y"}) << "the marker is literal text";
}

TEST(RegexObjectTest, ReplaceSyntax) {
  struct Case {
    const char* pattern;
    const char* subject;
    const char* replacement;
    const char* expected;
    const char* why;
  } cases[] = {
      {"(\\w+)@(\\w+)", "a@b c@d", "$2@$1", "b@a d@c", "numbered groups"},
      {"(a)", "xax", "[$&]", "x[a]x", "the whole match"},
      {"a", "xay", "$`|$'", "xx|yy", "the text before and after the match"},
      {"a", "a", "$$1", "$1", "a doubled dollar is one"},
      {"(a)", "a", "$0$2$x$", "$0$2$x$", "a dollar with nothing it names stays"},
      {"(a)", "a", "$01", "a", "two digits naming a group"},
      {"(a)", "a", "$10", "a0", "two digits naming no group fall back to one"},
      {"(a)|(b)", "b", "<$1>", "<>", "a group that took no part is empty"},
      {"(.)(.)(.)(.)(.)(.)(.)(.)(.)(.)(.)", "abcdefghijk", "$11$1", "ka", "group eleven"},
      {"中", "中文中", "字", "字文字", "local text in and out"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Create(L(c.pattern), L(c.subject)));
    EXPECT_EQ(matcher.Replace(L(c.replacement)).ToUtf8(), c.expected);
  }
  RegexMatcher first_only;
  ASSERT_TRUE(first_only.Create(L("a"), L("aaa"), false, true, /*global=*/false));
  EXPECT_EQ(first_only.Replace(L("b")).ToUtf8(), "baa");
}

TEST(RegexObjectTest, LongLinePageIsLinear) {
  // A megabyte on one line with a match at either end and an unclosed tag in
  // between: a backtracking engine would crawl or overflow its stack here.
  std::string page = "<b>first</b>";
  for (int i = 0; i < 100000; ++i) page += "<b>open ";
  page += "<b>last</b>";
  RegexObject regex;
  ASSERT_TRUE(regex.Create(L("<b>([^<]*?)</b>"), LocalText(page)));
  EXPECT_EQ(AllGroups(regex, 1), (std::vector<std::string>{"first", "last"}));
}

}  // namespace
}  // namespace vellox::text
