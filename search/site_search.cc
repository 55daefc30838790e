#include "http/web_request_inet.h"
#include "http/web_request_object.h"
#include "search/site_table.h"
#include "text/encoding.h"

namespace vellox::search {

using text::LocalText;

void RunSiteSearch(TabBridge& tab, const SearchEnvironment& environment, const SearchSite& site) {
  const LocalText keyword = text::UrlEncode(tab.KeywordText(), true, true);
  const LocalText address = SiteAddress(site, environment.roots, keyword, tab.PageCounter());
  const LocalText body = site.fetch == SearchSite::kObjectRequest
                             ? text::BytesAsText(http::WebRequestObject(environment.http, address))
                             : http::WebRequestInetText(environment.http, address);
  FillRows(tab, site, environment.roots, DecodePage(site, body));
}

}  // namespace vellox::search
