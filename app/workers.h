#pragma once
// The routines behind the two working tabs: a search worker, which a paging
// command runs on a thread of its own, and a double-click handler, which runs
// on the GUI thread. Both see the tab only through the TabBridge they are given.

#include <functional>

#include "search/search_environment.h"
#include "search/tab_bridge.h"

namespace vellox::app {

using WorkerRoutine = std::function<void(search::TabBridge&)>;
using ActivationHandler = std::function<void(search::TabBridge&)>;

// An empty routine or handler does nothing.
struct TabRoutines {
  WorkerRoutine film_search;
  WorkerRoutine cloud_search;
  ActivationHandler film_activate;
  ActivationHandler cloud_activate;
};

// The routines the program runs, built once in main(). They use `environment`,
// which must outlive every worker they start.
TabRoutines MakeTabRoutines(const search::SearchEnvironment& environment);

}  // namespace vellox::app
