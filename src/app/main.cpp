// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/command_line.h"
#include "app/exit_signals.h"
#include "app/qt_text.h"
#include "app/start_up.h"
#include "platform/version.h"

namespace {

// Whether there is a display for the windows: a platform named on the
// command line or in QT_QPA_PLATFORM is taken at its word; else X11's or
// Wayland's display must be named (an empty variable names nothing, as for Qt).
bool HasDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) return true;
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> status = quibran::HandleCommandLine(argc, argv)) return *status;
  // QApplication takes Qt's own options (-style, -platform, ...) out of the
  // arguments; what it leaves is no option of anyone's. Without a display it
  // would end the program (abort), so then it reads them on the offscreen
  // platform, which needs none, and the program ends after the answer.
  const bool display = HasDisplay(argc, argv);
  std::vector<char*> arguments(argv, argv + argc);
  char platform[] = "-platform", offscreen[] = "offscreen";
  if (!display) arguments.insert(arguments.begin() + 1, {platform, offscreen});
  int count = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  QApplication app(count, arguments.data());
  if (count > 1) {
    const char* unknown = arguments[1];
    if (*unknown == '-')
      std::fprintf(stderr, "quibran: unknown option '%s'\n", unknown);
    else
      std::fprintf(stderr, "quibran: unexpected argument '%s'\n", unknown);
    std::fputs("Try 'quibran --help' for more information.\n", stderr);
    return 2;
  }
  if (!display) {
    std::fputs(
        "quibran: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set);\n"
        "--help and --version work without one.\n",
        stderr);
    return 1;
  }
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
