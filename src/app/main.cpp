#include <QApplication>

#include "app/main_window.h"
#include "platform/clock.h"
#include "random/random_sources.h"
#include "settings/defaults.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quibran");
  const quibran::SystemClock clock;
  quibran::RandomSources sources(clock);  // every job continues the same generators
  quibran::JobSettings settings = quibran::BuiltInDefaults();
  quibran::MainWindow window(settings, sources);
  window.show();
  return QApplication::exec();
}
