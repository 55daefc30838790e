#include "search/cloud_disk_search.h"

#include "search/site_table.h"

namespace vellox::search {

void CloudDiskSearch(TabBridge& tab, const SearchEnvironment& environment) {
  TrimKeyword(tab);
  if (tab.RadioSelected(1)) {
    RunSiteSearch(tab, environment, ProfessionalSearch());
  } else if (tab.RadioSelected(2)) {
    RunSiteSearch(tab, environment, ComprehensiveSearch());
  }
}

}  // namespace vellox::search
