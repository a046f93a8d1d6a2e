// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <vector>

#include "platform/version.h"

namespace quibran {

std::optional<int> HandleCommandLine(int argc, char** argv) {
  // A core application only for the parser (it names the program in the
  // usage line); it needs no display and is gone before QApplication comes.
  std::vector<char*> arguments(argv, argv + argc + 1);
  int count = argc;
  const QCoreApplication core(count, arguments.data());

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Quibran - True Random Number Generator: makes files of random numbers (.BIN, .ASC, .CSV, "
                     ".BMP).\nQt's own options, such as -platform and -style, are passed on to Qt."));
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Displays help on commandline options."));
  const QCommandLineOption version({QStringLiteral("V"), QStringLiteral("version")},
                                   QStringLiteral("Displays version information."));
  parser.addOption(help);
  parser.addOption(version);
  // Options the parser does not know are Qt's; QApplication reads them. Each
  // is one word (-platformtheme is not -p -l -a ... -h ...), and "--" ends
  // the options.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.parse(QCoreApplication::arguments());
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("quibran %.*s\n", static_cast<int>(kVersion.size()), kVersion.data());
    return 0;
  }
  return std::nullopt;
}

}  // namespace quibran
