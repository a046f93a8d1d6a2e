// SPDX-License-Identifier: GPL-3.0-or-later
// The defaults file: its exact form, what the reading makes of damaged or
// strange files, and the save's folders, failures and atomic replacement.

#include "settings/defaults_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "job/temp_folder.h"
#include "settings/defaults.h"

namespace quibran {

void PrintTo(const JobSettings& s, std::ostream* out) {
  *out << FormatDefaults(s) << "NumOfNums " << s.NumOfNums << ", LastDeviceIndex " << s.LastDeviceIndex;
}

namespace {

using test::ReadFile;
using test::TempFolder;
namespace fs = std::filesystem;
using Message = std::optional<DefaultsMessage>;

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}
size_t FilesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Every stored setting away from its built-in default, and its file.
const JobSettings kStored{.DeviceIndex = 2,
                          .FileType = kFileAsc,
                          .NumType = 5,
                          .NumOfNums = 300,
                          .NumOfNumsText = "300",
                          .CSVcolumnsX = 9,
                          .NumOfFiles = 3,
                          .NumOfFilesText = {},
                          .DestDir = "/data/pads/",
                          .BaseFilename = "PAD",
                          .StartSequence = "7",
                          .DisplayOn = 1,
                          .SaveLastSeq = 1,
                          .MonochromeOn = 0,
                          .LastDeviceIndex = 2};
const std::vector<std::string> kLines = {"1",       "5",     "2", "3", "\"300\"", "9", "1", "\"/data/pads/\"",
                                         "\"PAD\"", "\"7\"", "1", "0"};

// The stored lines with some replaced (by number from 1), each ended by `end`.
std::string File(std::vector<std::pair<size_t, std::string>> changes = {}, const std::string& end = "\r\n") {
  std::vector<std::string> lines = kLines;
  for (const auto& [number, text] : changes) lines[number - 1] = text;
  std::string out;
  for (const std::string& line : lines) out += line + end;
  return out;
}

JobSettings With(JobSettings s, auto change) {
  change(s);
  return s;
}
// A reading that ended after line `lines`; the rest zero or empty.
JobSettings ReadUpTo(size_t lines, const std::string& quantity_text) {
  return With(JobSettings{}, [&](JobSettings& s) {
    if (lines >= 3) s.FileType = kFileAsc, s.NumType = 5, s.DeviceIndex = s.LastDeviceIndex = 2;
    if (lines >= 4) s.NumOfFiles = 3;
    s.NumOfNumsText = quantity_text;
  });
}

TEST(DefaultsFile, LoadReactsToEveryKindOfFile) {
  const std::string file = File();
  const auto quantity = [](const std::string& text, int32_t number) {
    return With(kStored, [&](JobSettings& s) { s.NumOfNumsText = text, s.NumOfNums = number; });
  };
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // none: no file
    JobSettings expected;
  };
  const Case cases[] = {
      {"twelve lines, CR LF", file, kStored},
      {"LF only, the last line unended", File({}, "\n").erase(file.size() - 13), kStored},
      {"CR only", File({}, "\r"), kStored},
      {"two fields on one line", File({{1, "1,5"}}).erase(3, 3), kStored},
      {"quoted number, signs, spaces, source 5", File({{1, "\"1\""}, {2, " +5 "}, {3, "5"}, {4, "-3"}}),
       With(kStored, [](auto& s) { s.NumOfFiles = -3, s.DeviceIndex = s.LastDeviceIndex = 5; })},
      {"empty integer field", File({{7, ""}}), With(kStored, [](auto& s) { s.DisplayOn = 0; })},
      {"unquoted string, text after a closing mark", File({{9, "  P A D  "}, {10, "\"7\" 8"}}),
       With(kStored, [](auto& s) { s.BaseFilename = "P A D"; })},
      {"indices past their tables", File({{1, "4"}, {2, "8"}, {3, "6"}}),
       With(kStored, [](auto& s) { s.FileType = s.NumType = 0, s.DeviceIndex = s.LastDeviceIndex = 1; })},
      {"1 GB", File({{5, "\"1073741824 (1 GB)\""}}), quantity("1073741824 (1 GB)", 1073741824)},
      {"2 GB - 2", File({{5, "\"2147483646 (2 GB - 2)\""}}), quantity("2147483646 (2 GB - 2)", 2147483646)},
      {"2147483648", File({{5, "2147483648"}}), quantity("2147483648", 2147483646)},
      {"2147483647", File({{5, "2147483647"}}), quantity("2147483647", 2147483646)},
      // 53 and 62: the built-in defaults.
      {"no file", std::nullopt, BuiltInDefaults()},
      {"eleven lines", file.substr(0, file.rfind("0\r\n")), BuiltInDefaults()},
      {"a line longer than the read limit", File({{8, "\"/" + std::string(100000, 'x') + "\""}}), BuiltInDefaults()},
      // 13: what was read, the quantity text "1024"; 6: what was read.
      {"65536 (64 KB)", File({{5, "\"65536 (64 KB)\""}}), ReadUpTo(4, "1024")},
      {"two numbers in a field", File({{4, "3 3"}}), ReadUpTo(3, "1024")},
      {"FileType 40000", File({{1, "40000"}}), ReadUpTo(0, "")},
      {"quantity past 32 bits", File({{5, "99999999999"}}), ReadUpTo(4, "99999999999")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder config;
    if (c.bytes) Write(DefaultsFilePath(config.dir()), *c.bytes);
    const LoadedDefaults loaded = LoadDefaults(config.dir());
    EXPECT_EQ(loaded.settings, c.expected);
    EXPECT_FALSE(loaded.message);
  }
}

// Any other failure is told; a file where a folder belongs is a missing path.
TEST(DefaultsFile, LoadTellsOtherFailures) {
  TempFolder config;
  const fs::path path = DefaultsFilePath(config.dir());
  fs::create_directories(path);
  const LoadedDefaults loaded = LoadDefaults(config.dir());
  EXPECT_EQ(loaded.settings, JobSettings{});
  EXPECT_EQ(loaded.message, (DefaultsMessage{"Get Def error number 52", "Bad file name or number"}));

  fs::remove_all(path.parent_path());
  Write(path.parent_path(), "a file where a folder belongs");
  EXPECT_EQ(LoadDefaults(config.dir()).settings, BuiltInDefaults());
}

TEST(DefaultsFile, BuiltInDefaultsAreTheseTwelveLines) {
  JobSettings s = BuiltInDefaults();
  s.DestDir = "C:\\";
  const std::string lines = "0\r\n0\r\n1\r\n1\r\n\"1024\"\r\n2\r\n0\r\n\"C:\\\"\r\n\"RAND\"\r\n\"1\"\r\n0\r\n0\r\n";
  EXPECT_EQ(FormatDefaults(s), lines);
  s.BaseFilename = "R\"A\r\nND";  // the form cannot hold these
  EXPECT_EQ(FormatDefaults(s), lines);
}

// The first save creates the folders without a word, the configuration
// folder too (a new user may have none); later ones replace the file; each
// load gives back what was saved.
TEST(DefaultsFile, SaveCreatesTheFoldersAndRoundTrips) {
  TempFolder temp;
  const std::string config = temp / "config";
  const std::string path = DefaultsFilePath(config);
  EXPECT_EQ(path, config + "/Ostrel Works/Quibran/Quibran.dfl");
  for (const JobSettings& s : {kStored, BuiltInDefaults()}) {
    EXPECT_EQ(SaveDefaults(config, s), Message());
    EXPECT_EQ(ReadFile(path), FormatDefaults(s));
    EXPECT_EQ(LoadDefaults(config).settings, s);
  }
  EXPECT_EQ(FilesIn(fs::path(path).parent_path()), 1u);
}

TEST(DefaultsFile, SaveWhereAFileBlocksAFolderSaysSo) {
  TempFolder config;
  Write(config / "Ostrel Works/Quibran", "in the way");
  EXPECT_EQ(SaveDefaults(config.dir(), kStored),
            Message({"Error Number 75", "Error message:  Can't create directory - Path/File access error"}));
  EXPECT_EQ(ReadFile(config / "Ostrel Works/Quibran"), "in the way");
}

// Saves kStored in a child process that `restrict` has restricted, and
// expects `message`.
void ExpectSaveInAChild(const TempFolder& config, void (*restrict)(), const Message& message) {
  const auto save = [&] {
    restrict();
    std::_Exit(SaveDefaults(config.dir(), kStored) == message ? 0 : 1);
  };
  EXPECT_EXIT(save(), ::testing::ExitedWithCode(0), "");
}

// A save that runs out of room (a file size limit here) leaves the old file
// whole and nothing else. So does one that finds the file read-only, though
// its folder may be written (saved as nobody: root writes any file).
TEST(DefaultsFile, FailedSaveLeavesTheOldFile) {
  TempFolder config;
  ASSERT_EQ(SaveDefaults(config.dir(), BuiltInDefaults()), Message());
  const std::string path = DefaultsFilePath(config.dir()), old_bytes = ReadFile(path);
  ExpectSaveInAChild(config, [] { test::LimitFileSize(16); },
                     {{"Error Number 61", "Error message: App Data - Disk full"}});
  EXPECT_EQ(ReadFile(path), old_bytes);
  EXPECT_EQ(FilesIn(config / "Ostrel Works/Quibran"), 1u);

  for (const fs::path folder : {config.dir(), config / "Ostrel Works", config / "Ostrel Works/Quibran"}) {
    fs::permissions(folder, fs::perms::all);
  }
  fs::permissions(path, fs::perms::owner_read | fs::perms::others_read);
  ExpectSaveInAChild(config, test::BecomeNobody, {{"Error Number 70", "Error message: App Data - Permission denied"}});
  EXPECT_EQ(ReadFile(path), old_bytes);
}

}  // namespace
}  // namespace quibran
