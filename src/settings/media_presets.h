// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The media presets of frmOptions: the settings that fill the main window in
// one click for a kind of storage medium meant for the Velmora software. Each
// preset also selects ".BIN" files of "Byte" values; the main window applies
// it through its own controls.

#include <string_view>

namespace quibran {

struct MediaPreset {
  std::string_view BaseFilename;
  std::string_view StartSequence;
  std::string_view NumOfFilesText;
  std::string_view NumOfNumsText;  // the quantity, as the quantity field takes it
};

// A PX4 CD: 9600 files of 65536 bytes, R01A0001.BIN to R01A9600.BIN.
inline constexpr MediaPreset kPresetPX4{"R01A", "0001", "9600", "65536"};
// A PX8 flash drive of 1 GB: one file of 1073741824 bytes.
inline constexpr MediaPreset kPresetPX81{"R90U", "0001", "1", "1073741824 (1 GB)"};
// A PX8 flash drive of 2 GB: one file of 2000000000 bytes.
inline constexpr MediaPreset kPresetPX82{"R90U", "0001", "1", "2000000000"};

}  // namespace quibran
