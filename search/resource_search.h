#pragma once
// ResourceSearch: the worker routine of the film/resource tab. Reads the tab's
// keyword, the selected site (资源站1..6) and the page counter, fetches one result
// page of that site and appends one row per result. Runs on a worker thread; all
// it touches besides its own locals is the tab bridge and the environment.

#include "search/search_environment.h"
#include "search/tab_bridge.h"

namespace vellox::search {

void ResourceSearch(TabBridge& tab, const SearchEnvironment& environment);

}  // namespace vellox::search
