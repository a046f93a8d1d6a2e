// SPDX-License-Identifier: GPL-3.0-or-later
// The window program as a process: ended from outside it leaves as File > Exit does, and its command line answers
// without a display.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "program_run.h"
#include "settings/defaults.h"
#include "settings/defaults_file.h"

namespace quibran::test {
namespace {

using namespace std::chrono_literals;

// SIGTERM and SIGHUP during the splash window's pause or with the main window open, side by side: exit status 0, the
// defaults file written as Exit writes it and the window's position stored.
TEST(Program, SignalsFromOutsideLeaveAsExitDoes) {
  struct Run {
    int signal;
    std::chrono::milliseconds after;
    ProgramRun program{QUIBRAN_PATH};
    TempFolder config{};
    pid_t pid = 0;
  } runs[] = {{SIGTERM, 500ms}, {SIGHUP, 500ms}, {SIGTERM, 4500ms}, {SIGHUP, 4500ms}};
  const auto start = std::chrono::steady_clock::now();
  for (Run& run : runs)
    run.pid = run.program.Start(run.config.dir(), {},
                                {.environment = {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + run.config.dir()}});
  JobSettings saved = BuiltInDefaults();
  saved.StartSequence = "0001";  // as the window's field shows it
  for (Run& run : runs) {
    std::this_thread::sleep_until(start + run.after);
    ::kill(run.pid, run.signal);
  }
  for (Run& run : runs) {
    EXPECT_EQ(run.program.Wait(run.pid).status, 0) << ::strsignal(run.signal);
    EXPECT_EQ(ReadFile(DefaultsFilePath(run.config.dir())), FormatDefaults(saved)) << ::strsignal(run.signal);
    EXPECT_NE(ReadFile(run.config / "Ostrel Works/Quibran.conf").find("MainWidth="), std::string::npos);
  }
}

// --version answers; Qt's own options are told from the rest, which is a usage error (2); with nothing else, the
// missing display is (1).
TEST(Program, CommandLineWithoutADisplay) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"--version"}, 0}, {{"--bogus"}, 2}, {{"-style", "Fusion", "RAND"}, 2}, {{"-style", "Fusion"}, 1}};
  ProgramRun program(QUIBRAN_PATH);
  const Launch no_display{.environment = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}};
  for (const auto& [args, status] : cases)
    EXPECT_EQ(program.Run(program.logs().dir(), args, no_display).status, status) << args.back();
}

}  // namespace
}  // namespace quibran::test
