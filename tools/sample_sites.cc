#include "tools/sample_sites.h"

#include <httplib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vellox::tools {
namespace {

constexpr int kFullPages = 3;

constexpr std::array<const char*, 8> kTags{"高清", "蓝光", "国语中字", "完整版",
                                           "纪录片", "合集", "无损原声", "双语字幕"};
constexpr std::array<const char*, 6> kTails{"1080P", "4K 修复版", "720P", "导演剪辑版",
                                            "全集打包", "🎬 特别收藏"};

uint64_t Fnv1a(std::string_view text, uint64_t hash = 1469598103934665603ull) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

uint64_t ItemHash(SampleSite site, std::string_view keyword, int page, int index) {
  const std::string key = std::to_string(static_cast<int>(site)) + "|" + std::to_string(page) +
                          "|" + std::to_string(index) + "|";
  return Fnv1a(keyword, Fnv1a(key));
}

std::string Hex(uint64_t value, int digits) {
  std::string out;
  for (int i = 0; i < digits; ++i) {
    out += "0123456789abcdef"[value & 0xf];
    value = (value >> 4) | (value << 60);
    if (i % 16 == 15) value = Fnv1a("x", value);
  }
  return out;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string PercentEncode(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      out += static_cast<char>(c);
    } else {
      char buffer[4];
      std::snprintf(buffer, sizeof buffer, "%%%02X", c);
      out += buffer;
    }
  }
  return out;
}

// One result's texts; `marked` is the title with the keyword wrapped in the
// site's highlight markup.
struct Item {
  std::string id;
  std::string title;
  std::string marked;
  std::string size;
  std::string magnet;
  uint64_t hash;
};

Item MakeItem(SampleSite site, std::string_view keyword, int page, int index) {
  const uint64_t hash = ItemHash(site, keyword, page, index);
  const int number = page * 100 + index + 1;
  const std::string head = std::string("[") + kTags[hash % kTags.size()] + "]";
  const std::string tail = std::string(" 第") + std::to_string(number) + "部 " +
                           kTails[(hash >> 8) % kTails.size()];
  const std::string word = HtmlEscape(keyword);
  std::string open, close;
  switch (site) {
    case SampleSite::kSite5: open = "<span class=\"highlight\">", close = "</span>"; break;
    case SampleSite::kSite6: open = "<span class=\"keyword\">", close = "</span>"; break;
    case SampleSite::kPro: open = "<font color=\"red\">", close = "</font>"; break;
    case SampleSite::kWeb: open = "<em><!--red_beg-->", close = "</em>"; break;
    default: break;
  }
  char size[32];
  std::snprintf(size, sizeof size, "%u.%02u GB", static_cast<unsigned>((hash >> 16) % 40),
                static_cast<unsigned>((hash >> 24) % 100));
  const std::string btih = Hex(hash, 40);
  return {btih.substr(0, 16),
          head + word + tail,
          head + open + word + close + tail,
          size,
          "magnet:?xt=urn:btih:" + btih + "&dn=" + PercentEncode(keyword),
          hash};
}

std::string PageHead(std::string_view title) {
  return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         std::string(title) + "</title>\n</head>\n<body>\n";
}

constexpr const char* kPageTail = "</body>\n</html>\n";

void AppendItem(std::string& out, SampleSite site, const Item& item, std::string_view origin) {
  switch (site) {
    case SampleSite::kSite1:
      out += "<div class=\"item\">\n<a href=\"" + std::string(origin) + "/site1/detail/" + item.id +
             ".html\" title=\"" + item.title + "\">\n<span>" + item.marked +
             "</span></a>\n<div class=\"right size\">" + item.size + "</div>\n</div>\n";
      break;
    case SampleSite::kSite2:
      out += "<ul>\n<li>" + item.title + "<span class=\"lightColor\">" + item.size +
             "</span></li>\n<li><a href=\"" + item.magnet +
             "\" class=\"download\">磁力下载</a></li>\n</ul>\n";
      break;
    case SampleSite::kSite3:
      // This site opens its bold outside the link and closes it inside.
      out += "<div class=\"item\"><b><a href=\"detail/" + item.id + ".html\" target=\"_blank\">" +
             item.title + "</b></a></div>\n<ul><li>大小: <span class=\"lightColor\">" + item.size +
             "</span></li></ul>\n";
      break;
    case SampleSite::kSite4:
      out += "<dl>\n<dt><a title=\"" + item.title + "\" target=\"_blank\">" + item.title +
             "</a> <span>" + item.size +
             "</span> &nbsp;&nbsp;<span>2026-01-01</span></dt>\n<dd><a href=\"#\">下载</a>\n"
             "             <a href=\"" +
             item.magnet + "\">磁力链接</a></dd>\n</dl>\n";
      break;
    case SampleSite::kSite5:
      out += "<div class=\"item\">\n<h4><a href=\"/detail/" + item.id + ".html\">" + item.marked +
             "</a></h4>\n<p><cite>文件大小：</cite><span class=\"label label-warning\">" +
             item.size + "</span></p>\n</div>\n";
      break;
    case SampleSite::kSite6:
      out += "<tr>\r\n        <td class=\"name\"><a href=\"detail/" + item.id +
             ".html\" target=\"_blank\">\r\n        " + item.marked +
             "</a>\r\n                </td>\r\n        <td>" + item.size + "</td>\r\n</tr>\r\n";
      break;
    case SampleSite::kPro:
      out += "<div class=\"row\"><a href=\"file/" + item.id + ".html\"  title=\"" +
             PercentEncode(item.title) + "\"  target=\"_blank\">" + item.marked +
             "</a> <span>资料大小: " + item.size + "&nbsp;分享时间: 2026-01-01</span></div>\n";
      break;
    case SampleSite::kWeb: {
      const uint64_t uk = 100000000 + item.hash % 900000000;
      const uint64_t share = 1000 + (item.hash >> 20) % 9000;
      std::string link;
      switch (item.hash % 3) {
        case 0: link = "/web/link?from=baidu&uk=" + std::to_string(uk) + "&shareid=" +
                       std::to_string(share); break;
        case 1: link = "/web/link?from=yunpan&id=" + item.id; break;
        default: link = "/web/link?from=baidu&shareid=" + std::to_string(share) + "&uk=" +
                        std::to_string(uk) + std::to_string(uk); break;
      }
      out += "<div class=\"vrwrap\">\n<h3 class=\"vrTitle\"><a name=\"dttl\" target=\"_blank\" href=\"" +
             std::string(origin) + link + "\" id=\"uigs__" + item.id +
             "\" cacheStrategy=\"\"><!--awbg-->" + item.marked +
             "</a>  </h3>\n<div class=\"fb\"><a href=\"#\">快照</a> <span>来源: </span><a "
             "target=\"_blank\"  href=\"" + std::string(origin) + "/web/snapshot?id=" + item.id +
             "\" >网页快照</a></div>\n</div>\n";
      break;
    }
  }
}

std::string PageFrameOpen(SampleSite site) {
  switch (site) {
    case SampleSite::kSite6: return "<table class=\"data\">\r\n";
    default: return "<div class=\"results\">\n";
  }
}

std::string PageFrameClose(SampleSite site) {
  return site == SampleSite::kSite6 ? "</table>\r\n" : "</div>\n";
}

const char* SiteName(SampleSite site) {
  switch (site) {
    case SampleSite::kPro: return "网盘专业搜索";
    case SampleSite::kWeb: return "网页搜索";
    default: return "资源站";
  }
}

int Number(const std::string& text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 100000) return -1;
    value = value * 10 + (c - '0');
  }
  return text.empty() ? -1 : value;
}

std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  while (!text.empty() && text.front() == ' ') text.erase(0, 1);
  return text;
}

std::string Origin(const httplib::Request& request) {
  return "http://" + request.get_header_value("Host");
}

void ServeHtml(httplib::Response& response, const std::string& body) {
  response.set_content(body, "text/html; charset=utf-8");
}

void ServeResults(const httplib::Request& request, httplib::Response& response, SampleSite site,
                  const std::string& keyword, int site_page, int page_offset, int per_page) {
  const int page = site_page - page_offset;
  if (page < 0) {
    response.status = 404;
    return;
  }
  ServeHtml(response, ResultPage(site, keyword, page, ResultsOnPage(page, per_page), Origin(request)));
}

}  // namespace

int ResultsOnPage(int page, int per_page) {
  if (page < 0 || page > kFullPages) return 0;
  return page < kFullPages ? per_page : (per_page + 1) / 2 + 1;
}

std::string ResultPage(SampleSite site, std::string_view keyword, int page, int count,
                       std::string_view origin) {
  std::string out = PageHead(HtmlEscape(keyword) + " - " + SiteName(site));
  out += "<p class=\"summary\">共找到 " + std::to_string(count) + " 条结果</p>\n";
  out += PageFrameOpen(site);
  for (int i = 0; i < count; ++i) AppendItem(out, site, MakeItem(site, keyword, page, i), origin);
  out += PageFrameClose(site);
  return out + kPageTail;
}

std::string DetailPage(SampleSite site, std::string_view id) {
  const uint64_t hash = Fnv1a(id);
  const std::string magnet = "magnet:?xt=urn:btih:" + Hex(hash, 40);
  std::string out = PageHead("详情");
  switch (site) {
    case SampleSite::kSite1:
      out += "<div class=\"download\"><a id=\"magnetDownload\" href=\"" + magnet +
             "\" class=\"btn btn-primary\">磁力下载</a></div>\n";
      break;
    case SampleSite::kSite3:
      out += "<p>迅雷下载: <a href=\"thunder://" + Hex(hash, 24) + "\">迅雷下载</a></p>\n";
      break;
    case SampleSite::kSite5:
      out += "<textarea class=\"form-control\" rows=\"3\" readonly>" + magnet + "</textarea>\n";
      break;
    case SampleSite::kSite6:
      out += "<p><a href=\"" + magnet + "\">使用磁力链下载</a></p>\n";
      break;
    case SampleSite::kPro:
      out += "<script>\nvar SHARE_ID = \"" + std::to_string(100000 + hash % 900000) +
             "\";\nvar SHARE_UK = \"" + std::to_string(1000000000 + (hash >> 20) % 900000000) +
             "\";\n</script>\n";
      break;
    default:
      out += "<p>" + magnet + "</p>\n";
      break;
  }
  return out + kPageTail;
}

SampleSitesServer::SampleSitesServer(int per_page)
    : server_(std::make_unique<httplib::Server>()), per_page_(per_page) {
  httplib::Server& s = *server_;
  s.set_keep_alive_timeout(1);  // stopping waits out an idle kept-alive connection
  using Req = httplib::Request;
  using Res = httplib::Response;
  s.Get(R"(/site1/search/(.*)/currentPage/(\d+))", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kSite1, q.matches[1], Number(q.matches[2]), 1, per_page_);
  });
  s.Get(R"(/site2/baike/(.*)/(\d+)-1\.html)", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kSite2, q.matches[1], Number(q.matches[2]), 0, per_page_);
  });
  s.Get(R"(/site3/search/(.*)/(\d+)-1\.html)", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kSite3, q.matches[1], Number(q.matches[2]), 0, per_page_);
  });
  s.Get(R"(/site4/list/(.*)-s1d-(\d+)\.html)", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kSite4, q.matches[1], Number(q.matches[2]), 0, per_page_);
  });
  s.Get(R"(/site5/search/(.*)_ctime_(\d+)\.html)", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kSite5, q.matches[1], Number(q.matches[2]), 0, per_page_);
  });
  s.Get("/site6/search.php", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kSite6, q.get_param_value("keyword"),
                 Number(q.get_param_value("page")), 0, per_page_);
  });
  s.Get(R"(/site([1-6])/detail/(.+)\.html)", [](const Req& q, Res& r) {
    ServeHtml(r, DetailPage(static_cast<SampleSite>(Number(q.matches[1])), q.matches[2].str()));
  });
  s.Get("/pro/search.asp", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kPro, q.get_param_value("wd"),
                 Number(q.get_param_value("page")), 0, per_page_);
  });
  s.Get(R"(/pro/file/(.+)\.html)", [](const Req& q, Res& r) {
    ServeHtml(r, DetailPage(SampleSite::kPro, q.matches[1].str()));
  });
  s.Get("/web/web", [this](const Req& q, Res& r) {
    ServeResults(q, r, SampleSite::kWeb, Trimmed(q.get_param_value("query")),
                 Number(q.get_param_value("page")), 0, per_page_);
  });
  const auto plain_page = [](const char* title, const char* body) {
    return [title, body](const Req&, Res& r) {
      ServeHtml(r, PageHead(title) + "<p>" + body + "</p>\n" + kPageTail);
    };
  };
  s.Get("/web/link", plain_page("分享", "示例网盘分享页"));
  s.Get("/web/snapshot", plain_page("网页快照", "示例网页快照"));
  s.Get("/pan/share/home", plain_page("分享主页", "示例网盘用户的分享主页"));
  s.Get("/pan/share/link", plain_page("分享文件", "示例网盘分享文件"));
  s.Get("/notice.html", plain_page("公告", "VelloxV1.1 （信息头）欢迎使用 Vellox 示例站点（信息尾）"));
  s.Get("/update.html", plain_page("下载新版本", "示例站点的新版本下载页"));
}

SampleSitesServer::~SampleSitesServer() { Stop(); }

bool SampleSitesServer::Start(const std::string& host, int port) {
  Stop();
  if (port == 0) {
    port_ = server_->bind_to_any_port(host);
    if (port_ <= 0) return false;
  } else {
    if (!server_->bind_to_port(host, port)) return false;
    port_ = port;
  }
  host_ = host;
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // Wait for the listener so that Stop() never races its start.
  while (!server_->is_running()) std::this_thread::yield();
  return true;
}

void SampleSitesServer::Stop() {
  if (!thread_.joinable()) return;
  server_->stop();
  thread_.join();
}

search::SiteRoots SampleSitesServer::Roots(const search::SiteRoots& base) const {
  const std::string origin = "http://" + host_ + ":" + std::to_string(port_);
  search::SiteRoots roots = base;
  roots.ResourceSiteRoot1 = origin + "/site1/";
  roots.ResourceSiteRoot2 = origin + "/site2/";
  roots.ResourceSiteRoot3 = origin + "/site3/";
  roots.ResourceSiteRoot4 = origin + "/site4/";
  roots.ResourceSiteRoot5 = origin + "/site5/";
  roots.ResourceSiteRoot6 = origin + "/site6/";
  roots.ProSearchRoot = origin + "/pro/";
  roots.WebSearchRoot = origin + "/web/";
  roots.CloudDiskRoot = origin + "/pan/";
  roots.NoticePageUrl = origin + "/notice.html";
  roots.UpdatePageUrl = origin + "/update.html";
  return roots;
}

}  // namespace vellox::tools
