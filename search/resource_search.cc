#include "search/resource_search.h"

#include "search/site_table.h"

namespace vellox::search {

void ResourceSearch(TabBridge& tab, const SearchEnvironment& environment) {
  TrimKeyword(tab);
  const auto& sites = ResourceSites();
  for (size_t i = 0; i < sites.size(); ++i) {
    if (tab.RadioSelected(static_cast<int>(i) + 1)) {
      RunSiteSearch(tab, environment, sites[i]);
      return;
    }
  }
}

}  // namespace vellox::search
