#pragma once
// The main window: the fixed layout of main_window.ui, the six paging commands
// of the two working tabs, the workers they start and the double-click
// handlers. GUI thread only, except what the bridges it hands out do.

#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "app/workers.h"
#include "search/tab_bridge.h"

namespace Ui {
class MainWindowForm;
}

namespace vellox::app {

class TabView;
class WindowLink;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // The working tabs, numbered as the tab control's pages.
  enum Tab : int { kCloudTab = 0, kFilmTab = 1 };

  explicit MainWindow(TabRoutines routines = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Later commands and double-clicks run these.
  void SetTabRoutines(TabRoutines routines);

  // The tab's zero-based page counter.
  int CurrentPage(Tab tab) const { return current_page_[tab]; }
  // Whether the tab's newest worker still runs.
  bool Searching(Tab tab) const;
  // The text shown over the tab's empty list ("" when none).
  QString ListPlaceholder(Tab tab) const;

  // A bridge to the tab's newest run, usable from any thread; its page counter
  // is the tab's counter now. Double-click handlers get one of these.
  std::unique_ptr<search::TabBridge> NewTabBridge(Tab tab);

 signals:
  // The tab's newest worker has ended and all its rows are in the list.
  void searchFinished(int tab);
  // A worker of the tab has ended, superseded or not.
  void workerEnded(int tab);

 private:
  struct TabControls;

  void Search(Tab tab);
  void NextPage(Tab tab);
  void PreviousPage(Tab tab);
  void SetPageLabel(Tab tab);
  void StartWorker(Tab tab, std::uint64_t run);
  void WorkerEnded(int tab, std::uint64_t run);
  void Activate(Tab tab);
  void PlaceInTabControlCoordinates();
  bool eventFilter(QObject* watched, QEvent* event) override;

  std::unique_ptr<Ui::MainWindowForm> ui_;
  TabRoutines routines_;
  std::array<std::unique_ptr<TabControls>, 2> tabs_;
  std::array<int, 2> current_page_{};
  std::shared_ptr<WindowLink> link_;
  // The newest worker; nothing waits for it.
  std::thread::id worker_thread_;
  // Page controls where the form puts them, in the tab control's coordinates.
  std::vector<std::pair<QWidget*, QPoint>> designed_positions_;
};

}  // namespace vellox::app
