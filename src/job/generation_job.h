// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The generation job behind the Start button and quibran-batch: file naming,
// the file loop with its progress and stop polling, and the endings. It runs
// from a request (settings/job_request.h) and reports to an observer
// (job/job_observer.h); the fields and buttons are its caller's.
//
// It draws and formats values in blocks into the output file's
// buffer and yields to its caller by time (every yield interval of work and
// after each file's last value), asking whether to stop after each yield.
// Text files hold whole lines and CSV files whole rows, stopped or not.
//
// Each file is written under a temporary name and put under its own once it
// is closed, after the end, a stop or a failed write alike (OutputFile). The
// files of the secret sources (SecretSource) are their owner's alone, and
// while a job draws from one the process cannot dump core; the buffers that
// hold its values are wiped after it.
//
// For the hardware source (4) the job creates a device object first thing
// and opens it once the job runs; every value is one member call on it, made
// by the table of random/hardware_device.h. A failure from Open on ends the
// job: its message ("Alea Device:  " and the description, titled with the
// number; none for 55), the file closed with the whole values drawn before,
// the common ending, and no Close, no further file, no other source.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "job/job_observer.h"
#include "platform/block_sizer.h"
#include "random/hardware_device.h"
#include "random/random_sources.h"
#include "settings/job_request.h"

namespace quibran {

class OutputFile;

// How the last Run() ended.
enum class JobOutcome {
  NotStarted,  // the device object or the caller's checks kept the job from starting
  Completed,   // the normal end
  Stopped,     // the stop sequence
  Failed,      // a file could not be written or the device failed; reported, then the common ending
};

class GenerationJob {
 public:
  static constexpr std::chrono::milliseconds kDefaultYieldInterval{15};
  // The caller's part of a job start: what it does before the job runs (the
  // window's focus moves and checks), and the request, none when the job is
  // not to start.
  using StartChecks = std::function<std::optional<JobRequest>()>;

  GenerationJob(RandomSources& sources, JobObserver& observer);

  // Runs one whole job (the Start button's click) from the source `source`;
  // returns when it has ended. For the hardware source the device object is
  // made first thing (a failure is reported and ends it there); then
  // `checks` gives the request, whose source is `source`.
  void Run(int16_t source, const StartChecks& checks);
  bool running() const { return running_; }

  JobOutcome outcome() const { return outcome_; }
  // The most work between two yields.
  void SetYieldInterval(std::chrono::nanoseconds interval) { yield_interval_ = interval; }
  // Where the hardware source's device objects come from (by default
  // CreateDeviceObject: the first Alea plugged in).
  void SetDeviceFactory(DeviceFactory factory) { device_factory_ = std::move(factory); }
  // Writes the job's values to `stream` (standard output, say) instead of
  // numbered files, through the same writers: NumOfNums values (rows) for
  // each of NumOfFiles, or, when `endless`, NumOfNums after NumOfNums until
  // a stop is requested or the stream's reader goes, which ends the job
  // normally. No file is named, counted or advanced past; a job that ends
  // normally closes the stream.
  void SetStream(OutputFile* stream, bool endless) {
    stream_ = stream;
    endless_ = endless;
  }

 private:
  // Runs the request's files or picture; returns how the job ended.
  JobOutcome RunRequest();
  // A device object from the factory whose waits for the device yield as
  // the job does and end at a stop.
  std::unique_ptr<RandomDevice> MakeDevice();
  // The name of file i of the job, from the sequence the job started with.
  std::string FileNameOf(int file_index) const;
  // Writes the job's files (the stream's rounds); false when the job was
  // stopped.
  bool WriteFiles();
  // Writes file i of the job; false when the job was stopped in it.
  bool WriteFile(int file_index);
  // A file (or the stream's round) is complete.
  void FileDone(int file_index);
  // The bitmap writer: one picture, drawn, saved or discarded by the
  // observer; the start sequence advances only when it was saved.
  void WriteBitmap();
  // Calls fn(drawer) with the drawer of `NumType` from the job's source.
  template <int NumType, class Fn>
  bool WithDrawer(Fn&& fn);
  template <class Draw>
  bool WriteBinary(OutputFile& file, Draw& draw);
  // The writers for the job's file type; false when the job was stopped.
  bool WriteValues(OutputFile& file);
  template <class Draw>
  bool WriteRows(OutputFile& file, Draw& draw, int32_t columns);
  // The per-value (per-row) step after value or row j: progress, the yield
  // and the stop poll, run when the yield interval has passed or on the
  // file's last value. False when a stop was requested.
  bool Step(int32_t j, bool last);
  // The cleanup of every ending: the stop sequence leaves the file bar full,
  // the common ending (after a completed or failed job) empties it.
  void End(JobOutcome outcome);
  // The critical message of a failure, titled with its number: on the
  // hardware source's path its text starts "Alea Device:  "; a file's
  // failure names the file and says whether it was left incomplete.
  void ShowFailure(const RuntimeError& error, bool hardware, bool file_failed);

  RandomSources& sources_;
  JobObserver& observer_;

  JobRequest job_;  // the request the job runs from
  DeviceFactory device_factory_ = [] { return CreateDeviceObject(); };
  std::unique_ptr<RandomDevice> device_;  // source 4's, while a job runs
  BlockSizer block_{1, 1, 1};             // values (bytes) per block, set per job
  OutputFile* stream_ = nullptr;
  bool endless_ = false;
  std::chrono::nanoseconds yield_interval_ = kDefaultYieldInterval;
  std::chrono::steady_clock::time_point last_yield_;
  JobOutcome outcome_ = JobOutcome::NotStarted;
  bool running_ = false;

  std::string OutputFileName;
  bool file_incomplete_ = false;  // the failed file exists with part of its values
  bool writing_file_ = false;     // from a file's opening to its close: a failure not the device's is the file's
  std::string DisplayText;
  bool DisplayPending = false;
  int32_t progress_scale_ = 1;
  int32_t update_interval_ = 1;
  JobProgress progress_;
  int64_t file_values_ = 0;  // values (CSV cells) per file
  int current_file_ = 0;
};

// folder & stem & the last four digits of "0000" & (sequence - 1) & extension.
std::string BuildOutputFileName(const std::string& folder, const std::string& stem, int16_t sequence,
                                const std::string& extension);

// The divisor that keeps progress values at or below 32767.
int32_t ProgressScale(int32_t num_of_nums);
// The number of values between two progress updates: about 31 per file.
int32_t UpdateInterval(int32_t num_of_nums);

}  // namespace quibran
