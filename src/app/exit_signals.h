// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The signals that end a program from outside (SIGTERM from a session's end
// or a service manager, SIGHUP from a closed terminal), turned into a signal
// of the event loop, so that the program can leave as File > Exit does.

#include <signal.h>

#include <QObject>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace quibran {

class ExitSignals : public QObject {
  Q_OBJECT
 public:
  // Catches `numbers` until destroyed, when their former handling comes
  // back. One object at a time.
  explicit ExitSignals(std::initializer_list<int> numbers);
  ~ExitSignals() override;
  ExitSignals(const ExitSignals&) = delete;
  ExitSignals& operator=(const ExitSignals&) = delete;

 signals:
  // In the event loop, once for each signal caught.
  void received(int number);

 private:
  void ReadPipe();

  std::vector<std::pair<int, struct sigaction>> former_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace quibran
