// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/generation_job.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "job/bitmap_picture.h"
#include "job/number_text.h"
#include "platform/output_file.h"
#include "platform/runtime_error.h"
#include "platform/secret_memory.h"
#include "platform/version.h"
#include "settings/defaults.h"
#include "settings/field_checks.h"

namespace quibran {

namespace {

// The most bytes drawn per block of a binary file, and values per block of a
// text or CSV file: small enough for a quick yield, large enough that the time
// check and the buffer bookkeeping vanish in the work. Blocks start small and
// grow to these while they take little time (BlockSizer), so a slow device
// still lets the job yield every few milliseconds.
constexpr int32_t kBinaryBlock = 65536;
constexpr int32_t kTextBlock = 4096;
constexpr int32_t kFirstBlock = 64;

// A block of text values, and a CSV row as wide as a 16-bit column count
// allows, fit the output buffer at their longest.
static_assert(kTextBlock * kMaxValueText <= OutputFile::kBufferSize);
static_assert(std::numeric_limits<int16_t>::max() * kMaxValueText <= OutputFile::kBufferSize);

// The display box holds the lines of the first file's first 1024 values.
constexpr int32_t kDisplayLines = 1024;

}  // namespace

std::string BuildOutputFileName(const std::string& folder, const std::string& stem, int16_t sequence,
                                const std::string& extension) {
  return folder + stem + SequenceDigits(std::to_string(sequence - 1)) + extension;
}

int32_t ProgressScale(int32_t num_of_nums) {
  // The smallest d >= 2 with num_of_nums \ d <= 32767 is num_of_nums \ 32768 + 1.
  return num_of_nums <= 32767 ? 1 : num_of_nums / 32768 + 1;
}

int32_t UpdateInterval(int32_t num_of_nums) { return num_of_nums / 31 + 1; }

GenerationJob::GenerationJob(RandomSources& sources, JobObserver& observer) : sources_(sources), observer_(observer) {}

void GenerationJob::Run(int16_t source, const StartChecks& checks) {
  outcome_ = JobOutcome::NotStarted;
  // While the job draws secrets the process cannot dump core.
  std::optional<CoreDumpsOff> no_core_dumps;
  if (SecretSource(source)) no_core_dumps.emplace();
  // The device object lives until the job returns, whichever way, and no
  // byte of the kernel's outlives the job in its buffer.
  struct Release {
    std::unique_ptr<RandomDevice>& device;
    KernelGenerator& os;
    ~Release() {
      device.reset();
      os.Release();
    }
  } release{device_, sources_.os};
  if (source == kSourceHardware) {
    try {
      device_ = MakeDevice();
    } catch (const RuntimeError& error) {
      ShowFailure(error, true, false);
      return;
    }
  }
  std::optional<JobRequest> request = checks();
  if (!request) return;
  job_ = *std::move(request);
  running_ = true;
  progress_scale_ = ProgressScale(job_.NumOfNums);
  update_interval_ = UpdateInterval(job_.NumOfNums);
  file_values_ = job_.FileType == kFileCsv ? int64_t{job_.CSVcolumnsX} * job_.NumOfNums : int64_t{job_.NumOfNums};
  progress_ = JobProgress{
      .file_maximum = static_cast<int32_t>(file_values_ / progress_scale_),
      .job_maximum = job_.NumOfFiles == 1 ? job_.NumOfNums / progress_scale_ : job_.NumOfFiles,
      .values_total = job_.NumOfFiles * file_values_,
  };
  observer_.Progress(progress_);
  DisplayPending = true;
  DisplayText.clear();
  block_ = BlockSizer(1, kFirstBlock, job_.FileType == kFileBin ? kBinaryBlock : kTextBlock);
  End(RunRequest());
}

JobOutcome GenerationJob::RunRequest() {
  const bool hardware = job_.DeviceIndex == kSourceHardware;
  file_incomplete_ = false;
  writing_file_ = false;
  try {
    if (hardware) {
      device_->Open();
    } else if (job_.seed) {
      sources_.SeedSource(job_.DeviceIndex, *job_.seed);
    } else {
      sources_.SeedSource(job_.DeviceIndex);
    }
    bool completed = true;
    if (job_.FileType == kFileBmp) {
      // The bitmap's drawing makes a device object of its own.
      if (hardware) device_->Close();
      WriteBitmap();
    } else if (job_.FileType != kFileBin || job_.NumType == kNumByte) {
      // The binary writer writes Byte values only.
      completed = WriteFiles();
    }
    if (hardware) device_->Close();
    if (!completed) return JobOutcome::Stopped;
  } catch (const RuntimeError& error) {
    const bool file_failed = writing_file_ && dynamic_cast<const DrawFailure*>(&error) == nullptr;
    // The device's "File already open" goes unreported.
    if (!hardware || error.number() != kErrFileAlreadyOpen) ShowFailure(error, hardware, file_failed);
    return JobOutcome::Failed;
  }
  // The normal end: both bars full.
  progress_.job_value = progress_.job_maximum;
  return JobOutcome::Completed;
}

void GenerationJob::End(JobOutcome outcome) {
  outcome_ = outcome;
  running_ = false;
  // The stop sequence leaves the file bar full; the common ending empties
  // it. The job bar keeps its value.
  progress_.file_value = outcome == JobOutcome::Stopped ? progress_.file_maximum : 0;
  observer_.Progress(progress_);
}

void GenerationJob::ShowFailure(const RuntimeError& error, bool hardware, bool file_failed) {
  std::string text = hardware ? DeviceFailureText(error) : error.description();
  // Which file, and whether it was made at all.
  if (file_failed) text += "\n" + OutputFileName + (file_incomplete_ ? " was left incomplete." : "");
  observer_.Message(ErrorTitle(error), text, MessageIcon::Critical);
}

std::unique_ptr<RandomDevice> GenerationJob::MakeDevice() {
  std::unique_ptr<RandomDevice> device = device_factory_();
  device->SetStopPoll([this] {
    observer_.Yield();
    return observer_.StopRequested();
  });
  return device;
}

std::string GenerationJob::FileNameOf(int file_index) const {
  return BuildOutputFileName(job_.DestDir, job_.BaseFilename, static_cast<int16_t>(job_.StartSequence + file_index),
                             std::string(FileExtensions[static_cast<std::size_t>(job_.FileType)]));
}

bool GenerationJob::WriteFiles() {
  try {
    // An endless stream writes its first "file" over and over.
    for (int i = 1; i <= job_.NumOfFiles; i += endless_ ? 0 : 1) {
      if (!WriteFile(i)) return false;
    }
    if (stream_) stream_->Close();
  } catch (const ReaderGone&) {
    // Whoever read the stream has all they wanted.
  }
  return true;
}

bool GenerationJob::WriteFile(int file_index) {
  current_file_ = file_index;
  bool completed = true;
  if (stream_) {
    try {
      completed = WriteValues(*stream_);
    } catch (const DrawFailure&) {
      // The whole values drawn before the device failed go out, as a file
      // keeps them; should that fail too, the device's failure is the one told.
      try {
        stream_->Flush();
      } catch (const RuntimeError&) {
      } catch (const ReaderGone&) {}
      throw;
    }
    stream_->Flush();
  } else {
    writing_file_ = true;
    OutputFileName = FileNameOf(file_index);
    OutputFile file(OutputFileName, SecretSource(job_.DeviceIndex));
    // After a failed write the file keeps what it holds under its name; text
    // and CSV files whole lines and rows, as after a stop.
    const auto keep_written = [&] {
      if (job_.FileType != kFileBin) file.CutToLastLine();
      return file.CloseAsWritten();
    };
    try {
      completed = WriteValues(file);
      // The buffer's last bytes go out here: only a file closed without a
      // failure counts as written.
      file.Close();
    } catch (const DrawFailure&) {
      // The file keeps the whole values drawn before the device failed. Should
      // writing them fail as well, the device's failure is still the one told.
      try {
        file.Close();
      } catch (const RuntimeError&) {
        keep_written();
      }
      throw;
    } catch (const RuntimeError&) {
      file_incomplete_ = keep_written();
      throw;
    }
    writing_file_ = false;
  }
  if (completed) FileDone(file_index);
  return completed;
}

void GenerationJob::FileDone(int file_index) {
  if (DisplayPending && job_.FileType == kFileAsc && job_.DisplayOn) {
    observer_.Display(DisplayText);
    DisplayPending = false;
  }
  if (stream_) return;
  if (job_.NumOfFiles > 1) progress_.job_value = file_index;
  progress_.file_value = progress_.file_maximum;
  observer_.Progress(progress_);
  observer_.FileCompleted(OutputFileName, SequenceDigits(std::to_string(job_.StartSequence + file_index)));
}

void GenerationJob::WriteBitmap() {
  OutputFileName = FileNameOf(1);  // the picture carries the start sequence itself
  writing_file_ = true;            // an observer that saves at once may fail to
  const bool saved =
      observer_.DrawBitmap({job_.DeviceIndex, job_.CSVcolumnsX, static_cast<int16_t>(job_.NumOfNums), job_.MonochromeOn,
                            job_.seed, OutputFileName, [this] { return MakeDevice(); }});
  writing_file_ = false;
  if (saved) observer_.FileCompleted(OutputFileName, SequenceDigits(std::to_string(job_.StartSequence + 1)));
}

bool GenerationJob::WriteValues(OutputFile& file) {
  bool completed = true;
  if (job_.FileType == kFileBin) {
    completed = WithDrawer<kNumByte>([&](auto draw) { return WriteBinary(file, draw); });
  } else if (!WriterOffers(job_.FileType, job_.DeviceIndex, job_.NumType)) {
    // One message per file; the file stays empty.
    observer_.Message(std::string(kAppTitle), NotAvailableMessage(job_.FileType, job_.DeviceIndex), MessageIcon::None);
  } else {
    const int32_t columns = job_.FileType == kFileCsv ? job_.CSVcolumnsX : 1;
    completed = WithNumType(job_.NumType, [&](auto type) {
      return WithDrawer<decltype(type)::value>([&](auto draw) { return WriteRows(file, draw, columns); });
    });
  }
  return completed;
}

template <int NumType, class Fn>
bool GenerationJob::WithDrawer(Fn&& fn) {
  if (job_.DeviceIndex != kSourceHardware) return sources_.WithDrawer<NumType>(job_.DeviceIndex, fn);
  if constexpr (NumType == kNumColor) {
    ThrowNotOffered(kSourceHardware, NumType);
  } else {
    return WithDeviceDrawer<NumType>(*device_, fn);
  }
}

template <class Draw>
bool GenerationJob::WriteBinary(OutputFile& file, Draw& draw) {
  for (int32_t j = 0; j < job_.NumOfNums;) {
    const auto start = std::chrono::steady_clock::now();
    const int32_t take = static_cast<int32_t>(std::min(block_.size(), static_cast<std::size_t>(job_.NumOfNums - j)));
    char* const out = file.Reserve(static_cast<std::size_t>(take));
    const auto keep = [&](std::size_t drawn) {
      file.Commit(out + drawn);
      progress_.bytes_done += static_cast<int64_t>(drawn);
    };
    try {
      draw.Fill(reinterpret_cast<uint8_t*>(out), static_cast<std::size_t>(take));
    } catch (const DrawFailure& failure) {
      keep(failure.drawn());
      throw;
    } catch (const DrawStopped& stopped) {
      keep(stopped.drawn);
      return false;
    }
    keep(static_cast<std::size_t>(take));
    j += take;
    block_.Took(std::chrono::steady_clock::now() - start);
    if (!Step(j, j == job_.NumOfNums)) return false;
  }
  return true;
}

// Rows of `columns` values, separated by commas, each row ended by CR LF; a
// text file is rows of one value.
template <class Draw>
bool GenerationJob::WriteRows(OutputFile& file, Draw& draw, int32_t columns) {
  constexpr int kNumType = Draw::kNumType;
  using Value = typename Draw::Value;
  const int32_t rows = columns >= 1 ? job_.NumOfNums : 0;
  const int32_t most_rows = std::max(1, kTextBlock / std::max(columns, 1));
  SecretBuffer<Value> values(static_cast<std::size_t>(most_rows) * static_cast<std::size_t>(columns));
  const bool collect_display = job_.FileType == kFileAsc && job_.DisplayOn && DisplayPending;
  for (int32_t j = 0; j < rows;) {
    const auto start = std::chrono::steady_clock::now();
    const int32_t take = std::min(rows - j, std::max(1, static_cast<int32_t>(block_.size()) / columns));
    const std::size_t count = static_cast<std::size_t>(take) * static_cast<std::size_t>(columns);
    // Writes the block's first `whole` rows.
    const auto write = [&](int32_t whole) {
      char* const begin = file.Reserve(count * kMaxValueText);
      char* out = begin;
      const Value* value = values.get();
      for (int32_t row = 0; row < whole; ++row) {
        for (int32_t column = 1; column < columns; ++column) {
          out = WriteListValue<kNumType>(out, *value++);
          *out++ = ',';
        }
        out = WriteListValue<kNumType>(out, *value++);
        *out++ = '\r';
        *out++ = '\n';
      }
      file.Commit(out);
      progress_.bytes_done += out - begin;
      if (collect_display) {
        for (int32_t k = 0; k < whole && j + k < kDisplayLines; ++k)
          AppendDisplayLine<kNumType>(DisplayText, values[static_cast<std::size_t>(k)]);
      }
    };
    try {
      draw.Fill(values.get(), count);
    } catch (const DrawFailure& failure) {
      write(static_cast<int32_t>(failure.drawn() / static_cast<std::size_t>(columns)));
      throw;
    } catch (const DrawStopped& stopped) {
      write(static_cast<int32_t>(stopped.drawn / static_cast<std::size_t>(columns)));
      return false;
    }
    write(take);
    j += take;
    block_.Took(std::chrono::steady_clock::now() - start);
    if (!Step(j, j == rows)) return false;
  }
  return true;
}

bool GenerationJob::Step(int32_t j, bool last) {
  if (!last && std::chrono::steady_clock::now() - last_yield_ < yield_interval_) return true;
  // The progress of the last UpdateInterval multiple reached.
  const int32_t reached = j / update_interval_ * update_interval_;
  if (reached > 0) {
    progress_.file_value =
        job_.FileType == kFileCsv
            ? static_cast<int32_t>(std::nearbyint(static_cast<double>(job_.CSVcolumnsX) * reached / progress_scale_))
            : reached / progress_scale_;
    if (job_.NumOfFiles == 1) progress_.job_value = reached / progress_scale_;
  }
  const int64_t per_row = job_.FileType == kFileCsv ? job_.CSVcolumnsX : 1;
  progress_.values_done = (current_file_ - 1) * file_values_ + j * per_row;
  observer_.Progress(progress_);
  observer_.Yield();
  last_yield_ = std::chrono::steady_clock::now();
  return !observer_.StopRequested();
}

}  // namespace quibran
