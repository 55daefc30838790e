#pragma once
// The double-click handlers of the two result lists: a resource row becomes a
// download link on the clipboard, a cloud-disk row a share page in the browser.
// Both read the tab's radio buttons at the moment of the call, make at most one
// synchronous fetch and answer through UserInteraction. They run on the
// window's thread (the command line runs them on its own).

#include "search/search_environment.h"
#include "search/tab_bridge.h"
#include "search/user_interaction.h"

namespace vellox::search {

// Film/resource list (超级列表框2).
void ResourceListActivated(TabBridge& tab, const SearchEnvironment& environment,
                           UserInteraction& user);

// Cloud-disk list (超级列表框1).
void CloudListActivated(TabBridge& tab, const SearchEnvironment& environment,
                        UserInteraction& user);

// Whether `address` starts with "http://" or "https://", ASCII case ignored:
// the only addresses the cloud-disk list fetches or opens.
bool IsWebAddress(const text::LocalText& address);

}  // namespace vellox::search
