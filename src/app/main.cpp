#include <QApplication>
#include <QIcon>

#include "app/command_line.h"
#include "app/exit_signals.h"
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
  // Ended from outside, the program leaves as File > Exit does: on SIGTERM
  // (a session's end, a service manager) and SIGHUP (a closed terminal), and
  // when the session manager ends the session (it asks for the data first,
  // then quits the application).
  const quibran::ExitSignals exit_signals({SIGTERM, SIGHUP});
  QObject::connect(&exit_signals, &quibran::ExitSignals::received, &app, [&program] { program.Leave(); });
  QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&program] { program.CommitData(); });
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &app, [&program] { program.Leave(); });
  program.SubMain();
  return QApplication::exec();
}
