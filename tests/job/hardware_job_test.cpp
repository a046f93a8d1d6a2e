// Jobs from the hardware source: the calls on the device objects in order,
// and what the files and messages hold, through the scripted double; and a
// job over the Linux node, from a FIFO standing in for the Alea.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <thread>
#include <tuple>

#include "fixed_clock.h"
#include "job/bitmap_picture.h"
#include "job/generation_job.h"
#include "platform/output_file.h"
#include "recording_host.h"
#include "scripted_device.h"
#include "settings/defaults.h"
#include "temp_folder.h"

namespace quibran {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;
using Messages = std::vector<test::RecordedMessage>;

std::string PatternBytes(std::size_t from, std::size_t count) {
  std::string bytes;
  for (std::size_t n = from; n < from + count; ++n) bytes += static_cast<char>(test::DeviceScript::PatternByte(n));
  return bytes;
}

class HardwareJobTest : public ::testing::Test {
 protected:
  HardwareJobTest() : clock_(46000, 0), sources_(clock_), job_(settings_, sources_, host_) {
    settings_.DeviceIndex = kSourceHardware;
    settings_.CSVcolumnsX = 3;
    settings_.NumOfFiles = 1;
    settings_.DestDir = folder_.dir();
    settings_.BaseFilename = "R";
    host_.fields = {{JobField::StartSequence, "0001"}, {JobField::NumOfFiles, "1"},
                    {JobField::CSVcolumnsX, "100"}, {JobField::NumOfNums, "100"}};  // as a bitmap job needs
    job_.SetYieldInterval(0ns);
  }
  // A fresh double for the next job, serving `values` first.
  void Script(std::vector<double> values = {}) {
    script_ = test::DeviceScript{};
    script_.values = std::move(values);
    job_.SetDeviceFactory(script_.Factory());
  }

  test::DeviceScript script_;
  test::TempFolder folder_;
  test::FixedClock clock_;
  JobSettings settings_;
  RandomSources sources_;
  test::RecordingHost host_;
  GenerationJob job_;
};

// One call per value (per CSV cell) by the number type's table, between Open
// and Close; none for a type the writer does not write.
TEST_F(HardwareJobTest, EachValueIsOneCallByTheNumberTypeTable) {
  struct Case {
    int16_t file_type, num_type, count;
    std::vector<double> values;
    Names calls;
    const char* text;  // of R0001 (no file: nullptr)
    const char* message = "";
  };
  const Case cases[] = {
      {kFileAsc, kNumInteger16, 6, {-1, 65536, 0x12345, INT_MIN, INT_MAX, -32769},
       {"1 Open", "1 GetRandomWord x6", "1 Close"}, "65535\r\n0\r\n9029\r\n0\r\n65535\r\n32767\r\n"},
      {kFileAsc, kNumLong32, 3, {INT_MIN, INT_MAX, -5}, {"1 Open", "1 GetRandomWord x3", "1 Close"},
       "\"-2147483648\"\r\n\"2147483647\"\r\n\"-5\"\r\n"},
      {kFileCsv, kNumLong31, 1, {-1, INT_MIN, 32768}, {"1 Open", "1 GetRandomWord x3", "1 Close"},
       "2147483647,0,32768\r\n"},
      {kFileCsv, kNumInteger15, 1, {-1, 32768, 0x12345}, {"1 Open", "1 GetRandomWord x3", "1 Close"},
       "32767,0,9029\r\n"},
      {kFileBin, kNumByte, 4, {0, 255, 7}, {"1 Open", "1 GetRandomByte x4", "1 Close"}, "\0\xFF\x07\x07"},
      {kFileCsv, kNumSingle, 1, {0.5, 1 - 0x1p-53, 0x1p-53}, {"1 Open", "1 GetRandomDouble x3", "1 Close"},
       ".5,1,1.110223E-16\r\n"},
      {kFileAsc, kNumDouble, 2, {0.25, 0x1p-53}, {"1 Open", "1 GetRandomDouble x2", "1 Close"},
       ".25\r\n1.11022302462516E-16\r\n"},
      {kFileBin, kNumInteger15, 10, {}, {"1 Open", "1 Close"}, nullptr},
      {kFileAsc, kNumColor, 10, {}, {"1 Open", "1 Close"}, "", "Not Available [GB007]"},
      {kFileCsv, kNumColor, 10, {}, {"1 Open", "1 Close"}, "", "Not Available [GB008]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.calls[1]);
    Script(c.values);
    settings_.FileType = c.file_type;
    settings_.NumType = c.num_type;
    settings_.NumOfNums = c.count;
    host_.messages.clear();
    job_.Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
    EXPECT_EQ(script_.calls, c.calls);
    const Messages messages(*c.message ? 1 : 0, {"Quibran", c.message, MessageIcon::None});
    EXPECT_EQ(host_.messages, messages);
    const std::string file = folder_ / ("R0001" + std::string(FileExtensions[c.file_type]));
    EXPECT_EQ(std::filesystem::exists(file), c.text != nullptr);
    if (c.text) {
      EXPECT_EQ(test::ReadFile(file), std::string(c.text, c.file_type == kFileBin ? 4 : std::strlen(c.text)));
      std::filesystem::remove(file);
    }
  }

  // The device opens once the job runs; a colour costs one message a file.
  Script();
  script_.also = &host_.calls;
  settings_.NumOfFiles = 2;
  host_.calls.clear();
  host_.messages.clear();
  job_.Run();
  const auto at = [&](const char* call) { return std::find(host_.calls.begin(), host_.calls.end(), call); };
  EXPECT_LT(at("SetRunning true"), at("device 1 Open"));
  EXPECT_EQ(host_.messages, Messages(2, {"Quibran", "Not Available [GB008]", MessageIcon::None}));

  // A byte outside 0..255 is no byte.
  Script({256});
  settings_.FileType = kFileBin;
  settings_.NumType = kNumByte;
  host_.messages.clear();
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
  EXPECT_EQ(host_.messages, (Messages{{"Error Number 6", "Alea Device:  Overflow", MessageIcon::Critical}}));
}

TEST_F(HardwareJobTest, StopInTheSecondOfThreeFilesClosesTheFileThenTheDevice) {
  Script();
  settings_.NumOfNums = 100000;
  settings_.NumOfFiles = 3;
  host_.on_yield = [&] { if (host_.completed.size() == 1) job_.RequestStop(); };
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Stopped);
  const std::string second = test::ReadFile(folder_ / "R0002.BIN");
  ASSERT_GT(second.size(), 0u);
  ASSERT_LT(second.size(), 100000u);
  EXPECT_EQ(second, PatternBytes(100000, second.size()));
  EXPECT_EQ(script_.calls, (Names{"1 Open", "1 GetRandomByte x" + std::to_string(100000 + second.size()), "1 Close"}));
  EXPECT_EQ(folder_.FileCount(), 2u);
}

// A failure ends the job: its message (none for 55), the whole values drawn
// before it kept, no Close, no further file, the start field back. A file's
// failure names the file too; an object that cannot be made starts nothing.
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
      {kFileCsv, -1, RuntimeError(kErrPathNotFound), {"1 Open"}, "", "Path not found\n" + folder_ / "no/R0001.CSV"},
  };
  settings_.NumOfFiles = 3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Script(std::vector<double>(c.file_type == kFileCsv ? 38 : 0, 1));
    script_.fail_at = c.fail_at;
    script_.failure = c.failure;
    settings_.FileType = c.file_type;
    settings_.NumOfNums = c.file_type == kFileBin ? 100000 : 10;
    settings_.NumType = c.file_type == kFileBin ? kNumByte : kNumInteger16;
    settings_.DestDir = c.fail_at < 0 ? folder_ / "no/" : folder_.dir();
    host_.messages.clear();
    job_.Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
    EXPECT_EQ(script_.calls, c.calls);
    const test::RecordedMessage message{"Error Number " + std::to_string(c.failure.number()),
                                        "Alea Device:  " + c.message, MessageIcon::Critical};
    EXPECT_EQ(host_.messages, c.message.empty() ? Messages{} : Messages{message});
    const std::string name = folder_ / "R000", extension(FileExtensions[c.file_type]);
    if (!c.kept.empty()) {
      EXPECT_EQ(test::ReadFile(name + "2" + extension), c.kept);
    }
    EXPECT_FALSE(std::filesystem::exists(name + "3" + extension));
    EXPECT_EQ(host_.fields[JobField::StartSequence], "0001");
    EXPECT_EQ(host_.calls.back(), "SetRunning false");
  }

  Script();
  script_.create_failure = RuntimeError(kErrCantCreateObject);
  host_.calls.clear();
  job_.Run();
  const std::string text = "Alea Device:  Can't create the device object";
  EXPECT_EQ(host_.calls, Names{"ShowMessage " + text});
  EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
}

// A stream (quibran-batch --stdout) keeps the values drawn before the device
// failed, as a file does, though the job does not close it; its progress
// counts from its start, even after a job of files.
TEST_F(HardwareJobTest, StreamKeepsTheValuesDrawnAndCountsThem) {
  settings_.FileType = kFileBin;
  settings_.NumOfNums = 100;
  settings_.NumOfFiles = 2;
  Script();
  job_.Run();
  const std::string path = folder_ / "stream";
  OutputFile stream(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  settings_.NumOfFiles = 1;
  Script();
  script_.fail_at = 1 + 50;
  host_.advanced.clear();
  job_.SetStream(&stream, false);
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
  EXPECT_EQ(test::ReadFile(path), PatternBytes(0, 50));
  Script();
  host_.advanced.clear();
  job_.Run();
  ASSERT_FALSE(host_.advanced.empty());
  EXPECT_EQ(std::tie(host_.advanced.back().values_done, host_.advanced.back().values_total),
            std::make_tuple(int64_t{100}, int64_t{100}));
}

// A bitmap job: the job's object opened and closed before the window, which
// draws one GetRandomDouble per pixel, Round(r x 16777215), from its own
// object until done or stopped and closes it; then the job's object closes
// again. A device failure in the window ends the job through its failure
// path: no second Close, the start field not advanced.
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
  settings_.FileType = kFileBmp;
  settings_.CSVcolumnsX = settings_.NumOfNums = 100;
  settings_.SaveLastSeq = 1;
  std::vector<uint32_t> pixels(100 * 100);
  for (const Case& c : cases) {
    Script({0.5, 0, 0x563412 / 16777215.0});
    script_.fail_at = c.fail_at;
    host_.fields[JobField::StartSequence] = "0001";
    host_.messages.clear();
    host_.on_bitmap = [&](BitmapDrawing& drawing) {
      drawing.Draw(pixels.data(), 100, [&](int x) { if (x == c.stop_after_column) job_.RequestStop(); });
      return true;
    };
    job_.Run();
    EXPECT_EQ(script_.calls, c.calls);
    EXPECT_EQ(std::tie(pixels[0], pixels[100], pixels[200]),
              std::make_tuple(PixelOf(8388608), PixelOf(0), PixelOf(0x563412)));  // column 0, top down
    const bool failed = c.fail_at >= 0;
    EXPECT_EQ(job_.outcome(), failed ? JobOutcome::Failed : JobOutcome::Completed);
    EXPECT_EQ(host_.messages.size(), failed ? 1u : 0u);
    if (failed) {
      EXPECT_EQ(host_.messages[0], (test::RecordedMessage{"Error Number 57", "Alea Device:  Device I/O error",
                                                          MessageIcon::Critical}));
    }
    EXPECT_EQ(host_.fields[JobField::StartSequence], failed ? "0001" : "0002");
  }
}

// The Alea's node end to end: a FIFO that gives 100000 bytes and then ends,
// as an unplugged device does, in a job of a million.
TEST_F(HardwareJobTest, JobOverTheNodeKeepsEveryByteUntilTheNodeEnds) {
  const std::string node = folder_ / "chaoskey0", sent = PatternBytes(0, 100000);
  ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
  std::thread device([&] {
    const int fd = ::open(node.c_str(), O_WRONLY);
    EXPECT_EQ(::write(fd, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
    ::close(fd);
  });
  job_.SetDeviceFactory([&] { return CreateDeviceObject(node); });
  settings_.NumOfNums = 1000000;
  job_.Run();
  device.join();
  const std::string text = "Alea Device:  Device I/O error: " + node + " has no more data (was the device unplugged?)";
  EXPECT_EQ(host_.messages, (Messages{{"Error Number 57", text, MessageIcon::Critical}}));
  EXPECT_EQ(test::ReadFile(folder_ / "R0001.BIN"), sent);
}

}  // namespace
}  // namespace quibran
