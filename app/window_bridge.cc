#include "app/window_bridge.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace vellox::app {

namespace {

const QEvent::Type kDrainEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

class WindowLink::Receiver : public QObject {
 public:
  Receiver(WindowLink* link, QObject* owner) : QObject(owner), link_(link) {}

  bool event(QEvent* event) override {
    if (event->type() != kDrainEvent) return QObject::event(event);
    link_->Drain();
    return true;
  }

 private:
  // Drain events reach the receiver only while the window and so its link
  // live: the window detaches the link first, and destroying the receiver
  // (a child of the window) discards the events still queued for it.
  WindowLink* const link_;
};

WindowLink::WindowLink(QObject* owner, std::array<TabView*, kTabCount> views,
                       EndedHandler on_ended)
    : gui_thread_(std::this_thread::get_id()),
      views_(views),
      on_ended_(std::move(on_ended)),
      receiver_(new Receiver(this, owner)) {}

std::uint64_t WindowLink::NewRun(int tab) { return ++runs_[tab]; }

void WindowLink::Detach() {
  detached_on_gui_ = true;
  std::deque<std::function<void()>> dropped;
  std::lock_guard lock(mutex_);
  receiver_ = nullptr;
  dropped.swap(calls_);
  answered_.notify_all();
}

void WindowLink::Queue(std::function<void()> call) {
  calls_.push_back(std::move(call));
  if (drain_posted_) return;
  drain_posted_ = true;
  // Allocated under mutex_, and Drain() takes mutex_ before Qt deletes it.
  QCoreApplication::postEvent(receiver_, new QEvent(kDrainEvent));
}

void WindowLink::Drain() {
  const std::shared_ptr<WindowLink> keep = shared_from_this();
  std::deque<std::function<void()>> calls;
  {
    std::lock_guard lock(mutex_);
    calls.swap(calls_);
    drain_posted_ = false;
  }
  for (std::function<void()>& call : calls) {
    if (detached_on_gui_) return;  // a call's consequences closed the window
    call();
  }
}

bool WindowLink::Read(int tab, std::function<void(TabView&)> read) {
  std::unique_lock lock(mutex_);
  if (receiver_ == nullptr) return false;
  if (OnGuiThread()) {
    lock.unlock();
    read(*views_[tab]);
    return true;
  }
  auto done = std::make_shared<bool>(false);
  Queue([this, tab, read = std::move(read), done] {
    read(*views_[tab]);
    std::lock_guard answer_lock(mutex_);
    *done = true;
    answered_.notify_all();
  });
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
  Queue([this, tab, run, write = std::move(write)] {
    if (runs_[tab].load() == run) write(*views_[tab]);
  });
}

void WindowLink::PostEnded(int tab, std::uint64_t run) {
  std::lock_guard lock(mutex_);
  if (receiver_ == nullptr) return;
  Queue([this, tab, run] { on_ended_(tab, run); });
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
