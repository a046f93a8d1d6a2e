// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/keyboard.h"

#include <QPushButton>

namespace quibran {

void PressButtonsOnEnter(QWidget& window) {
  for (QPushButton* button : window.findChildren<QPushButton*>()) button->setAutoDefault(true);
}

// Qt moves the group's tab stop only to a button that takes the focus; this
// moves it with every selection. Arrow keys still reach every button: Qt
// offers them all the buttons of an auto-exclusive group.
void TabIntoSelectedButton(std::span<QRadioButton* const> group) {
  for (QRadioButton* selected : group)
    QObject::connect(selected, &QRadioButton::toggled, selected, [group, selected](bool on) {
      if (!on) return;
      for (QRadioButton* button : group) button->setFocusPolicy(button == selected ? Qt::StrongFocus : Qt::ClickFocus);
    });
}

}  // namespace quibran
