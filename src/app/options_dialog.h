// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmOptions;
}

namespace quibran {

class MainWindow;
struct MediaPreset;

// The media presets dialog `frmOptions`. Each preset button fills the main
// window through its own controls (MainWindow::ApplyMediaPreset) and closes
// the dialog; "Close" and the close box close it and change nothing. The
// dialog keeps no state of its own.
class OptionsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit OptionsDialog(MainWindow& main);
  ~OptionsDialog() override;

 private:
  void Form_Load();
  void ApplyPreset(const MediaPreset& preset);

  std::unique_ptr<Ui::frmOptions> ui_;
  MainWindow& main_;
};

}  // namespace quibran
