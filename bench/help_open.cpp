// SPDX-License-Identifier: GPL-3.0-or-later
// How long Help > Contents takes until the help window has painted its
// contents page, and how long each help page takes to show after a link.
// The first opening finds the resources and fonts cold; the next ones open a
// fresh window each time, as after the user closed the help.
//
//   quibran_help_open [openings]
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise (under X, the times
// include the window manager mapping the window).

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTextBrowser>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/main_window.h"
#include "platform/clock.h"
#include "random/random_sources.h"
#include "settings/defaults.h"

namespace {

// Runs the event loop until `widget` has painted once.
double MsUntilPainted(QWidget* widget, const QElapsedTimer& since) {
  struct Painted : QObject {
    bool seen = false;
    bool eventFilter(QObject*, QEvent* event) override {
      seen |= event->type() == QEvent::Paint;
      return false;
    }
  } painted;
  widget->installEventFilter(&painted);
  while (!painted.seen) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  widget->removeEventFilter(&painted);
  return static_cast<double>(since.nsecsElapsed()) / 1e6;
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-28s %4zu times   median %7.2f ms   max %7.2f ms\n", what, ms.size(), ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int openings = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
  const quibran::SystemClock clock;
  quibran::RandomSources sources(clock);
  quibran::JobSettings settings = quibran::BuiltInDefaults();
  quibran::MainWindow window(settings, sources);
  window.show();
  MsUntilPainted(&window, QElapsedTimer());
  QAction* contents = window.findChild<QAction*>("mnuHelpContents");

  std::vector<double> open_ms, page_ms;
  for (int i = 0; i < openings; ++i) {
    QElapsedTimer timer;
    timer.start();
    contents->trigger();
    auto* browser = window.findChild<QTextBrowser*>("txtHelp");
    open_ms.push_back(MsUntilPainted(browser->viewport(), timer));
    if (i == 0) {
      std::printf("platform %s, first opening %.2f ms\n", qPrintable(app.platformName()), open_ms[0]);
      for (const QString& page : QDir(":/help").entryList({"*.html"})) {
        timer.restart();
        browser->setSource(QUrl("qrc:/help/" + page));
        page_ms.push_back(MsUntilPainted(browser->viewport(), timer));
      }
    }
    browser->window()->close();  // deletes the window, as the user's close does
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  Report("help opens on its contents", std::vector<double>(open_ms.begin() + 1, open_ms.end()));
  Report("a help page shows", page_ms);
  return 0;
}
