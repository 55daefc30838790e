// A search on each working tab of the real window (offscreen platform) against
// the sample sites on a loopback port of their own.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/workers.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "search/search_environment.h"
#include "tests/app/window_test_util.h"
#include "tools/sample_sites.h"

namespace vellox::testing {
namespace {

TEST(WindowSearchTest, EachTabListsTheSampleSitesRows) {
  tools::SampleSitesServer sites;
  ASSERT_TRUE(sites.Start("127.0.0.1", 0));
  const search::SiteRoots roots = sites.Roots(search::BuiltInSiteRoots());
  const auto cookies = platform::NewMemoryCookieStore();
  const search::SearchEnvironment environment{roots, {*cookies, platform::DefaultRequestEngine()}};
  app::MainWindow window(app::MakeTabRoutines(environment));

  struct Case {
    app::MainWindow::Tab tab;
    const char *keyword_box, *radio, *button, *list;
    std::string link_root;
    const char* why;
  } cases[] = {
      {app::MainWindow::kFilmTab, "编辑框_影视关键字", "单选框_资源站3", "按钮_影视搜一搜",
       "超级列表框2", roots.ResourceSiteRoot3, "film tab, site 3"},
      {app::MainWindow::kCloudTab, "编辑框_网盘关键字", "单选框_专业搜", "按钮_网盘搜一搜",
       "超级列表框1", roots.ProSearchRoot, "cloud-disk tab, professional search"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Find<QLineEdit>(window, c.keyword_box)->setText(QString::fromUtf8("  星际 "));
    Find<QRadioButton>(window, c.radio)->setChecked(true);
    Find<QPushButton>(window, c.button)->click();
    ASSERT_TRUE(WaitForSearch(window, c.tab));
    EXPECT_EQ(Find<QLineEdit>(window, c.keyword_box)->text().toStdString(), "星际");
    auto* list = Find<QTreeWidget>(window, c.list);
    ASSERT_EQ(list->topLevelItemCount(), 10);
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = list->topLevelItem(i);
      EXPECT_EQ(item->text(0).toStdString(), std::to_string(i + 1));
      EXPECT_TRUE(item->text(1).contains(QString::fromUtf8("星际")));
      EXPECT_FALSE(item->text(2).isEmpty());
      EXPECT_TRUE(item->text(3).startsWith(QString::fromStdString(c.link_root)));
    }
  }
}

}  // namespace
}  // namespace vellox::testing
