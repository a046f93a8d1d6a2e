// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/options_dialog.h"

#include <QScreen>
#include <QStyle>

#include "app/keyboard.h"
#include "app/main_window.h"
#include "settings/media_presets.h"
#include "ui_options_dialog.h"

namespace quibran {

OptionsDialog::OptionsDialog(MainWindow& main) : QDialog(&main), ui_(std::make_unique<Ui::frmOptions>()), main_(main) {
  ui_->setupUi(this);
  // Arial where the machine has it, else its closest sans-serif font.
  QFont title = ui_->lblSetDefTitle->font();
  title.setStyleHint(QFont::SansSerif);
  ui_->lblSetDefTitle->setFont(title);
  PressButtonsOnEnter(*this);
  connect(ui_->btnPX4, &QPushButton::clicked, this, [this] { ApplyPreset(kPresetPX4); });
  connect(ui_->btnPX81, &QPushButton::clicked, this, [this] { ApplyPreset(kPresetPX81); });
  connect(ui_->btnPX82, &QPushButton::clicked, this, [this] { ApplyPreset(kPresetPX82); });
  connect(ui_->btnClose, &QPushButton::clicked, this, &QDialog::reject);
  Form_Load();
}

OptionsDialog::~OptionsDialog() = default;

// Centred on the screen, not over the main window.
void OptionsDialog::Form_Load() {
  adjustSize();
  setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), main_.screen()->geometry()));
}

void OptionsDialog::ApplyPreset(const MediaPreset& preset) {
  main_.ApplyMediaPreset(preset);
  accept();
}

}  // namespace quibran
