// SPDX-License-Identifier: GPL-3.0-or-later
// Runs 2 GB ".BIN" jobs in the real main window and measures what the user
// feels: how late a 5 ms timer fires while the job runs (the event loop's
// latency), how often the window repaints, and how long the job takes to end
// after a click on Stop.
//
//   quibran_gui_responsiveness [folder] [stops]
//
// The files go to `folder` (default: a fresh temporary folder, removed
// afterwards). The first job runs to its end; then `stops` jobs (default 5)
// are each stopped by a click at a different moment; each of them starts
// without an old file to replace. Runs offscreen unless
// QT_QPA_PLATFORM says otherwise.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "app/message_box.h"
#include "paint_counter.h"
#include "platform/clock.h"
#include "random/random_sources.h"
#include "settings/defaults.h"

namespace {

using quibran::MainWindow;

constexpr int kTickMs = 5;

struct Latency {
  std::vector<double> late_ms;  // how much later than due each tick fired

  double Percentile(double p) const {
    if (late_ms.empty()) return 0;
    std::vector<double> sorted = late_ms;
    std::sort(sorted.begin(), sorted.end());
    return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1))];
  }
};

// Samples the event loop with a repeating timer that also asks the window to
// repaint, while `run` runs.
template <class Run>
Latency Sample(MainWindow& window, Run run) {
  Latency latency;
  QElapsedTimer clock;
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  tick.setInterval(kTickMs);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    latency.late_ms.push_back(std::max(0.0, elapsed - kTickMs));
    clock.restart();
    window.update();
  });
  clock.start();
  tick.start();
  run();
  tick.stop();
  return latency;
}

void Report(const char* what, const Latency& l) {
  std::printf("%-34s %7zu ticks   late p50 %6.2f ms   p99 %6.2f ms   max %6.2f ms\n", what, l.late_ms.size(),
              l.Percentile(0.5), l.Percentile(0.99), l.Percentile(1.0));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir temporary;
  const QString folder = argc > 1 && argv[1][0] != 0 ? QString(argv[1]) : temporary.path();
  const int stops = argc > 2 ? std::atoi(argv[2]) : 5;

  quibran::MessageInterceptor messages([](const QString& title, const QString& text, quibran::MessageIcon) {
    std::printf("message: [%s] %s\n", qPrintable(title), qPrintable(text));
  });
  const quibran::SystemClock system_clock;
  quibran::RandomSources sources(system_clock);
  quibran::JobSettings settings = quibran::BuiltInDefaults();
  MainWindow window(settings, sources);
  window.show();

  window.findChild<QRadioButton*>("optFileType0")->setChecked(true);
  window.findChild<QComboBox*>("cmbDevice")->setCurrentIndex(quibran::kSourceMersenneTwister);
  window.findChild<QComboBox*>("cmbNumOfNums")->setCurrentIndex(quibran::QuantityListLast);  // 2 GB - 2
  window.findChild<QLineEdit*>("txtDestDir")->setText(QDir(folder).absolutePath() + "/");
  auto* start = window.findChild<QPushButton*>("cmdStart");
  auto* stop = window.findChild<QPushButton*>("cmdStop");
  PaintCounter painted;
  window.centralWidget()->installEventFilter(&painted);
  const QString file = QDir(folder).filePath("RAND0001.BIN");

  std::printf("quantity %d bytes, platform %s, folder %s\n", settings.NumOfNums, qPrintable(app.platformName()),
              qPrintable(folder));

  // A whole job.
  QElapsedTimer job_time;
  job_time.start();
  const Latency whole = Sample(window, [&] { start->click(); });
  const double seconds = static_cast<double>(job_time.nsecsElapsed()) / 1e9;
  std::printf("whole job: %.0f MB in %.2f s (%.0f MB/s), %d repaints (%.0f per second)\n",
              static_cast<double>(QFileInfo(file).size()) / 1e6, seconds,
              static_cast<double>(QFileInfo(file).size()) / 1e6 / seconds, painted.paints, painted.paints / seconds);
  Report("event loop during the whole job", whole);

  // Jobs stopped by a click at different moments. A click is handled when
  // the job next yields, so the stop time counts from when the click was
  // due, not from when its handler ran.
  Latency stopped;
  std::vector<double> stop_ms;
  for (int i = 0; i < stops; ++i) {
    const int due_ms = 150 + 170 * i;
    QFile::remove(file);  // replacing a 2 GB file is a cost of its own, not measured here
    QElapsedTimer since_start;
    double clicked_ms = 0;
    QTimer::singleShot(due_ms, [&] {
      clicked_ms = static_cast<double>(since_start.nsecsElapsed()) / 1e6;
      stop->click();
    });
    since_start.start();
    const Latency one = Sample(window, [&] { start->click(); });
    const double ended_ms = static_cast<double>(since_start.nsecsElapsed()) / 1e6;
    stop_ms.push_back(ended_ms - due_ms);
    stopped.late_ms.insert(stopped.late_ms.end(), one.late_ms.begin(), one.late_ms.end());
    std::printf(
        "stop %d: click due at %4d ms, handled %.2f ms late, job ended %.2f ms after the click was due, "
        "file %.0f MB\n",
        i + 1, due_ms, clicked_ms - due_ms, stop_ms.back(), static_cast<double>(QFileInfo(file).size()) / 1e6);
  }
  if (!stop_ms.empty()) {
    Report("event loop during the stopped jobs", stopped);
    std::printf("Stop click to job end: max %.2f ms over %zu stops\n",
                *std::max_element(stop_ms.begin(), stop_ms.end()), stop_ms.size());
  }
  QFile::remove(file);
  return 0;
}
