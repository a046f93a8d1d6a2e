// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/capabilities.h"

namespace quibran {

std::string NotAvailableMessage(int file_type, int source) {
  const int16_t code =
      kSourceCapabilities[static_cast<std::size_t>(source)].not_available[static_cast<std::size_t>(file_type)];
  const std::string digits = std::to_string(code);
  return "Not Available [GB" + std::string(3 - digits.size(), '0') + digits + "]";
}

}  // namespace quibran
