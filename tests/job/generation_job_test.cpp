// SPDX-License-Identifier: GPL-3.0-or-later
#include "job/generation_job.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "recording_observer.h"
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
    twin_.SeedSource(request_.DeviceIndex);
  }
  // Checks that a file holds the next values of the twin; returns how many
  // values (bytes or rows) it holds.
  std::size_t ExpectNextValues(const std::string& path) {
    const std::string text = ReadFile(path);
    if (request_.FileType == kFileBin) {
      EXPECT_EQ(text, DrawnBytes(twin_, request_.DeviceIndex, text.size())) << path;
      return text.size();
    }
    return ExpectRows(text, request_.FileType == kFileCsv ? request_.CSVcolumnsX : 1, request_.NumType,
                      [&] { return twin_.DrawValue(request_.DeviceIndex, request_.NumType); });
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
  for (const auto& [n, scale, interval] : {std::tuple{1, 1, 1},
                                           {31, 1, 2},
                                           {62, 1, 3},
                                           {32767, 1, 1058},
                                           {32768, 2, 1058},
                                           {65535, 2, 2115},
                                           {65536, 3, 2115},
                                           {98303, 3, 3172},
                                           {98304, 4, 3172},
                                           {2147483646, 65536, 69273667}}) {
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
    request_.FileType = file_type;
    request_.DeviceIndex = source;
    request_.NumType = type;
    Run();
    ASSERT_EQ(observer_.completed.size(), 1u);
    if (*message == '\0') {
      EXPECT_TRUE(observer_.messages.empty());
      EXPECT_EQ(ExpectNextValues(observer_.completed[0]), 100u);
    } else {
      EXPECT_EQ(observer_.messages, Messages(1, {"Quibran", message, MessageIcon::None}));
      EXPECT_EQ(ReadFile(observer_.completed[0]), "");
    }
  }
}

// Files are numbered on from the start sequence, past 9999 to 0000, replace
// a longer file of the name, and continue one stream; each names the start
// sequence after it. The job runs from its request as it started: a change
// made meanwhile does not reach it. Only Byte values go to binary files.
TEST_F(JobTest, BinaryFilesAreNumberedOnFromTheStartSequence) {
  request_.NumOfFiles = 3;
  request_.NumOfNums = 1000;
  request_.StartSequence = 9998;
  std::ofstream(folder_ / "R9999.BIN") << std::string(5000, 'x');
  std::filesystem::create_hard_link(folder_ / "R9999.BIN", folder_ / "OLD");  // replaced: OLD keeps it
  observer_.on_yield = [&] {
    request_.NumOfNums = 50;
    request_.BaseFilename = "OTHER";
  };
  Run();
  EXPECT_EQ(observer_.completed, (Names{folder_ / "R9998.BIN", folder_ / "R9999.BIN", folder_ / "R0000.BIN"}));
  EXPECT_EQ(observer_.next_sequences, (Names{"9999", "0000", "0001"}));
  for (const std::string& name : observer_.completed) EXPECT_EQ(ExpectNextValues(name), 1000u);
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

TEST_F(JobTest, ProgressBarsAreScaledAndEndFull) {
  request_.NumOfNums = 100000;  // ProgressScale 4, UpdateInterval 3226
  Run();
  const JobProgress& bars = observer_.last();
  EXPECT_EQ(std::tie(bars.file_maximum, bars.job_maximum, bars.job_value), std::tuple(25000, 25000, 25000));
  EXPECT_EQ(bars.file_value, 0);  // the common ending puts the file bar back
  ASSERT_GE(observer_.yields, 2);
  // In between, the value of an UpdateInterval multiple reached.
  for (const int32_t v : observer_.file_values()) {
    EXPECT_TRUE(v == 0 || v == 25000 || (v * 4 + 3225) / 3226 * 3226 / 4 == v) << v;
  }

  // A CSV file's bar counts values; with several files the job bar counts files.
  request_.FileType = kFileCsv;
  request_.NumOfNums = 40000;  // rows of three; ProgressScale 2
  request_.NumOfFiles = 2;
  Run();
  EXPECT_EQ(std::tie(observer_.last().file_maximum, observer_.last().job_maximum, observer_.last().job_value),
            std::tuple(60000, 2, 2));
}

TEST_F(JobTest, DisplayBoxHoldsTheFirstFilesFirst1024Values) {
  request_.FileType = kFileAsc;
  request_.DisplayOn = true;
  request_.NumOfNums = 2000;
  request_.NumOfFiles = 3;
  Run();
  std::string expected;
  char line[32];
  for (int i = 0; i < 1024; ++i) {
    const auto v = static_cast<unsigned>(twin_.DrawValue(kSourceMersenneTwister, kNumByte));
    std::snprintf(line, sizeof line, "%03u    %02X    %03o\r\n", v, v, v);
    expected += line;
  }
  // Filled once, when the first file is complete.
  EXPECT_EQ(observer_.displays, Names{expected});

  request_.DisplayOn = false;
  Run();
  EXPECT_TRUE(observer_.displays.empty());
}

// Every type each writer writes, in rows spread over several blocks and
// continued from file to file; a type it does not write costs a message a
// file and leaves the file empty.
TEST_F(JobTest, TextAndCsvFilesHoldWholeRowsOfTheDrawnValuesOrNothing) {
  request_.NumOfNums = 5000;
  request_.NumOfFiles = 2;
  const auto layouts = {std::tuple{kFileAsc, kSourceMersenneTwister, 1},
                        {kFileCsv, kSourceWichmannHill, 7},
                        {kFileCsv, kSourceMtWh, 1},
                        {kFileAsc, kSourceRnd, 1}};
  for (const auto& [file_type, source, columns] : layouts) {
    for (int16_t type = kNumByte; type <= kNumDouble; ++type) {
      SCOPED_TRACE("file type " + std::to_string(file_type) + " source " + std::to_string(source) + " type " +
                   std::to_string(type));
      request_.FileType = file_type;
      request_.DeviceIndex = source;
      request_.CSVcolumnsX = static_cast<int16_t>(columns);
      request_.NumType = type;
      Run();
      EXPECT_EQ(observer_.completed.size(), 2u);
      if (WriterOffers(file_type, source, type)) {
        for (const std::string& name : observer_.completed) EXPECT_EQ(ExpectNextValues(name), 5000u);
        EXPECT_TRUE(observer_.messages.empty());
      } else {
        for (const std::string& name : observer_.completed) EXPECT_EQ(ReadFile(name), "");
        EXPECT_EQ(observer_.messages,
                  Messages(2, {"Quibran", NotAvailableMessage(file_type, source), MessageIcon::None}));
      }
    }
  }
}

// A stop keeps what is written, whole lines only, the start sequence one on
// from the last whole file and the file bar full; the next job runs to its
// end. (A stop in a binary file is the hardware job's test.)
TEST_F(JobTest, StopInTheSecondFileKeepsWhatIsWrittenAndTheStartFieldOneOn) {
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
  EXPECT_EQ(ExpectNextValues(File(1)), 70000u);
  const std::size_t second = ExpectNextValues(File(2));
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
// no further file, the file bar never full, the
// job bar counting only the files written whole (the last failing only when
// it is closed). The file keeps its whole lines. The next job runs normally.
TEST_F(JobTest, WriteFailuresAreReportedAndEndTheJob) {
  constexpr rlim_t kLimit = 100;
  request_.FileType = kFileAsc;
  request_.NumType = kNumInteger16;
  request_.NumOfFiles = 3;
  request_.StartSequence = 7;
  // The file that fills the disk (a child process's limit on the file size,
  // set at its first yield), the values a file (300000 fail while it is
  // written, 100 only when it is closed), the files written whole.
  for (const auto& [full, values, written] : {std::tuple{"R0007.ASC", 300000, 0u}, {"R0009.ASC", 100, 2u}}) {
    SCOPED_TRACE(full);
    request_.NumOfNums = values;
    observer_.on_yield = [&, written = written] {
      if (observer_.completed.size() == written) LimitFileSize(kLimit);
    };
    const auto run_limited = [&, full = full, written = written] {
      Run();
      const Messages disk_full = {
          {"Error Number 61", "Disk full\n" + folder_ / full + " was left incomplete.", MessageIcon::Critical}};
      // A file that fails while it is written never fills its bar.
      const std::vector<int32_t> file_values = observer_.file_values();
      const auto full_bars = std::count(file_values.begin(), file_values.end(), observer_.last().file_maximum);
      std::_Exit(observer_.messages == disk_full && job_.outcome() == JobOutcome::Failed &&
                         observer_.completed.size() == written &&
                         observer_.last().job_value == static_cast<int32_t>(written) && !job_.running() &&
                         (written > 0 || full_bars == 0)
                     ? 0
                     : 1);
    };
    EXPECT_EXIT(run_limited(), ::testing::ExitedWithCode(0), "");
    const std::string text = ReadFile(folder_ / full);
    EXPECT_TRUE(text.size() > 10 && text.size() <= kLimit && text.ends_with("\r\n")) << text.size();
  }
  observer_.on_yield = nullptr;
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(observer_.completed.size(), 3u);
}

// A disk that fills in the middle of a text file leaves it with whole lines
// only, as a stop does. The limit on the file size (a child process's own)
// fills it at a byte that is no line's end.
TEST_F(JobTest, AFullDiskLeavesWholeLinesOnly) {
  constexpr rlim_t kLimit = 100001;
  request_.FileType = kFileAsc;
  request_.NumType = kNumDouble;
  request_.NumOfNums = 100000;
  const Messages full = {{"Error Number 61", "Disk full\n" + File(1) + " was left incomplete.", MessageIcon::Critical}};
  const auto run_limited = [&] {
    LimitFileSize(kLimit);
    Run();
    std::_Exit(observer_.messages == full && job_.outcome() == JobOutcome::Failed ? 0 : 1);
  };
  EXPECT_EXIT(run_limited(), ::testing::ExitedWithCode(0), "");
  twin_.SeedSource(request_.DeviceIndex);
  const std::size_t size = ReadFile(File(1)).size();
  EXPECT_TRUE(size > kLimit - 100 && size <= kLimit) << size;
  EXPECT_GT(ExpectNextValues(File(1)), 1000u);
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

TEST_F(JobTest, FolderWithoutWritePermissionIsReported) {
  ::chmod(folder_.dir().c_str(), 0555);
  const Messages denied = {{"Error Number 70", "Permission denied\n" + folder_ / "R0001.BIN", MessageIcon::Critical}};
  const auto run_unprivileged = [&] {
    BecomeNobody();
    Run();
    std::_Exit(observer_.messages == denied && job_.outcome() == JobOutcome::Failed ? 0 : 1);
  };
  EXPECT_EXIT(run_unprivileged(), ::testing::ExitedWithCode(0), "");
}

// One picture named like the job's first file, drawn from the job's source
// until a stop; it completes a file, and the start sequence advances, only
// when the observer saved it.
TEST_F(JobTest, BitmapJobHandsOnePictureToItsWindow) {
  request_.FileType = kFileBmp;
  request_.DeviceIndex = kSourceWichmannHill;
  request_.CSVcolumnsX = 120;
  request_.MonochromeOn = true;
  std::vector<uint32_t> pixels(120 * 100);
  for (const bool saved : {true, false}) {
    observer_.on_bitmap = [&](BitmapDrawing& drawing) {
      EXPECT_EQ(drawing.Draw(pixels.data(), 120, [&](int) { observer_.stop = true; }), 1);
      return saved;
    };
    Run();
    ASSERT_TRUE(observer_.bitmap);
    EXPECT_EQ(std::tie(observer_.bitmap->DeviceIndex, observer_.bitmap->width, observer_.bitmap->height,
                       observer_.bitmap->booMonochrome, observer_.bitmap->OutputFileName),
              std::make_tuple(kSourceWichmannHill, 120, 100, true, File(1)));
    EXPECT_EQ(observer_.completed, saved ? Names{File(1)} : Names{});
    EXPECT_EQ(observer_.next_sequences, saved ? Names{"0002"} : Names{});
    EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
    EXPECT_FALSE(job_.running());
  }
}

}  // namespace
}  // namespace quibran::test
