// vellox-search resolve-film / resolve-cloud as a user runs them: the real
// binary against the sample sites on an ephemeral loopback port. Links come
// from the providers run in-process, as the window's rows would hold them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "recording_user.h"
#include "search/cloud_disk_search.h"
#include "search/resource_search.h"
#include "search/result_activation.h"
#include "support/recording_bridge.h"
#include "tests/e2e/run_program.h"
#include "tools/sample_sites.h"

namespace vellox::testing {
namespace {

using text::LocalText;

class ResolveCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vellox-resolve-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    ASSERT_TRUE(sites_.Start("127.0.0.1", 0));
    roots_ = sites_.Roots(search::BuiltInSiteRoots());
    std::ofstream(dir_ / "sites.roots") << "CloudDiskRoot = " << roots_.CloudDiskRoot << "\n";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  ProgramResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--cookies", (dir_ / "cookies.sqlite").string(), "--roots",
                               (dir_ / "sites.roots").string()});
    return RunProgram(VELLOX_SEARCH_BINARY, args);
  }

  // Column 3 of the first row a search with `radio` gives, and the tab it is in.
  std::unique_ptr<RecordingBridge> SearchedTab(bool film, int radio) {
    auto tab = std::make_unique<RecordingBridge>(LocalText::FromUtf8("星际"), radio);
    if (film) {
      search::ResourceSearch(*tab, environment_);
    } else {
      search::CloudDiskSearch(*tab, environment_);
    }
    tab->SelectRow(0);
    return tab;
  }

  std::filesystem::path dir_;
  tools::SampleSitesServer sites_;  // stopped last, once the engine's connections are closed
  search::SiteRoots roots_;
  std::unique_ptr<platform::CookieStore> cookies_ = platform::NewMemoryCookieStore();
  platform::RequestEngine engine_;
  search::SearchEnvironment environment_{roots_, {*cookies_, engine_}};
};

TEST_F(ResolveCliTest, PrintsWhatTheWindowWouldCopyOrOpen) {
  struct Case {
    bool film;
    int radio;
    const char* prefix;
  };
  const Case cases[] = {
      {true, 1, "magnet:?"}, {true, 2, "magnet:?"}, {true, 3, "thunder://"},
      {true, 4, "magnet:?"}, {true, 5, "magnet:?"}, {true, 6, "magnet:?"},
      {false, 1, "share/link?shareid="}, {false, 2, "http"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE((c.film ? "film site " : "cloud mode ") + std::to_string(c.radio));
    auto tab = SearchedTab(c.film, c.radio);
    const std::string link = tab->Cell(0, 3);
    ASSERT_FALSE(link.empty());
    RecordingUser user;
    if (c.film) {
      search::ResourceListActivated(*tab, environment_, user);
    } else {
      search::CloudListActivated(*tab, environment_, user);
    }
    ASSERT_FALSE(user.events.empty());
    const std::string result = user.events[0].substr(user.events[0].find(' ') + 1);
    const std::string expected_prefix = c.film || c.radio == 2 ? std::string(c.prefix)
                                                               : roots_.CloudDiskRoot + c.prefix;
    EXPECT_EQ(result.rfind(expected_prefix, 0), 0u) << result;

    const ProgramResult run =
        c.film ? Run({"resolve-film", "--site", std::to_string(c.radio), "--", link})
               : Run({"resolve-cloud", c.radio == 1 ? "--pro" : "--all", "--", link});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, result + "\n");
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(ResolveCliTest, MessagesInsteadOfAResult) {
  const std::string page_without_links = roots_.UpdatePageUrl;
  struct Case {
    std::vector<std::string> args;
    std::string err;
    const char* why;
  };
  const Case cases[] = {
      {{"resolve-film", "--site", "1", ""}, "请选择目录\n", "an empty link"},
      {{"resolve-film", "--site", "3", page_without_links}, "未找到下载链接\n",
       "a page without a thunder link"},
      {{"resolve-film", "--site", "5", "http://127.0.0.1:1/"}, "未找到下载链接\n",
       "an unreachable site"},
      {{"resolve-cloud", "--pro", ""}, "请选择目录\n", "professional: an empty link"},
      {{"resolve-cloud", "--pro", page_without_links}, "未找到分享链接\n",
       "professional: no SHARE_ID or SHARE_UK"},
      {{"resolve-cloud", "--pro", "file:///etc/passwd"}, "不支持的链接\n",
       "professional: not a web address"},
      {{"resolve-cloud", "--all", "--", "javascript:alert(1)"}, "不支持的链接\n",
       "comprehensive: not a web address"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const ProgramResult run = Run(c.args);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
  }
}

}  // namespace
}  // namespace vellox::testing
