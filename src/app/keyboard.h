// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keyboard use shared by the program's windows.

#include <QRadioButton>
#include <span>

class QWidget;

namespace quibran {

// Return and the keypad's Enter press the focused push button of `window`, as
// Space does. In a dialog Enter elsewhere still presses its default button.
void PressButtonsOnEnter(QWidget& window);

// Tabbing into the option group lands on its selected button, whether the
// user or the program selected it: the group's tab stop moves with the
// selection. The group outlives the connections.
void TabIntoSelectedButton(std::span<QRadioButton* const> group);

}  // namespace quibran
