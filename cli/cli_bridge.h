#pragma once
// The command line's tab: the keyword, the selected radio button and the page
// counter given on the command line, and the result list held in memory until
// the command prints it. Used from the one thread of the command.

#include <string>
#include <vector>

#include "search/tab_bridge.h"

namespace vellox::cli {

class CliBridge : public search::TabBridge {
 public:
  // Columns 0 (the caption) to 3 of one row.
  using Row = std::vector<text::LocalText>;
  static constexpr int kColumns = 4;

  CliBridge(text::LocalText keyword, int selected_radio, int page)
      : keyword_(std::move(keyword)), selected_radio_(selected_radio), page_(page) {}

  text::LocalText KeywordText() override { return keyword_; }
  void SetKeywordText(const text::LocalText& text) override { keyword_ = text; }
  bool RadioSelected(int number) override { return number == selected_radio_; }
  int PageCounter() override { return page_; }
  void InsertItem(const text::LocalText& caption) override;
  // Writes to a row that does not exist, or past column 3, change nothing.
  void SetCellText(int row, int column, const text::LocalText& text) override;
  text::LocalText CellText(int row, int column) override;
  int SelectedRow() override { return selected_row_; }

  void SelectRow(int row) { selected_row_ = row; }
  const std::vector<Row>& rows() const { return rows_; }

 private:
  text::LocalText keyword_;
  int selected_radio_;
  int page_;
  int selected_row_ = -1;
  std::vector<Row> rows_;
};

// The list as the command prints it: one line per row, columns 0..3 as UTF-8
// joined by TAB, with backslash, TAB, CR and LF inside a cell written as
// "\\", "\t", "\r", "\n".
std::string FormatRows(const std::vector<CliBridge::Row>& rows);

}  // namespace vellox::cli
