#include <QApplication>
#include <QIcon>

#include "app/command_line.h"
#include "app/qt_text.h"
#include "app/start_up.h"
#include "platform/version.h"

int main(int argc, char** argv) {
  if (const std::optional<int> status = quibran::HandleCommandLine(argc, argv)) return *status;
  QApplication app(argc, argv);
  QApplication::setApplicationName(quibran::Q(quibran::kAppTitle));
  QApplication::setDesktopFileName(QUIBRAN_APP_ID);  // the desktop entry's name, for the desktop's window matching
  QIcon icon;
  for (const char* size : {"48", "256"}) icon.addFile(QStringLiteral(":/icons/quibran-%1.png").arg(size));
  QApplication::setWindowIcon(icon);
  quibran::Program program;
  program.SubMain();
  return QApplication::exec();
}
