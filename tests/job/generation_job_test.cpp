// SPDX-License-Identifier: GPL-3.0-or-later
// The job's mechanics: numbering, stop, write failures, progress, core
// dumps, and the hardware source's calls (its bitmap's too) through the
// scripted double. The values that the software sources
// write are quibran-batch's table's (batch_test.cpp).
#include "job/generation_job.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "fixed_clock.h"
#include "job/bitmap_picture.h"
#include "platform/output_file.h"
#include "scripted_device.h"
#include "settings/defaults.h"
#include "temp_folder.h"

namespace quibran::test {
namespace {

using namespace std::string_literals;

struct RecordedMessage {
  std::string title;
  std::string text;
  MessageIcon icon;
  bool operator==(const RecordedMessage&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RecordedMessage& m) {
  return out << "[" << m.title << "] " << m.text << " (icon " << static_cast<int>(m.icon) << ")";
}

using Messages = std::vector<RecordedMessage>;
using Names = std::vector<std::string>;

// What a job reported.
struct JobRecord {
  Names calls;  // "checks" (the caller's start), "Message <text>"
  Messages messages;
  Names completed;
  Names next_sequences;  // the start sequence after each completed file
  std::vector<JobProgress> progress;
  bool stop = false;  // the stop flag; a bitmap drawing clears it
};

// An observer that keeps what the job reported; on_yield runs at each
// yield, on_bitmap draws and answers whether it saved.
class RecordingObserver final : public JobObserver, public JobRecord {
 public:
  explicit RecordingObserver(RandomSources& sources) : sources_(sources) {}

  void Progress(const JobProgress& report) override { progress.push_back(report); }
  void FileCompleted(const std::string& name, const std::string& next) override {
    completed.push_back(name);
    next_sequences.push_back(next);
  }
  void Message(const std::string& title, const std::string& text, MessageIcon icon) override {
    calls.push_back("Message " + text);
    messages.push_back({title, text, icon});
  }
  void Yield() override {
    if (on_yield) on_yield();
  }
  bool StopRequested() override { return stop; }
  void Display(const std::string&) override {}
  bool DrawBitmap(const BitmapRequest& request) override {
    BitmapDrawing drawing(sources_, request, stop);
    return on_bitmap && on_bitmap(drawing);
  }
  const JobProgress& last() const { return progress.back(); }

  std::function<void()> on_yield;
  std::function<bool(BitmapDrawing&)> on_bitmap;

 private:
  RandomSources& sources_;
};

// A job over a RecordingObserver: one file of 100 values (CSV: rows of three),
// stem R, from start sequence 0001, into a fresh folder, yielding after every
// block.
class JobFixture : public ::testing::Test {
 protected:
  JobFixture() {
    request_.NumOfNums = 100;
    request_.CSVcolumnsX = 3;
    request_.DestDir = folder_.dir();
    request_.BaseFilename = "R";
    request_.StartSequence = 1;
    job_.SetYieldInterval(std::chrono::nanoseconds(0));
  }
  // Runs a job of the request on an observer that has forgotten the last one
  // (the stop flag too), keeping its hooks.
  void Run() {
    static_cast<JobRecord&>(observer_) = {};
    job_.Run(request_.DeviceIndex, [&] {
      observer_.calls.push_back("checks");
      return std::optional(request_);
    });
  }
  // File `number` (1 to 9) of a job of the request's type into its folder.
  std::string File(int number) const {
    return request_.DestDir + "R000" + std::to_string(number) +
           std::string(FileExtensions[static_cast<std::size_t>(request_.FileType)]);
  }

  TempFolder folder_;
  FixedClock clock_{46000, 5000.25f};
  JobRequest request_;
  RandomSources sources_{clock_};
  RecordingObserver observer_{sources_};
  GenerationJob job_{sources_, observer_};
};

using JobTest = JobFixture;

// Files are numbered on from the start sequence, past 9999 to 0000, replace
// a longer file or a link of the name (never writing through it), and each
// names the start sequence after it.
// The job runs from its request as it started: a change made meanwhile does
// not reach it. Only Byte values go to binary files.
TEST_F(JobTest, BinaryFilesAreNumberedOnFromTheStartSequence) {
  request_.NumOfFiles = 3;
  request_.NumOfNums = 1000;
  request_.StartSequence = 9998;
  std::ofstream(folder_ / "R9999.BIN") << std::string(5000, 'x');
  std::filesystem::create_hard_link(folder_ / "R9999.BIN", folder_ / "OLD");  // replaced: OLD keeps it
  std::filesystem::create_symlink(folder_ / "OLD", folder_ / "R0000.BIN");
  observer_.on_yield = [&] {
    request_.NumOfNums = 50;
    request_.BaseFilename = "OTHER";
  };
  Run();
  EXPECT_EQ(observer_.completed, (Names{folder_ / "R9998.BIN", folder_ / "R9999.BIN", folder_ / "R0000.BIN"}));
  EXPECT_EQ(observer_.next_sequences, (Names{"9999", "0000", "0001"}));
  for (const std::string& name : observer_.completed) {
    EXPECT_EQ(ReadFile(name).size(), 1000u);
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(name)));
  }
  EXPECT_EQ(ReadFile(folder_ / "OLD"), std::string(5000, 'x'));
  observer_.on_yield = nullptr;

  // Another type than Byte writes nothing, silently, and ends full.
  const std::size_t files = folder_.FileCount();
  request_.NumType = kNumInteger16;
  Run();
  EXPECT_TRUE(observer_.messages.empty());
  EXPECT_EQ(folder_.FileCount(), files);
  EXPECT_EQ(observer_.last().job_value, observer_.last().job_maximum);
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
}

// The bars end full, the file's bar back at 0; their maxima fit an int: a
// file's bar counts its values scaled down (a CSV file's its cells), the job's
// bar a single file's values or the files.
TEST_F(JobTest, ProgressBarsEndFull) {
  for (const auto& [type, values, files, file_maximum, job_maximum, total] :
       {std::tuple{kFileBin, 100000, 1, 25000, 25000, 100000}, {kFileCsv, 40000, 2, 60000, 2, 240000}}) {
    request_.FileType = type;
    request_.NumOfNums = values;
    request_.NumOfFiles = static_cast<int16_t>(files);
    Run();
    const JobProgress& bars = observer_.last();
    EXPECT_EQ(std::tie(bars.file_value, bars.file_maximum, bars.job_value, bars.job_maximum, bars.values_done),
              std::make_tuple(0, file_maximum, job_maximum, job_maximum, int64_t{total}));
    EXPECT_EQ(bars.values_total, total);
  }
}

// A stop keeps what is written, whole lines only, the start sequence one on
// from the last whole file and the file bar full; the next job runs to its
// end. (A stop in a binary file is quibran-batch's Ctrl-C test.)
TEST_F(JobTest, StopInTheSecondFileKeepsWholeLinesAndTheStartFieldOneOn) {
  request_.FileType = kFileAsc;
  request_.NumType = kNumDouble;
  request_.NumOfNums = 70000;  // more than a block
  request_.NumOfFiles = 5;
  observer_.on_yield = [&] { observer_.stop = observer_.completed.size() == 1; };  // at its first yield
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Stopped);
  EXPECT_FALSE(job_.running());
  EXPECT_EQ(observer_.last().file_value, observer_.last().file_maximum);
  EXPECT_EQ(observer_.next_sequences, Names{"0002"});
  EXPECT_EQ(Split(ReadFile(File(1)), "\r\n").size(), 70000u);
  const std::size_t second = Split(ReadFile(File(2)), "\r\n").size();
  EXPECT_TRUE(second > 0 && second < 70000) << second;
  EXPECT_EQ(folder_.FileCount(), 2u);

  observer_.on_yield = nullptr;
  request_.NumOfNums = 10;
  request_.StartSequence = 2;
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(observer_.completed.back(), File(6));
}

// A file that cannot be written is reported with its name and ends the job:
// no further file, the file bar never full, the job bar counting only the
// files written whole (the last failing only when it is closed). The file
// keeps its whole lines. The next job runs normally. The disk fills (a
// child process's limit on the file size, set at a yield) at a byte that is
// no line's end.
TEST_F(JobTest, WriteFailuresAreReportedAndEndTheJob) {
  constexpr rlim_t kLimit = 100001;
  request_.FileType = kFileAsc;
  request_.NumType = kNumDouble;
  request_.NumOfFiles = 3;
  request_.StartSequence = 7;
  // The file that fills the disk, the values a file (300000 fail while it is
  // written, 100 only when it is closed), the files written whole.
  for (const auto& [full, values, written] : {std::tuple{"R0007.ASC", 300000, 0u}, {"R0009.ASC", 100, 2u}}) {
    SCOPED_TRACE(full);
    request_.NumOfNums = values;
    const auto limit = written == 0 ? kLimit : 1000;
    observer_.on_yield = [&, written = written] {
      if (observer_.completed.size() == written) LimitFileSize(limit);
    };
    const auto run_limited = [&, full = full, written = written] {
      Run();
      const Messages disk_full = {
          {"Error Number 61", "Disk full\n" + folder_ / full + " was left incomplete.", MessageIcon::Critical}};
      // A file that fails while it is written never fills its bar.
      const auto full_bars = std::count_if(observer_.progress.begin(), observer_.progress.end(),
                                           [&](const JobProgress& p) { return p.file_value == p.file_maximum; });
      std::_Exit(observer_.messages == disk_full && job_.outcome() == JobOutcome::Failed &&
                         observer_.completed.size() == written &&
                         observer_.last().job_value == static_cast<int32_t>(written) && !job_.running() &&
                         (written > 0 || full_bars == 0)
                     ? 0
                     : 1);
    };
    EXPECT_EXIT(run_limited(), ::testing::ExitedWithCode(0), "");
    const std::string text = ReadFile(folder_ / full);
    EXPECT_TRUE(text.size() > limit - 100 && text.size() <= limit) << text.size();
    EXPECT_GT(Split(text, "\r\n").size(), 10u);
  }
  observer_.on_yield = nullptr;
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(observer_.completed.size(), 3u);
}

// While a job draws secrets the process cannot dump core; afterwards it can.
TEST_F(JobTest, SecretSourcesKeepTheProcessFromDumpingCore) {
  for (const auto& [source, dumpable] : {std::pair{kSourceOs, 0}, {kSourceMersenneTwister, 1}}) {
    request_.DeviceIndex = source;
    int during = -1;
    observer_.on_yield = [&] { during = ::prctl(PR_GET_DUMPABLE); };
    Run();
    EXPECT_EQ(during, dumpable) << source;
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE), 1) << source;
  }
}

std::string PatternBytes(std::size_t from, std::size_t count) {
  std::string bytes;
  for (std::size_t n = from; n < from + count; ++n) bytes += static_cast<char>(DeviceScript::PatternByte(n));
  return bytes;
}

class HardwareJobTest : public JobFixture {
 protected:
  HardwareJobTest() { request_.DeviceIndex = kSourceHardware; }
  // A fresh double for the next job, serving `values` first.
  void Script(std::vector<double> values = {}) {
    script_ = DeviceScript{};
    script_.values = std::move(values);
    job_.SetDeviceFactory(script_.Factory());
  }

  DeviceScript script_;
};

// One call per value (per CSV cell) by the number type's table, between Open
// and Close; none for a type the writer does not write, which costs a
// message a file.
TEST_F(HardwareJobTest, EachValueIsOneCallByTheNumberTypeTable) {
  struct Case {
    int16_t file_type, num_type, count;
    std::vector<double> values;
    std::string draws;                // the calls between Open and Close
    std::optional<std::string> text;  // of R0001 (none: no file)
    const char* message = "";
  };
  const Case cases[] = {
      {kFileAsc, kNumInteger16, 4, {-1, 65536, INT_MIN, -32769}, "GetRandomWord x4", "65535\r\n0\r\n0\r\n32767\r\n"},
      {kFileAsc, kNumLong32, 2, {INT_MIN, -5}, "GetRandomWord x2", "\"-2147483648\"\r\n\"-5\"\r\n"},
      {kFileCsv, kNumLong31, 1, {-1, INT_MIN, 32768}, "GetRandomWord x3", "2147483647,0,32768\r\n"},
      {kFileCsv, kNumInteger15, 1, {-1, 32768, 0x12345}, "GetRandomWord x3", "32767,0,9029\r\n"},
      {kFileBin, kNumByte, 4, {0, 255, 7}, "GetRandomByte x4", "\0\xFF\x07\x07"s},
      {kFileCsv, kNumSingle, 1, {0.5, 1 - 0x1p-53, 0x1p-53}, "GetRandomDouble x3", ".5,1,1.110223E-16\r\n"},
      {kFileAsc, kNumDouble, 2, {0.25, 0x1p-53}, "GetRandomDouble x2", ".25\r\n1.11022302462516E-16\r\n"},
      {kFileBin, kNumInteger15, 10, {}, "", std::nullopt},
      {kFileAsc, kNumColor, 10, {}, "", "", "Not Available [GB007]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.num_type) + " to " +
                 std::string(FileExtensions[static_cast<std::size_t>(c.file_type)]));
    Script(c.values);
    request_.FileType = c.file_type;
    request_.NumType = c.num_type;
    request_.NumOfNums = c.count;
    Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
    EXPECT_EQ(script_.calls,
              (c.draws.empty() ? Names{"1 Open", "1 Close"} : Names{"1 Open", "1 " + c.draws, "1 Close"}));
    EXPECT_EQ(observer_.messages, Messages(*c.message ? 1 : 0, {"Quibran", c.message, MessageIcon::None}));
    EXPECT_EQ(std::filesystem::exists(File(1)), c.text.has_value());
    EXPECT_EQ(ReadFile(File(1)), c.text.value_or(""));
    std::filesystem::remove(File(1));
  }

  Script();
  request_.FileType = kFileCsv;
  request_.NumOfFiles = 2;
  Run();
  EXPECT_EQ(observer_.messages, Messages(2, {"Quibran", "Not Available [GB008]", MessageIcon::None}));
}

// A failure ends the job: its message (none for 55), the whole values drawn
// before it kept, no Close, no further file. A file's
// failure names the file too; a byte above 255 is an Overflow; an object
// that cannot be made starts nothing.
TEST_F(HardwareJobTest, FailuresEndTheJobWithTheirMessage) {
  struct Case {
    int16_t file_type;
    std::vector<double> values;
    int64_t fail_at;
    RuntimeError failure;  // the device's at call fail_at, or the job's own
    Names calls;
    std::string kept;     // what the second file holds
    std::string message;  // after "Alea Device:  "; none for 55
  };
  const RuntimeError unplugged(kErrDeviceIO, "Device I/O error: unplugged");
  const std::string lost = unplugged.description();
  const std::vector<double> ones(38, 1);
  const std::string gone = folder_ / "no/R0001.CSV";
  const Case cases[] = {
      {kFileBin, {}, 1 + 100050, unplugged, {"1 Open", "1 GetRandomByte x100051"}, PatternBytes(100000, 50), lost},
      // Eight cells of the second file are drawn: two whole rows of three.
      {kFileCsv, ones, 1 + 30 + 8, unplugged, {"1 Open", "1 GetRandomWord x39"}, "1,1,1\r\n1,1,1\r\n", lost},
      {kFileBin, {}, 0, RuntimeError(kErrFileAlreadyOpen), {"1 Open"}, "", ""},
      {kFileCsv, ones, -1, RuntimeError(kErrPathNotFound), {"1 Open"}, "", "Path not found\n" + gone},
      {kFileBin, {256}, -1, RuntimeError(kErrOverflow), {"1 Open", "1 GetRandomByte"}, "", "Overflow"},
  };
  request_.NumOfFiles = 3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Script(c.values);
    script_.fail_at = c.fail_at;
    script_.failure = c.failure;
    request_.FileType = c.file_type;
    request_.NumOfNums = c.file_type == kFileBin ? 100000 : 10;
    request_.NumType = c.file_type == kFileBin ? kNumByte : kNumInteger16;
    request_.DestDir = c.failure.number() == kErrPathNotFound ? folder_ / "no/" : folder_.dir();
    Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
    EXPECT_EQ(script_.calls, c.calls);
    const RecordedMessage message{"Error Number " + std::to_string(c.failure.number()), "Alea Device:  " + c.message,
                                  MessageIcon::Critical};
    EXPECT_EQ(observer_.messages, c.message.empty() ? Messages{} : Messages{message});
    EXPECT_EQ(ReadFile(File(2)), c.kept);
    EXPECT_FALSE(std::filesystem::exists(File(3)));
    std::filesystem::remove(File(2));
  }

  Script();
  script_.create_failure = RuntimeError(kErrCantCreateObject);
  Run();
  EXPECT_EQ(observer_.calls, Names{"Message Alea Device:  Can't create the device object"});
  EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
}

// A bitmap job: the job's object opened and closed before the window, which
// draws one GetRandomDouble per pixel, Round(r x 16777215), from its own
// object and closes it; then the job's object closes again and the saved
// picture moves the start sequence on. A device failure in the window ends
// the job through its failure path: no second Close, no file completed.
TEST_F(HardwareJobTest, BitmapWindowDrawsFromItsOwnObject) {
  request_.FileType = kFileBmp;
  request_.CSVcolumnsX = 100;
  std::vector<uint32_t> pixels(100 * 100);
  observer_.on_bitmap = [&](BitmapDrawing& drawing) { return drawing.Draw(pixels.data(), 100, [](int) {}) == 100; };
  const Names drawn = {"1 Open", "1 Close", "2 Open", "2 GetRandomDouble x10000", "2 Close", "1 Close"};
  const Names cut_off = {"1 Open", "1 Close", "2 Open", "2 GetRandomDouble x51"};
  const Messages io_error = {{"Error Number 57", "Alea Device:  Device I/O error", MessageIcon::Critical}};
  for (const bool failed : {false, true}) {
    Script({0.5, 0, 0x563412 / 16777215.0});
    script_.fail_at = failed ? 3 + 50 : -1;
    Run();
    EXPECT_EQ(script_.calls, failed ? cut_off : drawn);
    EXPECT_EQ(std::tie(pixels[0], pixels[100], pixels[200]),
              std::tuple(PixelOf(8388608), PixelOf(0), PixelOf(0x563412)));  // column 0, top down
    EXPECT_EQ(job_.outcome(), failed ? JobOutcome::Failed : JobOutcome::Completed);
    EXPECT_EQ(observer_.messages, failed ? io_error : Messages{});
    EXPECT_EQ(observer_.next_sequences, failed ? Names{} : Names{"0002"});
  }
}

}  // namespace
}  // namespace quibran::test
