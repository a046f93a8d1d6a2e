// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class frmSplash;
}

namespace quibran {

// The start-up window `frmSplash`: the program's name, version, platform and
// maker, shown while the program starts.
class Splash : public QWidget {
  Q_OBJECT
 public:
  explicit Splash(QWidget* parent = nullptr);
  ~Splash() override;

 private:
  void Form_Load();

  std::unique_ptr<Ui::frmSplash> ui_;
};

}  // namespace quibran
