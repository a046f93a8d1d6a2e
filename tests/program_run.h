// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs one of the project's programs as a child process, in a given folder,
// its output streams going to files in a folder of its own.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "job/temp_folder.h"

namespace quibran::test {

struct ProgramResult {
  int status = -1;  // the exit status; -1 when ended by a signal
  std::string out;
  std::string err;
};

// Where the program's standard output and standard error go ("" a log
// file), and changes to its environment ("NAME=value" sets, "NAME" removes).
struct Launch {
  std::string out{};
  std::string err{};
  std::vector<std::string> environment{};
};

class ProgramRun {
 public:
  explicit ProgramRun(std::string program) : program_(std::move(program)) {}

  // Starts the program in `folder` with `args`.
  pid_t Start(const std::string& folder, const std::vector<std::string>& args, const Launch& launch = {}) {
    std::vector<const char*> argv = {program_.c_str()};
    for (const std::string& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    const std::string out = launch.out.empty() ? logs_ / "stdout" : launch.out;
    const std::string err = launch.err.empty() ? logs_ / "stderr" : launch.err;
    std::ofstream(logs_ / "stdout").flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
      for (const std::string& change : launch.environment) {
        const size_t equals = change.find('=');
        if (equals == std::string::npos)
          ::unsetenv(change.c_str());
        else
          ::setenv(change.substr(0, equals).c_str(), change.c_str() + equals + 1, 1);
      }
      if (::chdir(folder.c_str()) == 0 && std::freopen(out.c_str(), "w", stdout) &&
          std::freopen(err.c_str(), "w", stderr)) {
        ::execv(program_.c_str(), const_cast<char* const*>(argv.data()));
      }
      ::_exit(127);
    }
    return pid;
  }
  ProgramResult Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(logs_ / "stdout"), ReadFile(logs_ / "stderr")};
  }
  ProgramResult Run(const std::string& folder, const std::vector<std::string>& args, const Launch& launch = {}) {
    return Wait(Start(folder, args, launch));
  }
  // The folder of the logs, free for a test's other files.
  const TempFolder& logs() const { return logs_; }

 private:
  std::string program_;
  TempFolder logs_;
};

}  // namespace quibran::test
