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
#include "settings/field_limits.h"

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

// The last four characters of "0000" followed by `text`.
std::string LastFourOfPadded(const std::string& text) {
  std::string padded(4, '0');
  padded += text;
  return padded.substr(padded.size() - 4);
}

// The integer value of a field's text: the number its leading digits make.
int64_t IntegerValue(const std::string& text) { return DigitsValue(LeadingDigits(text)); }

constexpr const char* kDeviceMessage = "Alea Device:  ";

}  // namespace

std::string BuildOutputFileName(const std::string& folder, const std::string& stem, int16_t sequence,
                                const std::string& extension) {
  return folder + stem + LastFourOfPadded(std::to_string(sequence - 1)) + extension;
}

void AdvanceStartSequence(JobHost& host, const std::string& file_name) {
  // The eight last characters are the four sequence digits and the extension.
  const std::string digits = file_name.substr(file_name.size() - 8, 4);
  const int16_t next = static_cast<int16_t>(IntegerValue(digits) + 1);
  host.SetFieldText(JobField::StartSequence, LastFourOfPadded(std::to_string(next)));
  host.FocusThroughStartSequence();
}

int32_t ProgressScale(int32_t num_of_nums) {
  // The smallest d >= 2 with num_of_nums \ d <= 32767 is num_of_nums \ 32768 + 1.
  return num_of_nums <= 32767 ? 1 : num_of_nums / 32768 + 1;
}

int32_t UpdateInterval(int32_t num_of_nums) { return num_of_nums / 31 + 1; }

GenerationJob::GenerationJob(JobSettings& settings, RandomSources& sources, JobHost& host)
    : settings_(settings), sources_(sources), host_(host) {}

void GenerationJob::RequestStop() { StopRequested = true; }

bool GenerationJob::running() const { return running_; }

void GenerationJob::Run() {
  outcome_ = JobOutcome::NotStarted;
  // While the job draws secrets the process cannot dump core.
  std::optional<CoreDumpsOff> no_core_dumps;
  if (SecretSource(settings_.DeviceIndex)) no_core_dumps.emplace();
  // The device object lives until the handler returns, whichever way, and
  // no byte of the kernel's outlives the job in its buffer.
  struct Release {
    std::unique_ptr<RandomDevice>& device;
    KernelGenerator& os;
    ~Release() {
      device.reset();
      os.Release();
    }
  } release{device_, sources_.os};
  if (settings_.DeviceIndex == kSourceHardware) {
    try {
      device_ = MakeDevice();
    } catch (const RuntimeError& error) {
      ShowFailure(error, true, false);
      return;
    }
  }
  host_.ShowProgressBars();
  host_.CommitStartFields();
  if (settings_.NumOfNums < 1) {
    host_.ShowMessage(std::string(kAppTitle), "You must enter how many numbers you want generated", MessageIcon::Exclamation);
    host_.SetFieldText(JobField::NumOfNums, "");
    host_.FocusQuantity();
    return;
  }
  host_.CheckQuantity();
  if (settings_.FileType == kFileBmp && !PassesBitmapChecks()) return;

  host_.SetRunning(true);
  running_ = true;
  JobStartSequence = host_.FieldText(JobField::StartSequence);
  progress_scale_ = ProgressScale(settings_.NumOfNums);
  update_interval_ = UpdateInterval(settings_.NumOfNums);
  file_values_ = settings_.FileType == kFileCsv ? int64_t{settings_.CSVcolumnsX} * settings_.NumOfNums
                                                : int64_t{settings_.NumOfNums};
  file_progress_maximum_ = static_cast<int32_t>(file_values_ / progress_scale_);
  host_.SetFileProgressMaximum(file_progress_maximum_);
  host_.SetFileProgress(0);
  host_.SetJobProgress(0);
  if (settings_.NumOfFiles == 0) {
    settings_.NumOfFiles = 1;
    host_.SetFieldText(JobField::NumOfFiles, "1");
  }
  job_progress_maximum_ =
      settings_.NumOfFiles == 1 ? settings_.NumOfNums / progress_scale_ : settings_.NumOfFiles;
  host_.SetJobProgressMaximum(job_progress_maximum_);
  DisplayPending = true;
  DisplayText.clear();
  host_.SetDisplayText("");
  job_ = settings_;
  block_ = BlockSizer(1, kFirstBlock, job_.FileType == kFileBin ? kBinaryBlock : kTextBlock);
  bytes_done_ = 0;

  if ((job_.DeviceIndex < kSourceMersenneTwister || job_.DeviceIndex > kSourceHardware) &&
      job_.DeviceIndex != kSourceOs) {
    outcome_ = JobOutcome::Completed;
    CommonEnding();
    return;
  }
  const bool hardware = job_.DeviceIndex == kSourceHardware;
  file_incomplete_ = false;
  writing_file_ = false;
  try {
    if (hardware) {
      device_->Open();
    } else if (seed_) {
      sources_.SeedSource(job_.DeviceIndex, *seed_);
    } else {
      sources_.SeedSource(job_.DeviceIndex);
    }
    if (job_.FileType == kFileBmp) {
      // The bitmap window draws from a device object of its own.
      if (hardware) device_->Close();
      WriteBitmap();
    } else if (job_.FileType != kFileBin || job_.NumType == kNumByte) {
      // The binary writer writes Byte values only. An endless stream writes
      // its first "file" over and over.
      for (int i = 1; i <= job_.NumOfFiles; i += endless_ ? 0 : 1) {
        if (!WriteFile(i)) {
          if (hardware) device_->Close();
          return;
        }
      }
      if (stream_) stream_->Close();
    }
    NormalEnd();
  } catch (const ReaderGone&) {
    // Whoever read the stream has all they wanted.
    NormalEnd();
  } catch (const RuntimeError& error) {
    const bool file_failed = writing_file_ && dynamic_cast<const DrawFailure*>(&error) == nullptr;
    // The device's "File already open" goes unreported.
    if (!hardware || error.number() != kErrFileAlreadyOpen) ShowFailure(error, hardware, file_failed);
    JobFailed = true;
    outcome_ = JobOutcome::Failed;
    CommonEnding();
  }
}

void GenerationJob::ShowFailure(const RuntimeError& error, bool hardware, bool file_failed) {
  std::string text = (hardware ? kDeviceMessage : "") + error.description();
  // Which file, and whether it was made at all.
  if (file_failed) text += "\n" + OutputFileName + (file_incomplete_ ? " was left incomplete." : "");
  host_.ShowMessage(ErrorTitle(error), text, MessageIcon::Critical);
}

std::unique_ptr<RandomDevice> GenerationJob::MakeDevice() {
  std::unique_ptr<RandomDevice> device = device_factory_();
  device->SetStopPoll([this] {
    host_.ProcessEvents();
    return StopRequested;
  });
  return device;
}

bool GenerationJob::PassesBitmapChecks() {
  const std::string minimum = std::to_string(kMinBitmapPixels);
  if (IntegerValue(host_.FieldText(JobField::NumOfFiles)) > 1) {
    host_.ShowMessage(std::string(kAppTitle), "Only one bitmap can be generated at a time.", MessageIcon::Information);
    host_.SetFieldText(JobField::NumOfFiles, "1");
    settings_.NumOfFiles = 1;
  } else if (IntegerValue(host_.FieldText(JobField::CSVcolumnsX)) < kMinBitmapPixels) {
    host_.ShowMessage(std::string(kAppTitle), "Minimum X pixels is (screen width) " + minimum, MessageIcon::Information);
    host_.SetFieldText(JobField::CSVcolumnsX, minimum);
    settings_.CSVcolumnsX = kMinBitmapPixels;
  } else if (IntegerValue(host_.FieldText(JobField::NumOfNums)) < kMinBitmapPixels) {
    host_.ShowMessage(std::string(kAppTitle), "Minimum Y pixels is (screen height) " + minimum, MessageIcon::Information);
    host_.SetFieldText(JobField::NumOfNums, minimum);
    settings_.NumOfNums = kMinBitmapPixels;
  } else {
    return true;
  }
  return false;
}

std::string GenerationJob::FileNameOf(int file_index) const {
  return BuildOutputFileName(job_.DestDir, job_.BaseFilename,
                             static_cast<int16_t>(IntegerValue(JobStartSequence) + file_index),
                             std::string(FileExtensions[job_.FileType]));
}

bool GenerationJob::WriteFile(int file_index) {
  current_file_ = file_index;
  if (stream_) {
    bool completed = true;
    try {
      completed = WriteValues(*stream_);
    } catch (const DrawFailure&) {
      // The whole values drawn before the device failed go out, as a file
      // keeps them; should that fail too, the device's failure is the one told.
      try {
        stream_->Flush();
      } catch (const RuntimeError&) {
      } catch (const ReaderGone&) {
      }
      throw;
    }
    stream_->Flush();
    if (!completed) {
      StopSequence();
      return false;
    }
    ShowDisplay();
    return true;
  }
  writing_file_ = true;
  OutputFileName = FileNameOf(file_index);
  OutputFile file(OutputFileName, SecretSource(job_.DeviceIndex));
  // After a failed write the file keeps what it holds under its name; text
  // and CSV files whole lines and rows, as after a stop.
  const auto keep_written = [&] {
    if (job_.FileType != kFileBin) file.CutToLastLine();
    return file.CloseAsWritten();
  };
  bool completed = true;
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
  if (!completed) {
    StopSequence();
    return false;
  }
  ShowDisplay();
  if (job_.NumOfFiles > 1) host_.SetJobProgress(file_index);
  host_.SetFileProgress(file_progress_maximum_);
  AdvanceStartSequence(host_, OutputFileName);
  host_.FileCompleted(OutputFileName);
  return true;
}

bool GenerationJob::WriteValues(OutputFile& file) {
  bool completed = true;
  if (job_.FileType == kFileBin) {
    completed = WithDrawer<kNumByte>([&](auto draw) { return WriteBinary(file, draw); });
  } else if (!WriterOffers(job_.FileType, job_.DeviceIndex, job_.NumType)) {
    // One message per file; the file stays empty.
    host_.ShowMessage(std::string(kAppTitle), NotAvailableMessage(job_.FileType, job_.DeviceIndex), MessageIcon::None);
  } else {
    const int32_t columns = job_.FileType == kFileCsv ? job_.CSVcolumnsX : 1;
    completed = WithNumType(job_.NumType, [&](auto type) {
      return WithDrawer<decltype(type)::value>([&](auto draw) { return WriteRows(file, draw, columns); });
    });
  }
  return completed;
}

void GenerationJob::ShowDisplay() {
  if (job_.FileType == kFileAsc && job_.DisplayOn == 1 && DisplayPending) {
    host_.SetDisplayText(DisplayText);
    DisplayPending = false;
  }
}

void GenerationJob::WriteBitmap() {
  OutputFileName = FileNameOf(1);  // the picture carries the start sequence itself
  BitmapDrawing drawing(sources_,
                        {job_.DeviceIndex, job_.CSVcolumnsX, static_cast<int16_t>(job_.NumOfNums),
                         job_.MonochromeOn != 0, seed_, OutputFileName, [this] { return MakeDevice(); }},
                        StopRequested);
  writing_file_ = true;  // a host that saves at once may fail to
  BitmapDiscarded = !host_.RunBitmapWindow(drawing);
  writing_file_ = false;
  if (BitmapDiscarded) return;
  AdvanceStartSequence(host_, OutputFileName);
  host_.FileCompleted(OutputFileName);
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
    const int32_t take = static_cast<int32_t>(std::min<int64_t>(block_.size(), job_.NumOfNums - j));
    char* const out = file.Reserve(static_cast<std::size_t>(take));
    const auto keep = [&](std::size_t drawn) {
      file.Commit(out + drawn);
      bytes_done_ += static_cast<int64_t>(drawn);
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
  const bool collect_display = job_.FileType == kFileAsc && job_.DisplayOn == 1 && DisplayPending;
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
      bytes_done_ += out - begin;
      if (collect_display) {
        for (int32_t k = 0; k < whole && j + k < kDisplayLines; ++k) AppendDisplayLine<kNumType>(DisplayText, values[k]);
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
    host_.SetFileProgress(
        job_.FileType == kFileCsv
            ? static_cast<int32_t>(std::nearbyint(static_cast<double>(job_.CSVcolumnsX) * reached / progress_scale_))
            : reached / progress_scale_);
    if (job_.NumOfFiles == 1) host_.SetJobProgress(reached / progress_scale_);
  }
  const int64_t per_row = job_.FileType == kFileCsv ? job_.CSVcolumnsX : 1;
  host_.JobAdvanced({(current_file_ - 1) * file_values_ + j * per_row, job_.NumOfFiles * file_values_, bytes_done_});
  host_.ProcessEvents();
  last_yield_ = std::chrono::steady_clock::now();
  return !StopRequested;
}

void GenerationJob::StopSequence() {
  host_.SetRunning(false);
  host_.SetFileProgress(file_progress_maximum_);
  StopRequested = false;
  running_ = false;
  outcome_ = JobOutcome::Stopped;
}

void GenerationJob::NormalEnd() {
  host_.SetFileProgress(file_progress_maximum_);
  host_.SetJobProgress(job_progress_maximum_);
  if (device_) device_->Close();
  outcome_ = JobOutcome::Completed;
  CommonEnding();
}

void GenerationJob::CommonEnding() {
  if (job_.SaveLastSeq == 0) host_.SetFieldText(JobField::StartSequence, JobStartSequence);
  if (!JobFailed) {
    host_.SetFileProgress(file_progress_maximum_);
  } else {
    JobFailed = false;
  }
  StopRequested = false;
  host_.SetFileProgress(0);
  host_.SetRunning(false);
  running_ = false;
}

}  // namespace quibran
