// SPDX-License-Identifier: GPL-3.0-or-later
// Times the program's start to an idle, usable main window: the real Sub Main
// (splash window, pause, defaults file, main window), then the event loop
// until the window has painted and nothing else is waiting.
//
//   quibran_start_up [pause_ms]
//
// The pause defaults to the program's own (3000 ms). Prints the times from
// main()'s first line; scripts/bench-start-up.sh runs it as a fresh process
// several times. Runs offscreen unless QT_QPA_PLATFORM or DISPLAY say
// otherwise. Leaving saves the settings as the program does: the script
// points XDG_CONFIG_HOME at a folder of its own.

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/main_window.h"
#include "app/start_up.h"
#include "paint_counter.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const Clock::time_point start = Clock::now();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const std::chrono::milliseconds pause(argc > 1 ? std::atoi(argv[1]) : quibran::kSplashPause.count());

  QApplication app(argc, argv);
  QApplication::setApplicationName("Quibran");
  const double app_ready = MsSince(start);

  quibran::Program program(pause);
  program.SubMain();
  const double shown = MsSince(start);

  // Idle: the window has painted and a zero timer, which fires once the
  // pending events are handled, has come through.
  PaintCounter painted;
  program.window()->installEventFilter(&painted);
  double idle = 0;
  std::function<void()> poll = [&] {
    if (painted.paints == 0) return QTimer::singleShot(0, poll);
    idle = MsSince(start);
    QCoreApplication::quit();
  };
  QTimer::singleShot(0, poll);
  QApplication::exec();

  std::printf("start-up to an idle window: %.1f ms = splash pause %lld ms + %.1f ms\n", idle,
              static_cast<long long>(pause.count()), idle - static_cast<double>(pause.count()));
  std::printf("  QApplication ready %.1f ms, main window shown %.1f ms, painted and idle %.1f ms\n", app_ready, shown,
              idle);
  return 0;
}
