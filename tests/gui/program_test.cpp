// The window program as a process: ended from outside it leaves as File >
// Exit does, and its command line answers without a display.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>

#include "program_run.h"
#include "settings/defaults.h"
#include "settings/defaults_file.h"

namespace quibran::test {
namespace {

using namespace std::chrono_literals;

// SIGTERM and SIGHUP during the splash window's pause or with the main window
// open: exit status 0, the defaults file written as Exit writes it and the
// window's position stored. The runs go side by side.
TEST(Program, SignalsFromOutsideLeaveAsExitDoes) {
  struct Run {
    int signal;
    std::chrono::milliseconds after_start;
    ProgramRun program{QUIBRAN_PATH};
    TempFolder config{};
    pid_t pid = 0;
  } runs[] = {{SIGTERM, 500ms}, {SIGHUP, 500ms}, {SIGTERM, 4500ms}, {SIGHUP, 4500ms}};
  JobSettings saved = BuiltInDefaults();
  saved.StartSequence = "0001";  // as the window's field shows it
  const auto start = std::chrono::steady_clock::now();
  for (Run& run : runs) {
    Launch launch;
    launch.environment = {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + run.config.dir()};
    run.pid = run.program.Start(run.config.dir(), {}, launch);
  }
  for (Run& run : runs) {
    std::this_thread::sleep_until(start + run.after_start);
    ::kill(run.pid, run.signal);
  }
  for (Run& run : runs) {
    SCOPED_TRACE(std::string(::strsignal(run.signal)) + " after " + std::to_string(run.after_start.count()) + " ms");
    const ProgramResult result = run.program.Wait(run.pid);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadFile(DefaultsFilePath(run.config.dir())), FormatDefaults(saved));
    EXPECT_NE(ReadFile(run.config / "Ostrel Works/Quibran.conf").find("MainWidth="), std::string::npos);
  }
}

// Without a display --help and --version answer; Qt's own options are taken
// as such; anything else is a usage error.
TEST(Program, CommandLineWithoutADisplay) {
  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"--help"}, 0, "--version"},
      {{"--version"}, 0, "quibran 1.0.0\n"},
      {{"--bogus"}, 2, "quibran: unknown option '--bogus'\nTry 'quibran --help' for more information.\n"},
      {{"-style", "Fusion", "RAND"}, 2, "quibran: unexpected argument 'RAND'\n"},
      {{"-style", "Fusion"}, 1, "quibran: no display"},
      {{}, 1, "quibran: no display"},
  };
  ProgramRun program(QUIBRAN_PATH);
  Launch launch;
  launch.environment = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "no argument" : c.args.back());
    const ProgramResult result = program.Run(program.logs().dir(), c.args, launch);
    EXPECT_EQ(result.status, c.status);
    EXPECT_NE((result.out + result.err).find(c.says), std::string::npos) << result.out << result.err;
  }
}

}  // namespace
}  // namespace quibran::test
