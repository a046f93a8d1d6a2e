// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/start_up.h"

#include <QEventLoop>
#include <QStandardPaths>
#include <QTimer>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/qt_text.h"
#include "app/splash.h"
#include "settings/defaults_file.h"

namespace quibran {

std::string ConfigFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
}

// A timer may end its wait a little early; the loop waits out the rest.
void WaitWithEvents(std::chrono::milliseconds pause) {
  using Steady = std::chrono::steady_clock;
  const Steady::time_point end = Steady::now() + pause;
  for (auto left = pause; left.count() > 0; left = std::chrono::ceil<std::chrono::milliseconds>(end - Steady::now())) {
    QEventLoop loop;
    QTimer::singleShot(left, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

Program::Program(std::chrono::milliseconds splash_pause) : splash_pause_(splash_pause) {}

Program::~Program() = default;

void Program::SubMain() {
  auto splash = std::make_unique<Splash>();
  splash->show();
  WaitWithEvents(splash_pause_);

  LoadedDefaults loaded = LoadDefaults(ConfigFolder());
  settings_ = std::move(loaded.settings);
  if (loaded.message) ShowMessage(nullptr, Q(loaded.message->title), Q(loaded.message->text), MessageIcon::None);

  window_ = std::make_unique<MainWindow>(settings_, sources_);
  splash.reset();
  window_->show();
  window_->ApplyDefaults();
  // Exit ends the event loop, which runs only once this has returned.
  if (leave_) QMetaObject::invokeMethod(window_.get(), &MainWindow::cmdExit_Click, Qt::QueuedConnection);
}

void Program::Leave() {
  if (!window_)
    leave_ = true;
  else if (window_->isVisible())  // else it has left already
    window_->cmdExit_Click();
}

void Program::CommitData() {
  if (window_) window_->CommitData();
}

}  // namespace quibran
