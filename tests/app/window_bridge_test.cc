// The window bridge between workers and the real widgets: reads waited for on
// the GUI thread, writes in order, superseded runs dropped, and a window that
// closes while workers still run.

#include "app/window_bridge.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "tests/app/window_test_util.h"

namespace vellox::testing {
namespace {

using app::MainWindow;

std::string RowText(QTreeWidget* list, int row, int column) {
  return list->topLevelItem(row)->text(column).toStdString();
}

TEST(WindowBridgeTest, ManyRowsFromAWorkerKeepInsertBeforeSet) {
  constexpr int kRows = 2000;
  std::atomic<int> mismatches = 0;
  app::TabRoutines routines;
  routines.film_search = [&mismatches](search::TabBridge& bridge) {
    for (int row = 0; row < kRows; ++row) {
      const std::string n = std::to_string(row + 1);
      bridge.InsertItem(text::LocalText(n));
      bridge.SetCellText(row, 1, L("标题 " + n));
      bridge.SetCellText(row, 2, text::LocalText(n + " MB"));
      bridge.SetCellText(row, 3, text::LocalText("link/" + n));
      // A read waits behind the writes before it.
      if (row % 97 == 0 && Utf8(bridge.CellText(row, 1)) != "标题 " + n) ++mismatches;
    }
  };
  MainWindow window(routines);
  Find<QPushButton>(window, "按钮_影视搜一搜")->click();
  ASSERT_TRUE(WaitForSearch(window, MainWindow::kFilmTab));

  auto* list = Find<QTreeWidget>(window, "超级列表框2");
  ASSERT_EQ(list->topLevelItemCount(), kRows);
  EXPECT_EQ(mismatches.load(), 0);
  for (int row = 0; row < kRows; ++row) {
    const std::string n = std::to_string(row + 1);
    ASSERT_EQ(RowText(list, row, 0), n);
    ASSERT_EQ(RowText(list, row, 1), "标题 " + n);
    ASSERT_EQ(RowText(list, row, 2), n + " MB");
    ASSERT_EQ(RowText(list, row, 3), "link/" + n);
  }
}

// What a worker reads of its tab, and the keyword it writes back.
TEST(WindowBridgeTest, WorkerReadsTheTabItRunsFor) {
  struct Case {
    MainWindow::Tab tab;
    const char* keyword_box;
    const char* radio;  // the radio button selected before the search
    int radio_count;
    int selected;  // its bridge number
    const char* why;
  };
  const Case cases[] = {
      {MainWindow::kFilmTab, "编辑框_影视关键字", "单选框_资源站1", 6, 1, "film tab, first site"},
      {MainWindow::kFilmTab, "编辑框_影视关键字", "单选框_资源站4", 6, 4, "film tab, site 4"},
      {MainWindow::kFilmTab, "编辑框_影视关键字", "单选框_资源站6", 6, 6, "film tab, last site"},
      {MainWindow::kCloudTab, "编辑框_网盘关键字", "单选框_专业搜", 2, 1, "cloud tab, 专业搜索"},
      {MainWindow::kCloudTab, "编辑框_网盘关键字", "单选框_综合搜", 2, 2, "cloud tab, 综合搜索"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    struct Seen {
      std::string keyword;
      std::vector<bool> radios;  // numbers 0 .. count + 1
    } seen;
    auto routine = [&seen, &c](search::TabBridge& bridge) {
      seen.keyword = Utf8(bridge.KeywordText());
      for (int number = 0; number <= c.radio_count + 1; ++number) {
        seen.radios.push_back(bridge.RadioSelected(number));
      }
      bridge.SetKeywordText(L("流浪地球"));
    };
    app::TabRoutines routines;
    (c.tab == MainWindow::kFilmTab ? routines.film_search : routines.cloud_search) = routine;
    MainWindow window(routines);
    Find<QLineEdit>(window, c.keyword_box)->setText(QString::fromUtf8("  流浪地球 "));
    Find<QRadioButton>(window, c.radio)->setChecked(true);
    QTest::keyClick(Find<QLineEdit>(window, c.keyword_box), Qt::Key_Return);
    ASSERT_TRUE(WaitForSearch(window, c.tab));

    EXPECT_EQ(seen.keyword, "  流浪地球 ");
    for (int number = 0; number < static_cast<int>(seen.radios.size()); ++number) {
      EXPECT_EQ(seen.radios[number], number == c.selected) << "radio " << number;
    }
    EXPECT_EQ(Find<QLineEdit>(window, c.keyword_box)->text(), QString::fromUtf8("流浪地球"));
  }
}

// A slow page 1 must not spill into page 2: once the next command runs, the
// older worker's writes go nowhere, whether it inserts, sets cells or edits the
// keyword.
TEST(WindowBridgeTest, SupersededWorkerWritesAreDropped) {
  Gate first_row_written, release_old;
  app::TabRoutines routines;
  routines.cloud_search = [&](search::TabBridge& bridge) {
    if (bridge.PageCounter() == 0) {
      bridge.InsertItem(text::LocalText("old 1"));
      bridge.KeywordText();  // the row is in the list once this returns
      first_row_written.Open();
      release_old.Wait();
      bridge.SetCellText(0, 1, text::LocalText("old title"));
      bridge.InsertItem(text::LocalText("old 2"));
      bridge.SetKeywordText(text::LocalText("old keyword"));
    } else {
      bridge.InsertItem(text::LocalText("new 1"));
      bridge.SetCellText(0, 1, text::LocalText("new title"));
    }
  };
  MainWindow window(routines);
  auto* list = Find<QTreeWidget>(window, "超级列表框1");
  auto* keyword = Find<QLineEdit>(window, "编辑框_网盘关键字");
  keyword->setText("kept");
  Find<QPushButton>(window, "按钮_网盘搜一搜")->click();
  // Serve the old worker's read until it has written its first row.
  ASSERT_TRUE(QTest::qWaitFor([&] { return first_row_written.IsOpen(); }, 30000));
  ASSERT_EQ(list->topLevelItemCount(), 1);

  Find<QPushButton>(window, "按钮_网盘下一页")->click();
  ASSERT_TRUE(WaitForSearch(window, MainWindow::kCloudTab));
  release_old.Open();
  ASSERT_TRUE(WaitFor(window, &MainWindow::workerEnded, MainWindow::kCloudTab));

  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_EQ(RowText(list, 0, 0), "new 1");
  EXPECT_EQ(RowText(list, 0, 1), "new title");
  EXPECT_EQ(keyword->text(), "kept");
  EXPECT_FALSE(window.Searching(MainWindow::kCloudTab));
}

// Closing the window while a worker waits for a read releases the worker with
// an empty answer; what it writes afterwards goes nowhere.
TEST(WindowBridgeTest, ClosingTheWindowReleasesAWaitingWorker) {
  struct Seen {
    std::string keyword = "unset";
    bool radio = true;
    int selected = 0;
  };
  Gate reading;
  // Shared, so the worker may still be inside set_value when the test ends.
  auto done = std::make_shared<std::promise<Seen>>();
  std::future<Seen> result = done->get_future();
  app::TabRoutines routines;
  routines.film_search = [&reading, done](search::TabBridge& bridge) {
    reading.Open();
    Seen seen;
    seen.keyword = bridge.KeywordText().bytes();  // blocks: the test runs no event loop
    seen.radio = bridge.RadioSelected(1);
    seen.selected = bridge.SelectedRow();
    bridge.InsertItem(text::LocalText("late"));
    bridge.SetCellText(0, 1, text::LocalText("late"));
    done->set_value(seen);
  };
  auto window = std::make_unique<MainWindow>(routines);
  Find<QLineEdit>(*window, "编辑框_影视关键字")->setText("keyword");
  Find<QPushButton>(*window, "按钮_影视搜一搜")->click();
  reading.Wait();
  window.reset();

  ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready);
  const Seen seen = result.get();
  EXPECT_EQ(seen.keyword, "");
  EXPECT_FALSE(seen.radio);
  EXPECT_EQ(seen.selected, -1);
  QCoreApplication::processEvents();  // nothing is left to deliver into the old widgets
}

// A bridge used on the GUI thread itself (as a double-click handler uses it)
// answers at once; one used from any thread after the window went answers empty.
TEST(WindowBridgeTest, BridgeOnTheGuiThreadAndAfterTheWindow) {
  auto window = std::make_unique<MainWindow>();
  Find<QLineEdit>(*window, "编辑框_网盘关键字")->setText(QString::fromUtf8("网盘"));
  std::unique_ptr<search::TabBridge> bridge = window->NewTabBridge(MainWindow::kCloudTab);
  EXPECT_EQ(Utf8(bridge->KeywordText()), "网盘");
  EXPECT_TRUE(bridge->RadioSelected(1));
  bridge->InsertItem(text::LocalText("1"));
  bridge->SetCellText(0, 3, text::LocalText("https://pan.example/s/1"));
  EXPECT_EQ(bridge->CellText(0, 3).bytes(), "https://pan.example/s/1") << "written at once";
  EXPECT_EQ(bridge->CellText(0, 9).bytes(), "") << "no such column";
  EXPECT_EQ(bridge->CellText(5, 0).bytes(), "") << "no such row";
  EXPECT_EQ(bridge->SelectedRow(), -1);
  Find<QTreeWidget>(*window, "超级列表框1")->topLevelItem(0)->setSelected(true);
  EXPECT_EQ(bridge->SelectedRow(), 0);

  window.reset();
  std::thread other([&bridge] {
    bridge->InsertItem(text::LocalText("gone"));
    EXPECT_EQ(bridge->KeywordText().bytes(), "");
    EXPECT_EQ(bridge->SelectedRow(), -1);
  });
  other.join();
  EXPECT_EQ(bridge->KeywordText().bytes(), "");
}

}  // namespace
}  // namespace vellox::testing
