#include "app/tab_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string_view>

namespace vellox::app {
namespace {

constexpr char kSearchingText[] = "搜索中…";
constexpr char kNothingFoundText[] = "没有找到结果";

}  // namespace

QString ToQString(const text::LocalText& text) {
  if (text.empty()) return QString();
  return QString::fromStdString(text.ToUtf8());
}

text::LocalText FromQString(const QString& text) {
  if (text.isEmpty()) return text::LocalText();
  const QByteArray utf8 = text.toUtf8();
  return text::LocalText::FromUtf8(std::string_view(utf8.constData(), utf8.size()));
}

TabView::TabView(QLineEdit* keyword, std::vector<QRadioButton*> radios, QTreeWidget* list)
    : keyword_(keyword), radios_(std::move(radios)), list_(list), placeholder_(new QLabel) {
  // The placeholder lies over the list's viewport, so it is no row and never
  // reaches the bridge's reads.
  auto* layout = new QVBoxLayout(list_->viewport());
  layout->addWidget(placeholder_);
  placeholder_->setAlignment(Qt::AlignCenter);
  placeholder_->setAttribute(Qt::WA_TransparentForMouseEvents);
  placeholder_->setForegroundRole(QPalette::PlaceholderText);
  placeholder_->hide();
}

text::LocalText TabView::KeywordText() const { return FromQString(keyword_->text()); }

void TabView::SetKeywordText(const text::LocalText& text) { keyword_->setText(ToQString(text)); }

bool TabView::RadioSelected(int number) const {
  if (number < 1 || number > static_cast<int>(radios_.size())) return false;
  return radios_[number - 1]->isChecked();
}

void TabView::InsertItem(const text::LocalText& caption) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, ToQString(caption));
  list_->addTopLevelItem(item);
  placeholder_->hide();
}

void TabView::SetCellText(int row, int column, const text::LocalText& text) {
  if (row < 0 || row >= list_->topLevelItemCount()) return;
  if (column < 0 || column >= list_->columnCount()) return;
  list_->topLevelItem(row)->setText(column, ToQString(text));
}

text::LocalText TabView::CellText(int row, int column) const {
  if (row < 0 || row >= list_->topLevelItemCount()) return text::LocalText();
  if (column < 0 || column >= list_->columnCount()) return text::LocalText();
  return FromQString(list_->topLevelItem(row)->text(column));
}

int TabView::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return -1;
  return list_->indexOfTopLevelItem(selected.first());
}

int TabView::RowCount() const { return list_->topLevelItemCount(); }

void TabView::BeginRun() {
  list_->clear();
  searching_ = true;
  list_->viewport()->setCursor(Qt::BusyCursor);
  placeholder_->setText(QString::fromUtf8(kSearchingText));
  placeholder_->show();
}

void TabView::EndRun() {
  searching_ = false;
  list_->viewport()->unsetCursor();
  placeholder_->setText(QString::fromUtf8(kNothingFoundText));
  placeholder_->setVisible(list_->topLevelItemCount() == 0);
}

QString TabView::PlaceholderText() const {
  return placeholder_->isVisibleTo(list_) ? placeholder_->text() : QString();
}

}  // namespace vellox::app
