#pragma once
// What the generation job needs from its window: the Start and Stop buttons,
// the two progress bars, the display box, a few fields, message boxes, the
// event-loop yield and the bitmap window. The main window implements it with real widgets, the
// batch tool on a terminal, and the tests with a recording fake.

#include <cstdint>
#include <string>

#include "settings/message_icon.h"

namespace quibran {

// The fields the job reads or writes directly.
enum class JobField {
  StartSequence,  // txtStartSequence
  NumOfNums,      // cmbNumOfNums (quantity, rows, height)
  CSVcolumnsX,    // txtCSVcolumnsX (columns, width)
  NumOfFiles,     // txtNumOfFiles
};

class BitmapDrawing;

// How far a job has got: the values drawn (CSV cells) out of all its files'
// values, and the bytes written to its files.
struct JobProgress {
  int64_t values_done = 0;
  int64_t values_total = 0;
  int64_t bytes_done = 0;
};

class JobHost {
 public:
  virtual ~JobHost() = default;

  // Makes both progress bars visible.
  virtual void ShowProgressBars() = 0;
  // Moves the focus through txtStartSequence to txtBaseFilename so that the
  // leave checks of those fields run before the job reads them.
  virtual void CommitStartFields() = 0;
  // Runs the quantity check (cmbNumOfNums_LostFocus), which may correct the
  // settings and show its own messages.
  virtual void CheckQuantity() = 0;
  // Gives the keyboard focus to the quantity field.
  virtual void FocusQuantity() = 0;

  virtual std::string FieldText(JobField field) = 0;
  // Sets a field's text; the field's own change handling runs as for a user.
  virtual void SetFieldText(JobField field, const std::string& text) = 0;
  // After the start sequence advanced: while the window is in its normal
  // state, moves the focus into txtStartSequence and on to txtFileName.
  virtual void FocusThroughStartSequence() = 0;

  // Running: Start disabled, Stop enabled and focused. Idle: Stop disabled,
  // Start enabled and focused.
  virtual void SetRunning(bool running) = 0;

  // Progress bars; their minimum is always 0.
  virtual void SetFileProgressMaximum(int32_t maximum) = 0;
  virtual void SetFileProgress(int32_t value) = 0;
  virtual void SetJobProgressMaximum(int32_t maximum) = 0;
  virtual void SetJobProgress(int32_t value) = 0;

  virtual void SetDisplayText(const std::string& text) = 0;

  // A modal message box with an OK button.
  virtual void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) = 0;

  // Lets the window handle pending events; Stop is seen after this returns.
  virtual void ProcessEvents() = 0;
  // Right before each yield: how far the job has got. The batch tool shows
  // the bytes, the rate and the time left; the window's bars need no more.
  virtual void JobAdvanced(const JobProgress& progress) { (void)progress; }

  // The bitmap window (frmBMP), owned by this window: draws the picture while
  // it is watched (Stop still acts), then waits, modal, until the user saves
  // it to the request's OutputFileName or discards it. Returns true when it
  // was saved. A host that saves without asking may throw the RuntimeError
  // of a failed save, which the job reports as for any file.
  virtual bool RunBitmapWindow(BitmapDrawing& drawing) = 0;

  // A file of the job has been written whole and closed (the batch tool
  // lists it); the window has nothing to do here.
  virtual void FileCompleted(const std::string& file_name) { (void)file_name; }
};

}  // namespace quibran
