// Jobs from the hardware source: the calls on the device object, in order,
// and what the files and messages hold, through the scripted double; and a
// job over the Linux node end to end, from a FIFO standing in for the Alea.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "fixed_clock.h"
#include "job/generation_job.h"
#include "recording_host.h"
#include "scripted_device.h"
#include "temp_folder.h"

namespace quibran {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;
using Messages = std::vector<test::RecordedMessage>;

std::string Lines(const Names& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::string PatternBytes(std::size_t from, std::size_t count) {
  std::string bytes;
  for (std::size_t n = from; n < from + count; ++n) bytes += static_cast<char>(test::DeviceScript::PatternByte(n));
  return bytes;
}

class HardwareJobTest : public ::testing::Test {
 protected:
  HardwareJobTest() : clock_(46000, 5000.25f), sources_(clock_), job_(settings_, sources_, host_) {
    settings_.DeviceIndex = kSourceHardware;
    settings_.NumOfNums = 10;
    settings_.CSVcolumnsX = 3;
    settings_.NumOfFiles = 1;
    settings_.DestDir = folder_.dir();
    settings_.BaseFilename = "R";
    host_.fields[JobField::StartSequence] = "0001";
    job_.SetDeviceFactory(script_.Factory());
    job_.SetYieldInterval(0ns);
  }

  test::DeviceScript script_;
  test::TempFolder folder_;
  test::FixedClock clock_;
  JobSettings settings_;
  RandomSources sources_;
  test::RecordingHost host_;
  GenerationJob job_;
};

// One call per value (per CSV cell) by the number type's table, between one
// Open and one Close; nothing for a type that the writer does not write.
TEST_F(HardwareJobTest, EachValueIsOneCallByTheNumberTypeTable) {
  struct Case {
    int16_t file_type, num_type, count;
    std::vector<double> values;  // scripted for the member the type calls
    Names calls;
    std::string file, text;  // the file written (none: empty) and its text
  };
  const Case cases[] = {
      {kFileAsc, kNumInteger16, 10, {-1, 65536, 0x12345, -65536, 7, INT_MIN, INT_MAX, 0, 32768, -32769},
       {"1 Open", "1 GetRandomWord x10", "1 Close"}, "R0001.ASC",
       Lines({"65535", "0", "9029", "0", "7", "0", "65535", "0", "32768", "32767"})},
      {kFileBin, kNumInteger15, 10, {}, {"1 Open", "1 Close"}, "", ""},
      {kFileAsc, kNumLong32, 3, {INT_MIN, INT_MAX, -5}, {"1 Open", "1 GetRandomWord x3", "1 Close"}, "R0001.ASC",
       Lines({"\"-2147483648\"", "\"2147483647\"", "\"-5\""})},
      {kFileCsv, kNumLong31, 1, {-1, INT_MIN, 32768}, {"1 Open", "1 GetRandomWord x3", "1 Close"}, "R0001.CSV",
       "2147483647,0,32768\r\n"},
      {kFileCsv, kNumInteger15, 1, {-1, 32768, 0x12345}, {"1 Open", "1 GetRandomWord x3", "1 Close"}, "R0001.CSV",
       "32767,0,9029\r\n"},
      {kFileBin, kNumByte, 4, {0, 255, 7}, {"1 Open", "1 GetRandomByte x4", "1 Close"}, "R0001.BIN",
       std::string("\0\xFF\x07", 3) + PatternBytes(0, 1)},
      {kFileCsv, kNumSingle, 1, {0.5, 1 - 0x1p-53, 0x1p-53}, {"1 Open", "1 GetRandomDouble x3", "1 Close"},
       "R0001.CSV", ".5,1,1.110223E-16\r\n"},
      {kFileAsc, kNumDouble, 2, {0.25, 0x1p-53}, {"1 Open", "1 GetRandomDouble x2", "1 Close"}, "R0001.ASC",
       Lines({".25", "1.11022302462516E-16"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    script_ = test::DeviceScript{};
    script_.doubles = c.values;
    for (const double v : c.values) (c.num_type == kNumByte ? script_.bytes : script_.words).push_back(static_cast<int32_t>(v));
    job_.SetDeviceFactory(script_.Factory());
    settings_.FileType = c.file_type;
    settings_.NumType = c.num_type;
    settings_.NumOfNums = c.count;
    job_.Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
    EXPECT_EQ(script_.calls(), c.calls);
    EXPECT_EQ(folder_.FileCount(), c.file.empty() ? 0u : 1u);
    if (!c.file.empty()) {
      EXPECT_EQ(test::ReadFile(folder_ / c.file), c.text);
      std::filesystem::remove(folder_ / c.file);
    }
  }
  EXPECT_TRUE(host_.messages.empty());
}

// Color is not drawn: one message per file, each file empty; a bitmap job
// closes the job's object before the bitmap window, and again at the end.
TEST_F(HardwareJobTest, ColorAndBitmapDrawNothingFromTheJobsObject) {
  settings_.NumType = kNumColor;
  settings_.NumOfFiles = 3;
  for (const int16_t file_type : {kFileAsc, kFileCsv}) {
    settings_.FileType = file_type;
    job_.Run();
  }
  host_.fields = {{JobField::NumOfFiles, "1"}, {JobField::CSVcolumnsX, "100"}, {JobField::NumOfNums, "100"}};
  settings_.FileType = kFileBmp;
  job_.Run();
  EXPECT_EQ(script_.calls(), (Names{"1 Open", "1 Close", "2 Open", "2 Close", "3 Open", "3 Close x2"}));
  Messages expected(3, {"Quibran", "Not Available [GB007]", MessageIcon::None});
  expected.resize(6, {"Quibran", "Not Available [GB008]", MessageIcon::None});
  EXPECT_EQ(host_.messages, expected);
  for (const char* name : {"R0001.ASC", "R0003.ASC", "R0001.CSV", "R0003.CSV"}) {
    EXPECT_EQ(test::ReadFile(folder_ / name), "") << name;
  }
  EXPECT_EQ(folder_.FileCount(), 6u);
}

TEST_F(HardwareJobTest, StopInTheSecondOfThreeFilesClosesTheFileThenTheDevice) {
  settings_.NumOfNums = 100000;
  settings_.NumOfFiles = 3;
  host_.on_yield = [&] { if (host_.completed.size() == 1) job_.RequestStop(); };
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Stopped);
  const std::string second = test::ReadFile(folder_ / "R0002.BIN");
  ASSERT_GT(second.size(), 0u);
  ASSERT_LT(second.size(), 100000u);
  EXPECT_EQ(second, PatternBytes(100000, second.size()));
  EXPECT_EQ(script_.calls(),
            (Names{"1 Open", "1 GetRandomByte x" + std::to_string(100000 + second.size()), "1 Close"}));
  EXPECT_EQ(folder_.FileCount(), 2u);
}

// A failure ends the job: the message (none for 55), the values drawn before
// it kept whole, no Close, no further file; the start field goes back. A
// file's failure names the file too.
TEST_F(HardwareJobTest, FailuresEndTheJobWithTheirMessage) {
  struct Case {
    int16_t file_type;
    int64_t fail_at;
    RuntimeError failure;
    Names calls;
    std::string kept;     // what the second file holds
    std::string message;  // after "Alea Device:  "; none for 55
  };
  const RuntimeError unplugged(kErrDeviceIO, "Device I/O error: unplugged");
  const Case cases[] = {
      {kFileBin, 1 + 100050, unplugged, {"1 Open", "1 GetRandomByte x100051"}, PatternBytes(100000, 50),
       unplugged.description()},
      // Eight cells of the second file are drawn: two whole rows of three.
      {kFileCsv, 1 + 30 + 8, unplugged, {"1 Open", "1 GetRandomWord x39"}, "1,1,1\r\n1,1,1\r\n",
       unplugged.description()},
      {kFileBin, 0, RuntimeError(kErrDeviceUnavailable, "Device unavailable: none"), {"1 Open"}, "",
       "Device unavailable: none"},
      {kFileBin, 0, RuntimeError(kErrFileAlreadyOpen), {"1 Open"}, "", ""},
      // The folder is missing: no value is drawn.
      {kFileCsv, -1, RuntimeError(kErrPathNotFound), {"1 Open"}, "", "Path not found\n" + folder_ / "no/R0001.CSV"},
  };
  settings_.NumOfFiles = 3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    script_ = test::DeviceScript{};
    script_.fail_at = c.fail_at;
    script_.failure = c.failure;
    script_.words = std::vector<int32_t>(38, 1);
    job_.SetDeviceFactory(script_.Factory());
    settings_.FileType = c.file_type;
    settings_.NumOfNums = c.file_type == kFileBin ? 100000 : 10;
    settings_.NumType = c.file_type == kFileBin ? kNumByte : kNumInteger16;
    settings_.DestDir = c.fail_at < 0 ? folder_ / "no/" : folder_.dir();
    host_.messages.clear();
    job_.Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
    EXPECT_EQ(script_.calls(), c.calls);
    const test::RecordedMessage message{"Error Number " + std::to_string(c.failure.number()),
                                        "Alea Device:  " + c.message, MessageIcon::Critical};
    EXPECT_EQ(host_.messages, c.message.empty() ? Messages{} : Messages{message});
    const std::string extension = c.file_type == kFileBin ? ".BIN" : ".CSV";
    if (!c.kept.empty()) {
      EXPECT_EQ(test::ReadFile(folder_ / ("R0002" + extension)), c.kept);
    }
    EXPECT_FALSE(std::filesystem::exists(folder_ / ("R0003" + extension)));
    EXPECT_EQ(host_.fields[JobField::StartSequence], "0001");
    EXPECT_EQ(host_.calls.back(), "SetRunning false");
  }
}

TEST_F(HardwareJobTest, ObjectThatCannotBeCreatedStartsNothing) {
  script_.create_failure = RuntimeError(kErrCantCreateObject);
  job_.Run();
  const std::string text = "Alea Device:  Can't create the device object";
  EXPECT_EQ(host_.calls, Names{"ShowMessage " + text});
  EXPECT_EQ(host_.messages, (Messages{{"Error Number 429", text, MessageIcon::Critical}}));
  EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
  EXPECT_EQ(folder_.FileCount(), 0u);
}

// The Alea's node end to end: a FIFO that delivers 100000 bytes and then
// ends, as an unplugged device does, in a job of a million.
TEST_F(HardwareJobTest, JobOverTheNodeKeepsEveryByteUntilTheNodeEnds) {
  const std::string node = folder_ / "chaoskey0";
  ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
  const std::string sent = PatternBytes(0, 100000);
  std::thread device([&] {
    const int fd = ::open(node.c_str(), O_WRONLY);
    EXPECT_EQ(::write(fd, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
    ::close(fd);
  });
  job_.SetDeviceFactory([&] { return CreateDeviceObject(node); });
  settings_.NumOfNums = 1000000;
  job_.Run();
  device.join();
  EXPECT_EQ(host_.messages, (Messages{{"Error Number 57",
                                       "Alea Device:  Device I/O error: " + node +
                                           " has no more data (was the device unplugged?)",
                                       MessageIcon::Critical}}));
  EXPECT_EQ(test::ReadFile(folder_ / "R0001.BIN"), sent);
}

}  // namespace
}  // namespace quibran
