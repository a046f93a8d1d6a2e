// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace quibran {

// The about box `frmAbout`: the program's title, version and description, and
// a button that starts the platform's system information tool.
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* owner);
  ~AboutDialog() override;

 private:
  void Form_Load();
  void cmdSysInfo_Click();
  // Starts the system information tool; says so when there is none or it
  // cannot be started. The box stays open either way.
  void StartSysInfo();

  std::unique_ptr<Ui::frmAbout> ui_;
};

}  // namespace quibran
