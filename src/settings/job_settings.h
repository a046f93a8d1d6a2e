// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The job settings: one record, alive for the whole run, kept current by the
// main window's handlers and read by the generation job.

#include <cstdint>
#include <string>

#include "random/capabilities.h"

namespace quibran {

// The folder separator that DestDir always ends with.
inline constexpr char kPathSeparator = '/';

struct JobSettings {
  int16_t DeviceIndex = 0;    // random source, 0..4
  int16_t FileType = 0;       // 0 .BIN, 1 .ASC, 2 .BMP, 3 .CSV
  int16_t NumType = 0;        // number type, 0..7
  int32_t NumOfNums = 0;      // numbers per file; CSV rows; bitmap height
  std::string NumOfNumsText;  // the quantity field's text as last checked
  int16_t CSVcolumnsX = 0;    // CSV values per row; bitmap width
  int16_t NumOfFiles = 0;     // files per job
  std::string NumOfFilesText;
  std::string DestDir;  // destination folder, always ending in kPathSeparator
  std::string BaseFilename;
  std::string StartSequence;  // normally four digits
  int16_t DisplayOn = 0;      // chkDisplay
  int16_t SaveLastSeq = 0;    // chkSaveLastSeq ("Save Seq")
  int16_t MonochromeOn = 0;   // chkMonochrome
  int16_t LastDeviceIndex = 0;
  int16_t ScreenWidthPixels = 0;
  int16_t ScreenHeightPixels = 0;

  bool operator==(const JobSettings&) const = default;
};

}  // namespace quibran
