#include "search/result_activation.h"

#include <array>

#include "http/web_request_object.h"
#include "text/encoding.h"
#include "text/regex_object.h"

namespace vellox::search {
namespace {

using text::LocalText;

// What a resource site's detail page gives: the first submatch of `pattern`,
// after `prefix`. Sites without a pattern copy the row's link itself.
struct ResourceRule {
  const char* pattern;  // UTF-8; nullptr: the link is used directly
  const char* prefix;
};

const std::array<ResourceRule, 6> kResourceRules{{
    {R"re(magnetDownload" href="(.*?)" class="btn btn-primary)re", ""},
    {nullptr, ""},
    {R"re(href="thunder://(.*?)">)re", "thunder://"},
    {nullptr, ""},
    {"readonly>(.*?)</textarea>\n", ""},
    {R"re(href="(.*?)">使用磁力链下载</a></p>)re", ""},
}};

struct Texts {
  LocalText copied = LocalText::FromUtf8("磁力链接已复制");
  LocalText choose = LocalText::FromUtf8("请选择目录");
  LocalText no_link = LocalText::FromUtf8("未找到下载链接");
  LocalText no_share = LocalText::FromUtf8("未找到分享链接");
  LocalText unsupported = LocalText::FromUtf8("不支持的链接");
  std::array<LocalText, 6> patterns;
  LocalText share_id = LocalText(R"re(SHARE_ID = "(.*?)";)re");
  LocalText share_uk = LocalText(R"re(SHARE_UK = "(.*?)";)re");

  Texts() {
    for (size_t i = 0; i < patterns.size(); ++i) {
      if (kResourceRules[i].pattern != nullptr) {
        patterns[i] = LocalText::FromUtf8(kResourceRules[i].pattern);
      }
    }
  }
};

const Texts& T() {
  static const Texts texts;
  return texts;
}

LocalText SelectedLink(TabBridge& tab) {
  const int row = tab.SelectedRow();
  return row < 0 ? LocalText() : tab.CellText(row, 3);
}

LocalText FetchPage(const SearchEnvironment& environment, const LocalText& address) {
  return text::Utf8ToLocal(text::BytesAsText(http::WebRequestObject(environment.http, address)));
}

LocalText FirstSubmatch(const LocalText& pattern, const LocalText& page) {
  text::RegexObject regex;
  if (!regex.Create(pattern, page, false)) return LocalText();
  return regex.SubMatchText(1, 1);
}

}  // namespace

bool IsWebAddress(const LocalText& address) {
  return text::FindIgnoreCase(address, LocalText("http://")) == 1 ||
         text::FindIgnoreCase(address, LocalText("https://")) == 1;
}

void ResourceListActivated(TabBridge& tab, const SearchEnvironment& environment,
                           UserInteraction& user) {
  int site = 0;
  for (int number = 1; number <= 6 && site == 0; ++number) {
    if (tab.RadioSelected(number)) site = number;
  }
  if (site == 0) return;  // the window always has one selected
  const LocalText link = SelectedLink(tab);
  if (link.empty()) {
    user.ShowMessage(T().choose);
    return;
  }
  const ResourceRule& rule = kResourceRules[site - 1];
  LocalText copied = link;
  if (rule.pattern != nullptr) {
    const LocalText found = FirstSubmatch(T().patterns[site - 1], FetchPage(environment, link));
    // A page without the link must not wipe the user's clipboard nor claim success.
    if (found.empty()) {
      user.ShowMessage(T().no_link);
      return;
    }
    copied = LocalText(rule.prefix) + found;
  }
  user.SetClipboardText(copied);
  user.ShowMessage(T().copied);
}

void CloudListActivated(TabBridge& tab, const SearchEnvironment& environment,
                        UserInteraction& user) {
  const LocalText link = SelectedLink(tab);
  if (link.empty()) {
    user.ShowMessage(T().choose);
    return;
  }
  // A crafted result could carry file:, javascript: or a local program.
  if (!IsWebAddress(link)) {
    user.ShowMessage(T().unsupported);
    return;
  }
  LocalText address = link;
  if (tab.RadioSelected(1)) {
    const LocalText page = FetchPage(environment, link);
    const LocalText share_id = FirstSubmatch(T().share_id, page);
    const LocalText share_uk = FirstSubmatch(T().share_uk, page);
    if (share_id.empty() || share_uk.empty()) {
      user.ShowMessage(T().no_share);
      return;
    }
    address = LocalText(environment.roots.CloudDiskRoot) + LocalText("share/link?shareid=") +
              share_id + LocalText("&uk=") + share_uk;
  }
  user.OpenInBrowser(address);
}

}  // namespace vellox::search
