#pragma once
// What a provider or a double-click handler needs besides the tab: the site
// roots and the HTTP context. main() builds one from the built-in roots and the
// user's cookie store; a test builds one pointing at its own server and store.

#include "http/http_context.h"
#include "search/site_roots.h"

namespace vellox::search {

struct SearchEnvironment {
  const SiteRoots& roots;
  http::HttpContext http;
};

}  // namespace vellox::search
