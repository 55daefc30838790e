#pragma once
// The double-click handlers of both result lists as the window runs them: the
// result-activation routines on the GUI thread, answering through a
// UserInteraction (the Qt one in the program, a recording one in tests).

#include "app/workers.h"
#include "search/search_environment.h"
#include "search/user_interaction.h"

namespace vellox::app {

// Sets film_activate and cloud_activate. `environment` and `user` must outlive
// the window that runs the handlers.
void SetActivationHandlers(TabRoutines& routines, const search::SearchEnvironment& environment,
                           search::UserInteraction& user);

// The program's own desktop interaction: Qt message boxes, clipboard, browser.
search::UserInteraction& DesktopUserInteraction();

}  // namespace vellox::app
