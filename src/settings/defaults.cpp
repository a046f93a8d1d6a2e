// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/defaults.h"

#include <cstdlib>

namespace quibran {

std::string DefaultDestDir() {
  const char* home = std::getenv("HOME");
  std::string dir = home != nullptr ? home : "";
  if (dir.empty() || dir.back() != kPathSeparator) dir += kPathSeparator;
  return dir;
}

JobSettings BuiltInDefaults() {
  return JobSettings{
      .DeviceIndex = kSourceRnd,
      .FileType = kFileBin,
      .NumType = kNumByte,
      .NumOfNums = 1024,
      .NumOfNumsText = "1024",
      .CSVcolumnsX = 2,
      .NumOfFiles = 1,
      .NumOfFilesText = {},
      .DestDir = DefaultDestDir(),
      .BaseFilename = "RAND",
      .StartSequence = "1",
      .DisplayOn = 0,
      .SaveLastSeq = 0,
      .MonochromeOn = 0,
      .LastDeviceIndex = kSourceRnd,
  };
}

}  // namespace quibran
