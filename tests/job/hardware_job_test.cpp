// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs from the hardware source: the calls on the device objects in order,
// and what the files and messages hold, through the scripted double; and a
// job over the Linux node, from a FIFO standing in for the Alea.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <tuple>

#include "job/bitmap_picture.h"
#include "job/generation_job.h"
#include "platform/output_file.h"
#include "recording_observer.h"
#include "scripted_device.h"
#include "settings/defaults.h"
#include "temp_folder.h"

namespace quibran::test {
namespace {

using namespace std::string_literals;

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
// message a file. The device opens once the caller's checks let the job run.
TEST_F(HardwareJobTest, EachValueIsOneCallByTheNumberTypeTable) {
  struct Case {
    int16_t file_type, num_type, count;
    std::vector<double> values;
    std::string draws;                // the calls between Open and Close
    std::optional<std::string> text;  // of R0001 (none: no file)
    const char* message = "";
  };
  const Case cases[] = {
      {kFileAsc,
       kNumInteger16,
       6,
       {-1, 65536, 0x12345, INT_MIN, INT_MAX, -32769},
       "GetRandomWord x6",
       "65535\r\n0\r\n9029\r\n0\r\n65535\r\n32767\r\n"},
      {kFileAsc,
       kNumLong32,
       3,
       {INT_MIN, INT_MAX, -5},
       "GetRandomWord x3",
       "\"-2147483648\"\r\n\"2147483647\"\r\n\"-5\"\r\n"},
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
  script_.also = &observer_.calls;
  request_.FileType = kFileCsv;
  request_.NumOfFiles = 2;
  Run();
  const auto at = [&](const char* call) { return std::find(observer_.calls.begin(), observer_.calls.end(), call); };
  EXPECT_LT(at("checks"), at("device 1 Open"));
  EXPECT_EQ(observer_.messages, Messages(2, {"Quibran", "Not Available [GB008]", MessageIcon::None}));
}

TEST_F(HardwareJobTest, StopInTheSecondOfThreeFilesClosesTheFileThenTheDevice) {
  Script();
  request_.NumOfNums = 100000;
  request_.NumOfFiles = 3;
  observer_.on_yield = [&] { observer_.stop = observer_.completed.size() == 1; };
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Stopped);
  const std::string second = ReadFile(File(2));
  ASSERT_TRUE(second.size() > 0 && second.size() < 100000) << second.size();
  EXPECT_EQ(second, PatternBytes(100000, second.size()));
  EXPECT_EQ(script_.calls, (Names{"1 Open", "1 GetRandomByte x" + std::to_string(100000 + second.size()), "1 Close"}));
  EXPECT_EQ(folder_.FileCount(), 2u);
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
  const Case cases[] = {
      {kFileBin, {}, 1 + 100050, unplugged, {"1 Open", "1 GetRandomByte x100051"}, PatternBytes(100000, 50), lost},
      // Eight cells of the second file are drawn: two whole rows of three.
      {kFileCsv, ones, 1 + 30 + 8, unplugged, {"1 Open", "1 GetRandomWord x39"}, "1,1,1\r\n1,1,1\r\n", lost},
      {kFileBin, {}, 0, RuntimeError(kErrFileAlreadyOpen), {"1 Open"}, "", ""},
      {kFileCsv,
       ones,
       -1,
       RuntimeError(kErrPathNotFound),
       {"1 Open"},
       "",
       "Path not found\n" + folder_ / "no/R0001.CSV"},
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

// A stream (quibran-batch --stdout) keeps the values drawn before the device
// failed, as a file does, though the job does not close it; its progress
// counts from its start, even after a job of files.
TEST_F(HardwareJobTest, StreamKeepsTheValuesDrawnAndCountsThem) {
  request_.NumOfFiles = 2;
  Script();
  Run();
  const std::string path = folder_ / "stream";
  OutputFile stream(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  request_.NumOfFiles = 1;
  Script();
  script_.fail_at = 1 + 50;
  job_.SetStream(&stream, false);
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
  EXPECT_EQ(ReadFile(path), PatternBytes(0, 50));
  Script();
  Run();
  ASSERT_FALSE(observer_.progress.empty());
  EXPECT_EQ(std::tie(observer_.last().values_done, observer_.last().values_total),
            std::tuple(int64_t{100}, int64_t{100}));
}

// A bitmap job: the job's object opened and closed before the window, which
// draws one GetRandomDouble per pixel, Round(r x 16777215), from its own
// object until done or stopped and closes it; then the job's object closes
// again. A device failure in the window ends the job through its failure
// path: no second Close, no file completed.
TEST_F(HardwareJobTest, BitmapWindowDrawsFromItsOwnObject) {
  struct Case {
    int stop_after_column;
    int64_t fail_at;
    Names calls;
  };
  const Case cases[] = {
      {-1, -1, {"1 Open", "1 Close", "2 Open", "2 GetRandomDouble x10000", "2 Close", "1 Close"}},
      {30, -1, {"1 Open", "1 Close", "2 Open", "2 GetRandomDouble x3100", "2 Close", "1 Close"}},
      {-1, 3 + 50, {"1 Open", "1 Close", "2 Open", "2 GetRandomDouble x51"}},
  };
  request_.FileType = kFileBmp;
  request_.CSVcolumnsX = 100;
  std::vector<uint32_t> pixels(100 * 100);
  const Messages io_error = {{"Error Number 57", "Alea Device:  Device I/O error", MessageIcon::Critical}};
  for (const Case& c : cases) {
    Script({0.5, 0, 0x563412 / 16777215.0});
    script_.fail_at = c.fail_at;
    observer_.on_bitmap = [&](BitmapDrawing& drawing) {
      drawing.Draw(pixels.data(), 100, [&](int x) {
        if (x == c.stop_after_column) observer_.stop = true;
      });
      return true;
    };
    Run();
    EXPECT_EQ(script_.calls, c.calls);
    EXPECT_EQ(std::tie(pixels[0], pixels[100], pixels[200]),
              std::tuple(PixelOf(8388608), PixelOf(0), PixelOf(0x563412)));  // column 0, top down
    const bool failed = c.fail_at >= 0;
    EXPECT_EQ(job_.outcome(), failed ? JobOutcome::Failed : JobOutcome::Completed);
    EXPECT_EQ(observer_.messages, failed ? io_error : Messages{});
    EXPECT_EQ(observer_.next_sequences, failed ? Names{} : Names{"0002"});
  }
}

// The Alea's node end to end, from FIFOs standing in for it, in jobs of a
// million bytes: all that the device gave until its output ended, as an
// unplugged device's does; of an output that fails its health test (7 zeros
// from byte 1000), only the bytes that passed, not the window of 512 to 1023;
// from a FIFO that no one writes, nothing, and Stop ends the wait (a bitmap's
// too).
TEST_F(HardwareJobTest, JobOverTheNodeKeepsTheBytesThatPassedUntilTheNodeEndsOrStop) {
  const std::string node = folder_ / "chaoskey0", bad = PatternBytes(0, 1000) + std::string(7, '\0') + "x";
  const struct {
    int16_t file_type;
    std::optional<std::string> sent;  // none: no writer
    std::string kept, message;
  } cases[] = {
      {kFileBin, PatternBytes(0, 100000), PatternBytes(0, 100000),
       "Device I/O error: " + node + " has no more data (was the device unplugged?)"},
      {kFileBin, bad, bad.substr(0, 512),
       "the device's output failed its health test: the repetition count test saw "
       "byte 0x00 7 times in a row (it allows 6)"},
      {kFileBin, std::nullopt, "", ""},
      {kFileBmp, std::nullopt, "", ""},
  };
  job_.SetDeviceFactory([&] { return CreateDeviceObject(node); });
  bool silent = false;
  observer_.on_yield = [&] {
    if (silent && observer_.yields == 3) observer_.stop = true;
  };
  observer_.on_bitmap = [&](BitmapDrawing& drawing) {
    std::vector<uint32_t> pixels(100 * 100);
    return drawing.Draw(pixels.data(), 100, [](int) {}) > 0;
  };
  request_.CSVcolumnsX = 100;
  for (const auto& c : cases) {
    request_.FileType = c.file_type;
    request_.NumOfNums = c.file_type == kFileBin ? 1000000 : 100;
    std::jthread device;
    silent = !c.sent;
    if (c.sent)
      device = FifoDevice(node, *c.sent);
    else
      ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
    Run();
    device = {};
    std::filesystem::remove(node);
    const Messages told = {{"Error Number 57", "Alea Device:  " + c.message, MessageIcon::Critical}};
    EXPECT_EQ(observer_.messages, c.message.empty() ? Messages{} : told);
    EXPECT_EQ(job_.outcome(), c.sent                    ? JobOutcome::Failed
                              : c.file_type == kFileBin ? JobOutcome::Stopped
                                                        : JobOutcome::Completed);
    EXPECT_TRUE(ReadFile(File(1)) == c.kept) << ReadFile(File(1)).size();
  }
}

}  // namespace
}  // namespace quibran::test
