// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a running job tells its caller, and asks of it: the main window shows
// it in its bars, fields and message boxes, quibran-batch on a terminal.

#include <cstdint>
#include <string>

#include "settings/message_icon.h"

namespace quibran {

struct BitmapRequest;

// How far a job has got: its two progress bars (minimum 0), the values drawn
// (CSV cells) out of all its files' values, and the bytes written.
struct JobProgress {
  int32_t file_maximum = 0;
  int32_t file_value = 0;
  int32_t job_maximum = 0;
  int32_t job_value = 0;
  int64_t values_done = 0;
  int64_t values_total = 0;
  int64_t bytes_done = 0;
};

class JobObserver {
 public:
  virtual ~JobObserver() = default;

  // The bars or the counts moved: at the start, right before each yield,
  // after each file and at the end.
  virtual void Progress(const JobProgress& progress) = 0;
  // A file of the job has been written whole and closed; the start sequence
  // after it is `next_start_sequence` (four digits).
  virtual void FileCompleted(const std::string& file_name, const std::string& next_start_sequence) = 0;
  // A modal message box with an OK button.
  virtual void Message(const std::string& title, const std::string& text, MessageIcon icon) = 0;
  // Lets pending events be handled; StopRequested is asked right after.
  virtual void Yield() = 0;
  // Whether the job is to stop (the Stop button, Ctrl-C).
  virtual bool StopRequested() = 0;

  // The display box's text once the first file is complete (a text file
  // with the display on).
  virtual void Display(const std::string& text) { (void)text; }
  // The picture of a bitmap job: drawn (ending at StopRequested, a stop seen
  // there cleared) and saved to the request's OutputFileName or discarded.
  // True when it was saved. A failed save may throw its RuntimeError, which
  // the job reports as for any file.
  virtual bool DrawBitmap(const BitmapRequest& request) = 0;
};

}  // namespace quibran
