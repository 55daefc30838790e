#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_user.h"
#include "text/local_text.h"

namespace vellox::app {
namespace {

using text::LocalText;

// A host whose notice page and caption are given, recording the window steps.
class FakeHost : public StartupHost {
 public:
  FakeHost(std::string page_utf8, std::string caption = "VelloxV1.1")
      : page_(std::move(page_utf8)), caption_(std::move(caption)) {}

  text::Bytes ReadNoticePage(const LocalText& url) override {
    steps.push_back("read " + url.bytes());
    return page_;
  }
  LocalText WindowCaption() override { return LocalText::FromUtf8(caption_); }
  void FocusCloudKeyword() override { steps.push_back("focus"); }
  void ApplySkin(int number) override { steps.push_back("skin " + std::to_string(number)); }
  void RegisterHotkey() override { steps.push_back("hotkey"); }

  std::vector<std::string> steps;

 private:
  std::string page_;
  std::string caption_;
};

search::SiteRoots Roots() {
  search::SiteRoots roots;
  roots.NoticePageUrl = "http://127.0.0.1:1/notice.html";
  roots.UpdatePageUrl = "http://127.0.0.1:1/update.html";
  return roots;
}

TEST(UpdateNoticeTest, VersionMarkerAndNotice) {
  struct Case {
    std::string page;
    std::string caption;
    bool goes_on;
    std::vector<std::string> events;
    const char* why;
  };
  const std::string update = "message 信息：:      请更新版本 V";
  const Case cases[] = {
      {"<p>VelloxV1.2</p>", "VelloxV1.1", false,
       {update + "1.2", "open http://127.0.0.1:1/update.html"}, "a newer version"},
      {"VelloxV1.1", "VelloxV1.1", true, {}, "the same version"},
      {"VelloxV1.0", "VelloxV1.1", true, {}, "an older version"},
      {"VelloxV1.10", "VelloxV1.1", true, {}, "only three bytes count: 1.10 reads as 1.1"},
      {"VelloxV2", "VelloxV1.1", false, {update + "2", "open http://127.0.0.1:1/update.html"},
       "the page ends inside the version"},
      {"VelloxVabc", "VelloxV1.1", true, {}, "a version that is no number reads as 0"},
      {"velloxv9.9", "VelloxV1.1", true, {}, "the marker's case counts"},
      {"<html>nothing here</html>", "VelloxV1.1", true, {}, "no marker"},
      {"", "VelloxV1.1", true, {}, "an unreachable or empty page"},
      {"VelloxV２.０", "VelloxV1.1", false, {update + "２.", "open http://127.0.0.1:1/update.html"},
       "full-width digits: the three bytes hold '２.' which reads as 2"},
      {"VelloxV１.２", "VelloxV1.1", true, {}, "'１.' reads as 1, older than 1.1"},
      {"VelloxV1.2", "Vellox 9.0", true, {}, "the caption's own last three bytes are the version"},
      {"VelloxV1.1（信息头）欢迎使用（信息尾）", "VelloxV1.1", true, {"message 友情提示: 欢迎使用"},
       "head and tail: the greeting alone"},
      {"（信息头）欢迎使用", "VelloxV1.1", true, {"message 友情提示: "},
       "head without tail: an empty notice"},
      {"（信息尾）x（信息头）欢迎", "VelloxV1.1", true, {"message 友情提示: "},
       "tail before head: an empty notice"},
      {"（信息头）（信息尾）", "VelloxV1.1", true, {"message 友情提示: "}, "nothing between"},
      {"VelloxV1.5（信息头）不显示（信息尾）", "VelloxV1.1", false,
       {update + "1.5", "open http://127.0.0.1:1/update.html"},
       "an update announcement hides the notice"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakeHost host(c.page, c.caption);
    testing::RecordingUser user;
    EXPECT_EQ(UpdateNotice(host, user, Roots()), c.goes_on);
    EXPECT_EQ(user.events, c.events);
    const std::vector<std::string> read_only = {"read http://127.0.0.1:1/notice.html"};
    const std::vector<std::string> read_and_focus = {"read http://127.0.0.1:1/notice.html",
                                                     "focus"};
    EXPECT_EQ(host.steps, c.goes_on ? read_and_focus : read_only);
  }
}

TEST(UpdateNoticeTest, VersionNumbers) {
  struct Case {
    std::string text;
    double value;
    const char* why;
  };
  const Case cases[] = {
      {"1.1", 1.1, "plain"},
      {"  2", 2, "leading blanks skipped"},
      {"　３", 3, "full-width space and digit"},
      {"－１", -1, "full-width minus"},
      {"+1.", 1, "sign and a bare point"},
      {".5", 0.5, "no integer part"},
      {"1.x", 1, "the longest decimal prefix"},
      {"v1", 0, "no number at the start"},
      {"-", 0, "a sign alone"},
      {"nan", 0, "not a number word"},
      {"", 0, "empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_DOUBLE_EQ(VersionNumber(LocalText::FromUtf8(c.text)), c.value);
  }
}

TEST(RunStartupTest, StepsInOrderAndNothingAfterAnUpdate) {
  {
    FakeHost host("VelloxV1.1");
    testing::RecordingUser user;
    EXPECT_TRUE(RunStartup(host, user, Roots()));
    EXPECT_EQ(host.steps, (std::vector<std::string>{"read http://127.0.0.1:1/notice.html", "focus",
                                                    "skin 13", "focus", "hotkey"}));
  }
  {
    FakeHost host("VelloxV1.2");
    testing::RecordingUser user;
    EXPECT_FALSE(RunStartup(host, user, Roots()));
    EXPECT_EQ(host.steps, (std::vector<std::string>{"read http://127.0.0.1:1/notice.html"}));
  }
}

}  // namespace
}  // namespace vellox::app
