#include "app/window_bridge.h"

#include <QMetaObject>
#include <QObject>

namespace vellox::app {

WindowLink::WindowLink(QObject* receiver, std::array<TabView*, kTabCount> views,
                       EndedHandler on_ended)
    : gui_thread_(std::this_thread::get_id()),
      views_(views),
      on_ended_(std::move(on_ended)),
      receiver_(receiver) {}

std::uint64_t WindowLink::NewRun(int tab) { return ++runs_[tab]; }

void WindowLink::Detach() {
  std::lock_guard lock(mutex_);
  receiver_ = nullptr;
  answered_.notify_all();
}

// Posted calls are carried by the receiver; the ones still queued when it is
// destroyed are discarded with it, so a posted call never runs after Detach()
// and may use views_ freely.
bool WindowLink::Read(int tab, std::function<void(TabView&)> read) {
  std::unique_lock lock(mutex_);
  if (receiver_ == nullptr) return false;
  if (OnGuiThread()) {
    lock.unlock();
    read(*views_[tab]);
    return true;
  }
  auto done = std::make_shared<bool>(false);
  QMetaObject::invokeMethod(
      receiver_,
      [self = shared_from_this(), tab, read = std::move(read), done] {
        read(*self->views_[tab]);
        std::lock_guard answer_lock(self->mutex_);
        *done = true;
        self->answered_.notify_all();
      },
      Qt::QueuedConnection);
  answered_.wait(lock, [&] { return *done || receiver_ == nullptr; });
  return *done;
}

void WindowLink::Write(int tab, std::uint64_t run, std::function<void(TabView&)> write) {
  std::unique_lock lock(mutex_);
  if (receiver_ == nullptr) return;
  if (OnGuiThread()) {
    lock.unlock();
    if (runs_[tab].load() == run) write(*views_[tab]);
    return;
  }
  QMetaObject::invokeMethod(
      receiver_,
      [self = shared_from_this(), tab, run, write = std::move(write)] {
        if (self->runs_[tab].load() == run) write(*self->views_[tab]);
      },
      Qt::QueuedConnection);
}

void WindowLink::PostEnded(int tab, std::uint64_t run) {
  std::lock_guard lock(mutex_);
  if (receiver_ == nullptr) return;
  QMetaObject::invokeMethod(
      receiver_, [self = shared_from_this(), tab, run] { self->on_ended_(tab, run); },
      Qt::QueuedConnection);
}

template <typename T>
T QtTabBridge::ReadValue(T empty, std::function<T(TabView&)> read) {
  // Written on the GUI thread before the link's mutex publishes `done`, read
  // here after waiting on that mutex.
  auto value = std::make_shared<T>(std::move(empty));
  link_->Read(tab_, [value, read = std::move(read)](TabView& view) { *value = read(view); });
  return *value;
}

text::LocalText QtTabBridge::KeywordText() {
  return ReadValue<text::LocalText>({}, [](TabView& view) { return view.KeywordText(); });
}

void QtTabBridge::SetKeywordText(const text::LocalText& text) {
  link_->Write(tab_, run_, [text](TabView& view) { view.SetKeywordText(text); });
}

bool QtTabBridge::RadioSelected(int number) {
  return ReadValue<bool>(false, [number](TabView& view) { return view.RadioSelected(number); });
}

void QtTabBridge::InsertItem(const text::LocalText& caption) {
  link_->Write(tab_, run_, [caption](TabView& view) { view.InsertItem(caption); });
}

void QtTabBridge::SetCellText(int row, int column, const text::LocalText& text) {
  link_->Write(tab_, run_,
               [row, column, text](TabView& view) { view.SetCellText(row, column, text); });
}

text::LocalText QtTabBridge::CellText(int row, int column) {
  return ReadValue<text::LocalText>(
      {}, [row, column](TabView& view) { return view.CellText(row, column); });
}

int QtTabBridge::SelectedRow() {
  return ReadValue<int>(-1, [](TabView& view) { return view.SelectedRow(); });
}

}  // namespace vellox::app
