// vellox: the window. Builds the routines, shows the main window and runs the
// event loop; closing the window ends the program.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/activation_handlers.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/workers.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "search/search_environment.h"
#include "search/site_roots.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const vellox::search::SiteRoots roots = vellox::search::BuiltInSiteRoots();
  const auto cookies =
      vellox::platform::OpenCookieStore(vellox::platform::DefaultCookieStorePath());
  const vellox::search::SearchEnvironment environment{
      roots, {*cookies, vellox::platform::DefaultRequestEngine()}};
  vellox::app::MainWindow window(vellox::app::MakeTabRoutines(environment));
  window.show();
  // A newer version announced by the notice page ends the program here.
  if (!vellox::app::RunStartup(window, environment, vellox::app::DesktopUserInteraction())) {
    std::fflush(nullptr);
    std::_Exit(0);
  }
  const int exit_code = QApplication::exec();
  // Workers may still be fetching with what main() owns. End here, without
  // waiting for them and without destroying anything under them.
  std::fflush(nullptr);
  std::_Exit(exit_code);
}
