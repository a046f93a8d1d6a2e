// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window program's own command line: -h/--help and -V/--version.

#include <optional>

namespace quibran {

// Answers --help and --version on standard output before any window or
// display connection exists, and returns the exit status to end with; returns
// nothing when the program should go on and open its windows. Every other
// argument (Qt's own options such as -platform or -style) is left for
// QApplication.
std::optional<int> HandleCommandLine(int argc, char** argv);

}  // namespace quibran
