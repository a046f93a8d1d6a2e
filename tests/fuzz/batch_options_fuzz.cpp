// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target of quibran-batch's option parser. The input is its words,
// one a line. Whatever they are, the parser returns or refuses them with
// BadInput and nothing else, and a request it returns lies within the limits
// that the window's fields keep.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "batch_options.h"
#include "random/capabilities.h"
#include "settings/field_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quibran;
  std::vector<std::string> words(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n')
      words.emplace_back();
    else
      words.back() += static_cast<char>(data[i]);
  }
  std::variant<Options, std::string> parsed;
  try {
    parsed = ParseOptions(words);
  } catch (const BadInput& bad) {
    if (bad.message.empty()) __builtin_trap();
    return 0;
  }
  const Options* options = std::get_if<Options>(&parsed);
  if (!options) return 0;  // the help or the version
  const JobRequest& r = options->request;
  const auto within = [](auto value, auto lowest, auto highest) { return value >= lowest && value <= highest; };
  const bool bitmap = r.FileType == kFileBmp;
  const int32_t max_count = r.FileType == kFileBin   ? kMaxBinQuantity
                            : r.FileType == kFileAsc ? kMaxAscQuantity
                                                     : kMaxCsvRows;
  const bool ok = within(r.DeviceIndex, 0, kSourceCount - 1) && within(r.FileType, 0, kFileTypeCount - 1) &&
                  within(r.NumType, 0, kNumTypeCount - 1) && within(r.NumOfFiles, 1, bitmap ? 1 : kMaxFiles) &&
                  within(r.StartSequence, 0, kMaxStartSequence) && !r.DestDir.empty() &&
                  r.DestDir.back() == kPathSeparator && r.BaseFilename.find(kPathSeparator) == std::string::npos &&
                  (!options->endless || options->to_stdout) &&
                  (!r.seed || (r.DeviceIndex != kSourceOs && r.DeviceIndex != kSourceHardware)) &&
                  (bitmap ? r.NumType == kNumColor && within(r.CSVcolumnsX, kMinBitmapPixels, kMaxBitmapPixels) &&
                                within(r.NumOfNums, kMinBitmapPixels, kMaxBitmapPixels)
                          : within(r.NumOfNums, 1, max_count) && within(r.CSVcolumnsX, 1, kMaxCsvColumns) &&
                                WriterOffers(r.FileType, r.DeviceIndex, r.NumType) &&
                                (r.FileType != kFileBin || r.NumType == kNumByte));
  if (!ok) __builtin_trap();
  return 0;
}
