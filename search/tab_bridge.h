#pragma once
// The window bridge: what a provider or a double-click handler sees of one tab.
// Providers and activation never touch a widget; they read and write the tab
// through this interface. Implementations: the Qt main window (reads marshalled
// to the GUI thread and waited for, writes queued in order), the command-line
// front end, and a recording fake in the tests.
//
// A search worker calls it from its own thread; an implementation must make
// every call safe from any thread and keep the calls of one worker in order, so
// that each row is inserted before its cells are set.

#include "text/local_text.h"

namespace vellox::search {

class TabBridge {
 public:
  virtual ~TabBridge() = default;

  // The tab's keyword box.
  virtual text::LocalText KeywordText() = 0;
  virtual void SetKeywordText(const text::LocalText& text) = 0;

  // Whether the tab's radio button `number` is selected: 1..6 for 资源站1..6 on
  // the film tab; 1 for 专业搜索 and 2 for 综合搜索 on the cloud-disk tab.
  virtual bool RadioSelected(int number) = 0;

  // The tab's zero-based page counter, read once by a worker when it builds its
  // request address.
  virtual int PageCounter() = 0;

  // The tab's result list. Rows and columns count from 0.
  virtual void InsertItem(const text::LocalText& caption) = 0;
  virtual void SetCellText(int row, int column, const text::LocalText& text) = 0;
  virtual text::LocalText CellText(int row, int column) = 0;
  // The selected row, or -1 when none is selected.
  virtual int SelectedRow() = 0;
};

}  // namespace vellox::search
