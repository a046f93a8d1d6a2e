// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/exit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace quibran {

namespace {

// The two ends of the pipe from the handler to the event loop. A signal
// handler may only do what is async-signal-safe: it writes the signal's
// number down the pipe, and the event loop reads it.
int pipe_ends[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const auto byte = static_cast<unsigned char>(number);
  [[maybe_unused]] const ssize_t written = ::write(pipe_ends[1], &byte, 1);  // a full pipe has one already
  errno = saved;
}

}  // namespace

ExitSignals::ExitSignals(std::initializer_list<int> numbers) {
  // Without a pipe (no descriptors left) the signals end the program as before.
  if (::pipe2(pipe_ends, O_NONBLOCK | O_CLOEXEC) != 0) return;
  notifier_ = new QSocketNotifier(pipe_ends[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &ExitSignals::ReadPipe);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : numbers) {
    struct sigaction former {};
    ::sigaction(number, &action, &former);
    former_.emplace_back(number, former);
  }
}

ExitSignals::~ExitSignals() {
  for (const auto& [number, former] : former_) ::sigaction(number, &former, nullptr);
  delete notifier_;
  for (int& end : pipe_ends) {
    if (end >= 0) ::close(end);
    end = -1;
  }
}

void ExitSignals::ReadPipe() {
  unsigned char numbers[16];
  ssize_t count = 0;
  while ((count = ::read(pipe_ends[0], numbers, sizeof numbers)) > 0)
    for (ssize_t i = 0; i < count; ++i) emit received(numbers[i]);
}

}  // namespace quibran
