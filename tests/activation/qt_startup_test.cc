// The Qt side of start-up and activation on the offscreen platform: message
// boxes, clipboard, browser hand-off, skins on real widgets, the hotkey and the
// start-up sequence over a loopback notice page.

#include <gtest/gtest.h>
#include <httplib.h>
#include <stdlib.h>

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/qt_user_interaction.h"
#include "app/startup.h"
#include "app/tab_view.h"
#include "platform/cookie_store.h"
#include "platform/request_engine.h"
#include "platform/skin_engine.h"
#include "recording_user.h"

namespace vellox::app {
namespace {

using text::LocalText;

// What a message box looked like when it came up; the box is closed with OK.
struct SeenBox {
  QString title;
  QString text;
  bool has_owner = true;
  Qt::WindowModality modality = Qt::NonModal;
  QList<QAbstractButton*>::size_type buttons = 0;
  bool ok_button = false;
};

SeenBox ShowAndClose(QtUserInteraction& user, const LocalText& message, const LocalText& caption) {
  SeenBox seen;
  QTimer::singleShot(0, [&seen] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      if (box == nullptr || !box->isVisible()) continue;
      seen = {box->windowTitle(), box->text(), box->parentWidget() != nullptr,
              box->windowModality(), box->buttons().size(), box->button(QMessageBox::Ok) != nullptr};
      box->button(QMessageBox::Ok)->click();
    }
  });
  user.ShowMessage(message, caption);
  return seen;
}

TEST(QtUserInteractionTest, MessageBoxes) {
  struct Case {
    LocalText message;
    LocalText caption;
    QString title;
    const char* why;
  };
  const Case cases[] = {
      {LocalText::FromUtf8("磁力链接已复制"), LocalText(), "信息：", "the default caption"},
      {LocalText::FromUtf8("欢迎"), LocalText::FromUtf8("友情提示"), "友情提示", "a caption of its own"},
  };
  QtUserInteraction user;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    const SeenBox seen = ShowAndClose(user, c.message, c.caption);
    EXPECT_EQ(seen.title, c.title);
    EXPECT_EQ(seen.text, ToQString(c.message));
    EXPECT_FALSE(seen.has_owner);
    EXPECT_EQ(seen.modality, Qt::ApplicationModal);
    EXPECT_EQ(seen.buttons, 1);
    EXPECT_TRUE(seen.ok_button);
  }
}

TEST(QtUserInteractionTest, ClipboardHoldsThePlainText) {
  QtUserInteraction user;
  const LocalText link = LocalText::FromUtf8("magnet:?xt=urn:btih:AB&dn=电影");
  user.SetClipboardText(link);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("magnet:?xt=urn:btih:AB&dn=电影"));
}

// Stands in for the desktop's browser: records what it was handed.
class BrowserRecorder : public QObject {
  Q_OBJECT
 public:
  std::vector<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url); }
};

TEST(QtUserInteractionTest, AddressGoesToTheBrowserAsIs) {
  BrowserRecorder browser;
  QDesktopServices::setUrlHandler("http", &browser, "Open");
  QDesktopServices::setUrlHandler("https", &browser, "Open");
  QtUserInteraction user;
  user.OpenInBrowser(LocalText("https://pan.test/share/link?shareid=12&uk=34"));
  user.OpenInBrowser(LocalText("http://pan.test/s/1%20a"));
  QDesktopServices::unsetUrlHandler("http");
  QDesktopServices::unsetUrlHandler("https");
  ASSERT_EQ(browser.urls.size(), 2u);
  EXPECT_EQ(browser.urls[0].toString(), "https://pan.test/share/link?shareid=12&uk=34");
  EXPECT_EQ(browser.urls[1].toEncoded(), "http://pan.test/s/1%20a");
}

// A stand-in for the main window: its caption and the cloud-disk keyword box.
class SmallWindow : public QWidget {
 public:
  SmallWindow() {
    setWindowTitle("VelloxV1.1");
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget;
    auto* page = new QWidget;
    auto* page_layout = new QVBoxLayout(page);
    other_ = new QLineEdit;
    keyword_ = new QLineEdit;
    keyword_->setObjectName(QStringLiteral("编辑框_网盘关键字"));
    page_layout->addWidget(other_);
    page_layout->addWidget(keyword_);
    page_layout->addWidget(new QPushButton("搜一搜"));
    auto* list = new QTreeWidget;
    list->setHeaderLabels({"序号", "名称", "大小", "."});
    page_layout->addWidget(list);
    tabs->addTab(page, "网盘搜索");
    layout->addWidget(tabs);
  }
  QLineEdit* keyword_;
  QLineEdit* other_;
};

std::vector<QString>* g_warnings = nullptr;
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtDebugMsg && g_warnings != nullptr) g_warnings->push_back(message);
}

TEST(SkinOnWidgetsTest, EverySkinIsAValidStyleSheet) {
  SmallWindow window;
  window.show();
  std::vector<QString> warnings;
  g_warnings = &warnings;
  const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
  for (int number = 1; number <= platform::kEmbeddedSkinCount; ++number) {
    SCOPED_TRACE(number);
    qApp->setStyleSheet(QString::fromStdString(platform::StyleSheetForSkin(number)));
    window.grab();  // polishes and paints every widget with the sheet
  }
  qInstallMessageHandler(previous);
  g_warnings = nullptr;
  qApp->setStyleSheet(QString());
  for (const QString& warning : warnings) ADD_FAILURE() << warning.toStdString();
}

class ProgramDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "vellox-start-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
  }
  void TearDown() override {
    qApp->setStyleSheet(QString());
    std::filesystem::remove_all(directory_);
  }
  std::filesystem::path directory_;
  std::unique_ptr<platform::CookieStore> cookies_ = platform::NewMemoryCookieStore();
  platform::RequestEngine engine_;
  http::HttpContext http_{*cookies_, engine_};
};

TEST_F(ProgramDirectoryTest, SkinRestylesTheApplicationOrIsLeftOut) {
  struct Case {
    bool writable;
    bool skinned;
    const char* why;
  };
  const Case cases[] = {
      {true, true, "the library is written beside the program and skin 13 applied"},
      {false, false, "a read-only install starts without a skin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    qApp->setStyleSheet(QString());
    SmallWindow window;
    platform::SkinEngine skins(c.writable ? directory_ : directory_ / "read-only");
    WindowStartupHost host(window, http_, skins, c.writable ? directory_ : directory_ / "read-only");
    host.ApplySkin(platform::kDefaultSkinNumber);
    const QString expected =
        c.skinned ? QString::fromStdString(platform::StyleSheetForSkin(13)) : QString();
    EXPECT_EQ(qApp->styleSheet(), expected);
  }
}

TEST_F(ProgramDirectoryTest, CaptionFocusAndHotkeyOfTheWindow) {
  SmallWindow window;
  window.show();
  window.other_->setFocus();
  platform::SkinEngine skins(directory_);
  WindowStartupHost host(window, http_, skins, directory_);
  EXPECT_EQ(host.WindowCaption(), LocalText("VelloxV1.1"));
  host.FocusCloudKeyword();
  EXPECT_EQ(window.focusWidget(), window.keyword_);
  host.RegisterHotkey();
  EXPECT_FALSE(host.hotkey_registered()) << "the offscreen platform has no global hotkeys";
}

TEST_F(ProgramDirectoryTest, NoticePageOverLoopback) {
  httplib::Server server;
  std::string body;
  server.Get("/notice.html", [&body](const httplib::Request&, httplib::Response& response) {
    response.set_content(body, "text/html; charset=utf-8");
  });
  server.set_keep_alive_max_count(1);  // no idle connection holds up stop()
  const int port = server.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread thread([&server] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::yield();  // cpp-httplib 0.11 has no wait_until_ready()

  search::SiteRoots roots;
  roots.NoticePageUrl = "http://127.0.0.1:" + std::to_string(port) + "/notice.html";
  roots.UpdatePageUrl = "http://127.0.0.1:" + std::to_string(port) + "/update.html";
  struct Case {
    std::string page;
    bool goes_on;
    std::vector<std::string> events;
    const char* why;
  };
  const Case cases[] = {
      {"<b>VelloxV1.1</b>（信息头）欢迎使用 Vellox（信息尾）", true,
       {"message 友情提示: 欢迎使用 Vellox"}, "the current version and a notice"},
      {"<b>VelloxV1.2</b>", false, {"message 信息：:      请更新版本 V1.2", "open " + roots.UpdatePageUrl},
       "a newer version ends start-up"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    body = c.page;
    SmallWindow window;
    platform::SkinEngine skins(directory_);
    WindowStartupHost host(window, http_, skins, directory_);
    testing::RecordingUser user;
    EXPECT_EQ(RunStartup(host, user, roots), c.goes_on);
    EXPECT_EQ(user.events, c.events);
  }
  server.stop();
  thread.join();

  // The server is gone: no notice, no update, start-up goes on.
  SmallWindow window;
  platform::SkinEngine skins(directory_);
  WindowStartupHost host(window, http_, skins, directory_);
  testing::RecordingUser user;
  EXPECT_TRUE(RunStartup(host, user, roots));
  EXPECT_TRUE(user.events.empty());
}

}  // namespace
}  // namespace vellox::app


#include "qt_startup_test.moc"
