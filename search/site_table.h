#pragma once
// Every site and mode the two search tabs can ask, as data: how its request
// address is joined, how its page is fetched and decoded, and the passes that
// cut rows out of the page. One routine (RunSiteSearch) runs any row, so a new
// site is one more row. The tables are built once and immutable: safe to read
// from any thread.

#include <string>
#include <vector>

#include "search/search_environment.h"
#include "search/site_roots.h"
#include "search/tab_bridge.h"
#include "text/local_text.h"

namespace vellox::search {

// One piece of a request address, joined in table order.
struct AddressPiece {
  enum Kind { kText, kRoot, kKeyword, kPage };
  Kind kind;
  text::LocalText text;                     // kText
  std::string SiteRoots::*root = nullptr;   // kRoot
};

// What a cell's value is made from, before it is written to its column.
struct CellRule {
  enum Link {
    kAsFound,           // the value itself
    kRootPrefix,        // the site's root, then the value
    kRootNoSlash,       // the site's root without its closing "/", then the value
    kShareHome,         // a link naming "baidu" becomes a share-home address
  };
  int column;
  int submatch;                             // 0: `literal` alone
  text::LocalText literal;
  std::vector<text::LocalText> removals;    // in order, each over the one before
  Link link = kAsFound;
};

struct Pass {
  enum Rows {
    kInsert,        // one new row per match
    kFill,          // match i fills row i - 1 when this run inserted it
    kFillOrAppend,  // as kFill, and a match beyond the rows appends one
  };
  text::LocalText pattern;
  Rows rows;
  std::vector<CellRule> cells;              // written in this order
};

struct SearchSite {
  enum Fetch { kObjectRequest, kInetRequest };
  enum Decode { kUtf8ToLocal, kUrlDecode };
  enum Engine { kRegexObject, kRegexMatcher };
  std::string SiteRoots::*root;             // the root links are made absolute with
  std::vector<AddressPiece> address;
  int page_offset;                          // added to the page counter for the address
  Fetch fetch;
  Decode decode;
  Engine engine;
  std::vector<Pass> passes;
};

// The six sites of the film/resource tab, 资源站1 first.
const std::vector<SearchSite>& ResourceSites();
// The two modes of the cloud-disk tab.
const SearchSite& ProfessionalSearch();
const SearchSite& ComprehensiveSearch();

// The request address for an already encoded keyword and the tab's page counter.
text::LocalText SiteAddress(const SearchSite& site, const SiteRoots& roots,
                            const text::LocalText& encoded_keyword, int page_counter);
// The response body as the page the passes read.
text::LocalText DecodePage(const SearchSite& site, const text::LocalText& body);
// Runs the site's passes over `page`, inserting and filling rows of `tab`.
void FillRows(TabBridge& tab, const SearchSite& site, const SiteRoots& roots,
              const text::LocalText& page);

// The whole search once the tab's mode is known: read and encode the (trimmed)
// keyword, read the page counter once, fetch, decode, fill rows.
void RunSiteSearch(TabBridge& tab, const SearchEnvironment& environment, const SearchSite& site);

// Trims the tab's keyword and writes it back: the common start of both providers.
void TrimKeyword(TabBridge& tab);

}  // namespace vellox::search
