#pragma once
// A TabBridge that records every call and holds the tab's state in memory, for
// tests of the providers and the double-click handlers. Thread-safe.

#include <mutex>
#include <string>
#include <vector>

#include "search/tab_bridge.h"

namespace vellox::testing {

class RecordingBridge : public search::TabBridge {
 public:
  // One result row: the caption and columns 1..4.
  struct Row {
    text::LocalText caption;
    text::LocalText cells[4];
  };

  RecordingBridge() = default;
  explicit RecordingBridge(text::LocalText keyword, int selected_radio = 1, int page = 0)
      : keyword_(std::move(keyword)), selected_radio_(selected_radio), page_(page) {}

  text::LocalText KeywordText() override {
    std::lock_guard lock(mutex_);
    log_.push_back("read keyword");
    return keyword_;
  }
  void SetKeywordText(const text::LocalText& text) override {
    std::lock_guard lock(mutex_);
    log_.push_back("write keyword " + text.bytes());
    keyword_ = text;
  }
  bool RadioSelected(int number) override {
    std::lock_guard lock(mutex_);
    return number == selected_radio_;
  }
  int PageCounter() override {
    std::lock_guard lock(mutex_);
    return page_;
  }
  void InsertItem(const text::LocalText& caption) override {
    std::lock_guard lock(mutex_);
    log_.push_back("insert " + caption.bytes());
    rows_.push_back(Row{caption, {}});
  }
  void SetCellText(int row, int column, const text::LocalText& text) override {
    std::lock_guard lock(mutex_);
    log_.push_back("set " + std::to_string(row) + "," + std::to_string(column));
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;  // no such row: no effect
    if (column == 0) {
      rows_[row].caption = text;
    } else if (column >= 1 && column <= 4) {
      rows_[row].cells[column - 1] = text;
    }
  }
  text::LocalText CellText(int row, int column) override {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
    if (column == 0) return rows_[row].caption;
    if (column >= 1 && column <= 4) return rows_[row].cells[column - 1];
    return {};
  }
  int SelectedRow() override {
    std::lock_guard lock(mutex_);
    return selected_row_;
  }

  // Test-side controls and views.
  void SelectRadio(int number) {
    std::lock_guard lock(mutex_);
    selected_radio_ = number;
  }
  void SetPage(int page) {
    std::lock_guard lock(mutex_);
    page_ = page;
  }
  void SelectRow(int row) {
    std::lock_guard lock(mutex_);
    selected_row_ = row;
  }
  text::LocalText keyword() {
    std::lock_guard lock(mutex_);
    return keyword_;
  }
  std::vector<Row> rows() {
    std::lock_guard lock(mutex_);
    return rows_;
  }
  std::vector<std::string> log() {
    std::lock_guard lock(mutex_);
    return log_;
  }
  // Column `column` (0..4) of row `row` as raw local bytes, "" when absent.
  std::string Cell(int row, int column) { return CellText(row, column).bytes(); }

 private:
  std::mutex mutex_;
  text::LocalText keyword_;
  int selected_radio_ = 1;
  int page_ = 0;
  int selected_row_ = -1;
  std::vector<Row> rows_;
  std::vector<std::string> log_;
};

}  // namespace vellox::testing
