#include "app/main_window.h"

#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <system_error>

#include "app/tab_view.h"
#include "ui_main_window.h"  // generated from main_window.ui
#include "app/window_bridge.h"

namespace vellox::app {

struct MainWindow::TabControls {
  QPushButton* search;
  QPushButton* next_page;
  QPushButton* previous_page;
  QLabel* page_label;
  QLineEdit* keyword;
  QTreeWidget* list;
  std::unique_ptr<TabView> view;
};

namespace {

template <typename T>
T* Control(QWidget* window, const char* name) {
  T* control = window->findChild<T*>(QString::fromUtf8(name));
  Q_ASSERT_X(control != nullptr, "MainWindow", name);
  return control;
}

// Result list columns: number, title, size, then the link, kept at zero width
// so it is never seen. The film list has one more zero-width column.
void SetUpResultList(QTreeWidget* list) {
  constexpr int kShownWidths[] = {50, 450, 130};
  for (int column = 0; column < list->columnCount(); ++column) {
    if (column < 3) {
      list->setColumnWidth(column, kShownWidths[column]);
    } else {
      list->setColumnWidth(column, 0);
      list->setColumnHidden(column, true);
    }
  }
  list->header()->setSectionsMovable(false);
}

QFont WindowFont() {
  QFont font;
  font.setFamilies({"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Source Han Sans SC",
                    "Microsoft YaHei", "SimSun"});
  font.setPixelSize(12);
  return font;
}

}  // namespace

MainWindow::MainWindow(TabRoutines routines, QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::MainWindowForm>()), routines_(std::move(routines)) {
  ui_->setupUi(this);
  setFont(WindowFont());
  setFixedSize(700, 420);
  move(50, 50);

  const std::array<std::vector<const char*>, 2> radio_names = {
      std::vector<const char*>{"单选框_专业搜", "单选框_综合搜"},
      std::vector<const char*>{"单选框_资源站1", "单选框_资源站2", "单选框_资源站3",
                               "单选框_资源站4", "单选框_资源站5", "单选框_资源站6"}};
  struct Names {
    const char* search;
    const char* next_page;
    const char* previous_page;
    const char* page_label;
    const char* keyword;
    const char* list;
  };
  const Names names[2] = {
      {"按钮_网盘搜一搜", "按钮_网盘下一页", "按钮_网盘上一页", "标签_网盘页面",
       "编辑框_网盘关键字", "超级列表框1"},
      {"按钮_影视搜一搜", "按钮_影视下一页", "按钮_影视上一页", "标签_影视页面",
       "编辑框_影视关键字", "超级列表框2"}};
  std::array<TabView*, kTabCount> views{};
  for (int tab = 0; tab < 2; ++tab) {
    auto controls = std::make_unique<TabControls>();
    controls->search = Control<QPushButton>(this, names[tab].search);
    controls->next_page = Control<QPushButton>(this, names[tab].next_page);
    controls->previous_page = Control<QPushButton>(this, names[tab].previous_page);
    controls->page_label = Control<QLabel>(this, names[tab].page_label);
    controls->keyword = Control<QLineEdit>(this, names[tab].keyword);
    controls->list = Control<QTreeWidget>(this, names[tab].list);
    std::vector<QRadioButton*> radios;
    for (const char* name : radio_names[tab]) radios.push_back(Control<QRadioButton>(this, name));
    controls->view = std::make_unique<TabView>(controls->keyword, std::move(radios), controls->list);
    SetUpResultList(controls->list);
    views[tab] = controls->view.get();

    const Tab which = static_cast<Tab>(tab);
    connect(controls->search, &QPushButton::clicked, this, [this, which] { Search(which); });
    connect(controls->keyword, &QLineEdit::returnPressed, this, [this, which] { Search(which); });
    connect(controls->next_page, &QPushButton::clicked, this, [this, which] { NextPage(which); });
    connect(controls->previous_page, &QPushButton::clicked, this,
            [this, which] { PreviousPage(which); });
    connect(controls->list, &QTreeWidget::itemDoubleClicked, this, [this, which] { Activate(which); });
    tabs_[tab] = std::move(controls);
  }
  link_ = std::make_shared<WindowLink>(
      this, views, [this](int tab, std::uint64_t run) { WorkerEnded(tab, run); });

  // The form gives page controls in the tab control's coordinates, tab strip
  // included; Qt places them in the page below the strip. Keep them where the
  // form says, whatever height the style gives the strip.
  QTabWidget* tab_control = Control<QTabWidget>(this, "高级选择夹1");
  for (int page = 0; page < tab_control->count(); ++page) {
    for (QObject* child : tab_control->widget(page)->children()) {
      if (auto* widget = qobject_cast<QWidget*>(child)) {
        designed_positions_.emplace_back(widget, widget->pos());
      }
    }
  }
  auto* pages = tab_control->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
  pages->installEventFilter(this);
  PlaceInTabControlCoordinates();
}

MainWindow::~MainWindow() {
  // Workers still fetching now find the window gone: their reads answer empty
  // at once and their writes go nowhere.
  link_->Detach();
}

void MainWindow::SetTabRoutines(TabRoutines routines) { routines_ = std::move(routines); }

bool MainWindow::Searching(Tab tab) const { return tabs_[tab]->view->Searching(); }

QString MainWindow::ListPlaceholder(Tab tab) const { return tabs_[tab]->view->PlaceholderText(); }

std::unique_ptr<search::TabBridge> MainWindow::NewTabBridge(Tab tab) {
  return std::make_unique<QtTabBridge>(link_, tab, link_->CurrentRun(tab), current_page_[tab]);
}

// A search hides the previous-page button as well, so that the counter never
// goes below 0.
void MainWindow::Search(Tab tab) {
  TabControls& controls = *tabs_[tab];
  const std::uint64_t run = link_->NewRun(tab);
  controls.view->BeginRun();
  controls.next_page->show();
  controls.previous_page->hide();
  current_page_[tab] = 0;
  controls.page_label->setText(QStringLiteral("1"));
  StartWorker(tab, run);
}

void MainWindow::NextPage(Tab tab) {
  TabControls& controls = *tabs_[tab];
  const std::uint64_t run = link_->NewRun(tab);
  controls.view->BeginRun();
  ++current_page_[tab];
  controls.previous_page->show();
  SetPageLabel(tab);
  if (current_page_[tab] == 0) controls.previous_page->hide();
  StartWorker(tab, run);
}

void MainWindow::PreviousPage(Tab tab) {
  TabControls& controls = *tabs_[tab];
  const std::uint64_t run = link_->NewRun(tab);
  controls.view->BeginRun();
  --current_page_[tab];
  SetPageLabel(tab);
  if (current_page_[tab] == 0) controls.previous_page->hide();
  StartWorker(tab, run);
}

void MainWindow::SetPageLabel(Tab tab) {
  tabs_[tab]->page_label->setText(QString::number(current_page_[tab] + 1));
}

void MainWindow::StartWorker(Tab tab, std::uint64_t run) {
  auto bridge = std::make_unique<QtTabBridge>(link_, tab, run, current_page_[tab]);
  WorkerRoutine routine = tab == kFilmTab ? routines_.film_search : routines_.cloud_search;
  try {
    std::thread worker([routine = std::move(routine), bridge = std::move(bridge)]() mutable {
      if (routine) {
        try {
          routine(*bridge);
        } catch (...) {
          // A failing provider leaves what it listed; nothing is reported.
        }
      }
      routine = nullptr;
      bridge->PostEnded();
    });
    worker_thread_ = worker.get_id();
    worker.detach();
  } catch (const std::system_error&) {
    // No thread: the list stays empty.
    WorkerEnded(tab, run);
  }
}

void MainWindow::WorkerEnded(int tab, std::uint64_t run) {
  if (run == link_->CurrentRun(tab)) {
    tabs_[tab]->view->EndRun();
    emit searchFinished(tab);
  }
  emit workerEnded(tab);
}

void MainWindow::Activate(Tab tab) {
  const ActivationHandler& handler =
      tab == kFilmTab ? routines_.film_activate : routines_.cloud_activate;
  if (!handler) return;
  QtTabBridge bridge(link_, tab, link_->CurrentRun(tab), current_page_[tab]);
  handler(bridge);
}

void MainWindow::PlaceInTabControlCoordinates() {
  for (const auto& [widget, designed] : designed_positions_) {
    QWidget* page = widget->parentWidget();
    const QPoint page_origin = page->pos() + page->parentWidget()->pos();
    widget->move(designed - page_origin);
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
    PlaceInTabControlCoordinates();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace vellox::app
