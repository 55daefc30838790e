#include "app/workers.h"

namespace vellox::app {

TabRoutines MakeTabRoutines() {
  TabRoutines routines;
  routines.film_search = [](search::TabBridge&) {};
  routines.cloud_search = [](search::TabBridge&) {};
  return routines;
}

}  // namespace vellox::app
