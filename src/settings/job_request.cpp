// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/job_request.h"

#include <utility>

#include "settings/field_limits.h"

namespace quibran {

namespace {

// The integer value of a field's text: the number its leading digits make.
int64_t IntegerValue(const std::string& text) { return DigitsValue(LeadingDigits(text)); }

}  // namespace

JobFieldTexts FieldTextsOf(const JobSettings& settings) {
  return {settings.NumOfNumsText, std::to_string(settings.CSVcolumnsX), std::to_string(settings.NumOfFiles),
          settings.StartSequence};
}

JobChecks ValidateJob(const JobSettings& settings, const JobFieldTexts& fields) {
  JobChecks out;
  if (settings.NumOfNums < 1) {
    out.steps.push_back(FieldMessage{"You must enter how many numbers you want generated", MessageIcon::Exclamation});
    out.steps.push_back(FieldCorrection{CheckedField::NumOfNums, ""});
    out.focus_quantity = true;
    return out;
  }
  const QuantityOutcome quantity =
      QuantityCheck(fields.NumOfNums, settings.FileType, settings.ScreenWidthPixels, settings.ScreenHeightPixels);
  out.steps.insert(out.steps.end(), quantity.messages.begin(), quantity.messages.end());
  if (quantity.field_text) out.steps.push_back(FieldCorrection{CheckedField::NumOfNums, *quantity.field_text});

  if (settings.FileType == kFileBmp) {
    const std::string minimum = std::to_string(kMinBitmapPixels);
    // Each of the bitmap's checks refuses the job with its field corrected.
    const auto refuse = [&](std::string message, CheckedField field, std::string text) {
      out.steps.push_back(FieldMessage{std::move(message), MessageIcon::Information});
      out.steps.push_back(FieldCorrection{field, std::move(text)});
      return std::move(out);
    };
    if (IntegerValue(fields.NumOfFiles) > 1)
      return refuse(std::string(kOneBitmapMessage), CheckedField::NumOfFiles, "1");
    if (IntegerValue(fields.CSVcolumnsX) < kMinBitmapPixels)
      return refuse("Minimum X pixels is (screen width) " + minimum, CheckedField::CSVcolumnsX, minimum);
    if (DigitsValue(QuantityDigits(fields.NumOfNums)) < kMinBitmapPixels)
      return refuse("Minimum Y pixels is (screen height) " + minimum, CheckedField::NumOfNums, minimum);
  }

  if (settings.NumOfFiles == 0) out.steps.push_back(FieldCorrection{CheckedField::NumOfFiles, "1"});
  out.request = JobRequest{
      .DeviceIndex = settings.DeviceIndex,
      .FileType = settings.FileType,
      .NumType = settings.NumType,
      .NumOfNums = quantity.NumOfNums,
      .CSVcolumnsX = settings.CSVcolumnsX,
      .NumOfFiles = settings.NumOfFiles == 0 ? int16_t{1} : settings.NumOfFiles,
      .DestDir = settings.DestDir,
      .BaseFilename = settings.BaseFilename,
      .StartSequence = static_cast<int32_t>(IntegerValue(fields.StartSequence)),
      .DisplayOn = settings.DisplayOn == 1,
      .MonochromeOn = settings.MonochromeOn != 0,
      .seed = std::nullopt,
  };
  return out;
}

}  // namespace quibran
