// SPDX-License-Identifier: GPL-3.0-or-later
// The job's mechanics: numbering, stop, write failures, progress, the
// display box, core dumps and the bitmap's hand-over. The values in its
// files are quibran-batch's table's (batch_test.cpp).
#include "job/generation_job.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
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

using JobTest = JobFixture;

TEST(ProgressScale, KeepsBarValuesWithin32767AndUpdatesAbout31TimesAFile) {
  // The quantity, its scale and its update interval.
  for (const auto& [n, scale, interval] :
       {std::tuple{31, 1, 2}, {32767, 1, 1058}, {32768, 2, 1058}, {2147483646, 65536, 69273667}}) {
    EXPECT_EQ(std::pair(ProgressScale(n), UpdateInterval(n)), std::pair(scale, interval)) << n;
  }
}

// Files are numbered on from the start sequence, past 9999 to 0000, replace
// a longer file of the name, and each names the start sequence after it.
// The job runs from its request as it started: a change made meanwhile does
// not reach it. Only Byte values go to binary files.
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
  for (const std::string& name : observer_.completed) EXPECT_EQ(ReadFile(name).size(), 1000u);
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
  EXPECT_EQ(std::tie(bars.values_done, bars.values_total), std::tuple(int64_t{100000}, int64_t{100000}));
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
  EXPECT_EQ(observer_.last().values_total, 240000);
}

TEST_F(JobTest, DisplayBoxHoldsTheFirstFilesFirst1024Values) {
  request_.FileType = kFileAsc;
  request_.DisplayOn = true;
  request_.NumOfNums = 2000;
  request_.NumOfFiles = 3;
  Run();
  const std::vector<std::string> lines = Split(ReadFile(File(1)), "\r\n");
  std::string expected;
  char line[32];
  for (int i = 0; i < 1024; ++i) {
    const auto v = static_cast<unsigned>(std::stoul(lines[static_cast<std::size_t>(i)]));
    std::snprintf(line, sizeof line, "%03u    %02X    %03o\r\n", v, v, v);
    expected += line;
  }
  // Filled once, when the first file is complete.
  EXPECT_EQ(observer_.displays, Names{expected});

  request_.DisplayOn = false;
  Run();
  EXPECT_TRUE(observer_.displays.empty());
}

// A stop keeps what is written, whole lines only, the start sequence one on
// from the last whole file and the file bar full; the next job runs to its
// end. (A stop in a binary file is the hardware job's test.)
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
    EXPECT_TRUE(text.size() > limit - 100 && text.size() <= limit) << text.size();
    EXPECT_GT(Split(text, "\r\n").size(), 10u);
  }
  observer_.on_yield = nullptr;
  Run();
  EXPECT_EQ(job_.outcome(), JobOutcome::Completed);
  EXPECT_EQ(observer_.completed.size(), 3u);
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
