// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's start (`Sub Main`) and what lives for the whole run.

#include <chrono>
#include <memory>
#include <string>

#include "platform/clock.h"
#include "random/random_sources.h"
#include "settings/job_settings.h"

namespace quibran {

class MainWindow;

inline constexpr std::chrono::milliseconds kSplashPause{3000};

// The folder the defaults file lives below: the user's configuration folder.
std::string ConfigFolder();

// Runs the event loop until `pause` of elapsed time has passed.
void WaitWithEvents(std::chrono::milliseconds pause);

class Program {
 public:
  explicit Program(std::chrono::milliseconds splash_pause = kSplashPause);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Sub Main: shows the splash window for the pause, reads the defaults
  // file, creates and loads the main window, closes the splash window, shows
  // the main window and applies the settings to it once more. The program
  // then lives in the event loop.
  void SubMain();

  // Leaving from outside the window (a signal, the session's end): as File >
  // Exit, the defaults saved and the program ended with status 0. Before the
  // main window exists, it leaves as soon as the window is up.
  void Leave();
  // The session manager asks for what the program keeps before the session
  // ends: the window's position and the defaults file, saved now.
  void CommitData();

  MainWindow* window() const { return window_.get(); }

 private:
  bool leave_ = false;  // Leave before the main window was up
  std::chrono::milliseconds splash_pause_;
  SystemClock clock_;
  RandomSources sources_{clock_};  // every job continues the same generators
  JobSettings settings_;
  std::unique_ptr<MainWindow> window_;
};

}  // namespace quibran
