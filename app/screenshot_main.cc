// vellox-screenshot OUT.png: shows the main window after a film search whose
// worker lists a few example rows, saves what the screen shows as a PNG, and fails when the
// Chinese font is missing or the picture is blank. Run under Xvfb
// (scripts/screenshot).

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "app/main_window.h"
#include "text/local_text.h"

namespace {

struct ExampleRow {
  const char* title;
  const char* size;
};
constexpr ExampleRow kExampleRows[] = {
    {"流浪地球2 (2023) 4K 国语中字", "23.4 GB"},
    {"流浪地球2 (2023) 1080P 国语中字", "6.8 GB"},
    {"流浪地球 (2019) 蓝光 1080P", "4.2 GB"},
    {"流浪地球 导演剪辑版", "3.1 GB"},
};

int DistinctColours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2) {
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  }
  return colours.size();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vellox-screenshot OUT.png\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  if (!QFontDatabase::families().contains("WenQuanYi Micro Hei") &&
      !QFontDatabase::families().contains("Noto Sans CJK SC")) {
    std::fprintf(stderr, "vellox-screenshot: no CJK font (install fonts-wqy-microhei)\n");
    return 1;
  }

  // A search whose worker lists the example rows, as a provider would.
  vellox::app::TabRoutines routines;
  routines.film_search = [](vellox::search::TabBridge& bridge) {
    int row = 0;
    for (const ExampleRow& example : kExampleRows) {
      bridge.InsertItem(vellox::text::NumberText(static_cast<int64_t>(row + 1)));
      bridge.SetCellText(row, 1, vellox::text::LocalText::FromUtf8(example.title));
      bridge.SetCellText(row, 2, vellox::text::LocalText(example.size));
      ++row;
    }
  };
  vellox::app::MainWindow window(routines);
  window.findChild<QTabWidget*>(QString::fromUtf8("高级选择夹1"))->setCurrentIndex(1);
  window.findChild<QLineEdit*>(QString::fromUtf8("编辑框_影视关键字"))
      ->setText(QString::fromUtf8("流浪地球"));
  window.findChild<QRadioButton*>(QString::fromUtf8("单选框_资源站3"))->setChecked(true);
  window.show();
  window.findChild<QPushButton*>(QString::fromUtf8("按钮_影视搜一搜"))->click();

  // Grab once the search has ended and the window had a moment to be drawn.
  int status = 1;
  QObject::connect(&window, &vellox::app::MainWindow::searchFinished, &window, [&] {
    QTimer::singleShot(300, &window, [&] {
      QPixmap picture = window.screen()->grabWindow(window.winId());
      if (picture.isNull()) picture = window.grab();
      const QImage image = picture.toImage();
      const int colours = DistinctColours(image);
      if (image.isNull() || colours < 16) {
        std::fprintf(stderr, "vellox-screenshot: the picture is blank (%d colours)\n", colours);
      } else if (!image.save(out, "PNG")) {
        std::fprintf(stderr, "vellox-screenshot: cannot write %s\n", argv[1]);
      } else {
        status = 0;
      }
      QApplication::quit();
    });
  });
  QApplication::exec();
  return status;
}
