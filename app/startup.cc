#include "app/startup.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QWidget>
#include <charconv>
#include <memory>
#include <string>

#include "app/tab_view.h"
#include "http/http_file_read.h"
#include "platform/file_attributes.h"
#include "platform/hotkey.h"
#include "platform/skin_engine.h"
#include "text/encoding.h"

namespace vellox::app {
namespace {

using text::LocalText;

constexpr int kVersionWidth = 3;
constexpr double kVersionTolerance = 1e-7;

// The version text as ASCII: full-width characters (code page 936 lead byte
// 0xA3) become their ASCII forms, the full-width space a space.
std::string ToAsciiForms(const std::string& bytes) {
  std::string ascii;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80 || i + 1 == bytes.size()) {
      ascii += bytes[i];
      continue;
    }
    const auto trail = static_cast<unsigned char>(bytes[++i]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      ascii += static_cast<char>(trail - 0x80);
    } else if (lead == 0xA1 && trail == 0xA1) {
      ascii += ' ';
    } else {
      ascii += '\x7f';  // some other character: ends any number
    }
  }
  return ascii;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class HotkeyFilter : public QAbstractNativeEventFilter {
 public:
  explicit HotkeyFilter(std::unique_ptr<platform::GlobalHotkey> hotkey)
      : hotkey_(std::move(hotkey)) {}

  // The key is taken from every other program and does nothing here.
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    return type == "xcb_generic_event_t" && hotkey_->Matches(message);
  }

 private:
  std::unique_ptr<platform::GlobalHotkey> hotkey_;
};

}  // namespace

double VersionNumber(const LocalText& version) {
  const std::string ascii = ToAsciiForms(version.bytes());
  size_t begin = ascii.find_first_not_of(" \t\r\n\v\f");
  if (begin == std::string::npos) return 0;
  size_t end = begin;
  if (ascii[end] == '+' || ascii[end] == '-') ++end;
  const size_t digits_from = end;
  while (end < ascii.size() && IsDigit(ascii[end])) ++end;
  size_t digit_count = end - digits_from;
  if (end < ascii.size() && ascii[end] == '.') {
    const size_t fraction_from = ++end;
    while (end < ascii.size() && IsDigit(ascii[end])) ++end;
    digit_count += end - fraction_from;
  }
  if (digit_count == 0) return 0;
  if (ascii[begin] == '+') ++begin;  // from_chars takes a minus sign only
  double value = 0;
  std::from_chars(ascii.data() + begin, ascii.data() + end, value);
  return value;
}

bool UpdateNotice(StartupHost& host, search::UserInteraction& user, const search::SiteRoots& roots) {
  static const LocalText kMarker("VelloxV");
  static const LocalText kHead = LocalText::FromUtf8("（信息头）");
  static const LocalText kTail = LocalText::FromUtf8("（信息尾）");
  static const LocalText kNoticeCaption = LocalText::FromUtf8("友情提示");
  static const LocalText kUpdateMessage = LocalText::FromUtf8("     请更新版本 V");

  const LocalText page = text::Utf8ToLocal(
      text::BytesAsText(host.ReadNoticePage(LocalText(roots.NoticePageUrl))));

  const int marker = text::Find(page, kMarker);
  if (marker != -1) {
    const LocalText newest = text::Mid(page, marker + kMarker.size(), kVersionWidth);
    const LocalText current = text::Right(host.WindowCaption(), kVersionWidth);
    const double difference = VersionNumber(current) - VersionNumber(newest);
    if (difference < -kVersionTolerance) {
      user.ShowMessage(kUpdateMessage + newest);
      user.OpenInBrowser(LocalText(roots.UpdatePageUrl));
      return false;
    }
  }
  host.FocusCloudKeyword();

  const int head = text::Find(page, kHead);
  if (head != -1) {
    const int tail = text::Find(page, kTail);
    const int length = tail - head - kHead.size();
    user.ShowMessage(text::Mid(page, head + kHead.size(), length), kNoticeCaption);
  }
  return true;
}

bool RunStartup(StartupHost& host, search::UserInteraction& user, const search::SiteRoots& roots) {
  if (!UpdateNotice(host, user, roots)) return false;
  host.ApplySkin(platform::kDefaultSkinNumber);
  host.FocusCloudKeyword();
  host.RegisterHotkey();
  return true;
}

WindowStartupHost::WindowStartupHost(QWidget& window, const http::HttpContext& http)
    : WindowStartupHost(window, http, platform::ProcessSkinEngine(),
                        platform::ProgramDirectory()) {}

WindowStartupHost::WindowStartupHost(QWidget& window, const http::HttpContext& http,
                                     platform::SkinEngine& skins, std::filesystem::path directory)
    : window_(window), http_(http), skins_(skins), directory_(std::move(directory)) {}

text::Bytes WindowStartupHost::ReadNoticePage(const LocalText& url) {
  return http::ReadHttpFile(http_, url, kNoticeTimeoutMilliseconds);
}

LocalText WindowStartupHost::WindowCaption() {
  return FromQString(window_.windowTitle());
}

void WindowStartupHost::FocusCloudKeyword() {
  if (auto* keyword = window_.findChild<QLineEdit*>(QStringLiteral("编辑框_网盘关键字"))) {
    keyword->setFocus(Qt::OtherFocusReason);
  }
}

void WindowStartupHost::ApplySkin(int number) {
  skins_.SetApplier([](const std::string& sheet) {
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance())) {
      application->setStyleSheet(QString::fromStdString(sheet));
    }
  });
  platform::ApplySkin(number, skins_, directory_);
}

void WindowStartupHost::RegisterHotkey() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) return;  // offscreen or Wayland: no global hotkey
  auto hotkey = platform::GlobalHotkey::Register(x11->connection(),
                                                 static_cast<uint32_t>(window_.winId()));
  if (!hotkey) return;  // F9 is taken by another program: ignored
  // Lives as long as the application, as the grab does.
  static HotkeyFilter* filter = nullptr;
  if (filter == nullptr) {
    filter = new HotkeyFilter(std::move(hotkey));
    qApp->installNativeEventFilter(filter);
  }
  hotkey_registered_ = true;
}

bool RunStartup(QWidget& window, const search::SearchEnvironment& environment,
                search::UserInteraction& user) {
  WindowStartupHost host(window, environment.http);
  return RunStartup(host, user, environment.roots);
}

}  // namespace vellox::app
