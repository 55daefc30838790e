// Double-clicks through the real window on the offscreen platform, against the
// sample sites on an ephemeral loopback port, with the Qt desktop interaction:
// the clipboard, the message box the user sees, the address the browser gets.

#include <gtest/gtest.h>
#include <httplib.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <memory>
#include <string>
#include <vector>

#include "app/activation_handlers.h"
#include "app/main_window.h"
#include "app/qt_user_interaction.h"
#include "app/window_test_util.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "search/cloud_disk_search.h"
#include "search/resource_search.h"
#include "tools/sample_sites.h"

namespace vellox::app {
namespace {

// Stands in for the desktop's browser: records what it was handed.
class Browser : public QObject {
  Q_OBJECT
 public:
  std::vector<QString> opened;
 public slots:
  void Open(const QUrl& url) { opened.push_back(url.toString()); }
};

class WindowActivationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sites_.Start("127.0.0.1", 0));
    roots_ = sites_.Roots(search::BuiltInSiteRoots());
    routines_.film_search = [this](search::TabBridge& tab) { search::ResourceSearch(tab, environment_); };
    routines_.cloud_search = [this](search::TabBridge& tab) { search::CloudDiskSearch(tab, environment_); };
    SetActivationHandlers(routines_, environment_, user_);
    window_ = std::make_unique<MainWindow>(routines_);
    window_->show();
    QDesktopServices::setUrlHandler("http", &browser_, "Open");
    QDesktopServices::setUrlHandler("https", &browser_, "Open");
    QGuiApplication::clipboard()->setText("before");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
    window_.reset();
  }

  template <typename T>
  T* Get(const char* name) {
    T* control = window_->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  // Types `keyword`, clicks the tab's search button and waits for the rows.
  void Search(MainWindow::Tab tab, const char* radio, const char* keyword) {
    const bool film = tab == MainWindow::kFilmTab;
    Get<QTabWidget>("高级选择夹1")->setCurrentIndex(tab);  // the list must be on screen
    Get<QRadioButton>(radio)->setChecked(true);
    Get<QLineEdit>(film ? "编辑框_影视关键字" : "编辑框_网盘关键字")->setText(QString::fromUtf8(keyword));
    Get<QPushButton>(film ? "按钮_影视搜一搜" : "按钮_网盘搜一搜")->click();
    ASSERT_TRUE(testing::WaitForSearch(*window_, tab));
  }

  // Double-clicks row `row` of `list` with the mouse; returns the text of every
  // message box that came up, each closed with its OK button.
  std::vector<QString> DoubleClick(const char* list_name, int row) {
    QTreeWidget* list = Get<QTreeWidget>(list_name);
    QTreeWidgetItem* item = list->topLevelItem(row);
    EXPECT_NE(item, nullptr);
    if (item == nullptr) return {};
    std::vector<QString> boxes;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible()) continue;
        boxes.push_back(box->windowTitle() + ": " + box->text());
        box->button(QMessageBox::Ok)->click();
      }
    });
    closer.start(0);
    const QPoint centre = list->visualItemRect(item).center();
    // What a mouse sends for a double-click: press, release, double-click, release.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
    return boxes;
  }

  std::string Cell(const char* list_name, int row, int column) {
    return Get<QTreeWidget>(list_name)->topLevelItem(row)->text(column).toStdString();
  }

  tools::SampleSitesServer sites_;  // stopped last, once the engine's connections are closed
  search::SiteRoots roots_;
  std::unique_ptr<platform::CookieStore> cookies_ = platform::NewMemoryCookieStore();
  platform::RequestEngine engine_;
  search::SearchEnvironment environment_{roots_, {*cookies_, engine_}};
  QtUserInteraction user_;
  TabRoutines routines_;
  Browser browser_;
  std::unique_ptr<MainWindow> window_;
};

std::string FetchBody(const std::string& url) {
  const size_t path = url.find('/', url.find("//") + 2);
  httplib::Client client(url.substr(0, path));
  const auto response = client.Get(url.substr(path));
  return response ? response->body : std::string();
}

TEST_F(WindowActivationTest, EveryResourceSiteCopiesItsLink) {
  struct Case {
    const char* radio;
    const char* prefix;  // of the copied text
    bool fetched;        // the text comes from the row's detail page
  };
  const Case cases[] = {
      {"单选框_资源站1", "magnet:?", true},  {"单选框_资源站2", "magnet:?", false},
      {"单选框_资源站3", "thunder://", true}, {"单选框_资源站4", "magnet:?", false},
      {"单选框_资源站5", "magnet:?", true},  {"单选框_资源站6", "magnet:?", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radio);
    QGuiApplication::clipboard()->setText("before");
    Search(MainWindow::kFilmTab, c.radio, "星际");
    const std::string link = Cell("超级列表框2", 1, 3);
    ASSERT_FALSE(link.empty());
    EXPECT_EQ(DoubleClick("超级列表框2", 1), std::vector<QString>{"信息：: 磁力链接已复制"});
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_EQ(copied.rfind(c.prefix, 0), 0u) << copied;
    if (c.fetched) {
      const std::string found = copied.substr(std::string(c.prefix) == "thunder://" ? 10 : 0);
      EXPECT_NE(FetchBody(link).find(found), std::string::npos) << "the link is on the detail page";
    } else {
      EXPECT_EQ(copied, link);
    }
  }
}

TEST_F(WindowActivationTest, RadioButtonsAreReadAtDoubleClickTime) {
  Search(MainWindow::kFilmTab, "单选框_资源站1", "星际");
  const std::string detail_address = Cell("超级列表框2", 0, 3);
  Get<QRadioButton>("单选框_资源站2")->setChecked(true);
  EXPECT_EQ(DoubleClick("超级列表框2", 0), std::vector<QString>{"信息：: 磁力链接已复制"});
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), detail_address)
      << "site 2 copies the row's link as it is";

  // A site-4 row read with site 3's rules: its magnet link is no page with a
  // thunder link, and the clipboard keeps what it held.
  Search(MainWindow::kFilmTab, "单选框_资源站4", "星际");
  Get<QRadioButton>("单选框_资源站3")->setChecked(true);
  QGuiApplication::clipboard()->setText("before");
  EXPECT_EQ(DoubleClick("超级列表框2", 0), std::vector<QString>{"信息：: 未找到下载链接"});
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "before");
}

TEST_F(WindowActivationTest, CloudRowsOpenTheirSharePage) {
  Search(MainWindow::kCloudTab, "单选框_专业搜", "教程");
  const std::string page = FetchBody(Cell("超级列表框1", 0, 3));
  EXPECT_TRUE(DoubleClick("超级列表框1", 0).empty());
  ASSERT_EQ(browser_.opened.size(), 1u);
  const std::string opened = browser_.opened[0].toStdString();
  const std::string prefix = roots_.CloudDiskRoot + "share/link?shareid=";
  ASSERT_EQ(opened.rfind(prefix, 0), 0u) << opened;
  const std::string share_id = opened.substr(prefix.size(), opened.find("&uk=") - prefix.size());
  const std::string share_uk = opened.substr(opened.find("&uk=") + 4);
  EXPECT_NE(page.find("SHARE_ID = \"" + share_id + "\";"), std::string::npos);
  EXPECT_NE(page.find("SHARE_UK = \"" + share_uk + "\";"), std::string::npos);

  Search(MainWindow::kCloudTab, "单选框_综合搜", "教程");
  const std::string link = Cell("超级列表框1", 0, 3);
  EXPECT_TRUE(DoubleClick("超级列表框1", 0).empty());
  ASSERT_EQ(browser_.opened.size(), 2u);
  EXPECT_EQ(browser_.opened[1].toStdString(), link) << "comprehensive rows open as they are";
}

}  // namespace
}  // namespace vellox::app


#include "window_activation_test.moc"
