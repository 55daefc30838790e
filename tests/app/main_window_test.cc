// The main window on the offscreen platform: its fixed layout and start state,
// and the six paging commands driven through the real buttons.

#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/app/window_test_util.h"

namespace vellox::testing {
namespace {

using app::MainWindow;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

QString TextOf(QWidget* control) {
  if (auto* box = qobject_cast<QGroupBox*>(control)) return box->title();
  if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
  if (auto* edit = qobject_cast<QPlainTextEdit*>(control)) return edit->toPlainText();
  return QString();
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
#if defined(__SANITIZE_THREAD__)
    // Painting hands fills to Qt's own thread pool, whose locks an
    // uninstrumented Qt hides from the sanitizer: every report would be about
    // Qt's threads. The bridge tests, which never paint, run under it.
    GTEST_SKIP() << "shown windows are not checked under ThreadSanitizer";
#endif
    window_.show();
  }

  template <typename T>
  T* Get(const char* name) {
    return Find<T>(window_, name);
  }
  void Click(const char* button) { Get<QPushButton>(button)->click(); }

  MainWindow window_;
};

TEST_F(MainWindowTest, WindowAndTabControl) {
  EXPECT_EQ(window_.windowTitle(), "VelloxV1.1");
  EXPECT_EQ(window_.pos(), QPoint(50, 50));
  EXPECT_EQ(window_.size(), QSize(700, 420));
  EXPECT_EQ(window_.minimumSize(), window_.maximumSize()) << "the window has a fixed size";

  auto* tabs = Get<QTabWidget>("高级选择夹1");
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->geometry(), QRect(6, 5, 680, 380));
  ASSERT_EQ(tabs->count(), 4);
  const char* titles[] = {" 网盘搜索 ", " 影视搜索 ", " 图片搜索 ", " 关于软件 "};
  for (int page = 0; page < 4; ++page) EXPECT_EQ(tabs->tabText(page), Q(titles[page]));
  EXPECT_EQ(tabs->currentIndex(), 0);
}

// Every control of the four pages: kind, page, parent group box, place and
// size (relative to the group box, or else to the tab control, tab strip
// included), text and whether it starts hidden.
TEST_F(MainWindowTest, ControlsOfEveryPage) {
  struct Case {
    const char* name;
    const char* kind;
    int page;
    const char* group;  // parent group box, or nullptr for the page
    QRect geometry;
    const char* text;
    bool hidden;
  };
  const std::string dashes_open = std::string(45, '-') + "    双击打开链接   " + std::string(48, '-');
  const std::string dashes_copy = std::string(45, '-') + "    双击复制链接   " + std::string(48, '-');
  const Case cases[] = {
      {"分组框1", "QGroupBox", 0, nullptr, {13, 32, 652, 52}, "搜索方式", false},
      {"单选框_专业搜", "QRadioButton", 0, "分组框1", {29, 20, 88, 24}, "专业搜索", false},
      {"单选框_综合搜", "QRadioButton", 0, "分组框1", {130, 20, 458, 24},
       "综合搜索(含百度，360，QQ，迅雷，华为，城通,快盘，一木禾，115等...)", false},
      {"标签1", "QLabel", 0, nullptr, {13, 92, 45, 24}, "关键字：", false},
      {"编辑框_网盘关键字", "QLineEdit", 0, nullptr, {76, 92, 230, 24}, "", false},
      {"按钮_网盘搜一搜", "QPushButton", 0, nullptr, {315, 92, 75, 24}, "搜一搜", false},
      {"按钮_网盘下一页", "QPushButton", 0, nullptr, {403, 92, 75, 24}, "下一页", true},
      {"按钮_网盘上一页", "QPushButton", 0, nullptr, {490, 92, 75, 24}, "上一页", true},
      {"标签7", "QLabel", 0, nullptr, {585, 92, 45, 24}, "当前页：", false},
      {"标签_网盘页面", "QLabel", 0, nullptr, {640, 92, 20, 24}, "0", false},
      {"标签6", "QLabel", 0, nullptr, {13, 124, 648, 16}, dashes_open.c_str(), false},
      {"超级列表框1", "QTreeWidget", 0, nullptr, {13, 146, 656, 220}, "", false},

      {"分组框2", "QGroupBox", 1, nullptr, {13, 32, 652, 52}, "搜索方式", false},
      {"单选框_资源站1", "QRadioButton", 1, "分组框2", {29, 20, 88, 24}, "资源站1", false},
      {"单选框_资源站2", "QRadioButton", 1, "分组框2", {123, 20, 88, 24}, "资源站2", false},
      {"单选框_资源站3", "QRadioButton", 1, "分组框2", {223, 20, 88, 24}, "资源站3", false},
      {"单选框_资源站4", "QRadioButton", 1, "分组框2", {323, 20, 88, 24}, "资源站4", false},
      {"单选框_资源站5", "QRadioButton", 1, "分组框2", {423, 20, 88, 24}, "资源站5", false},
      {"单选框_资源站6", "QRadioButton", 1, "分组框2", {528, 20, 88, 24}, "资源站6", false},
      {"标签2", "QLabel", 1, nullptr, {13, 92, 45, 24}, "关键字：", false},
      {"编辑框_影视关键字", "QLineEdit", 1, nullptr, {76, 92, 230, 24}, "", false},
      {"按钮_影视搜一搜", "QPushButton", 1, nullptr, {315, 92, 75, 24}, "搜一搜", false},
      {"按钮_影视下一页", "QPushButton", 1, nullptr, {403, 92, 75, 24}, "下一页", true},
      {"按钮_影视上一页", "QPushButton", 1, nullptr, {490, 92, 75, 24}, "上一页", true},
      {"标签8", "QLabel", 1, nullptr, {585, 92, 45, 24}, "当前页：", false},
      {"标签_影视页面", "QLabel", 1, nullptr, {640, 92, 20, 24}, "0", false},
      {"标签3", "QLabel", 1, nullptr, {13, 124, 648, 16}, dashes_copy.c_str(), false},
      {"超级列表框2", "QTreeWidget", 1, nullptr, {13, 146, 656, 220}, "", false},

      {"分组框3", "QGroupBox", 2, nullptr, {13, 32, 652, 52}, "搜索方式", false},
      {"单选框_图片站1", "QRadioButton", 2, "分组框3", {29, 20, 88, 24}, "图片站1", false},
      {"单选框_图片站2", "QRadioButton", 2, "分组框3", {123, 20, 88, 24}, "图片站2", false},
      {"单选框_图片站3", "QRadioButton", 2, "分组框3", {223, 20, 88, 24}, "图片站3", false},
      {"标签9", "QLabel", 2, nullptr, {15, 90, 45, 24}, "关键字：", false},
      {"编辑框_影视关键字1", "QLineEdit", 2, nullptr, {78, 90, 230, 24}, "", false},
      {"按钮_影视搜一搜1", "QPushButton", 2, nullptr, {317, 90, 75, 24}, "搜一搜", false},
      {"按钮_影视下一页1", "QPushButton", 2, nullptr, {405, 90, 75, 24}, "下一页", true},
      {"按钮_影视上一页1", "QPushButton", 2, nullptr, {492, 90, 75, 24}, "上一页", true},
      {"标签11", "QLabel", 2, nullptr, {587, 90, 45, 24}, "当前页：", false},
      {"标签_影视页面1", "QLabel", 2, nullptr, {642, 90, 20, 24}, "0", false},
      {"编辑框3", "QLineEdit", 2, nullptr, {291, 219, 120, 32}, "功能正在开发中.....", false},

      {"编辑框2", "QPlainTextEdit", 3, nullptr, {26, 46, 632, 312},
       "本软件集成网友平时比较常用的网站内容，仅供参考学习，请在下载后24小时内删除，一切违法行为与作者无关,.",
       false},
  };
  auto* tabs = Get<QTabWidget>("高级选择夹1");
  ASSERT_NE(tabs, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* control = Get<QWidget>(c.name);
    if (control == nullptr) continue;
    EXPECT_STREQ(control->metaObject()->className(), c.kind);
    EXPECT_TRUE(tabs->widget(c.page)->isAncestorOf(control)) << "on page " << c.page;
    if (c.group != nullptr) {
      EXPECT_EQ(control->parentWidget()->objectName(), Q(c.group));
      EXPECT_EQ(control->geometry(), c.geometry);
    } else {
      EXPECT_EQ(control->parentWidget(), tabs->widget(c.page));
      EXPECT_EQ(QRect(control->mapTo(tabs, QPoint(0, 0)), control->size()), c.geometry);
    }
    EXPECT_EQ(TextOf(control), Q(c.text));
    EXPECT_EQ(control->isHidden(), c.hidden);
  }
}

TEST_F(MainWindowTest, RadioSelectionsAtStart) {
  const char* selected[] = {"单选框_专业搜", "单选框_资源站1", "单选框_图片站1"};
  const char* not_selected[] = {"单选框_综合搜", "单选框_资源站2", "单选框_资源站6",
                                "单选框_图片站3"};
  for (const char* name : selected) EXPECT_TRUE(Get<QRadioButton>(name)->isChecked()) << name;
  for (const char* name : not_selected) EXPECT_FALSE(Get<QRadioButton>(name)->isChecked()) << name;
}

TEST_F(MainWindowTest, ResultListColumns) {
  struct Case {
    const char* list;
    int columns;
    const char* why;
  };
  const Case cases[] = {{"超级列表框1", 4, "cloud list: number, title, size, link"},
                        {"超级列表框2", 5, "film list: one more zero-width column"}};
  const char* headers[] = {"序号", "名称", "大小", ".", "."};
  const int widths[] = {50, 450, 130, 0, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    auto* list = Get<QTreeWidget>(c.list);
    ASSERT_EQ(list->columnCount(), c.columns);
    EXPECT_FALSE(list->isHeaderHidden());
    EXPECT_FALSE(list->rootIsDecorated()) << "a plain report list, not a tree";
    for (int column = 0; column < c.columns; ++column) {
      EXPECT_EQ(list->headerItem()->text(column), Q(headers[column])) << column;
      EXPECT_EQ(list->isColumnHidden(column), widths[column] == 0) << column;
      if (widths[column] != 0) {
        EXPECT_EQ(list->columnWidth(column), widths[column]) << column;
      }
    }
  }
}

// A worker that records the page counter its bridge gives and lists one row,
// so the tests can follow which run wrote what.
struct PageRecorder {
  std::mutex mutex;
  std::vector<int> film_pages;
  std::vector<int> cloud_pages;

  app::TabRoutines Routines() {
    auto routine = [this](std::vector<int>& pages) {
      return [this, &pages](search::TabBridge& bridge) {
        const int page = bridge.PageCounter();
        {
          std::lock_guard lock(mutex);
          pages.push_back(page);
        }
        bridge.InsertItem(text::LocalText("1"));
        bridge.SetCellText(0, 1, text::LocalText("page " + std::to_string(page)));
      };
    };
    app::TabRoutines routines;
    routines.film_search = routine(film_pages);
    routines.cloud_search = routine(cloud_pages);
    return routines;
  }
};

struct TabNames {
  const char* search;
  const char* next_page;
  const char* previous_page;
  const char* label;
  const char* list;
};
const TabNames kCloud = {"按钮_网盘搜一搜", "按钮_网盘下一页", "按钮_网盘上一页", "标签_网盘页面",
                         "超级列表框1"};
const TabNames kFilm = {"按钮_影视搜一搜", "按钮_影视下一页", "按钮_影视上一页", "标签_影视页面",
                        "超级列表框2"};

// A step: 'c' or 'f' for the tab, then 's' search, 'n' next, 'p' previous.
TEST_F(MainWindowTest, PagingSequencesKeepOneCounterPerTab) {
  struct TabState {
    const char* label;
    bool next_shown;
    bool previous_shown;
    std::vector<int> pages;  // the counters the tab's workers were given
  };
  struct Case {
    std::vector<const char*> steps;
    TabState cloud;
    TabState film;
    const char* why;
  };
  const Case cases[] = {
      {{}, {"0", false, false, {}}, {"0", false, false, {}}, "start: labels 0, paging hidden"},
      {{"fs"}, {"0", false, false, {}}, {"1", true, false, {0}},
       "a search asks for page 0 and shows next page"},
      {{"cs"}, {"1", true, false, {0}}, {"0", false, false, {}}, "the same on the cloud tab"},
      {{"fs", "fn", "fn"}, {"0", false, false, {}}, {"3", true, true, {0, 1, 2}},
       "two pages forward"},
      {{"fs", "fn", "fn", "fp", "fp"}, {"0", false, false, {}},
       {"1", true, false, {0, 1, 2, 1, 0}}, "and back to the first page hides previous page"},
      {{"cs", "fs", "fn", "fn", "cn"}, {"2", true, true, {0, 1}}, {"3", true, true, {0, 1, 2}},
       "the cloud tab goes on from its own counter, not the film tab's"},
      {{"fs", "fn", "fn", "fs"}, {"0", false, false, {}}, {"1", true, false, {0, 1, 2, 0}},
       "a search hides previous page, so the counter cannot go below 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    PageRecorder recorder;
    MainWindow window(recorder.Routines());
    window.show();
    int film_runs = 0, cloud_runs = 0;
    for (const char* step : c.steps) {
      const bool film = step[0] == 'f';
      const TabNames& names = film ? kFilm : kCloud;
      const char* button = step[1] == 's' ? names.search
                           : step[1] == 'n' ? names.next_page
                                            : names.previous_page;
      auto* control = Find<QPushButton>(window, button);
      ASSERT_FALSE(control->isHidden()) << "clicking a hidden button: " << step;
      control->click();
      ASSERT_TRUE(WaitForSearch(window, film ? MainWindow::kFilmTab : MainWindow::kCloudTab));
      (film ? film_runs : cloud_runs)++;
    }
    for (int tab = 0; tab < 2; ++tab) {
      const TabNames& names = tab == 0 ? kCloud : kFilm;
      const TabState& state = tab == 0 ? c.cloud : c.film;
      SCOPED_TRACE(tab == 0 ? "cloud tab" : "film tab");
      EXPECT_EQ(Find<QLabel>(window, names.label)->text(), Q(state.label));
      EXPECT_EQ(!Find<QPushButton>(window, names.next_page)->isHidden(), state.next_shown);
      EXPECT_EQ(!Find<QPushButton>(window, names.previous_page)->isHidden(), state.previous_shown);
      std::lock_guard lock(recorder.mutex);
      EXPECT_EQ(tab == 0 ? recorder.cloud_pages : recorder.film_pages, state.pages);
    }
  }
}

TEST_F(MainWindowTest, EachCommandClearsOnlyItsOwnList) {
  PageRecorder recorder;
  window_.SetTabRoutines(recorder.Routines());
  Click(kCloud.search);
  ASSERT_TRUE(WaitForSearch(window_, MainWindow::kCloudTab));
  Click(kFilm.search);
  ASSERT_TRUE(WaitForSearch(window_, MainWindow::kFilmTab));
  auto* cloud_list = Get<QTreeWidget>(kCloud.list);
  auto* film_list = Get<QTreeWidget>(kFilm.list);
  ASSERT_EQ(cloud_list->topLevelItemCount(), 1);
  ASSERT_EQ(film_list->topLevelItemCount(), 1);

  struct Case {
    const char* button;
    QTreeWidget* cleared;
    QTreeWidget* kept;
    MainWindow::Tab tab;
  };
  const Case cases[] = {
      {kFilm.next_page, film_list, cloud_list, MainWindow::kFilmTab},
      {kFilm.previous_page, film_list, cloud_list, MainWindow::kFilmTab},
      {kFilm.search, film_list, cloud_list, MainWindow::kFilmTab},
      {kCloud.next_page, cloud_list, film_list, MainWindow::kCloudTab},
      {kCloud.previous_page, cloud_list, film_list, MainWindow::kCloudTab},
      {kCloud.search, cloud_list, film_list, MainWindow::kCloudTab},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    Click(c.button);
    // The worker's rows are still queued: only the command has run.
    EXPECT_EQ(c.cleared->topLevelItemCount(), 0);
    EXPECT_EQ(c.kept->topLevelItemCount(), 1);
    ASSERT_TRUE(WaitForSearch(window_, c.tab));
    EXPECT_EQ(c.cleared->topLevelItemCount(), 1);
  }
}

TEST_F(MainWindowTest, EnterInAKeywordBoxSearches) {
  PageRecorder recorder;
  window_.SetTabRoutines(recorder.Routines());
  struct Case {
    const char* keyword_box;
    const TabNames& tab;
    MainWindow::Tab which;
  };
  const Case cases[] = {{"编辑框_网盘关键字", kCloud, MainWindow::kCloudTab},
                        {"编辑框_影视关键字", kFilm, MainWindow::kFilmTab}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword_box);
    QTest::keyClick(Get<QLineEdit>(c.keyword_box), Qt::Key_Return);
    ASSERT_TRUE(WaitForSearch(window_, c.which));
    EXPECT_EQ(Get<QLabel>(c.tab.label)->text(), "1");
    EXPECT_FALSE(Get<QPushButton>(c.tab.next_page)->isHidden());
    EXPECT_EQ(Get<QTreeWidget>(c.tab.list)->topLevelItemCount(), 1);
  }
}

// While a worker runs the list shows it is searching; a run that lists nothing
// says so over the empty list.
TEST_F(MainWindowTest, BusySignAndNothingFound) {
  struct Case {
    int rows;
    const char* placeholder_after;
    const char* why;
  };
  const Case cases[] = {{0, "没有找到结果", "no rows: the empty list says so"},
                        {2, "", "rows: nothing over the list"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Gate gate;
    app::TabRoutines routines;
    routines.film_search = [&gate, rows = c.rows](search::TabBridge& bridge) {
      gate.Wait();
      for (int row = 0; row < rows; ++row) bridge.InsertItem(text::LocalText("x"));
    };
    window_.SetTabRoutines(routines);
    Click(kFilm.search);
    auto* viewport = Get<QTreeWidget>(kFilm.list)->viewport();
    EXPECT_TRUE(window_.Searching(MainWindow::kFilmTab));
    EXPECT_EQ(viewport->cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(window_.ListPlaceholder(MainWindow::kFilmTab), Q("搜索中…"));
    EXPECT_FALSE(window_.Searching(MainWindow::kCloudTab));
    gate.Open();
    ASSERT_TRUE(WaitForSearch(window_, MainWindow::kFilmTab));
    EXPECT_FALSE(window_.Searching(MainWindow::kFilmTab));
    EXPECT_NE(viewport->cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(window_.ListPlaceholder(MainWindow::kFilmTab), Q(c.placeholder_after));
  }
}

// A double-click runs the tab's handler on the GUI thread, with a bridge that
// reads the row the user clicked.
TEST_F(MainWindowTest, DoubleClickRunsTheTabsHandler) {
  struct Seen {
    int calls = 0;
    bool on_gui_thread = false;
    int row = -2;
    std::string link;
  };
  Seen film, cloud;
  const std::thread::id gui_thread = std::this_thread::get_id();
  auto handler = [gui_thread](Seen& seen) {
    return [&seen, gui_thread](search::TabBridge& bridge) {
      ++seen.calls;
      seen.on_gui_thread = std::this_thread::get_id() == gui_thread;
      seen.row = bridge.SelectedRow();
      seen.link = bridge.CellText(seen.row, 3).bytes();
    };
  };
  app::TabRoutines routines;
  routines.film_search = [](search::TabBridge& bridge) {
    for (int row = 0; row < 3; ++row) {
      bridge.InsertItem(text::LocalText(std::to_string(row + 1)));
      bridge.SetCellText(row, 3, text::LocalText("magnet:" + std::to_string(row)));
    }
  };
  routines.film_activate = handler(film);
  routines.cloud_activate = handler(cloud);
  window_.SetTabRoutines(routines);
  Get<QTabWidget>("高级选择夹1")->setCurrentIndex(1);
  Click(kFilm.search);
  ASSERT_TRUE(WaitForSearch(window_, MainWindow::kFilmTab));

  auto* list = Get<QTreeWidget>(kFilm.list);
  const QRect row = list->visualItemRect(list->topLevelItem(1));
  // What a mouse sends for a double-click: press, release, double-click, release.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_EQ(film.calls, 1);
  EXPECT_TRUE(film.on_gui_thread);
  EXPECT_EQ(film.row, 1);
  EXPECT_EQ(film.link, "magnet:1");
  EXPECT_EQ(cloud.calls, 0);
}

}  // namespace
}  // namespace vellox::testing
