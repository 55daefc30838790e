// Every site's and mode's passes over an arbitrary page, through the site's own
// decoding, into a recording bridge: no crash, and no row without a caption
// slot (cells are only ever written to rows the run inserted).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "search/site_table.h"
#include "tests/support/recording_bridge.h"

namespace search = vellox::search;
using vellox::text::LocalText;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  static const search::SiteRoots roots = search::BuiltInSiteRoots();
  static const std::vector<const search::SearchSite*> sites = [] {
    std::vector<const search::SearchSite*> all;
    for (const auto& site : search::ResourceSites()) all.push_back(&site);
    all.push_back(&search::ProfessionalSearch());
    all.push_back(&search::ComprehensiveSearch());
    return all;
  }();
  const LocalText body(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const search::SearchSite* site : sites) {
    vellox::testing::RecordingBridge bridge;
    search::FillRows(bridge, *site, roots, search::DecodePage(*site, body));
    // Every match inserts at most one row; a page cannot hold more matches
    // than bytes.
    if (bridge.rows().size() > size + 1) abort();
  }
  return 0;
}
