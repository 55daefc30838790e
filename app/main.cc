// vellox: the window. Builds the routines, shows the main window and runs the
// event loop; closing the window ends the program.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "app/workers.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  vellox::app::MainWindow window(vellox::app::MakeTabRoutines());
  window.show();
  const int exit_code = QApplication::exec();
  // Workers may still be fetching with what main() owns. End here, without
  // waiting for them and without destroying anything under them.
  std::fflush(nullptr);
  std::_Exit(exit_code);
}
