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

// A file with every setting away from its built-in default, with some lines
// replaced (by number from 1), each ended by `end`.
std::string File(std::vector<std::pair<size_t, std::string>> changes = {}, const std::string& end = "\r\n") {
  std::vector<std::string> lines = {"1",       "5",     "2", "3", "\"300\"", "9", "1", "\"/data/pads/\"",
                                    "\"PAD\"", "\"7\"", "1", "0"};
  for (const auto& [number, text] : changes) lines[number - 1] = text;
  std::string out;
  for (const std::string& line : lines) out += line + end;
  return out;
}

// Settings as one line: the file's fields as they would be saved, then "="
// and NumOfNums.
std::string Text(const JobSettings& s) {
  std::string text;
  for (const char c : FormatDefaults(s)) text += c == '\r' ? "" : c == '\n' ? " " : std::string(1, c);
  return text + "= " + std::to_string(s.NumOfNums);
}

TEST(DefaultsFile, LoadReactsToEveryKindOfFile) {
  const std::string file = File(), stored = R"(1 5 2 3 "300" 9 1 "/data/pads/" "PAD" "7" 1 0 = 300)";
  const std::string built_in = Text(BuiltInDefaults());
  const struct {
    const char* name;
    std::optional<std::string> bytes;  // none: no file
    std::string settings;
  } cases[] = {
      {"twelve lines, CR LF", file, stored},
      {"LF only, the last line unended", File({}, "\n").erase(file.size() - 13), stored},
      {"CR only", File({}, "\r"), stored},
      {"two fields on one line", File({{1, "1,5"}}).erase(3, 3), stored},
      {"quoted number, signs, spaces", File({{1, "\"1\""}, {2, " +5 "}, {3, "5"}, {4, "-3"}}),
       R"(1 5 5 -3 "300" 9 1 "/data/pads/" "PAD" "7" 1 0 = 300)"},
      {"empty integer, unquoted string, text after a closing mark", File({{7, ""}, {9, "  P A D  "}, {10, "\"7\" 8"}}),
       R"(1 5 2 3 "300" 9 0 "/data/pads/" "P A D" "7" 1 0 = 300)"},
      {"a quantity text of its own", File({{5, "1073741824 (1 GB)"}}),
       R"x(1 5 2 3 "1073741824 (1 GB)" 9 1 "/data/pads/" "PAD" "7" 1 0 = 1073741824)x"},
      {"a quantity past the most", File({{5, "2147483648"}}),
       R"(1 5 2 3 "2147483648" 9 1 "/data/pads/" "PAD" "7" 1 0 = 2147483646)"},
      {"indices past their tables", File({{1, "4"}, {2, "8"}, {3, "6"}}),
       R"(0 0 1 3 "300" 9 1 "/data/pads/" "PAD" "7" 1 0 = 300)"},
      // 53 and 62: the built-in defaults.
      {"no file", std::nullopt, built_in},
      {"eleven lines", file.substr(0, file.rfind("0\r\n")), built_in},
      {"a line longer than the read limit", File({{8, "\"/" + std::string(100000, 'x') + "\""}}), built_in},
      // 13: what was read, the quantity text "1024"; 6: what was read.
      {"65536 (64 KB)", File({{5, "\"65536 (64 KB)\""}}), R"(1 5 2 3 "1024" 0 0 "" "" "" 0 0 = 0)"},
      {"two numbers in a field", File({{4, "3 3"}}), R"(1 5 2 0 "1024" 0 0 "" "" "" 0 0 = 0)"},
      {"FileType 40000", File({{1, "40000"}}), R"(0 0 0 0 "" 0 0 "" "" "" 0 0 = 0)"},
      {"quantity past 32 bits", File({{5, "99999999999"}}), R"(1 5 2 3 "99999999999" 0 0 "" "" "" 0 0 = 0)"},
  };
  for (const auto& c : cases) {
    TempFolder config;
    if (c.bytes) Write(DefaultsFilePath(config.dir()), *c.bytes);
    const LoadedDefaults loaded = LoadDefaults(config.dir());
    EXPECT_EQ(Text(loaded.settings), c.settings) << c.name;
    EXPECT_EQ(loaded.settings.LastDeviceIndex, loaded.settings.DeviceIndex) << c.name;
    EXPECT_FALSE(loaded.message) << c.name;
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
  s.BaseFilename = "R\"A\r\nND";  // the form cannot hold these
  EXPECT_EQ(FormatDefaults(s), "0\r\n0\r\n1\r\n1\r\n\"1024\"\r\n2\r\n0\r\n\"C:\\\"\r\n\"RAND\"\r\n\"1\"\r\n0\r\n0\r\n");
}

// The first save creates the folders, the configuration folder too (a new
// user may have none); later ones replace the file; a file in the way is told.
TEST(DefaultsFile, SaveCreatesTheFoldersAndReplacesTheFile) {
  TempFolder temp;
  const std::string config = temp / "config", path = DefaultsFilePath(config);
  EXPECT_EQ(path, config + "/Ostrel Works/Quibran/Quibran.dfl");
  for (const std::string& file : {File(), File({{3, "5"}, {6, "2"}})}) {
    EXPECT_EQ(SaveDefaults(config, ParseDefaults(file).settings), Message());
    EXPECT_EQ(ReadFile(path), file);
  }
  EXPECT_EQ(FilesIn(fs::path(path).parent_path()), 1u);
  Write(temp / "blocked/Ostrel Works/Quibran", "in the way");
  EXPECT_EQ(SaveDefaults(temp / "blocked", BuiltInDefaults()),
            Message({"Error Number 75", "Error message:  Can't create directory - Path/File access error"}));
}

// A save out of room (a file size limit) leaves the old file whole and nothing
// else; so does one as nobody (root writes any file) to a read-only file.
TEST(DefaultsFile, FailedSaveLeavesTheOldFile) {
  TempFolder config;
  ASSERT_EQ(SaveDefaults(config.dir(), BuiltInDefaults()), Message());
  const std::string path = DefaultsFilePath(config.dir()), old_bytes = ReadFile(path);
  // Saves in a child process restricted by `restrict`, which must get `message`.
  const auto save_in_child = [&](void (*restrict)(), const DefaultsMessage& message) {
    restrict();
    std::_Exit(SaveDefaults(config.dir(), ParseDefaults(File()).settings) == message ? 0 : 1);
  };
  EXPECT_EXIT(
      save_in_child([] { test::LimitFileSize(16); }, {"Error Number 61", "Error message: App Data - Disk full"}),
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(path), old_bytes);
  EXPECT_EQ(FilesIn(config / "Ostrel Works/Quibran"), 1u);
  for (const fs::path folder : {config.dir(), config / "Ostrel Works", config / "Ostrel Works/Quibran"}) {
    fs::permissions(folder, fs::perms::all);
  }
  fs::permissions(path, fs::perms::owner_read | fs::perms::others_read);
  EXPECT_EXIT(save_in_child(test::BecomeNobody, {"Error Number 70", "Error message: App Data - Permission denied"}),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(path), old_bytes);
}

}  // namespace
}  // namespace quibran
