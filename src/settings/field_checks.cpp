// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/field_checks.h"

#include <algorithm>
#include <filesystem>

#include "settings/defaults.h"
#include "settings/field_limits.h"

namespace quibran {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Text(int64_t value) { return std::to_string(value); }

}  // namespace

int16_t DigitKeyFilter(int16_t key) {
  constexpr int16_t kBackspace = 8;
  return key == kBackspace || (key >= '0' && key <= '9') ? key : 0;
}

std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string LeadingDigits(std::string_view text) {
  const std::string trimmed = TrimSpaces(text);
  const auto end = std::find_if_not(trimmed.begin(), trimmed.end(), IsDigit);
  return std::string(trimmed.begin(), end);
}

int64_t DigitsValue(std::string_view digits) {
  constexpr int64_t kCeiling = 1'000'000'000'000'000;
  int64_t value = 0;
  for (const char c : digits) {
    if (!IsDigit(c)) break;
    value = std::min(kCeiling, value * 10 + (c - '0'));
  }
  return value;
}

std::string QuantityDigits(std::string_view text) { return LeadingDigits(text.substr(0, text.find('('))); }

QuantityOutcome QuantityCheck(std::string_view text, int16_t file_type, int16_t screen_width, int16_t screen_height) {
  QuantityOutcome out;
  std::string digits = QuantityDigits(text);
  if (digits.empty()) digits = Text(1);

  if (file_type == kFileBin || file_type == kFileAsc) {
    if (digits.size() >= 10) digits.resize(10);
    int64_t number = DigitsValue(digits);
    if (file_type == kFileBin && number > kMaxBinQuantity) {
      out.messages.push_back({"Maximum number is 2147483646 (2 GB - 2)", MessageIcon::Information});
      number = kMaxBinQuantity;
    } else if (file_type == kFileAsc && number > kMaxAscQuantity) {
      out.messages.push_back(
          {"Maximum ASCII numbers is " + Text(kMaxAscQuantity) + " (1 GB)", MessageIcon::Information});
      number = kMaxAscQuantity;
    }
    out.NumOfNums = static_cast<int32_t>(number);
    out.NumOfNumsText = Text(number);
    out.field_text = out.NumOfNumsText;
    return out;
  }

  if (file_type == kFileBmp) {
    if (digits.size() > 4) digits.resize(4);
    if (DigitsValue(digits) > screen_height) {
      out.messages.push_back(
          {"Maximum bitmap size is screen size (" + Text(screen_width) + " x " + Text(screen_height) + ")",
           MessageIcon::None});
      digits = Text(screen_height);
    }
    if (DigitsValue(digits) < kMinBitmapPixels) {
      out.messages.push_back({"Minimum bitmap size is " + Text(kMinBitmapPixels) + " x " + Text(kMinBitmapPixels),
                              MessageIcon::Information});
      digits = Text(kMinBitmapPixels);
    }
  } else {  // .CSV rows
    if (digits.size() >= 6 || DigitsValue(digits) > kMaxCsvRows) {
      out.messages.push_back({"Maximum CSV rows is " + Text(kMaxCsvRows), MessageIcon::None});
      digits = Text(kMaxCsvRows);
    }
  }
  out.NumOfNums = static_cast<int32_t>(DigitsValue(digits));
  out.NumOfNumsText = digits;
  return out;
}

std::optional<int16_t> ColumnsOnChange(std::string_view text) {
  const std::string digits = LeadingDigits(text.substr(0, 4));
  if (digits.empty()) return std::nullopt;
  return static_cast<int16_t>(DigitsValue(digits));
}

FieldOutcome ColumnsOnLeave(std::string_view text, int16_t file_type, int16_t screen_width) {
  FieldOutcome out;
  std::string digits = LeadingDigits(text);
  auto correct = [&](std::string message, int64_t value) {
    out.messages.push_back({std::move(message), MessageIcon::None});
    digits = Text(value);
  };

  if (file_type == kFileBmp) {
    if (digits.empty()) {
      digits = Text(kMinBitmapPixels);
    } else {
      if (digits.size() > 4) {
        digits.resize(4);
        if (DigitsValue(digits) > screen_width)
          correct("Maximum width in pixels is " + Text(screen_width), screen_width);
      }
      if (DigitsValue(digits) < kMinBitmapPixels)
        correct("Minimum X pixels is " + Text(kMinBitmapPixels), kMinBitmapPixels);
      if (DigitsValue(digits) > screen_width)
        correct("Maximum X pixels is (screen width) " + Text(screen_width), screen_width);
    }
  } else if (digits.empty()) {
    digits = Text(kMinCsvColumns);
  } else {
    const std::string too_many = "Maximum columns is " + Text(kMaxCsvColumns);
    if (digits.size() >= 4) correct(too_many, kMaxCsvColumns);
    if (DigitsValue(digits) < kMinCsvColumns) correct("Minimum columns is " + Text(kMinCsvColumns), kMinCsvColumns);
    if (DigitsValue(digits) > kMaxCsvColumns) correct(too_many, kMaxCsvColumns);
  }
  out.text = digits;
  out.value = static_cast<int32_t>(DigitsValue(digits));
  return out;
}

FieldOutcome NumOfFilesOnLeave(std::string_view text, int16_t file_type) {
  FieldOutcome out;
  std::string digits = LeadingDigits(text);
  if (digits.empty()) {
    digits = Text(1);
  } else {
    if (digits.size() >= 5) {
      out.messages.push_back({"Maximum files is " + Text(kMaxFiles), MessageIcon::None});
      digits = Text(kMaxFiles);
    }
    if (file_type == kFileBmp && DigitsValue(digits) > 1) {
      out.messages.push_back({std::string(kOneBitmapMessage), MessageIcon::None});
      digits = Text(1);
    }
  }
  out.text = digits;
  out.value = static_cast<int32_t>(DigitsValue(digits));
  return out;
}

SequenceOutcome StartSequenceOnChange(std::string_view text) {
  SequenceOutcome out;
  std::string digits = LeadingDigits(text);
  if (text.size() >= 5) {
    digits = Text(kMaxStartSequence);
    out.field_text = digits;
  }
  out.StartSequence = SequenceDigits(digits);
  return out;
}

std::string SequenceDigits(std::string_view digits) {
  const std::string padded = "0000" + std::string(digits);
  return padded.substr(padded.size() - 4);
}

QuoteOutcome RefuseDoubleQuote(std::string_view text, NameKind kind) {
  QuoteOutcome out;
  out.text = std::string(text);
  std::erase(out.text, '"');
  if (out.text.size() != text.size()) {
    out.message = FieldMessage{std::string("The double quotation mark (\") cannot be used in a ") +
                                   (kind == NameKind::File ? "file name" : "folder name") + "; it has been removed.",
                               MessageIcon::Exclamation};
  }
  return out;
}

std::string WithTrailingSeparator(std::string folder) {
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
  return folder;
}

std::string NormalizeDestDir(std::string_view text) {
  std::string dir = TrimSpaces(text);
  const std::string home = DefaultDestDir();
  const std::string tilde_folder = {'~', kPathSeparator};
  if (dir.empty() || dir == "~")
    dir = home;
  else if (dir.starts_with(tilde_folder))
    dir = home + dir.substr(tilde_folder.size());
  else if (!std::filesystem::path(dir).is_absolute())
    dir = home + dir;
  const std::string doubled(2, kPathSeparator);
  for (auto at = dir.find(doubled); at != std::string::npos; at = dir.find(doubled, at)) dir.erase(at, 1);
  return WithTrailingSeparator(std::move(dir));
}

std::string FileNamePreview(const JobSettings& settings) {
  return settings.BaseFilename + settings.StartSequence +
         std::string(FileExtensions[static_cast<std::size_t>(settings.FileType)]);
}

}  // namespace quibran
