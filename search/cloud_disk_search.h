#pragma once
// CloudDiskSearch: the worker routine of the cloud-disk tab. Professional search
// (radio 1, 专业搜索) asks the dedicated cloud-disk search site; comprehensive
// search (radio 2, 综合搜索) asks a web search engine restricted to cloud-storage
// hosts. Runs on a worker thread; touches only the tab bridge and the environment.

#include "search/search_environment.h"
#include "search/tab_bridge.h"

namespace vellox::search {

void CloudDiskSearch(TabBridge& tab, const SearchEnvironment& environment);

}  // namespace vellox::search
