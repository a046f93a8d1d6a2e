// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/about_dialog.h"

#include <QIcon>
#include <QProcess>

#include "app/keyboard.h"
#include "app/message_box.h"
#include "app/qt_text.h"
#include "platform/system_info.h"
#include "platform/version.h"
#include "ui_about_dialog.h"

namespace quibran {

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner), ui_(std::make_unique<Ui::frmAbout>()) {
  ui_->setupUi(this);
  ui_->Picture1->setPixmap(QIcon(":/icons/quibran-256.png").pixmap(ui_->Picture1->maximumSize()));
  ui_->Picture1->setAccessibleName("Program icon");
  PressButtonsOnEnter(*this);
  connect(ui_->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->cmdSysInfo, &QPushButton::clicked, this, &AboutDialog::cmdSysInfo_Click);
  Form_Load();
}

AboutDialog::~AboutDialog() = default;

void AboutDialog::Form_Load() {
  ui_->lblVersion->setText(Q(kVersionText));
  ui_->lblTitle->setText(Q(kAppTitle));
  ui_->lblDescription->setText(Q(kFileDescription));
}

void AboutDialog::cmdSysInfo_Click() { StartSysInfo(); }

void AboutDialog::StartSysInfo() {
  const std::optional<std::string> tool = FindSystemInfoTool();
  if (tool && QProcess::startDetached(Q(*tool), {})) return;
  ShowMessage(this, Q(kAppTitle), "System Information Is Unavailable At This Time", MessageIcon::None);
}

}  // namespace quibran
