#pragma once
// One working tab's widgets, and the operations the window bridge performs on
// them: keyword, radio buttons, result list. GUI thread only; texts cross the
// Qt edge here (local text <-> QString).

#include <QString>
#include <vector>

#include "text/local_text.h"

class QLabel;
class QLineEdit;
class QRadioButton;
class QTreeWidget;

namespace vellox::app {

QString ToQString(const text::LocalText& text);
text::LocalText FromQString(const QString& text);

class TabView {
 public:
  // `radios` in the order the bridge numbers them, from 1.
  TabView(QLineEdit* keyword, std::vector<QRadioButton*> radios, QTreeWidget* list);

  text::LocalText KeywordText() const;
  void SetKeywordText(const text::LocalText& text);
  bool RadioSelected(int number) const;

  // A row or column that does not exist reads empty and ignores writes.
  void InsertItem(const text::LocalText& caption);
  void SetCellText(int row, int column, const text::LocalText& text);
  text::LocalText CellText(int row, int column) const;
  int SelectedRow() const;
  int RowCount() const;

  // A command starts a run: the list empties and shows that it is searching.
  void BeginRun();
  // The tab's newest run has ended; an empty list then says so.
  void EndRun();
  bool Searching() const { return searching_; }
  // The text over the empty list ("" when none is shown).
  QString PlaceholderText() const;

 private:
  QLineEdit* keyword_;
  std::vector<QRadioButton*> radios_;
  QTreeWidget* list_;
  QLabel* placeholder_;
  bool searching_ = false;
};

}  // namespace vellox::app
