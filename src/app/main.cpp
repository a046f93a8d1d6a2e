#include <QApplication>

#include "app/main_window.h"
#include "settings/defaults.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quibran");
  quibran::JobSettings settings = quibran::BuiltInDefaults();
  quibran::MainWindow window(settings);
  window.show();
  return QApplication::exec();
}
