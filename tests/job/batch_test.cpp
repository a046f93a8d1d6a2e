// End-to-end runs of quibran-batch; its files are checked against values
// drawn from the core with the same seed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "fixed_clock.h"
#include "random/random_sources.h"
#include "temp_folder.h"
#include "text_checks.h"

extern char** environ;

namespace quibran {
namespace {

using test::ReadFile;
using test::Rounded;
using test::Split;

struct Spawned {
  pid_t pid = -1;
  std::string out_path;
  std::string err_path;
};

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// Starts quibran-batch in `cwd` with its output streams going to files
// beside `cwd`, so that the folder itself holds only what the tool writes.
Spawned Start(const std::vector<std::string>& args, const std::string& cwd, const test::TempFolder& logs) {
  Spawned run;
  run.out_path = logs / "stdout";
  run.err_path = logs / "stderr";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, run.out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, run.err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<std::string> all = {QUIBRAN_BATCH_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  EXPECT_EQ(posix_spawn(&run.pid, QUIBRAN_BATCH_PATH, &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

Result Wait(const Spawned& run) {
  int status = 0;
  waitpid(run.pid, &status, 0);
  Result result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(run.out_path);
  result.err = ReadFile(run.err_path);
  return result;
}

class BatchTest : public ::testing::Test {
 protected:
  Result Batch(const std::vector<std::string>& args) { return Wait(Start(args, folder_.dir(), logs_)); }

  // The core's sources, seeded as --seed seeds them.
  std::unique_ptr<RandomSources> Seeded(int source, int32_t seed) {
    auto sources = std::make_unique<RandomSources>(clock_);
    sources->SeedSource(source, seed);
    return sources;
  }

  std::size_t FilesInFolder() {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_.dir()),
                                                  std::filesystem::directory_iterator()));
  }

  test::TempFolder folder_;
  test::TempFolder logs_;
  test::FixedClock clock_{46000, 0.0f};
};

TEST_F(BatchTest, BinaryFilesContinueTheSeededTwisterStream) {
  const Result result = Batch({"--source", "mt", "--count", "100000", "--files", "2", "--seed", "42", "--dir",
                               folder_.dir(), "--stem", "PAD", "--start", "9", "--quiet"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, folder_ / "PAD0009.BIN\n" + folder_ / "PAD0010.BIN\n");
  auto core = Seeded(kSourceMersenneTwister, 42);
  for (const char* name : {"PAD0009.BIN", "PAD0010.BIN"}) {
    std::string expected(100000, '\0');
    core->DrawBytes(kSourceMersenneTwister, reinterpret_cast<uint8_t*>(expected.data()), expected.size());
    EXPECT_EQ(ReadFile(folder_ / name), expected) << name;
  }
}

TEST_F(BatchTest, TextAndCsvFilesHoldTheSeededValues) {
  // Whole numbers from Wichmann-Hill with a negative seed, options with "=".
  Result result = Batch({"--source=wh", "--file-type=asc", "--number-type=int16", "--count=1000", "--seed=-7",
                         "--dir=" + folder_.dir(), "--stem=W"});
  ASSERT_EQ(result.status, 0) << result.err;
  auto wh = Seeded(kSourceWichmannHill, -7);
  const std::vector<std::string> lines = Split(ReadFile(folder_ / "W0001.ASC"), "\r\n");
  ASSERT_EQ(lines.size(), 1000u);
  for (const std::string& line : lines) {
    ASSERT_EQ(line, std::to_string(static_cast<int>(wh->DrawValue(kSourceWichmannHill, kNumInteger16))));
  }

  // Doubles from the alternating source in rows of five.
  result = Batch({"--source", "mtwh", "--file-type", "csv", "--number-type", "double", "--count", "20", "--columns",
                  "5", "--seed", "5", "--dir", folder_.dir(), "--stem", "C"});
  ASSERT_EQ(result.status, 0) << result.err;
  auto alternating = Seeded(kSourceMtWh, 5);
  const std::vector<std::string> rows = Split(ReadFile(folder_ / "C0001.CSV"), "\r\n");
  ASSERT_EQ(rows.size(), 20u);
  for (const std::string& row : rows) {
    const std::vector<std::string> cells = Split(row + ",", ",");
    ASSERT_EQ(cells.size(), 5u) << row;
    for (const std::string& cell : cells) {
      ASSERT_EQ(std::strtod(cell.c_str(), nullptr), Rounded(alternating->DrawValue(kSourceMtWh, kNumDouble), 15));
    }
  }
}

TEST_F(BatchTest, DefaultsWriteOneFileOf1024BytesIntoTheCurrentFolder) {
  const Result result = Batch({});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "./RAND0001.BIN\n");
  EXPECT_EQ(ReadFile(folder_ / "RAND0001.BIN").size(), 1024u);
}

TEST_F(BatchTest, BadInputIsRefusedWithStatus2AndWritesNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--colour", "red"}, "unknown option"},
      {{"--count"}, "needs a value"},
      {{"--count", "0"}, "--count"},
      {{"--count", "12x"}, "--count"},
      {{"--file-type", "csv", "--count", "65537"}, "65536"},
      {{"--file-type", "asc", "--count", "1073741825"}, "1073741824"},
      {{"--count", "2147483647"}, "2147483646"},
      {{"--file-type", "csv", "--columns", "257"}, "256"},
      {{"--files", "10000"}, "9999"},
      {{"--start", "10000"}, "9999"},
      {{"--seed", "seven"}, "--seed"},
      {{"--source", "alea"}, "mt|rnd|wh|mtwh"},
      {{"--number-type", "int16"}, "Byte"},
      {{"--source", "rnd", "--file-type", "asc", "--number-type", "long31"}, "Not Available [GB003]"},
      {{"--source", "mt", "--file-type", "csv", "--number-type", "long32"}, "Not Available [GB002]"},
      {{"--source", "wh", "--file-type", "csv", "--number-type", "long32"}, "Not Available [GB006]"},
  };
  for (const auto& [args, expected] : cases) {
    const Result result = Batch(args);
    EXPECT_EQ(result.status, 2) << args[0];
    EXPECT_NE(result.err.find(expected), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(BatchTest, UnwritableDestinationEndsWithStatus1AndTheError) {
  const Result result = Batch({"--dir", folder_ / "missing", "--count", "10"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("Error Number 76"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("Path not found"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(BatchTest, HelpNamesEveryOption) {
  const Result result = Batch({"--help"});
  EXPECT_EQ(result.status, 0);
  for (const char* option : {"--source", "--file-type", "--number-type", "--count", "--columns", "--files", "--dir",
                             "--stem", "--start", "--seed", "--quiet", "--help", "Examples"}) {
    EXPECT_NE(result.out.find(option), std::string::npos) << option;
  }
}

TEST_F(BatchTest, InterruptClosesTheFileWithWhatItHoldsAndExits130) {
  // Wichmann-Hill bytes up to the limit would take many seconds.
  const Spawned run = Start({"--source", "wh", "--count", "2147483646", "--seed", "3", "--quiet"}, folder_.dir(), logs_);
  const std::string path = folder_ / "RAND0001.BIN";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!test::Exists(path) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  kill(run.pid, SIGINT);
  const Result result = Wait(run);
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_EQ(result.out, "");
  const std::string written = ReadFile(path);
  EXPECT_LT(written.size(), 2147483646u);
  std::string expected(written.size(), '\0');
  Seeded(kSourceWichmannHill, 3)->DrawBytes(kSourceWichmannHill, reinterpret_cast<uint8_t*>(expected.data()),
                                            expected.size());
  EXPECT_EQ(written, expected);
}

}  // namespace
}  // namespace quibran
