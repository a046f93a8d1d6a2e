#include "job/generation_job.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "recording_host.h"
#include "temp_folder.h"
#include "text_checks.h"

namespace quibran::test {
namespace {

// Jobs from the generators, their files checked against a twin of the sources.
class JobTest : public JobFixture {
 protected:
  // Runs the job and seeds the twin as the job seeded its source.
  void Run() {
    JobFixture::Run();
    twin_.SeedSource(settings_.DeviceIndex);
  }
  // Checks that a file holds the next values of the twin; returns how many
  // values (bytes or rows) it holds.
  std::size_t ExpectNextValues(const std::string& path) {
    const std::string text = ReadFile(path);
    if (settings_.FileType == kFileBin) {
      EXPECT_EQ(text, DrawnBytes(twin_, settings_.DeviceIndex, text.size())) << path;
      return text.size();
    }
    return ExpectRows(text, settings_.FileType == kFileCsv ? settings_.CSVcolumnsX : 1, settings_.NumType,
                      [&] { return twin_.DrawValue(settings_.DeviceIndex, settings_.NumType); });
  }

  RandomSources twin_{clock_};
};

TEST(BuildOutputFileName, FolderStemFourDigitsOfTheSequenceBeforeAndExtension) {
  EXPECT_EQ(BuildOutputFileName("/data/", "R01A", 2, ".BIN"), "/data/R01A0001.BIN");
  EXPECT_EQ(BuildOutputFileName("/data/", "", 1, ".CSV"), "/data/0000.CSV");
  EXPECT_EQ(BuildOutputFileName("/", "X", 12346, ".BMP"), "/X2345.BMP");
}

TEST(ProgressScale, KeepsBarValuesWithin32767AndUpdatesAbout31TimesAFile) {
  // The quantity, its scale and its update interval.
  for (const auto& [n, scale, interval] :
       {std::tuple{1, 1, 1}, {31, 1, 2}, {62, 1, 3}, {32767, 1, 1058}, {32768, 2, 1058}, {65535, 2, 2115},
        {65536, 3, 2115}, {98303, 3, 3172}, {98304, 4, 3172}, {2147483646, 65536, 69273667}}) {
    EXPECT_EQ(std::pair(ProgressScale(n), UpdateInterval(n)), std::pair(scale, interval)) << n;
  }
}

// A few cells of the capability table, as jobs meet them: a type written,
// or its writer's message once a file and an empty file.
TEST_F(JobTest, EachWriterWritesWhatItsSourceOffersOrSaysWhichCodeItLacks) {
  for (const auto& [file_type, source, type, message] :
       {std::tuple{kFileAsc, kSourceMersenneTwister, kNumLong32, ""},
        {kFileCsv, kSourceMersenneTwister, kNumLong32, "Not Available [GB002]"},
        {kFileAsc, kSourceRnd, kNumLong31, "Not Available [GB003]"},
        {kFileCsv, kSourceRnd, kNumDouble, "Not Available [GB004]"},
        {kFileAsc, kSourceMtWh, kNumLong32, "Not Available [GB005]"},
        {kFileCsv, kSourceWichmannHill, kNumLong31, ""},
        {kFileAsc, kSourceOs, kNumColor, "Not Available [GB009]"},
        {kFileCsv, kSourceOs, kNumColor, "Not Available [GB010]"}}) {
    SCOPED_TRACE("file type " + std::to_string(file_type) + " source " + std::to_string(source) + " type " +
                 std::to_string(type));
    settings_.FileType = file_type;
    settings_.DeviceIndex = source;
    settings_.NumType = type;
    Run();
    ASSERT_EQ(host_.completed.size(), 1u);
    if (*message == '\0') {
      EXPECT_TRUE(host_.messages.empty());
      EXPECT_EQ(ExpectNextValues(host_.completed[0]), 100u);
    } else {
      EXPECT_EQ(host_.messages, Messages(1, {"Quibran", message, MessageIcon::None}));
      EXPECT_EQ(ReadFile(host_.completed[0]), "");
    }
  }
}

// Files are numbered on from the start field, past 9999 to 0000, replace a
// longer file of the name, and continue one stream; with Save Seq the field
// then shows the number after the last file, without it the field goes back.
// Only Byte values go to binary files.
TEST_F(JobTest, BinaryFilesAreNumberedAndTheStartFieldFollowsSaveSeq) {
  settings_.NumOfFiles = 3;
  settings_.NumOfNums = 1000;
  settings_.SaveLastSeq = 1;
  StartSequence() = "9998";
  std::ofstream(folder_ / "R9999.BIN") << std::string(5000, 'x');
  std::filesystem::create_hard_link(folder_ / "R9999.BIN", folder_ / "OLD");  // replaced: OLD keeps it
  Run();
  EXPECT_EQ(host_.completed, (Names{folder_ / "R9998.BIN", folder_ / "R9999.BIN", folder_ / "R0000.BIN"}));
  for (const std::string& name : host_.completed) EXPECT_EQ(ExpectNextValues(name), 1000u);
  EXPECT_EQ(StartSequence(), "0001");
  EXPECT_EQ(ReadFile(folder_ / "OLD"), std::string(5000, 'x'));

  settings_.SaveLastSeq = 0;
  Run();
  EXPECT_EQ(StartSequence(), "0001");
  EXPECT_EQ(host_.completed.back(), folder_ / "R0003.BIN");

  // Another type than Byte writes nothing, silently, and ends full.
  const std::size_t files = folder_.FileCount();
  settings_.NumType = kNumInteger16;
  Run();
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(folder_.FileCount(), files);
  EXPECT_EQ(host_.job_value, host_.job_maximum);
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
}

// The checks before a job: an empty quantity is asked for; no files means
// one, and the job runs from the settings as the checks left them; a
// bitmap's checks correct one field each run, its setting with it. Each
// refusal shows why and starts nothing.
TEST_F(JobTest, ChecksCorrectTheFieldsOrRefuseTheJob) {
  settings_.NumOfNums = 0;
  Run();
  const std::string text = "You must enter how many numbers you want generated";
  EXPECT_EQ(host_.calls, (Names{"ShowProgressBars", "CommitStartFields", "ShowMessage " + text, "SetFieldText 1 ",
                                "FocusQuantity"}));
  EXPECT_EQ(host_.messages, (Messages{{"Quibran", text, MessageIcon::Exclamation}}));
  EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);

  settings_.NumOfNums = 10;
  settings_.NumOfFiles = 0;
  host_.on_check_quantity = [&] { settings_.NumOfNums = 5; };
  // A change during the job does not reach it.
  host_.on_yield = [&] { settings_.NumOfNums = 50; settings_.BaseFilename = "OTHER"; };
  Run();
  EXPECT_EQ(host_.fields[JobField::NumOfFiles], "1");
  EXPECT_EQ(settings_.NumOfFiles, 1);
  EXPECT_EQ(host_.completed, Names{folder_ / "R0001.BIN"});
  EXPECT_EQ(ReadFile(folder_ / "R0001.BIN").size(), 5u);

  host_.on_check_quantity = host_.on_yield = nullptr;
  settings_.NumOfNums = 100;
  settings_.FileType = kFileBmp;
  host_.fields = {{JobField::NumOfFiles, "2"}, {JobField::CSVcolumnsX, "50"}, {JobField::NumOfNums, "99"}};
  for (const char* message : {"Only one bitmap can be generated at a time.", "Minimum X pixels is (screen width) 100",
                              "Minimum Y pixels is (screen height) 100"}) {
    Run();
    EXPECT_EQ(host_.messages, (Messages{{"Quibran", message, MessageIcon::Information}}));
    EXPECT_EQ(job_.outcome(), JobOutcome::NotStarted);
    EXPECT_EQ(std::count(host_.calls.begin(), host_.calls.end(), "SetRunning true"), 0);
  }
  EXPECT_EQ(host_.fields, (std::map<JobField, std::string>{{JobField::NumOfFiles, "1"},
                                                           {JobField::CSVcolumnsX, "100"},
                                                           {JobField::NumOfNums, "100"}}));
  EXPECT_EQ(std::tie(settings_.NumOfFiles, settings_.CSVcolumnsX, settings_.NumOfNums), std::tuple(1, 100, 100));
}

TEST_F(JobTest, ProgressBarsAreScaledAndEndFull) {
  settings_.NumOfNums = 100000;  // ProgressScale 4, UpdateInterval 3226
  Run();
  EXPECT_EQ(std::tie(host_.file_maximum, host_.job_maximum, host_.job_value), std::tuple(25000, 25000, 25000));
  EXPECT_EQ(host_.file_value(), 0);  // the common ending puts the file bar back
  ASSERT_GE(host_.yields, 2);
  // In between, the value of an UpdateInterval multiple reached.
  for (const int32_t v : host_.file_values) {
    EXPECT_TRUE(v == 0 || v == 25000 || (v * 4 + 3225) / 3226 * 3226 / 4 == v) << v;
  }

  // A CSV file's bar counts values; with several files the job bar counts files.
  settings_.FileType = kFileCsv;
  settings_.NumOfNums = 40000;  // rows of three; ProgressScale 2
  settings_.NumOfFiles = 2;
  Run();
  EXPECT_EQ(std::tie(host_.file_maximum, host_.job_maximum, host_.job_value), std::tuple(60000, 2, 2));
}

TEST_F(JobTest, DisplayBoxHoldsTheFirstFilesFirst1024Values) {
  settings_.FileType = kFileAsc;
  settings_.DisplayOn = 1;
  settings_.NumOfNums = 2000;
  settings_.NumOfFiles = 3;
  Run();
  std::string expected;
  char line[32];
  for (int i = 0; i < 1024; ++i) {
    const auto v = static_cast<unsigned>(twin_.DrawValue(kSourceMersenneTwister, kNumByte));
    std::snprintf(line, sizeof line, "%03u    %02X    %03o\r\n", v, v, v);
    expected += line;
  }
  EXPECT_EQ(host_.display, expected);
  // Emptied at the start, filled once when the first file is complete.
  EXPECT_EQ(std::count(host_.calls.begin(), host_.calls.end(), "SetDisplayText"), 2);

  settings_.DisplayOn = 0;
  Run();
  EXPECT_EQ(host_.display, "");
}

// Every type each writer writes, in rows spread over several blocks and
// continued from file to file; a type it does not write costs a message a
// file and leaves the file empty.
TEST_F(JobTest, TextAndCsvFilesHoldWholeRowsOfTheDrawnValuesOrNothing) {
  settings_.NumOfNums = 5000;
  settings_.NumOfFiles = 2;
  const auto layouts = {std::tuple{kFileAsc, kSourceMersenneTwister, 1}, {kFileCsv, kSourceWichmannHill, 7},
                        {kFileCsv, kSourceMtWh, 1}, {kFileAsc, kSourceRnd, 1}};
  for (const auto& [file_type, source, columns] : layouts) {
    for (int16_t type = kNumByte; type <= kNumDouble; ++type) {
      SCOPED_TRACE("file type " + std::to_string(file_type) + " source " + std::to_string(source) + " type " +
                   std::to_string(type));
      settings_.FileType = file_type;
      settings_.DeviceIndex = source;
      settings_.CSVcolumnsX = static_cast<int16_t>(columns);
      settings_.NumType = type;
      Run();
      EXPECT_EQ(host_.completed.size(), 2u);
      if (WriterOffers(file_type, source, type)) {
        for (const std::string& name : host_.completed) EXPECT_EQ(ExpectNextValues(name), 5000u);
        EXPECT_TRUE(host_.messages.empty());
      } else {
        for (const std::string& name : host_.completed) EXPECT_EQ(ReadFile(name), "");
        EXPECT_EQ(host_.messages, Messages(2, {"Quibran", NotAvailableMessage(file_type, source), MessageIcon::None}));
      }
    }
  }
}

// A stop keeps what is written, whole lines only, and leaves the start field
// one on from the last whole file; the next job runs to its end. (A stop in
// a binary file is the hardware job's test.)
TEST_F(JobTest, StopInTheSecondFileKeepsWhatIsWrittenAndTheStartFieldOneOn) {
  settings_.FileType = kFileAsc;
  settings_.NumType = kNumDouble;
  settings_.NumOfNums = 70000;  // more than a block
  settings_.NumOfFiles = 5;
  host_.on_yield = [&] { if (host_.completed.size() == 1) job_.RequestStop(); };  // at its first yield
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Stopped);
  EXPECT_FALSE(job_.running());
  EXPECT_EQ(host_.calls.back(), "SetRunning false");
  EXPECT_EQ(host_.file_value(), host_.file_maximum);
  EXPECT_EQ(StartSequence(), "0002");  // the common ending does not run
  EXPECT_EQ(ExpectNextValues(File(1)), 70000u);
  const std::size_t second = ExpectNextValues(File(2));
  EXPECT_TRUE(second > 0 && second < 70000) << second;
  EXPECT_EQ(folder_.FileCount(), 2u);

  host_.on_yield = nullptr;
  settings_.NumOfNums = 10;
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(host_.completed.back(), File(6));
}

// A file that cannot be written is reported with its name and ends the job:
// no further file, the start field as it was, the file bar never full, the
// job bar counting only the files written whole (the last failing only when
// it is closed). The file keeps its whole lines. The next job runs normally.
TEST_F(JobTest, WriteFailuresAreReportedAndEndTheJob) {
  constexpr rlim_t kLimit = 100;
  settings_.FileType = kFileAsc;
  settings_.NumType = kNumInteger16;
  settings_.NumOfFiles = 3;
  StartSequence() = "0007";
  // The file that fills the disk (a child process's limit on the file size,
  // set at its first yield), the values a file (300000 fail while it is
  // written, 100 only when it is closed), the files written whole.
  for (const auto& [full, values, written] : {std::tuple{"R0007.ASC", 300000, 0u}, {"R0009.ASC", 100, 2u}}) {
    SCOPED_TRACE(full);
    settings_.NumOfNums = values;
    host_.on_yield = [&, written = written] {
      if (host_.completed.size() == written) LimitFileSize(kLimit);
    };
    const auto run_limited = [&, full = full, written = written] {
      Run();
      const Messages disk_full = {
          {"Error Number 61", "Disk full\n" + folder_ / full + " was left incomplete.", MessageIcon::Critical}};
      // A file that fails while it is written never fills its bar.
      const auto full_bars = std::count(host_.file_values.begin(), host_.file_values.end(), host_.file_maximum);
      std::_Exit(host_.messages == disk_full && job_.outcome() == JobOutcome::Failed &&
                         host_.completed.size() == written && host_.job_value == static_cast<int32_t>(written) &&
                         StartSequence() == "0007" && host_.calls.back() == "SetRunning false" &&
                         (written > 0 || full_bars == 0)
                     ? 0
                     : 1);
    };
    EXPECT_EXIT(run_limited(), ::testing::ExitedWithCode(0), "");
    const std::string text = ReadFile(folder_ / full);
    EXPECT_TRUE(text.size() > 10 && text.size() <= kLimit && text.ends_with("\r\n")) << text.size();
  }
  host_.on_yield = nullptr;
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(host_.completed.size(), 3u);
}

// A disk that fills in the middle of a text file leaves it with whole lines
// only, as a stop does. The limit on the file size (a child process's own)
// fills it at a byte that is no line's end.
TEST_F(JobTest, AFullDiskLeavesWholeLinesOnly) {
  constexpr rlim_t kLimit = 100001;
  settings_.FileType = kFileAsc;
  settings_.NumType = kNumDouble;
  settings_.NumOfNums = 100000;
  const Messages full = {{"Error Number 61", "Disk full\n" + File(1) + " was left incomplete.", MessageIcon::Critical}};
  const auto run_limited = [&] {
    LimitFileSize(kLimit);
    Run();
    std::_Exit(host_.messages == full && job_.outcome() == JobOutcome::Failed ? 0 : 1);
  };
  EXPECT_EXIT(run_limited(), ::testing::ExitedWithCode(0), "");
  twin_.SeedSource(settings_.DeviceIndex);
  const std::size_t size = ReadFile(File(1)).size();
  EXPECT_TRUE(size > kLimit - 100 && size <= kLimit) << size;
  EXPECT_GT(ExpectNextValues(File(1)), 1000u);
}

// While a job draws secrets the process cannot dump core; afterwards it can.
TEST_F(JobTest, SecretSourcesKeepTheProcessFromDumpingCore) {
  for (const auto& [source, dumpable] : {std::pair{kSourceOs, 0}, {kSourceMersenneTwister, 1}}) {
    settings_.DeviceIndex = source;
    int during = -1;
    host_.on_yield = [&] { during = ::prctl(PR_GET_DUMPABLE); };
    Run();
    EXPECT_EQ(during, dumpable) << source;
    EXPECT_EQ(::prctl(PR_GET_DUMPABLE), 1) << source;
  }
}

TEST_F(JobTest, FolderWithoutWritePermissionIsReported) {
  ::chmod(folder_.dir().c_str(), 0555);
  const Messages denied = {{"Error Number 70", "Permission denied\n" + folder_ / "R0001.BIN", MessageIcon::Critical}};
  const auto run_unprivileged = [&] {
    BecomeNobody();
    Run();
    std::_Exit(host_.messages == denied && job_.outcome() == JobOutcome::Failed ? 0 : 1);
  };
  EXPECT_EXIT(run_unprivileged(), ::testing::ExitedWithCode(0), "");
}

// One picture named like the job's first file, drawn from the job's source
// until the job's Stop; the start sequence advances only when the window
// saved it, and stays advanced only with Save Seq.
TEST_F(JobTest, BitmapJobHandsOnePictureToItsWindow) {
  settings_.FileType = kFileBmp;
  settings_.DeviceIndex = kSourceWichmannHill;
  settings_.CSVcolumnsX = 120;
  settings_.MonochromeOn = 1;
  host_.fields = {{JobField::NumOfFiles, "1"}, {JobField::CSVcolumnsX, "120"}, {JobField::NumOfNums, "100"}};
  std::vector<uint32_t> pixels(120 * 100);
  for (const auto& [saved, save_seq, after] : {std::tuple{true, 1, "0002"}, {true, 0, "0001"}, {false, 1, "0001"}}) {
    StartSequence() = "0001";
    settings_.SaveLastSeq = static_cast<int16_t>(save_seq);
    host_.on_bitmap = [&, saved = saved](BitmapDrawing& drawing) {
      EXPECT_EQ(drawing.Draw(pixels.data(), 120, [&](int) { job_.RequestStop(); }), 1);
      return saved;
    };
    Run();
    ASSERT_TRUE(host_.bitmap);
    EXPECT_EQ(std::tie(host_.bitmap->DeviceIndex, host_.bitmap->width, host_.bitmap->height,
                       host_.bitmap->booMonochrome, host_.bitmap->OutputFileName),
              std::make_tuple(kSourceWichmannHill, 120, 100, true, File(1)));
    EXPECT_EQ(StartSequence(), after);
    EXPECT_EQ(host_.completed, saved ? Names{File(1)} : Names{});
    EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
    EXPECT_FALSE(job_.running());
  }
}

}  // namespace
}  // namespace quibran::test
