#pragma once
// The Qt side of the window bridge. A WindowLink is shared by the window and
// every bridge it hands out; it outlives the window, so a worker that is still
// fetching when the window closes only finds it gone. All WindowLink methods
// are safe from any thread; widgets are touched on the GUI thread only.
//
// Reads from a worker are queued for the GUI thread and waited for; once the
// window is gone they answer at once with empty values. Writes are queued in
// order and dropped when a newer command has superseded their run. From the GUI
// thread itself (a double-click handler) both run directly, so nothing waits
// on itself. Calls travel in the link's own queue under its mutex; the GUI
// thread only gets a bare "drain" event, so every hand-over between threads is
// one the mutex orders (and a sanitizer can see).

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "app/tab_view.h"
#include "search/tab_bridge.h"

class QObject;

namespace vellox::app {

inline constexpr int kTabCount = 2;

class WindowLink : public std::enable_shared_from_this<WindowLink> {
 public:
  // Called on the GUI thread when a worker of `tab` has ended and every write
  // it made has been applied or dropped.
  using EndedHandler = std::function<void(int tab, std::uint64_t run)>;

  // Built on the GUI thread. The object that receives the drain events becomes a
  // child of `owner`, the window.
  WindowLink(QObject* owner, std::array<TabView*, kTabCount> views, EndedHandler on_ended);

  // GUI thread: a command starts a new run of `tab`, superseding the older one.
  std::uint64_t NewRun(int tab);
  std::uint64_t CurrentRun(int tab) const { return runs_[tab].load(); }
  // GUI thread, before the window's widgets go: every later call finds the
  // window gone, every waiting read is released, queued calls are dropped.
  void Detach();

  // False when the window is gone and `read` did not run.
  bool Read(int tab, std::function<void(TabView&)> read);
  void Write(int tab, std::uint64_t run, std::function<void(TabView&)> write);
  void PostEnded(int tab, std::uint64_t run);

 private:
  class Receiver;

  bool OnGuiThread() const { return std::this_thread::get_id() == gui_thread_; }
  // mutex_ held, window attached: queue `call` and make sure a drain is posted.
  void Queue(std::function<void()> call);
  // GUI thread: runs the queued calls in order.
  void Drain();

  const std::thread::id gui_thread_;
  std::array<TabView*, kTabCount> views_;
  EndedHandler on_ended_;
  std::array<std::atomic<std::uint64_t>, kTabCount> runs_{};
  bool detached_on_gui_ = false;  // GUI thread only

  std::mutex mutex_;
  std::condition_variable answered_;
  // Guarded by mutex_.
  QObject* receiver_;  // null once the window is gone
  std::deque<std::function<void()>> calls_;
  bool drain_posted_ = false;
};

// The bridge of one run of one tab. PageCounter() is the tab's counter as the
// command left it when it started the run.
class QtTabBridge : public search::TabBridge {
 public:
  QtTabBridge(std::shared_ptr<WindowLink> link, int tab, std::uint64_t run, int page)
      : link_(std::move(link)), tab_(tab), run_(run), page_(page) {}

  text::LocalText KeywordText() override;
  void SetKeywordText(const text::LocalText& text) override;
  bool RadioSelected(int number) override;
  int PageCounter() override { return page_; }
  void InsertItem(const text::LocalText& caption) override;
  void SetCellText(int row, int column, const text::LocalText& text) override;
  text::LocalText CellText(int row, int column) override;
  int SelectedRow() override;

  // The run is over: tells the window once its writes are through.
  void PostEnded() { link_->PostEnded(tab_, run_); }

 private:
  template <typename T>
  T ReadValue(T empty, std::function<T(TabView&)> read);

  const std::shared_ptr<WindowLink> link_;
  const int tab_;
  const std::uint64_t run_;
  const int page_;
};

}  // namespace vellox::app
