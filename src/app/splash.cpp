// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/splash.h"

#include <QScreen>

#include "app/message_box.h"
#include "app/qt_text.h"
#include "platform/version.h"
#include "ui_splash.h"

namespace quibran {

namespace {

constexpr const char* kPlatform = "for Linux";

}  // namespace

Splash::Splash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), ui_(std::make_unique<Ui::frmSplash>()) {
  ui_->setupUi(this);
  Form_Load();
  setFixedSize(sizeHint());
  move(screen()->geometry().center() - rect().center());
}

Splash::~Splash() = default;

void Splash::Form_Load() {
  ui_->lblVersion->setText(Q(kVersionText));
  ui_->lblProductName->setText(Q(kAppTitle));
  ui_->lblCompany->setText(Q(kCompanyName));
  ui_->lblCompanyProduct->setText("Random Number Generator");
  ui_->lblPlatform->setText(kPlatform);
  ui_->lblCopyright->setText(Q(kLegalCopyright));
}

}  // namespace quibran
