// SPDX-License-Identifier: GPL-3.0-or-later
#include "random/hardware_device.h"

namespace quibran {

std::unique_ptr<RandomDevice> CreateDeviceObject(const std::string& node) { return std::make_unique<AleaDevice>(node); }

std::string DeviceFailureText(const RuntimeError& error) { return "Alea Device:  " + error.description(); }

}  // namespace quibran
