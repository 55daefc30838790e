// vellox-search as a user runs it: the real binary against the sample sites and
// against a fixture page server, both on loopback ports of their own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "search/site_roots.h"
#include "tests/e2e/run_program.h"
#include "tests/search/page_server.h"
#include "tools/sample_sites.h"

namespace vellox::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

std::string RootsFileText(const search::SiteRoots& roots) {
  return "# written by the test\n"
         "ResourceSiteRoot1 = " + roots.ResourceSiteRoot1 + "\n"
         "ResourceSiteRoot2 = " + roots.ResourceSiteRoot2 + "\n"
         "ResourceSiteRoot3 = " + roots.ResourceSiteRoot3 + "\n"
         "ResourceSiteRoot4 = " + roots.ResourceSiteRoot4 + "\n"
         "ResourceSiteRoot5 = " + roots.ResourceSiteRoot5 + "\n"
         "ResourceSiteRoot6 = " + roots.ResourceSiteRoot6 + "\n"
         "  ProSearchRoot=" + roots.ProSearchRoot + "  \n"
         "WebSearchRoot = " + roots.WebSearchRoot + "\n"
         "\n"
         "CloudDiskRoot = " + roots.CloudDiskRoot + "\n";
}

class CliTest : public ::testing::Test {
 protected:
  CliTest() {
    dir_ = std::filesystem::temp_directory_path() /
           ("vellox-cli-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    EXPECT_TRUE(sites_.Start("127.0.0.1", 0));
    sample_roots_ = WriteFile("sample.roots", RootsFileText(sites_.Roots(search::BuiltInSiteRoots())));
    fixture_roots_ = WriteFile("fixture.roots", RootsFileText(pages_.Roots()));
  }
  ~CliTest() override { std::filesystem::remove_all(dir_); }

  std::string WriteFile(const std::string& name, const std::string& content) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  // vellox-search with its own cookie store and `roots`.
  ProgramResult Run(const std::string& roots, std::vector<std::string> args) {
    std::vector<std::string> all{"--cookies", (dir_ / "cookies.sqlite").string()};
    if (!roots.empty()) all.insert(all.end(), {"--roots", roots});
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(VELLOX_SEARCH_BINARY, all);
  }

  std::filesystem::path dir_;
  tools::SampleSitesServer sites_;
  PageServer pages_;
  std::string sample_roots_;
  std::string fixture_roots_;
};

TEST_F(CliTest, EverySiteAndModeListsCompleteRows) {
  struct Case {
    std::vector<std::string> args;
    const char* link_start;
    const char* why;
  } cases[] = {
      {{"film", "--site", "1"}, "http://127.0.0.1:", "site 1: detail page as found"},
      {{"film", "--site", "2"}, "magnet:?xt=", "site 2: magnet as found"},
      {{"film", "--site", "3"}, "http://127.0.0.1:", "site 3: under its root"},
      {{"film", "--site", "4"}, "magnet:?xt=", "site 4: magnet as found"},
      {{"film", "--site", "5"}, "http://127.0.0.1:", "site 5: under its root"},
      {{"film", "--site", "6"}, "http://127.0.0.1:", "site 6: under its root"},
      {{"cloud", "--pro"}, "http://127.0.0.1:", "professional: under its root"},
      {{"cloud", "--all"}, "http://127.0.0.1:", "comprehensive: engine or share-home links"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--", "  星际 穿越 "});
    const ProgramResult result = Run(sample_roots_, args);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 10u) << result.out;
    for (size_t i = 0; i < lines.size(); ++i) {
      const auto fields = Fields(lines[i]);
      ASSERT_EQ(fields.size(), 4u) << lines[i];
      EXPECT_EQ(fields[0], std::to_string(i + 1));
      EXPECT_NE(fields[1].find("星际 穿越"), std::string::npos) << lines[i];
      EXPECT_EQ(fields[1].find('<'), std::string::npos) << "markup left in " << lines[i];
      EXPECT_FALSE(fields[2].empty()) << lines[i];
      EXPECT_EQ(fields[3].rfind(c.link_start, 0), 0u) << lines[i];
    }
  }
}

TEST_F(CliTest, PagesEndAfterTheLastOne) {
  struct Case {
    std::vector<std::string> args;
    size_t lines;
    const char* why;
  } cases[] = {
      {{"film", "--site", "1", "--page", "3", "abc"}, 6, "site 1: the short last page"},
      {{"film", "--site", "1", "--page", "4", "abc"}, 0, "site 1: past the last page"},
      {{"film", "--site", "6", "--page", "3", "abc"}, 6, "site 6: the short last page"},
      {{"cloud", "--all", "--page", "4", "abc"}, 0, "comprehensive: past the last page"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const ProgramResult result = Run(sample_roots_, c.args);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_EQ(Lines(result.out).size(), c.lines);
  }
}

TEST_F(CliTest, CellsAreEscapedAndJoinedByTabs) {
  pages_.Serve("<ul>\n<li>a\\b\tc\rd中<span class=\"lightColor\">1 GB</span>\n"
               "<ul>\n<li><span class=\"lightColor\"></span>\n"
               "<a href=\"magnet:?x\" class=\"download\">");
  const ProgramResult result = Run(fixture_roots_, {"film", "--site", "2", "abc"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, "1\ta\\\\b\\tc\\rd中\t1 GB\tmagnet:?x\n2\t\t\t\n");
}

TEST_F(CliTest, KeywordAfterDoubleDashMayStartWithADash) {
  pages_.Serve("");
  const ProgramResult result = Run(fixture_roots_, {"cloud", "--pro", "--", "-abc"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, "");
  ASSERT_EQ(pages_.targets().size(), 1u);
  EXPECT_EQ(pages_.targets()[0], "/pro/search.asp?wd=-abc&page=0");
}

TEST_F(CliTest, UnreachableSiteIsAnEmptyList) {
  std::string roots;
  {
    PageServer gone;
    roots = WriteFile("gone.roots", RootsFileText(gone.Roots()));
  }
  const ProgramResult result = Run(roots, {"film", "--site", "3", "abc"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(CliTest, HelpAndVersion) {
  const ProgramResult help = Run("", {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out.rfind("usage: vellox-search", 0), 0u) << help.out;
  const ProgramResult version = Run("", {"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out, "vellox-search 1.1\n");
}

TEST_F(CliTest, UsageErrorsExitTwoWithoutARequest) {
  const std::string bad_line = WriteFile("bad-line.roots", "# fine\nResourceSiteRoot1 http://x/\n");
  const std::string bad_name = WriteFile("bad-name.roots", "\nResourceSiteRoot7 = http://x/\n");
  struct Case {
    std::vector<std::string> args;
    const char* message;
    const char* why;
  } cases[] = {
      {{"--bogus", "film", "--site", "1", "abc"}, "unknown option '--bogus'", "unknown option"},
      {{"film", "abc", "--site"}, "--site needs a value", "option without its value"},
      {{"film", "--site", "0", "abc"}, "--site must be 1 to 6", "site below 1"},
      {{"film", "--site", "7", "abc"}, "--site must be 1 to 6", "site above 6"},
      {{"film", "--site", "x", "abc"}, "--site needs a number", "site not a number"},
      {{"film", "abc"}, "film needs --site N", "film without a site"},
      {{"film", "--site", "1"}, "film needs a KEYWORD", "no keyword"},
      {{"film", "--site", "1", "a", "b"}, "unexpected argument 'b'", "two keywords"},
      {{"film", "--site", "1", "--page", "-1", "abc"}, "--page must not be negative", "page < 0"},
      {{"cloud", "abc"}, "cloud needs --pro or --all", "cloud without a mode"},
      {{"cloud", "--pro", "--all", "abc"}, "--pro and --all exclude each other", "both modes"},
      {{"resolve-film", "--site", "9", "magnet:?x"}, "--site must be 1 to 6", "resolve site"},
      {{"resolve-cloud", "--page", "1", "--pro", "x"}, "resolve-cloud takes no --page",
       "resolve takes no page"},
      {{"search", "abc"}, "unknown command 'search'", "unknown command"},
      {{}, "no command given", "nothing at all"},
      {{"--roots", "/nonexistent/x.roots", "film", "--site", "1", "abc"},
       "cannot read roots file '/nonexistent/x.roots'", "unreadable roots file"},
      {{"--roots", bad_line, "film", "--site", "1", "abc"}, ":2: expected Name = value",
       "roots line without ="},
      {{"--roots", bad_name, "film", "--site", "1", "abc"}, ":2: unknown name 'ResourceSiteRoot7'",
       "roots unknown name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const ProgramResult result = Run(fixture_roots_, c.args);
    EXPECT_EQ(result.exit_code, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  EXPECT_TRUE(pages_.targets().empty());
}

}  // namespace
}  // namespace vellox::testing
