// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap window drawing a picture against the same drawing without a
// window, and how soon Stop acts:
//
//   quibran_bitmap_window_bench [width height [rounds]]    (default 1920 1080 3)
//
// Each round draws a twister picture headless (the routine quibran-batch
// runs, into the same kind of image) and then in the bitmap window, shown
// (offscreen on a screen with room for the whole picture, unless
// QT_QPA_PLATFORM says otherwise: a picture larger than the screen scrolls,
// and only its visible part repaints), and keeps each one's
// best time; the window's repaints are summed to show that each column
// repaints only itself. Then Stop is clicked (a posted mouse click, as a user's
// arrives) after several columns, and the columns drawn after the click are
// counted. Prints "name value" lines.

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPushButton>
#include <QScrollArea>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/bitmap_window.h"
#include "job/bitmap_picture.h"
#include "picture/picture.h"
#include "platform/clock.h"
#include "random/random_sources.h"

namespace {

using namespace quibran;

// Sums the area that a widget's paint events cover after its first (the
// whole picture, when it is shown).
class PaintArea : public QObject {
 public:
  long long pixels = 0;
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && paints++ > 0) {
      for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) {
        pixels += static_cast<long long>(r.width()) * r.height();
      }
    }
    return false;
  }
};

void PostClick(QWidget* button) {
  const QPointF at(button->width() / 2.0, button->height() / 2.0);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        button, new QMouseEvent(type, at, button->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int16_t width = static_cast<int16_t>(argc > 2 ? std::atoi(argv[1]) : 1920);
  const int16_t height = static_cast<int16_t>(argc > 2 ? std::atoi(argv[2]) : 1080);
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
  const std::filesystem::path screen = std::filesystem::temp_directory_path() / "quibran-bench-screen.json";
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    std::ofstream(screen) << R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": )" << width + 200
                          << R"(, "height": )" << height + 200 << R"(, "logicalDpi": 96, "logicalBaseDpi": 96}]})";
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen.string()).c_str());
  }
  QApplication app(argc, argv);
  std::error_code ignored;
  std::filesystem::remove(screen, ignored);  // read as the platform started
  const SystemClock clock;
  RandomSources sources(clock);
  bool stop = false;
  const BitmapRequest request{kSourceMersenneTwister, width, height, false, 1, "unused.BMP"};

  double headless_ms = 1e300, window_ms = 1e300;
  PaintArea area;
  for (int round = 0; round < rounds; ++round) {
    QElapsedTimer timer;
    sources.SeedSource(kSourceMersenneTwister, 1);
    BitmapDrawing headless(sources, request, stop);
    timer.start();
    Picture picture(width, height, qRgb(0, 0, 0));
    headless.Draw(picture.pixels(), picture.stride(), [](int) {});
    headless_ms = std::min(headless_ms, static_cast<double>(timer.nsecsElapsed()) / 1e6);

    sources.SeedSource(kSourceMersenneTwister, 1);
    BitmapDrawing drawing(sources, request, stop);
    BitmapWindow window(drawing, nullptr);
    area.pixels = 0;
    area.paints = 0;
    window.findChild<QScrollArea*>("scrPicture")->widget()->installEventFilter(&area);  // the picture's own widget
    timer.start();
    window.Form_Load();
    window_ms = std::min(window_ms, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (!(window.picture().image() == picture.image())) {
      std::fprintf(stderr, "the window drew another picture than the headless drawing\n");
      return 1;
    }
  }
  std::printf("picture %dx%d\n", width, height);
  std::printf("headless_ms %.2f\n", headless_ms);
  std::printf("window_ms %.2f\n", window_ms);
  std::printf("window_per_column_us %.2f\n", window_ms * 1000 / width);
  std::printf("window_paints %d\n", area.paints);
  // 1.000: after the first paint, each pixel was repainted once, by its column.
  std::printf("window_repainted_per_pixel %.3f\n",
              static_cast<double>(area.pixels) / (static_cast<double>(width) * height));

  int worst = 0;
  for (const int at : {width / 10, width / 2, width - 10}) {
    sources.SeedSource(kSourceMersenneTwister, 1);
    BitmapDrawing drawing(sources, request, stop);
    BitmapWindow window(drawing, nullptr);
    int last = -1;
    QObject::connect(&window, &BitmapWindow::columnDrawn, [&](int x) {
      last = x;
      if (x == at) PostClick(window.findChild<QPushButton*>("cmdCloseBMP"));
    });
    window.Form_Load();
    std::printf("stop_posted_after_column %d last_column_drawn %d\n", at, last);
    worst = std::max(worst, last - at);
  }
  std::printf("stop_latency_columns %d\n", worst);
  return 0;
}
