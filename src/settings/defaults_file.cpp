// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/defaults_file.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

#include "platform/runtime_error.h"
#include "platform/small_file.h"
#include "platform/version.h"
#include "random/random_sources.h"
#include "settings/defaults.h"
#include "settings/field_checks.h"

namespace quibran {

namespace {

constexpr std::string_view kProductFolder = "Quibran";
constexpr std::string_view kFileName = "Quibran.dfl";
constexpr std::string_view kLineEnd = "\r\n";

std::string CompanyFolder(std::string_view config_folder) {
  return WithTrailingSeparator(std::string(config_folder)) + std::string(kCompanyName);
}
std::string ProductFolder(std::string_view config_folder) {
  return WithTrailingSeparator(CompanyFolder(config_folder)) + std::string(kProductFolder);
}

bool EndsField(char c) { return c == ',' || c == '\r' || c == '\n'; }

// The fields of list input, one after another.
class ListInput {
 public:
  explicit ListInput(std::string_view bytes) : in_(bytes) {}

  std::string Next() {
    if (at_ >= in_.size()) throw RuntimeError(kErrInputPastEnd);
    while (at_ < in_.size() && in_[at_] == ' ') ++at_;
    if (at_ < in_.size() && in_[at_] == '"') {
      const std::size_t start = at_ + 1;
      at_ = std::min(in_.find('"', start), in_.size());
      std::string text(in_.substr(start, at_ - start));
      SkipPastFieldEnd();
      return text;
    }
    const std::size_t start = at_;
    SkipPastFieldEnd();
    return TrimSpaces(in_.substr(start, field_end_ - start));
  }

 private:
  // Moves to the field's end (kept in field_end_) and past the comma or line
  // end there.
  void SkipPastFieldEnd() {
    while (at_ < in_.size() && !EndsField(in_[at_])) ++at_;
    field_end_ = at_;
    if (at_ >= in_.size()) return;
    const char end = in_[at_++];
    if (end == '\r' && at_ < in_.size() && in_[at_] == '\n') ++at_;
  }

  std::string_view in_;
  std::size_t at_ = 0;
  std::size_t field_end_ = 0;
};

// The whole number a field holds: an optional sign and decimal digits,
// surrounding spaces allowed. Empty text is 0 where `empty_is_zero`, a type
// mismatch otherwise (as converting it to a number is).
int64_t WholeNumber(std::string_view field, int64_t min, int64_t max, bool empty_is_zero) {
  const std::string trimmed = TrimSpaces(field);
  std::string_view text = trimmed;
  if (text.empty() && empty_is_zero) return 0;
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  uint64_t magnitude = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (text.empty() || error == std::errc::invalid_argument || end != text.data() + text.size())
    throw RuntimeError(kErrTypeMismatch);
  const uint64_t limit = negative ? static_cast<uint64_t>(-min) : static_cast<uint64_t>(max);
  if (error == std::errc::result_out_of_range || magnitude > limit) throw RuntimeError(kErrOverflow);
  return negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
}

int16_t ReadInteger(ListInput& in) {
  return static_cast<int16_t>(
      WholeNumber(in.Next(), std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max(), true));
}

// An index into a table of `count` entries; its built-in default when outside.
int16_t ReadIndex(ListInput& in, int count, int16_t fallback) {
  const int16_t index = ReadInteger(in);
  return index >= 0 && index < count ? index : fallback;
}

// NumOfNums from the stored quantity text: the largest quantities by their
// special texts, every other text as a plain 32-bit number.
int32_t QuantityFromText(const std::string& text) {
  if (text == "2147483646" || text == "2147483647" || text == "2147483648" || text == "2147483646 (2 GB - 2)")
    return 2147483646;
  if (text == "1073741824" || text == "1073741824 (1 GB)") return 1073741824;
  return static_cast<int32_t>(
      WholeNumber(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), false));
}

// Reads the fields in the file's order into `settings`; a failure throws
// and leaves the settings read before it.
void ReadFields(std::string_view bytes, JobSettings& settings) {
  const JobSettings built_in = BuiltInDefaults();
  ListInput in(bytes);
  settings.FileType = ReadIndex(in, kFileTypeCount, built_in.FileType);
  settings.NumType = ReadIndex(in, kNumTypeCount, built_in.NumType);
  settings.DeviceIndex = ReadIndex(in, kSourceCount, built_in.DeviceIndex);
  settings.LastDeviceIndex = settings.DeviceIndex;
  settings.NumOfFiles = ReadInteger(in);
  settings.NumOfNumsText = in.Next();
  settings.NumOfNums = QuantityFromText(settings.NumOfNumsText);
  settings.CSVcolumnsX = ReadInteger(in);
  settings.DisplayOn = ReadInteger(in);
  settings.DestDir = in.Next();
  settings.BaseFilename = in.Next();
  settings.StartSequence = in.Next();
  settings.SaveLastSeq = ReadInteger(in);
  settings.MonochromeOn = ReadInteger(in);
}

// What a failure of the reading leaves.
LoadedDefaults AfterFailure(const RuntimeError& error, JobSettings read) {
  switch (error.number()) {
    case kErrFileNotFound:
    case kErrPathNotFound:
    case kErrInputPastEnd: return {BuiltInDefaults(), std::nullopt};
    case kErrTypeMismatch: read.NumOfNumsText = BuiltInDefaults().NumOfNumsText; return {std::move(read), std::nullopt};
    case kErrOverflow: return {std::move(read), std::nullopt};
    default:
      return {std::move(read),
              DefaultsMessage{"Get Def error number " + std::to_string(error.number()), error.description()}};
  }
}

// The text between the quotation marks of a string field.
std::string Storable(std::string_view text) {
  std::string out;
  for (const char c : text)
    if (c != '"' && c != '\r' && c != '\n') out += c;
  return out;
}

DefaultsMessage SaveFailure(const RuntimeError& error, std::string_view what) {
  return {ErrorTitle(error), std::string(what) + error.description()};
}

}  // namespace

std::string DefaultsFilePath(std::string_view config_folder) {
  return WithTrailingSeparator(ProductFolder(config_folder)) + std::string(kFileName);
}

LoadedDefaults ParseDefaults(std::string_view bytes) {
  JobSettings settings;
  try {
    ReadFields(bytes, settings);
  } catch (const RuntimeError& error) {
    return AfterFailure(error, std::move(settings));
  }
  return {std::move(settings), std::nullopt};
}

LoadedDefaults LoadDefaults(std::string_view config_folder) {
  std::string bytes;
  try {
    bytes = ReadFileStart(DefaultsFilePath(config_folder), kDefaultsFileLimit);
  } catch (const RuntimeError& error) {
    return AfterFailure(error, JobSettings{});
  }
  return ParseDefaults(bytes);
}

std::string FormatDefaults(const JobSettings& s) {
  std::string out;
  auto integer = [&](int value) { out.append(std::to_string(value)).append(kLineEnd); };
  auto text = [&](std::string_view value) { out.append("\"").append(Storable(value)).append("\"").append(kLineEnd); };
  integer(s.FileType);
  integer(s.NumType);
  integer(s.DeviceIndex);
  integer(s.NumOfFiles);
  text(s.NumOfNumsText);
  integer(s.CSVcolumnsX);
  integer(s.DisplayOn);
  text(s.DestDir);
  text(s.BaseFilename);
  text(s.StartSequence);
  integer(s.SaveLastSeq);
  integer(s.MonochromeOn);
  return out;
}

std::optional<DefaultsMessage> SaveDefaults(std::string_view config_folder, const JobSettings& settings) {
  static constexpr std::string_view kCantCreate = "Error message:  Can't create directory - ";
  const std::string company = CompanyFolder(config_folder);
  const std::string product = ProductFolder(config_folder);
  const std::string bytes = FormatDefaults(settings);
  bool created = false;
  for (;;) {
    try {
      ReplaceFile(DefaultsFilePath(config_folder), bytes);
      return std::nullopt;
    } catch (const RuntimeError& error) {
      if (error.number() != kErrPathNotFound) return SaveFailure(error, "Error message: App Data - ");
      if (created || (DirExists(company) && DirExists(product))) return SaveFailure(error, kCantCreate);
    }
    // The configuration folder itself too: a new user may have none yet.
    try {
      for (const std::string& folder : {std::string(config_folder), company, product})
        if (!DirExists(folder)) MakeDir(folder);
    } catch (const RuntimeError& error) {
      return SaveFailure(error, kCantCreate);
    }
    created = true;
  }
}

}  // namespace quibran
