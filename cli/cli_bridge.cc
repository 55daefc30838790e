#include "cli/cli_bridge.h"

namespace vellox::cli {

void CliBridge::InsertItem(const text::LocalText& caption) {
  Row row(kColumns);
  row[0] = caption;
  rows_.push_back(std::move(row));
}

void CliBridge::SetCellText(int row, int column, const text::LocalText& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= kColumns) return;
  rows_[row][column] = text;
}

text::LocalText CliBridge::CellText(int row, int column) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= kColumns) {
    return {};
  }
  return rows_[row][column];
}

std::string FormatRows(const std::vector<CliBridge::Row>& rows) {
  std::string out;
  for (const CliBridge::Row& row : rows) {
    for (int column = 0; column < CliBridge::kColumns; ++column) {
      if (column > 0) out += '\t';
      for (char c : row[column].ToUtf8()) {
        switch (c) {
          case '\\': out += "\\\\"; break;
          case '\t': out += "\\t"; break;
          case '\r': out += "\\r"; break;
          case '\n': out += "\\n"; break;
          default: out += c;
        }
      }
    }
    out += '\n';
  }
  return out;
}

}  // namespace vellox::cli
