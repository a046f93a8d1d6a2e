// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checks before a job (the Start button's, before it runs anything) and
// the request they turn the settings into. The checks only decide: they
// return the messages to show and the fields to correct, in order, and the
// request when the job may start. The main window applies them to its
// fields; quibran-batch, which has no fields, reports them.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "settings/field_checks.h"
#include "settings/job_settings.h"

namespace quibran {

// What one job does; the job runs from it and from nothing else.
struct JobRequest {
  int16_t DeviceIndex = 0;  // the source, 0 to 5
  int16_t FileType = 0;     // 0 .BIN, 1 .ASC, 2 .BMP, 3 .CSV
  int16_t NumType = 0;
  int32_t NumOfNums = 0;    // values per file, CSV rows, bitmap height
  int16_t CSVcolumnsX = 0;  // CSV values per row, bitmap width
  int16_t NumOfFiles = 1;   // at least 1
  std::string DestDir;      // ends in kPathSeparator
  std::string BaseFilename;
  int32_t StartSequence = 0;  // the sequence number of the first file
  bool DisplayOn = false;     // the display box shows the first file's values
  bool MonochromeOn = false;  // a black-and-white bitmap
  // Seeds the source (and a bitmap's platform generator) from this number
  // instead of the clock.
  std::optional<int32_t> seed;
};

// The texts of the fields that the checks read, as the window shows them.
struct JobFieldTexts {
  std::string NumOfNums;      // cmbNumOfNums
  std::string CSVcolumnsX;    // txtCSVcolumnsX
  std::string NumOfFiles;     // txtNumOfFiles
  std::string StartSequence;  // txtStartSequence
};

// The texts that fields showing `settings` hold (for a caller without a window).
JobFieldTexts FieldTextsOf(const JobSettings& settings);

// A field that the checks set; txtNumOfFiles takes its number into NumOfFiles
// with it, the others through their own change handling.
enum class CheckedField { NumOfNums, CSVcolumnsX, NumOfFiles };
struct FieldCorrection {
  CheckedField field;
  std::string text;
  bool operator==(const FieldCorrection&) const = default;
};

// One thing the checks did: a message (titled with the application title)
// or a correction. A correction that follows a message is made once the
// message has been seen.
using JobCheckStep = std::variant<FieldMessage, FieldCorrection>;

struct JobChecks {
  std::vector<JobCheckStep> steps;
  bool focus_quantity = false;        // the quantity field takes the focus
  std::optional<JobRequest> request;  // none: the job does not start
};

// The checks of a job start on the settings as the fields' leave checks left
// them: a quantity below 1 refuses the job (its message, the quantity field
// emptied and focused); then the quantity check; for a bitmap, more than one
// file, a width below 100 or a height below 100 each refuses it, corrected;
// no files means one.
JobChecks ValidateJob(const JobSettings& settings, const JobFieldTexts& fields);

}  // namespace quibran
