// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The core's text (UTF-8 bytes) as a Qt string.

#include <QString>
#include <string_view>

namespace quibran {

inline QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace quibran
