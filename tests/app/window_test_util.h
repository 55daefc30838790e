#pragma once
// Helpers of the window tests: finding controls by name, waiting for a tab's
// worker, and workers the test holds back. GUI (test main) thread unless said.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QString>
#include <QTimer>
#include <chrono>
#include <future>
#include <string_view>

#include "app/main_window.h"
#include "text/local_text.h"

namespace vellox::testing {

inline text::LocalText L(std::string_view utf8) { return text::LocalText::FromUtf8(utf8); }
inline std::string Utf8(const text::LocalText& text) { return text.ToUtf8(); }

template <typename T>
T* Find(QWidget& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromUtf8(name));
  if (control == nullptr) ADD_FAILURE() << "no control " << name;
  return control;
}

// Runs the event loop until `signal` of `window` has fired `count` times for
// `tab`. The guard only keeps a broken build from hanging the suite.
template <typename Signal>
bool WaitFor(app::MainWindow& window, Signal signal, int tab, int count = 1) {
  int seen = 0;
  QEventLoop loop;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
  auto connection = QObject::connect(&window, signal, &loop, [&](int which) {
    if (which == tab && ++seen >= count) loop.quit();
  });
  guard.start(30000);
  loop.exec();
  QObject::disconnect(connection);
  return seen >= count;
}

inline bool WaitForSearch(app::MainWindow& window, app::MainWindow::Tab tab, int count = 1) {
  return WaitFor(window, &app::MainWindow::searchFinished, tab, count);
}

// A gate a worker waits at until the test opens it. Any thread.
class Gate {
 public:
  void Open() { promise_.set_value(); }
  void Wait() const { future_.wait(); }
  bool IsOpen() const {
    return future_.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
  }

 private:
  std::promise<void> promise_;
  std::shared_future<void> future_ = promise_.get_future().share();
};

}  // namespace vellox::testing
