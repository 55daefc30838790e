#pragma once
// The resolve commands: what a double-click does on one result row, run from
// the command line. Each writes its result (the clipboard text or the address
// the browser would open, then "\n") on `out` and returns 0, or writes the
// message the window would show on `err` and returns 1; 2 when the command is
// not available in this build. Run on the command's one thread.

#include <ostream>

#include "search/search_environment.h"
#include "text/local_text.h"

namespace vellox::cli {

// A resource row whose column 3 holds `link`, with 资源站`site` (1..6) selected.
int ResolveFilm(const search::SearchEnvironment& environment, int site, const text::LocalText& link,
                std::ostream& out, std::ostream& err);

// A cloud-disk row whose column 3 holds `link`, with radio `mode` selected
// (1: 专业搜索, 2: 综合搜索).
int ResolveCloud(const search::SearchEnvironment& environment, int mode,
                 const text::LocalText& link, std::ostream& out, std::ostream& err);

}  // namespace vellox::cli
