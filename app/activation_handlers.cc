#include "app/activation_handlers.h"

#include "app/qt_user_interaction.h"
#include "search/result_activation.h"

namespace vellox::app {

void SetActivationHandlers(TabRoutines& routines, const search::SearchEnvironment& environment,
                           search::UserInteraction& user) {
  routines.film_activate = [&environment, &user](search::TabBridge& tab) {
    search::ResourceListActivated(tab, environment, user);
  };
  routines.cloud_activate = [&environment, &user](search::TabBridge& tab) {
    search::CloudListActivated(tab, environment, user);
  };
}

search::UserInteraction& DesktopUserInteraction() {
  static QtUserInteraction user;
  return user;
}

}  // namespace vellox::app
