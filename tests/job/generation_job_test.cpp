#include "job/generation_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "fixed_clock.h"
#include "recording_host.h"
#include "temp_folder.h"
#include "text_checks.h"

namespace quibran {
namespace {

using namespace std::chrono_literals;
using test::ReadFile;
using test::Rounded;
using Messages = std::vector<test::RecordedMessage>;

constexpr int32_t kDay = 46000;

// The lines of a text file, each checked to end with CR LF.
std::vector<std::string> Lines(const std::string& text) { return test::Split(text, "\r\n"); }

// Checks one written value against the drawn one.
void ExpectWritten(const std::string& text, double drawn, int num_type) {
  switch (num_type) {
    case kNumSingle:
    case kNumDouble: {
      ASSERT_FALSE(text.empty());
      EXPECT_NE(text.substr(0, 2), "0.") << "no leading zero";
      EXPECT_EQ(std::strtod(text.c_str(), nullptr), Rounded(drawn, num_type == kNumSingle ? 7 : 15)) << text;
      break;
    }
    case kNumLong32:
      EXPECT_EQ(text, "\"" + std::to_string(static_cast<uint32_t>(drawn)) + "\"");
      break;
    default:
      EXPECT_EQ(text, std::to_string(static_cast<uint32_t>(drawn)));
  }
}

class JobTest : public ::testing::Test {
 protected:
  JobTest() : clock_(kDay, 5000.25f), sources_(clock_), job_(settings_, sources_, host_) {
    settings_.DeviceIndex = kSourceMersenneTwister;
    settings_.FileType = kFileBin;
    settings_.NumType = kNumByte;
    settings_.NumOfNums = 100;
    settings_.CSVcolumnsX = 2;
    settings_.NumOfFiles = 1;
    settings_.DestDir = folder_.dir();
    settings_.BaseFilename = "RAND";
    host_.field(JobField::StartSequence) = "0001";
    job_.SetYieldInterval(0ns);
  }

  // Sources seeded as the job seeds its own, to draw the expected values.
  std::unique_ptr<RandomSources> Twin() {
    auto twin = std::make_unique<RandomSources>(clock_);
    twin->SeedSource(settings_.DeviceIndex);
    return twin;
  }
  std::vector<double> Draw(RandomSources& twin, std::size_t count) {
    std::vector<double> values(count);
    for (double& v : values) v = twin.DrawValue(settings_.DeviceIndex, settings_.NumType);
    return values;
  }
  std::string Bytes(RandomSources& twin, std::size_t count) {
    std::string bytes(count, '\0');
    twin.DrawBytes(settings_.DeviceIndex, reinterpret_cast<uint8_t*>(bytes.data()), count);
    return bytes;
  }
  std::string File(const std::string& name) { return ReadFile(folder_ / name); }
  std::size_t FilesInFolder() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_.dir()),
                                                  std::filesystem::directory_iterator()));
  }

  test::TempFolder folder_;
  test::FixedClock clock_;
  JobSettings settings_;
  RandomSources sources_;
  test::RecordingHost host_;
  GenerationJob job_;
};

TEST(BuildOutputFileName, FolderStemFourDigitsOfTheSequenceBeforeAndExtension) {
  EXPECT_EQ(BuildOutputFileName("/data/", "R01A", 2, ".BIN"), "/data/R01A0001.BIN");
  EXPECT_EQ(BuildOutputFileName("/data/", "", 1, ".CSV"), "/data/0000.CSV");
  EXPECT_EQ(BuildOutputFileName("/", "X", 10000, ".ASC"), "/X9999.ASC");
  EXPECT_EQ(BuildOutputFileName("/", "X", 10001, ".ASC"), "/X0000.ASC");
  EXPECT_EQ(BuildOutputFileName("/", "X", 12346, ".BMP"), "/X2345.BMP");
}

TEST(ProgressScale, KeepsBarValuesWithin32767) {
  EXPECT_EQ(ProgressScale(1), 1);
  EXPECT_EQ(ProgressScale(32767), 1);
  EXPECT_EQ(ProgressScale(32768), 2);
  EXPECT_EQ(ProgressScale(65535), 2);
  EXPECT_EQ(ProgressScale(65536), 3);
  for (const int32_t n : {98303, 98304, 1000000, 1073741824, 2147483646}) {
    const int32_t d = ProgressScale(n);
    EXPECT_LE(n / d, 32767) << n;
    EXPECT_GT(n / (d - 1), 32767) << n;
  }
  EXPECT_EQ(UpdateInterval(1), 1);
  EXPECT_EQ(UpdateInterval(31), 2);
  EXPECT_EQ(UpdateInterval(62), 3);
  EXPECT_EQ(UpdateInterval(2147483646), 69273667);
}

TEST_F(JobTest, BinaryFilesAreNumberedAndTheStartFieldFollowsSaveSeq) {
  settings_.BaseFilename = "R01A";
  settings_.NumOfFiles = 3;
  settings_.NumOfNums = 1000;
  settings_.SaveLastSeq = 1;
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(host_.completed, (std::vector<std::string>{folder_ / "R01A0001.BIN", folder_ / "R01A0002.BIN",
                                                        folder_ / "R01A0003.BIN"}));
  EXPECT_EQ(host_.field(JobField::StartSequence), "0004");
  // The files continue one stream.
  auto twin = Twin();
  EXPECT_EQ(File("R01A0001.BIN"), Bytes(*twin, 1000));
  EXPECT_EQ(File("R01A0002.BIN"), Bytes(*twin, 1000));
  EXPECT_EQ(File("R01A0003.BIN"), Bytes(*twin, 1000));

  settings_.SaveLastSeq = 0;
  host_.field(JobField::StartSequence) = "0001";
  job_.Run();
  EXPECT_EQ(host_.field(JobField::StartSequence), "0001");
  EXPECT_FALSE(host_.running());
  EXPECT_EQ(host_.calls.back(), "SetRunning false");
}

TEST_F(JobTest, SequenceWrapsFrom9999To0000) {
  host_.field(JobField::StartSequence) = "9999";
  settings_.NumOfFiles = 2;
  settings_.SaveLastSeq = 1;
  job_.Run();
  EXPECT_EQ(host_.completed, (std::vector<std::string>{folder_ / "RAND9999.BIN", folder_ / "RAND0000.BIN"}));
  EXPECT_EQ(host_.field(JobField::StartSequence), "0001");
}

TEST_F(JobTest, EmptyQuantityAsksForItAndStartsNothing) {
  settings_.NumOfNums = 0;
  job_.Run();
  EXPECT_EQ(host_.calls, (std::vector<std::string>{"ShowProgressBars", "CommitStartFields",
                                                   "ShowMessage You must enter how many numbers you want generated",
                                                   "SetFieldText 1 ", "FocusQuantity"}));
  EXPECT_EQ(host_.messages, (Messages{{"Quibran", "You must enter how many numbers you want generated",
                                        MessageIcon::Exclamation}}));
  EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
  EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(JobTest, RunsFromTheSettingsAsTheChecksLeftThem) {
  settings_.NumOfNums = 10;
  settings_.NumOfFiles = 0;
  host_.on_check_quantity = [&] { settings_.NumOfNums = 5; };
  // A change during the job does not reach it.
  host_.on_yield = [&] {
    settings_.NumOfNums = 50;
    settings_.BaseFilename = "OTHER";
  };
  job_.Run();
  EXPECT_EQ(host_.field(JobField::NumOfFiles), "1");
  EXPECT_EQ(settings_.NumOfFiles, 1);
  EXPECT_EQ(host_.completed, std::vector<std::string>{folder_ / "RAND0001.BIN"});
  EXPECT_EQ(File("RAND0001.BIN").size(), 5u);
}

TEST_F(JobTest, ProgressBarsAreScaledAndEndFull) {
  settings_.NumOfNums = 100000;  // ProgressScale 4, UpdateInterval 3226
  job_.Run();
  EXPECT_EQ(host_.file_maximum, 25000);
  EXPECT_EQ(host_.job_maximum, 25000);
  EXPECT_EQ(host_.job_value, 25000);
  EXPECT_EQ(host_.file_value, 0);  // the common ending puts the file bar back
  ASSERT_GE(host_.yields, 2);
  // In between, the value of an UpdateInterval multiple reached.
  for (const int32_t v : host_.file_values) {
    if (v == 0 || v == 25000) continue;
    const int32_t multiple = (v * 4 + 3225) / 3226;
    EXPECT_EQ(multiple * 3226 / 4, v);
  }

  settings_.FileType = kFileCsv;
  settings_.NumOfNums = 65536;  // rows; ProgressScale 3
  settings_.CSVcolumnsX = 256;
  settings_.NumOfFiles = 2;
  settings_.NumType = kNumByte;
  job_.SetYieldInterval(1h);  // only the yield after each file's last row
  job_.Run();
  EXPECT_EQ(host_.file_maximum, 256 * 65536 / 3);
  EXPECT_EQ(host_.job_maximum, 2);
  EXPECT_EQ(host_.job_value, 2);
}

TEST_F(JobTest, DisplayBoxHoldsTheFirstFilesFirst1024Values) {
  settings_.FileType = kFileAsc;
  settings_.DisplayOn = 1;
  settings_.NumOfNums = 2000;
  settings_.NumOfFiles = 3;
  job_.Run();
  auto twin = Twin();
  const std::vector<double> values = Draw(*twin, 2000);
  std::string expected;
  for (int i = 0; i < 1024; ++i) {
    char line[32];
    const unsigned v = static_cast<unsigned>(values[i]);
    std::snprintf(line, sizeof line, "%03u    %02X    %03o\r\n", v, v, v);
    expected += line;
  }
  EXPECT_EQ(host_.display, expected);
  // Emptied at the start, filled once when the first file is complete.
  EXPECT_EQ(std::count(host_.calls.begin(), host_.calls.end(), "SetDisplayText"), 2);

  settings_.DisplayOn = 0;
  job_.Run();
  EXPECT_EQ(host_.display, "");
}

TEST_F(JobTest, TextFilesHoldOneLineForEveryValueOfEveryType) {
  settings_.FileType = kFileAsc;
  settings_.NumOfNums = 700;
  for (int type = kNumByte; type <= kNumDouble; ++type) {
    SCOPED_TRACE(type);
    settings_.NumType = static_cast<int16_t>(type);
    job_.Run();
    const std::vector<std::string> lines = Lines(File("RAND0001.ASC"));
    auto twin = Twin();
    const std::vector<double> values = Draw(*twin, 700);
    ASSERT_EQ(lines.size(), 700u);
    for (std::size_t i = 0; i < lines.size(); ++i) ExpectWritten(lines[i], values[i], type);
  }
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(JobTest, CsvFilesHoldWholeRowsOfTheirColumns) {
  settings_.FileType = kFileCsv;
  settings_.NumType = kNumByte;
  settings_.CSVcolumnsX = 3;
  settings_.NumOfNums = 2;
  job_.Run();
  const std::string three = File("RAND0001.CSV");
  EXPECT_TRUE(std::regex_match(three, std::regex(R"((\d{1,3},\d{1,3},\d{1,3}\r\n){2})"))) << three;
  auto twin = Twin();
  const std::vector<double> bytes = Draw(*twin, 6);
  char expected[128];
  std::snprintf(expected, sizeof expected, "%g,%g,%g\r\n%g,%g,%g\r\n", bytes[0], bytes[1], bytes[2], bytes[3],
                bytes[4], bytes[5]);
  EXPECT_EQ(three, expected);

  settings_.CSVcolumnsX = 1;
  settings_.NumOfNums = 50;
  job_.Run();
  const std::string one = File("RAND0001.CSV");
  EXPECT_EQ(one.find(','), std::string::npos);
  EXPECT_EQ(Lines(one).size(), 50u);

  settings_.DeviceIndex = kSourceWichmannHill;
  settings_.NumType = kNumDouble;
  settings_.CSVcolumnsX = 7;
  settings_.NumOfNums = 900;  // rows spread over several blocks
  job_.Run();
  auto wh = Twin();
  const std::vector<std::string> rows = Lines(File("RAND0001.CSV"));
  ASSERT_EQ(rows.size(), 900u);
  for (const std::string& row : rows) {
    std::size_t start = 0;
    for (int column = 0; column < 7; ++column) {
      const std::size_t end = column < 6 ? row.find(',', start) : row.size();
      ASSERT_NE(end, std::string::npos) << row;
      ExpectWritten(row.substr(start, end - start), wh->DrawValue(kSourceWichmannHill, kNumDouble), kNumDouble);
      start = end + 1;
    }
  }
}

TEST_F(JobTest, UnavailableTypeCostsOneMessagePerFileAndLeavesItEmpty) {
  settings_.DeviceIndex = kSourceRnd;
  settings_.FileType = kFileAsc;
  settings_.NumType = kNumLong31;
  settings_.NumOfFiles = 3;
  settings_.SaveLastSeq = 1;
  job_.Run();
  EXPECT_EQ(host_.messages, Messages(3, {"Quibran", "Not Available [GB003]", MessageIcon::None}));
  EXPECT_EQ(host_.completed.size(), 3u);
  for (const std::string& name : host_.completed) EXPECT_EQ(ReadFile(name), "");
  EXPECT_EQ(host_.field(JobField::StartSequence), "0004");

  // The twister writes its Long types to text files but not to CSV files.
  host_.messages.clear();
  settings_.DeviceIndex = kSourceMersenneTwister;
  settings_.FileType = kFileCsv;
  settings_.NumOfFiles = 1;
  job_.Run();
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, "Not Available [GB002]");
  EXPECT_EQ(NotAvailableMessage(kFileAsc, kSourceMtWh), "Not Available [GB005]");
  EXPECT_EQ(NotAvailableMessage(kFileCsv, kSourceWichmannHill), "Not Available [GB006]");
  EXPECT_TRUE(WriterOffers(kFileAsc, kSourceMersenneTwister, kNumLong32));
  EXPECT_FALSE(WriterOffers(kFileAsc, kSourceMersenneTwister, kNumColor));
  EXPECT_TRUE(WriterOffers(kFileCsv, kSourceMtWh, kNumLong31));
  EXPECT_FALSE(WriterOffers(kFileCsv, kSourceRnd, kNumDouble));
}

TEST_F(JobTest, BinaryJobOfAnotherTypeWritesNothingAndEndsFull) {
  settings_.NumType = kNumInteger16;
  job_.Run();
  EXPECT_EQ(FilesInFolder(), 0u);
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.job_value, host_.job_maximum);
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
}

TEST_F(JobTest, BinaryFileReplacesALongerOne) {
  std::ofstream(folder_ / "RAND0001.BIN") << std::string(5000, 'x');
  job_.Run();
  EXPECT_EQ(File("RAND0001.BIN"), Bytes(*Twin(), 100));
}

TEST_F(JobTest, StopInTheSecondFileKeepsWhatIsWrittenAndTheStartFieldOneOn) {
  settings_.NumOfNums = 300000;
  settings_.NumOfFiles = 5;
  int yields_in_second_file = 0;
  host_.on_yield = [&] {
    if (host_.completed.size() == 1 && ++yields_in_second_file == 2) job_.RequestStop();
  };
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Stopped);
  EXPECT_FALSE(job_.running());
  EXPECT_EQ(host_.calls.back(), "SetRunning false");
  EXPECT_EQ(host_.file_value, host_.file_maximum);
  // The common ending does not run: the field is not put back.
  EXPECT_EQ(host_.field(JobField::StartSequence), "0002");
  auto twin = Twin();
  EXPECT_EQ(File("RAND0001.BIN"), Bytes(*twin, 300000));
  const std::string second = File("RAND0002.BIN");
  EXPECT_GT(second.size(), 0u);
  EXPECT_LT(second.size(), 300000u);
  EXPECT_EQ(second, Bytes(*twin, second.size()));
  EXPECT_EQ(FilesInFolder(), 2u);

  // The stop flag is cleared: the next job runs to its end, from 0002 on.
  host_.on_yield = nullptr;
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(host_.completed.back(), folder_ / "RAND0006.BIN");
  EXPECT_EQ(FilesInFolder(), 6u);
}

TEST_F(JobTest, StoppedTextFileHoldsWholeLines) {
  settings_.FileType = kFileAsc;
  settings_.NumType = kNumDouble;
  settings_.NumOfNums = 100000;
  host_.on_yield = [&] {
    if (host_.yields == 3) job_.RequestStop();
  };
  job_.Run();
  const std::string text = File("RAND0001.ASC");
  ASSERT_FALSE(text.empty());
  const std::vector<std::string> lines = Lines(text);
  EXPECT_LT(lines.size(), 100000u);
  auto twin = Twin();
  for (const std::string& line : lines) ExpectWritten(line, twin->DrawValue(kSourceMersenneTwister, kNumDouble), kNumDouble);
}

TEST_F(JobTest, MissingFolderIsReportedAndTheJobEndsCleanly) {
  settings_.DestDir = folder_ / "missing/";
  settings_.NumOfFiles = 2;
  host_.field(JobField::StartSequence) = "0007";
  job_.Run();
  EXPECT_EQ(host_.messages, (Messages{{"Error Number 76", "Path not found", MessageIcon::Critical}}));
  EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
  EXPECT_EQ(host_.field(JobField::StartSequence), "0007");
  EXPECT_EQ(host_.calls.back(), "SetRunning false");
  EXPECT_EQ(host_.file_value, 0);
  EXPECT_EQ(std::count(host_.file_values.begin(), host_.file_values.end(), host_.file_maximum), 0);

  // JobFailed is cleared by the common ending: the next job ends normally.
  settings_.DestDir = folder_.dir();
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(host_.completed.size(), 2u);
}

TEST_F(JobTest, FullDiskIsReportedAndNoFurtherFileIsMade) {
  std::filesystem::create_symlink("/dev/full", folder_ / "RAND0001.ASC");
  settings_.FileType = kFileAsc;
  settings_.NumType = kNumInteger16;
  settings_.NumOfNums = 10000;
  settings_.NumOfFiles = 2;
  job_.Run();
  EXPECT_EQ(host_.messages, (Messages{{"Error Number 61", "Disk full", MessageIcon::Critical}}));
  EXPECT_FALSE(test::Exists(folder_ / "RAND0002.ASC"));
  EXPECT_TRUE(host_.completed.empty());
}

TEST_F(JobTest, FolderWithoutWritePermissionIsReported) {
  ::chmod(folder_.dir().c_str(), 0555);
  const Messages expected = {{"Error Number 70", "Permission denied", MessageIcon::Critical}};
  const auto run_unprivileged = [&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
    job_.Run();
    std::_Exit(host_.messages == expected && job_.outcome() == JobOutcome::Failed ? 0 : 1);
  };
  // Root writes anywhere, so the job runs as nobody in a child process.
  EXPECT_EXIT(run_unprivileged(), ::testing::ExitedWithCode(0), "");
}

TEST_F(JobTest, HardwareSourceWithoutItsDeviceDoesNotStart) {
  settings_.DeviceIndex = kSourceHardware;
  job_.Run();
  EXPECT_EQ(host_.calls, std::vector<std::string>{"ShowMessage Alea Device:  Can't create the device object"});
  EXPECT_EQ(host_.messages, (Messages{{"Error Number 429", "Alea Device:  Can't create the device object",
                                        MessageIcon::Critical}}));
  EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
  EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(JobTest, BitmapChecksCorrectOneFieldEachAndStartNothing) {
  settings_.FileType = kFileBmp;
  host_.field(JobField::NumOfFiles) = "2";
  host_.field(JobField::CSVcolumnsX) = "50";
  host_.field(JobField::NumOfNums) = "99";
  struct Expected {
    const char* message;
    JobField field;
    const char* text;
  };
  for (const Expected& e : {Expected{"Only one bitmap can be generated at a time.", JobField::NumOfFiles, "1"},
                            Expected{"Minimum X pixels is (screen width) 100", JobField::CSVcolumnsX, "100"},
                            Expected{"Minimum Y pixels is (screen height) 100", JobField::NumOfNums, "100"}}) {
    host_.messages.clear();
    job_.Run();
    EXPECT_EQ(host_.messages, (Messages{{"Quibran", e.message, MessageIcon::Information}}));
    EXPECT_EQ(host_.field(e.field), e.text);
    EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
  }
  EXPECT_EQ(settings_.NumOfFiles, 1);
  EXPECT_EQ(settings_.CSVcolumnsX, 100);
  EXPECT_EQ(settings_.NumOfNums, 100);
  EXPECT_EQ(std::count(host_.calls.begin(), host_.calls.end(), "SetRunning true"), 0);

  // Past the checks the bitmap job ends at once: its writer is not here yet.
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(FilesInFolder(), 0u);
}

}  // namespace
}  // namespace quibran
