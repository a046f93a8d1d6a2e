// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target of the defaults file reader. Whatever the bytes, the
// reading must neither crash nor read out of bounds (the sanitizers watch),
// must leave every table index in range, and what is saved of the settings
// it gives must read back the same.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "random/random_sources.h"
#include "settings/defaults_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quibran;
  const LoadedDefaults loaded = ParseDefaults(std::string_view(reinterpret_cast<const char*>(data), size));
  const JobSettings& s = loaded.settings;
  if (s.FileType < 0 || s.FileType >= kFileTypeCount || s.NumType < 0 || s.NumType >= kNumTypeCount ||
      s.DeviceIndex < 0 || s.DeviceIndex >= kSourceCount || s.LastDeviceIndex != s.DeviceIndex)
    __builtin_trap();
  // Parsing bytes never fails in a way that needs a message.
  if (loaded.message) __builtin_trap();
  // A reading that ended before the quantity line leaves its text empty,
  // which reads back as a type mismatch: "1024".
  JobSettings expected = s;
  if (expected.NumOfNumsText.empty()) expected.NumOfNumsText = "1024";
  const LoadedDefaults reread = ParseDefaults(FormatDefaults(s));
  if (reread.message || FormatDefaults(reread.settings) != FormatDefaults(expected)) __builtin_trap();
  return 0;
}
