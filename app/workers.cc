#include "app/workers.h"

#include "app/activation_handlers.h"
#include "search/cloud_disk_search.h"
#include "search/resource_search.h"

namespace vellox::app {

TabRoutines MakeTabRoutines(const search::SearchEnvironment& environment) {
  TabRoutines routines;
  routines.film_search = [&environment](search::TabBridge& tab) {
    search::ResourceSearch(tab, environment);
  };
  routines.cloud_search = [&environment](search::TabBridge& tab) {
    search::CloudDiskSearch(tab, environment);
  };
  SetActivationHandlers(routines, environment, DesktopUserInteraction());
  return routines;
}

}  // namespace vellox::app
