#include "job/generation_job.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "fixed_clock.h"
#include "recording_host.h"
#include "temp_folder.h"
#include "text_checks.h"

namespace quibran {
namespace {

using namespace std::chrono_literals;
using Messages = std::vector<test::RecordedMessage>;
using Names = std::vector<std::string>;

class JobTest : public ::testing::Test {
 protected:
  JobTest() : clock_(46000, 5000.25f), sources_(clock_), twin_(clock_), job_(settings_, sources_, host_) {
    settings_.NumOfNums = 100;
    settings_.CSVcolumnsX = 2;
    settings_.NumOfFiles = 1;
    settings_.DestDir = folder_.dir();
    settings_.BaseFilename = "RAND";
    host_.fields[JobField::StartSequence] = "0001";
    job_.SetYieldInterval(0ns);
  }

  // Runs the job and seeds the twin sources as the job seeded its source.
  void Run() {
    job_.Run();
    twin_.SeedSource(settings_.DeviceIndex);
  }
  // Checks that a file holds the next values of the twin; returns how many
  // values (bytes or rows) it holds.
  std::size_t ExpectNextValues(const std::string& path) {
    const std::string text = test::ReadFile(path);
    if (settings_.FileType == kFileBin) {
      EXPECT_EQ(text, test::DrawnBytes(twin_, settings_.DeviceIndex, text.size())) << path;
      return text.size();
    }
    return test::ExpectRows(text, settings_.FileType == kFileCsv ? settings_.CSVcolumnsX : 1, settings_.NumType,
                            [&] { return twin_.DrawValue(settings_.DeviceIndex, settings_.NumType); });
  }
  std::string& StartSequence() { return host_.fields[JobField::StartSequence]; }

  test::TempFolder folder_;
  test::FixedClock clock_;
  JobSettings settings_;
  RandomSources sources_;
  RandomSources twin_;
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

TEST(ProgressScale, KeepsBarValuesWithin32767AndUpdatesAbout31TimesAFile) {
  struct Case {
    int32_t num_of_nums, scale, interval;
  };
  for (const Case& c : {Case{1, 1, 1}, Case{31, 1, 2}, Case{62, 1, 3}, Case{32767, 1, 1058}, Case{32768, 2, 1058},
                        Case{65535, 2, 2115}, Case{65536, 3, 2115}, Case{98303, 3, 3172}, Case{98304, 4, 3172},
                        Case{2147483646, 65536, 69273667}}) {
    EXPECT_EQ(ProgressScale(c.num_of_nums), c.scale) << c.num_of_nums;
    EXPECT_EQ(UpdateInterval(c.num_of_nums), c.interval) << c.num_of_nums;
  }
}

// Files are numbered on from the start field, past 9999 to 0000, replace a
// longer file of the name, and continue one stream; with Save Seq the field
// then shows the number after the last file, without it the field goes back.
TEST_F(JobTest, BinaryFilesAreNumberedAndTheStartFieldFollowsSaveSeq) {
  settings_.NumOfFiles = 3;
  settings_.NumOfNums = 1000;
  settings_.SaveLastSeq = 1;
  StartSequence() = "9998";
  std::ofstream(folder_ / "RAND9999.BIN") << std::string(5000, 'x');
  std::filesystem::create_hard_link(folder_ / "RAND9999.BIN", folder_ / "OLD");  // deleted first: OLD keeps it
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(host_.completed, (Names{folder_ / "RAND9998.BIN", folder_ / "RAND9999.BIN", folder_ / "RAND0000.BIN"}));
  for (const std::string& name : host_.completed) EXPECT_EQ(ExpectNextValues(name), 1000u);
  EXPECT_EQ(StartSequence(), "0001");
  EXPECT_EQ(test::ReadFile(folder_ / "OLD"), std::string(5000, 'x'));

  settings_.SaveLastSeq = 0;
  job_.Run();
  EXPECT_EQ(StartSequence(), "0001");
  EXPECT_EQ(host_.completed.back(), folder_ / "RAND0003.BIN");
  EXPECT_EQ(host_.calls.back(), "SetRunning false");
}

TEST_F(JobTest, EmptyQuantityAsksForItAndStartsNothing) {
  settings_.NumOfNums = 0;
  job_.Run();
  const std::string text = "You must enter how many numbers you want generated";
  EXPECT_EQ(host_.calls, (Names{"ShowProgressBars", "CommitStartFields", "ShowMessage " + text, "SetFieldText 1 ",
                                "FocusQuantity"}));
  EXPECT_EQ(host_.messages, (Messages{{"Quibran", text, MessageIcon::Exclamation}}));
  EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
  EXPECT_EQ(folder_.FileCount(), 0u);
}

TEST_F(JobTest, NoFilesMeansOneAndTheJobRunsFromTheSettingsAsTheChecksLeftThem) {
  settings_.NumOfNums = 10;
  settings_.NumOfFiles = 0;
  host_.on_check_quantity = [&] { settings_.NumOfNums = 5; };
  host_.on_yield = [&] {  // a change during the job does not reach it
    settings_.NumOfNums = 50;
    settings_.BaseFilename = "OTHER";
  };
  job_.Run();
  EXPECT_EQ(host_.fields[JobField::NumOfFiles], "1");
  EXPECT_EQ(settings_.NumOfFiles, 1);
  EXPECT_EQ(host_.completed, Names{folder_ / "RAND0001.BIN"});
  EXPECT_EQ(test::ReadFile(folder_ / "RAND0001.BIN").size(), 5u);
}

TEST_F(JobTest, ProgressBarsAreScaledAndEndFull) {
  settings_.NumOfNums = 100000;  // ProgressScale 4, UpdateInterval 3226
  job_.Run();
  EXPECT_EQ(host_.file_maximum, 25000);
  EXPECT_EQ(host_.job_maximum, 25000);
  EXPECT_EQ(host_.job_value, 25000);
  EXPECT_EQ(host_.file_value(), 0);  // the common ending puts the file bar back
  ASSERT_GE(host_.yields, 2);
  // In between, the value of an UpdateInterval multiple reached.
  for (const int32_t v : host_.file_values) {
    EXPECT_TRUE(v == 0 || v == 25000 || (v * 4 + 3225) / 3226 * 3226 / 4 == v) << v;
  }

  // A CSV file's bar counts values; with several files the job bar counts files.
  settings_.FileType = kFileCsv;
  settings_.NumOfNums = 40000;  // rows; ProgressScale 2
  settings_.CSVcolumnsX = 3;
  settings_.NumOfFiles = 2;
  job_.Run();
  EXPECT_EQ(host_.file_maximum, 60000);
  EXPECT_EQ(host_.job_maximum, 2);
  EXPECT_EQ(host_.job_value, 2);
}

TEST_F(JobTest, DisplayBoxHoldsTheFirstFilesFirst1024Values) {
  settings_.FileType = kFileAsc;
  settings_.DisplayOn = 1;
  settings_.NumOfNums = 2000;
  settings_.NumOfFiles = 3;
  Run();
  std::string expected;
  for (int i = 0; i < 1024; ++i) {
    char line[32];
    const auto v = static_cast<unsigned>(twin_.DrawValue(kSourceMersenneTwister, kNumByte));
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

// Every type each writer writes, in rows spread over several blocks.
TEST_F(JobTest, TextAndCsvFilesHoldWholeRowsOfTheDrawnValues) {
  settings_.NumOfNums = 5000;
  struct Layout {
    int16_t file_type, source, columns;
    const char* name;
  };
  for (const Layout& l : {Layout{kFileAsc, kSourceMersenneTwister, 1, "RAND0001.ASC"},
                          Layout{kFileCsv, kSourceWichmannHill, 7, "RAND0001.CSV"},
                          Layout{kFileCsv, kSourceMtWh, 1, "RAND0001.CSV"}}) {
    for (int16_t type = kNumByte; type <= kNumDouble; ++type) {
      if (!WriterOffers(l.file_type, l.source, type)) continue;
      SCOPED_TRACE(std::string(l.name) + " source " + std::to_string(l.source) + " type " + std::to_string(type));
      settings_.FileType = l.file_type;
      settings_.DeviceIndex = l.source;
      settings_.CSVcolumnsX = l.columns;
      settings_.NumType = type;
      Run();
      EXPECT_EQ(ExpectNextValues(folder_ / l.name), 5000u);
    }
  }
  EXPECT_TRUE(host_.messages.empty());
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
  for (const std::string& name : host_.completed) EXPECT_EQ(test::ReadFile(name), "");
  EXPECT_EQ(StartSequence(), "0004");

  // A binary job of another type than Byte writes nothing, silently, and ends full.
  settings_.FileType = kFileBin;
  settings_.NumType = kNumInteger16;
  job_.Run();
  EXPECT_EQ(host_.messages.size(), 3u);
  EXPECT_EQ(folder_.FileCount(), 3u);
  EXPECT_EQ(host_.job_value, host_.job_maximum);
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);

  // By source: the text writer's message and types (Byte to Color), then the CSV writer's.
  const char* const kWriters[kSourceCount][4] = {{"GB001", "11111110", "GB002", "11100110"},
                                                 {"GB003", "11100100", "GB004", "11100100"},
                                                 {"GB005", "11110110", "GB006", "11110110"},
                                                 {"GB005", "11110110", "GB006", "11110110"},
                                                 {"GB007", "11111110", "GB008", "11111110"}};
  for (int source = 0; source < kSourceCount; ++source) {
    for (const int csv : {0, 1}) {
      const int file_type = csv ? kFileCsv : kFileAsc;
      const std::string code = kWriters[source][2 * csv];
      EXPECT_EQ(NotAvailableMessage(file_type, source), "Not Available [" + code + "]");
      for (int type = 0; type < kNumTypeCount; ++type) {
        EXPECT_EQ(WriterOffers(file_type, source, type), kWriters[source][2 * csv + 1][type] == '1')
            << "source " << source << " csv " << csv << " type " << type;
      }
    }
  }
}

// A stop keeps what is written, whole lines in a text file, and leaves the
// start field one on from the last whole file; the next job runs to its end.
TEST_F(JobTest, StopInTheSecondFileKeepsWhatIsWrittenAndTheStartFieldOneOn) {
  for (const int16_t file_type : {kFileBin, kFileAsc}) {
    SCOPED_TRACE(file_type);
    test::TempFolder folder;
    settings_.DestDir = folder.dir();
    settings_.FileType = file_type;
    settings_.NumType = file_type == kFileBin ? kNumByte : kNumDouble;
    const int32_t count = 70000;  // more than a block of either type
    settings_.NumOfNums = count;
    settings_.NumOfFiles = 5;
    StartSequence() = "0001";
    host_.completed.clear();
    host_.on_yield = [&] { if (host_.completed.size() == 1) job_.RequestStop(); };  // at its first yield
    Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Stopped);
    EXPECT_FALSE(job_.running());
    EXPECT_EQ(host_.calls.back(), "SetRunning false");
    EXPECT_EQ(host_.file_value(), host_.file_maximum);
    EXPECT_EQ(StartSequence(), "0002");  // the common ending does not run
    const std::string ext = file_type == kFileBin ? ".BIN" : ".ASC";
    EXPECT_EQ(ExpectNextValues(folder / ("RAND0001" + ext)), static_cast<std::size_t>(count));
    const std::size_t second = ExpectNextValues(folder / ("RAND0002" + ext));
    EXPECT_GT(second, 0u);
    EXPECT_LT(second, static_cast<std::size_t>(count));
    EXPECT_EQ(folder.FileCount(), 2u);

    host_.on_yield = nullptr;
    settings_.NumOfNums = 10;
    job_.Run();
    EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
    EXPECT_TRUE(std::filesystem::exists(folder / ("RAND0006" + ext)));
    EXPECT_EQ(folder.FileCount(), 6u);
  }
}

// A file that cannot be written is reported with its name and ends the job:
// no further file, the start field as it was, the file bar never full, the
// job bar counting only the files written whole (the last failing only when
// it is closed). The next job runs normally.
TEST_F(JobTest, WriteFailuresAreReportedAndEndTheJob) {
  settings_.FileType = kFileAsc;
  settings_.NumType = kNumInteger16;
  settings_.NumOfFiles = 3;
  StartSequence() = "0007";
  const auto critical = MessageIcon::Critical;
  const std::string incomplete = " was left incomplete.";
  struct Case {
    std::string dir;
    int32_t values;   // 300000 fail while writing, 100 only when the file is closed
    std::string full;  // the file that is a full disk
    test::RecordedMessage message;
    std::size_t written;
  };
  for (const Case& c : {Case{folder_ / "missing/", 100, "",
                             {"Error Number 76", "Path not found\n" + folder_ / "missing/RAND0007.ASC", critical}, 0},
                        Case{folder_.dir(), 300000, "RAND0007.ASC",
                             {"Error Number 61", "Disk full\n" + folder_ / "RAND0007.ASC" + incomplete, critical}, 0},
                        Case{folder_.dir(), 100, "RAND0009.ASC",
                             {"Error Number 61", "Disk full\n" + folder_ / "RAND0009.ASC" + incomplete, critical}, 2}}) {
    SCOPED_TRACE(c.message.text);
    for (const char* name : {"RAND0007.ASC", "RAND0008.ASC", "RAND0009.ASC"}) std::filesystem::remove(folder_ / name);
    if (!c.full.empty()) std::filesystem::create_symlink("/dev/full", folder_ / c.full);
    host_.messages.clear();
    host_.file_values.clear();
    host_.completed.clear();
    host_.job_value = -1;
    settings_.DestDir = c.dir;
    settings_.NumOfNums = c.values;
    job_.Run();
    EXPECT_EQ(host_.messages, Messages{c.message});
    EXPECT_EQ(job_.outcome(), JobOutcome::Failed);
    EXPECT_EQ(host_.completed.size(), c.written);
    EXPECT_EQ(host_.job_value, static_cast<int32_t>(c.written));
    EXPECT_EQ(StartSequence(), "0007");
    EXPECT_EQ(host_.calls.back(), "SetRunning false");
    EXPECT_EQ(host_.file_value(), 0);
    // A file that fails while it is written never fills its bar.
    if (c.written == 0) {
      EXPECT_EQ(std::count(host_.file_values.begin(), host_.file_values.end(), host_.file_maximum), 0);
    }
  }
  std::filesystem::remove(folder_ / "RAND0009.ASC");
  host_.completed.clear();
  job_.Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(host_.completed.size(), 3u);
}

// A disk that fills in the middle of a text or CSV file leaves it with whole
// lines or rows only, as a stop does. The limit on the file size (a child
// process's own) fills it at a byte that is no line's end.
TEST_F(JobTest, AFullDiskLeavesWholeRowsOnly) {
  constexpr rlim_t kLimit = 100001;
  for (const int16_t file_type : {kFileAsc, kFileCsv}) {
    settings_.FileType = file_type;
    settings_.NumType = kNumDouble;
    settings_.CSVcolumnsX = 3;
    settings_.NumOfNums = 100000;
    const std::string path = folder_ / (file_type == kFileAsc ? "RAND0001.ASC" : "RAND0001.CSV");
    const auto run_limited = [&] {
      test::LimitFileSize(kLimit);
      job_.Run();
      const bool named = host_.messages.size() == 1 &&
                         host_.messages[0].text == "Disk full\n" + path + " was left incomplete.";
      std::_Exit(named && job_.outcome() == JobOutcome::Failed ? 0 : 1);
    };
    EXPECT_EXIT(run_limited(), ::testing::ExitedWithCode(0), "");
    twin_.SeedSource(settings_.DeviceIndex);
    const std::string text = test::ReadFile(path);
    EXPECT_GT(text.size(), kLimit - 100);
    EXPECT_LE(text.size(), kLimit);
    EXPECT_GT(ExpectNextValues(path), 1000u);
  }
}

TEST_F(JobTest, FolderWithoutWritePermissionIsReported) {
  ::chmod(folder_.dir().c_str(), 0555);
  const Messages expected = {{"Error Number 70", "Permission denied\n" + folder_ / "RAND0001.BIN", MessageIcon::Critical}};
  const auto run_unprivileged = [&] {
    test::BecomeNobody();
    job_.Run();
    std::_Exit(host_.messages == expected && job_.outcome() == JobOutcome::Failed ? 0 : 1);
  };
  EXPECT_EXIT(run_unprivileged(), ::testing::ExitedWithCode(0), "");
}

// Each run corrects one field, its setting with it, and shows why.
TEST_F(JobTest, BitmapChecksCorrectOneFieldEachAndStartNothing) {
  settings_.FileType = kFileBmp;
  host_.fields = {{JobField::NumOfFiles, "2"}, {JobField::CSVcolumnsX, "50"}, {JobField::NumOfNums, "99"}};
  for (const char* message : {"Only one bitmap can be generated at a time.", "Minimum X pixels is (screen width) 100",
                              "Minimum Y pixels is (screen height) 100"}) {
    host_.messages.clear();
    job_.Run();
    EXPECT_EQ(host_.messages, (Messages{{"Quibran", message, MessageIcon::Information}}));
    EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
  }
  EXPECT_EQ(host_.fields, (std::map<JobField, std::string>{{JobField::NumOfFiles, "1"},
                                                           {JobField::CSVcolumnsX, "100"},
                                                           {JobField::NumOfNums, "100"}}));
  EXPECT_EQ(std::tie(settings_.NumOfFiles, settings_.CSVcolumnsX, settings_.NumOfNums), std::make_tuple(1, 100, 100));
  EXPECT_EQ(std::count(host_.calls.begin(), host_.calls.end(), "SetRunning true"), 0);
}

// One picture named like the job's first file, drawn from the job's source
// until the job's Stop; the start sequence advances only when the window
// saved it, and stays advanced only with Save Seq.
TEST_F(JobTest, BitmapJobHandsOnePictureToItsWindow) {
  settings_.FileType = kFileBmp;
  settings_.DeviceIndex = kSourceWichmannHill;
  settings_.CSVcolumnsX = 120;
  settings_.MonochromeOn = 1;
  std::vector<uint32_t> pixels(120 * 100);
  for (const auto& [saved, save_seq, after] : {std::tuple{true, 1, "0002"}, {true, 0, "0001"}, {false, 1, "0001"}}) {
    host_.fields = {{JobField::NumOfFiles, "1"}, {JobField::CSVcolumnsX, "120"}, {JobField::NumOfNums, "100"},
                    {JobField::StartSequence, "0001"}};
    settings_.SaveLastSeq = static_cast<int16_t>(save_seq);
    host_.completed.clear();
    host_.on_bitmap = [&, saved = saved](BitmapDrawing& drawing) {
      EXPECT_EQ(drawing.Draw(pixels.data(), 120, [&](int) { job_.RequestStop(); }), 1);
      return saved;
    };
    job_.Run();
    ASSERT_TRUE(host_.bitmap);
    EXPECT_EQ(std::tie(host_.bitmap->DeviceIndex, host_.bitmap->width, host_.bitmap->height,
                       host_.bitmap->booMonochrome, host_.bitmap->OutputFileName),
              std::make_tuple(kSourceWichmannHill, 120, 100, true, folder_ / "RAND0001.BMP"));
    EXPECT_EQ(StartSequence(), after);
    EXPECT_EQ(host_.completed, saved ? Names{folder_ / "RAND0001.BMP"} : Names{});
    EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
    EXPECT_FALSE(job_.running());
  }
}

}  // namespace
}  // namespace quibran
