#include "app/qt_user_interaction.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

#include "app/tab_view.h"

namespace vellox::app {

void QtUserInteraction::ShowMessage(const text::LocalText& message, const text::LocalText& caption) {
  const QString title = caption.empty() ? QStringLiteral("信息：") : ToQString(caption);
  QMessageBox box(QMessageBox::NoIcon, title, ToQString(message), QMessageBox::Ok, nullptr);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtUserInteraction::SetClipboardText(const text::LocalText& content) {
  QGuiApplication::clipboard()->setText(ToQString(content), QClipboard::Clipboard);
}

void QtUserInteraction::OpenInBrowser(const text::LocalText& address) {
  // The address came from a web page: taken as it is, never through a shell.
  QDesktopServices::openUrl(QUrl(ToQString(address), QUrl::TolerantMode));
}

}  // namespace vellox::app
