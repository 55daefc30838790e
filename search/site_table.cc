#include "search/site_table.h"

#include <initializer_list>

#include "text/encoding.h"
#include "text/regex_object.h"

namespace vellox::search {
namespace {

using text::LocalText;

// Source literals are UTF-8; the tables hold local text.
LocalText L(const char* utf8) { return LocalText::FromUtf8(utf8); }

std::vector<LocalText> Ls(std::initializer_list<const char*> utf8) {
  std::vector<LocalText> out;
  for (const char* piece : utf8) out.push_back(L(piece));
  return out;
}

AddressPiece Text(const char* utf8) { return {AddressPiece::kText, L(utf8)}; }
AddressPiece Root(std::string SiteRoots::*root) { return {AddressPiece::kRoot, {}, root}; }
const AddressPiece kKeyword{AddressPiece::kKeyword, {}};
const AddressPiece kPage{AddressPiece::kPage, {}};

CellRule Cell(int column, int submatch, CellRule::Link link = CellRule::kAsFound,
              std::initializer_list<const char*> removals = {}) {
  return {column, submatch, {}, Ls(removals), link};
}

SearchSite ResourceSite(std::string SiteRoots::*root, const char* before_keyword,
                        const char* after_keyword, const char* after_page, int page_offset,
                        std::vector<Pass> passes) {
  return {root,
          {Root(root), Text(before_keyword), kKeyword, Text(after_keyword), kPage, Text(after_page)},
          page_offset,
          SearchSite::kObjectRequest,
          SearchSite::kUtf8ToLocal,
          SearchSite::kRegexObject,
          std::move(passes)};
}

std::vector<SearchSite> BuildResourceSites() {
  using C = CellRule;
  std::vector<SearchSite> sites;
  sites.push_back(ResourceSite(
      &SiteRoots::ResourceSiteRoot1, "search/", "/currentPage/", "", 1,
      {{L("<a href=\"(.*?)\" title=\"(.*?)\">\n"), Pass::kInsert, {Cell(1, 2), Cell(3, 1)}},
       {L("right size\">(.*?)</div>"), Pass::kFill, {Cell(2, 1)}}}));
  sites.push_back(ResourceSite(
      &SiteRoots::ResourceSiteRoot2, "baike/", "/", "-1.html", 0,
      {{L("<ul>\n<li>(.*?)<span class=\"lightColor\">(.*?)</span>"), Pass::kInsert,
        {Cell(1, 1), Cell(2, 2)}},
       {L("<a href=\"(.*?)\" class=\"download\">"), Pass::kFill, {Cell(3, 1)}}}));
  sites.push_back(ResourceSite(
      &SiteRoots::ResourceSiteRoot3, "search/", "/", "-1.html", 0,
      {{L("<a href=\"(.*?)\" target=\"_blank\">(.*?)</a>"), Pass::kInsert,
        {Cell(3, 1, C::kRootPrefix), Cell(1, 2, C::kAsFound, {"</b>"})}},
       {L("<li>.*?<span class=\"lightColor\">(.*?)</span></li>"), Pass::kFill, {Cell(2, 1)}}}));
  sites.push_back(ResourceSite(
      &SiteRoots::ResourceSiteRoot4, "list/", "-s1d-", ".html", 0,
      {{L("<a title=\"(.*?)\" target=\""), Pass::kInsert, {Cell(1, 1)}},
       {L("<dt>.*?<span>(.*?)</span> &nbsp;&nbsp"), Pass::kFill, {Cell(2, 1)}},
       {L("</a>\n             <a href=\"(.*?)\">.*?</a>"), Pass::kFill, {Cell(3, 1)}}}));
  sites.push_back(ResourceSite(
      &SiteRoots::ResourceSiteRoot5, "search/", "_ctime_", ".html", 0,
      {{L("href=\"(.*?)\">(.*?)</a></h4>"), Pass::kInsert,
        {Cell(1, 2, C::kAsFound,
              {"<span class=\"highlight\">", "</span><span class=\"highlight\">", "</span>"}),
         Cell(3, 1, C::kRootNoSlash)}},
       {L("<cite>文件大小：</cite><span class=\"label label-warning\">(.*?)</span>"), Pass::kFill,
        {Cell(2, 1)}}}));
  sites.push_back(ResourceSite(
      &SiteRoots::ResourceSiteRoot6, "search.php?keyword=", "&page=", "", 0,
      {{L("<a href=\"(.*?)\" target=\"_blank\">\r\n        (.*?)</a>\r\n"
          "                </td>\r\n        <td>(.*?)</td>"),
        Pass::kInsert,
        {Cell(1, 2, C::kAsFound, {"<span class=\"keyword\">", "</span>"}), Cell(2, 3),
         Cell(3, 1, C::kRootPrefix)}}}));
  return sites;
}

SearchSite BuildProfessionalSearch() {
  return {&SiteRoots::ProSearchRoot,
          {Root(&SiteRoots::ProSearchRoot), Text("search.asp?wd="), kKeyword, Text("&page="), kPage},
          0,
          SearchSite::kInetRequest,
          SearchSite::kUrlDecode,
          SearchSite::kRegexMatcher,
          {{L("<a href=\"(.*?)\"  title=\"(.*?)\"  target=.*?资料大小: (.*?)&nbsp"), Pass::kInsert,
            {Cell(1, 2), Cell(2, 3), Cell(3, 1, CellRule::kRootPrefix)}}}};
}

SearchSite BuildComprehensiveSearch() {
  CellRule unknown_size{2, 0, L("未知"), {}, CellRule::kAsFound};
  return {&SiteRoots::CloudDiskRoot,
          {Root(&SiteRoots::WebSearchRoot), Text("web?num=12&query="), kKeyword,
           Text(" &insite="), Root(&SiteRoots::InsiteHosts), Text("&freecode=1&page="), kPage,
           Text("&ie=utf8")},
          0,
          SearchSite::kInetRequest,
          SearchSite::kUtf8ToLocal,
          SearchSite::kRegexMatcher,
          {{L("</a>.*?: </span><a target=\"_blank\"  href=\"(.*?)\" "), Pass::kInsert, {Cell(3, 1)}},
           // The second pass fills the first pass's rows and appends only beyond them, so a
           // page gives max(m, n) rows rather than m + n with half of them bare.
           {L("<a name=\"dttl\" target=\"_blank\" href=\"(.*?)\" id=\"uigs__.*?\" "
              "cacheStrategy=\"\"><!--.*?-->(.*?)</a>  </h3>"),
            Pass::kFillOrAppend,
            {Cell(3, 1, CellRule::kShareHome),
             Cell(1, 2, CellRule::kAsFound,
                  {"<em><!--red_beg-->", "<!--red_end--></em", "</em>", "em>"}),
             unknown_size}}}};
}

LocalText RootText(const SiteRoots& roots, std::string SiteRoots::*root) {
  return LocalText::FromUtf8(roots.*root);
}

// A link that names "baidu" is rebuilt as the share-home address of the user id
// it carries: "uk=" and at most 29 more bytes, cut before the first "&".
LocalText ShareHomeLink(const LocalText& link, const SiteRoots& roots) {
  static const LocalText kBaidu("baidu"), kUk("uk="), kAmpersand("&"), kShareHome("share/home?");
  if (text::Find(link, kBaidu) == -1) return link;
  const LocalText piece = text::Mid(link, text::Find(link, kUk), 30);
  const LocalText home = RootText(roots, &SiteRoots::CloudDiskRoot) + kShareHome;
  const int amp = text::Find(piece, kAmpersand);
  if (amp == -1) return home + piece;
  const int uk = text::Find(piece, kUk);
  return home + text::Mid(piece, uk, amp - uk);
}

LocalText CellValue(const text::RegexBase& regex, int match, const CellRule& cell,
                    const SiteRoots& roots, const LocalText& root) {
  LocalText value = cell.submatch > 0 ? regex.SubMatchText(match, cell.submatch) : cell.literal;
  for (const LocalText& removal : cell.removals) value = text::RemoveAll(value, removal);
  switch (cell.link) {
    case CellRule::kAsFound:
      return value;
    case CellRule::kRootPrefix:
      return root + value;
    case CellRule::kRootNoSlash:
      return (root.view().ends_with('/') ? text::Left(root, root.size() - 1) : root) + value;
    case CellRule::kShareHome:
      return ShareHomeLink(value, roots);
  }
  return value;
}

template <class Regex>
void RunPasses(TabBridge& tab, const SearchSite& site, const SiteRoots& roots,
               const LocalText& page) {
  const LocalText root = RootText(roots, site.root);
  Regex regex;
  int rows = 0;  // rows this run inserted; later passes never write beyond them
  for (const Pass& pass : site.passes) {
    regex.Create(pass.pattern, page, false);
    const int count = regex.MatchCount();
    for (int i = 1; i <= count; ++i) {
      if (pass.rows == Pass::kFill && i > rows) break;
      std::vector<LocalText> values;
      values.reserve(pass.cells.size());
      for (const CellRule& cell : pass.cells) values.push_back(CellValue(regex, i, cell, roots, root));
      if (pass.rows == Pass::kInsert || i > rows) {
        tab.InsertItem(text::NumberText(int64_t{i}));
        ++rows;
      }
      for (size_t c = 0; c < pass.cells.size(); ++c) {
        tab.SetCellText(i - 1, pass.cells[c].column, values[c]);
      }
    }
  }
}

}  // namespace

const std::vector<SearchSite>& ResourceSites() {
  static const std::vector<SearchSite> sites = BuildResourceSites();
  return sites;
}

const SearchSite& ProfessionalSearch() {
  static const SearchSite site = BuildProfessionalSearch();
  return site;
}

const SearchSite& ComprehensiveSearch() {
  static const SearchSite site = BuildComprehensiveSearch();
  return site;
}

LocalText SiteAddress(const SearchSite& site, const SiteRoots& roots,
                      const LocalText& encoded_keyword, int page_counter) {
  LocalText address;
  for (const AddressPiece& piece : site.address) {
    switch (piece.kind) {
      case AddressPiece::kText: address += piece.text; break;
      case AddressPiece::kRoot: address += RootText(roots, piece.root); break;
      case AddressPiece::kKeyword: address += encoded_keyword; break;
      case AddressPiece::kPage:
        address += text::NumberText(int64_t{page_counter} + site.page_offset);
        break;
    }
  }
  return address;
}

LocalText DecodePage(const SearchSite& site, const LocalText& body) {
  return site.decode == SearchSite::kUrlDecode ? text::UrlDecode(body) : text::Utf8ToLocal(body);
}

void FillRows(TabBridge& tab, const SearchSite& site, const SiteRoots& roots,
              const LocalText& page) {
  if (site.engine == SearchSite::kRegexMatcher) {
    RunPasses<text::RegexMatcher>(tab, site, roots, page);
  } else {
    RunPasses<text::RegexObject>(tab, site, roots, page);
  }
}

void TrimKeyword(TabBridge& tab) { tab.SetKeywordText(text::Trim(tab.KeywordText())); }

}  // namespace vellox::search
