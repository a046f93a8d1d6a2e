// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The icon of a message box: every message to the user names one.

namespace quibran {

enum class MessageIcon { None, Information, Exclamation, Critical };

}  // namespace quibran
