// The defaults file: its exact form, every reaction of the reading to a
// damaged or strange file, and the save's folder creation, failures and
// atomic replacement.

#include "settings/defaults_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <vector>

#include "job/temp_folder.h"
#include "settings/defaults.h"

namespace quibran {

void PrintTo(const DefaultsMessage& m, std::ostream* out) { *out << '[' << m.title << "] " << m.text; }
void PrintTo(const JobSettings& s, std::ostream* out) {
  *out << FormatDefaults(s) << "NumOfNums " << s.NumOfNums << ", LastDeviceIndex " << s.LastDeviceIndex;
}

namespace {

using test::ReadFile;
using test::TempFolder;
namespace fs = std::filesystem;

void Write(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every stored setting away from its built-in default.
JobSettings Stored() {
  JobSettings s;
  s.FileType = kFileAsc;
  s.NumType = 5;
  s.DeviceIndex = s.LastDeviceIndex = 2;
  s.NumOfFiles = 3;
  s.NumOfNumsText = "300";
  s.NumOfNums = 300;
  s.CSVcolumnsX = 9;
  s.DisplayOn = 1;
  s.DestDir = "/data/pads/";
  s.BaseFilename = "PAD";
  s.StartSequence = "7";
  s.SaveLastSeq = 1;
  return s;
}
const std::vector<std::string> kStoredLines = {"1",   "5",     "2", "3", "\"300\"", "9",
                                               "1", "\"/data/pads/\"", "\"PAD\"", "\"7\"", "1", "0"};

// The stored lines with line `number` (from 1) replaced, joined by `end`.
std::string File(std::vector<std::pair<int, std::string>> changes = {}, const std::string& end = "\r\n") {
  std::vector<std::string> lines = kStoredLines;
  for (const auto& [number, text] : changes) lines[static_cast<std::size_t>(number - 1)] = text;
  std::string out;
  for (const std::string& line : lines) out += line + end;
  return out;
}

// The settings read up to a failure: lines 1 to `lines` of Stored().
JobSettings ReadUpTo(int lines, const std::string& quantity_text = "") {
  const JobSettings all = Stored();
  JobSettings s;
  if (lines >= 3) {
    s.FileType = all.FileType;
    s.NumType = all.NumType;
    s.DeviceIndex = s.LastDeviceIndex = all.DeviceIndex;
  }
  if (lines >= 4) s.NumOfFiles = all.NumOfFiles;
  s.NumOfNumsText = quantity_text;
  return s;
}

JobSettings With(JobSettings s, auto change) {
  change(s);
  return s;
}

struct LoadCase {
  const char* name;
  std::optional<std::string> bytes;  // none: no file
  JobSettings expected;
  std::optional<DefaultsMessage> message = std::nullopt;
};

TEST(DefaultsFile, LoadReactsToEveryKindOfFile) {
  const std::string long_folder = "\"/" + std::string(100000, 'x') + "/\"";
  const std::vector<LoadCase> cases = {
      {"twelve lines, CR LF", File(), Stored()},
      {"LF only", File({}, "\n"), Stored()},
      {"CR only", File({}, "\r"), Stored()},
      {"no line end after the last", File().substr(0, File().size() - 2), Stored()},
      {"more than twelve lines", File() + "junk\r\n", Stored()},
      {"two fields on one line", File({{1, "1,5"}}).replace(3, 3, ""), Stored()},
      {"quoted numbers, signs and spaces", File({{1, "\"1\""}, {2, " +5 "}, {4, "-3"}}),
       With(Stored(), [](auto& s) { s.NumOfFiles = -3; })},
      {"empty integer field", File({{7, ""}}), With(Stored(), [](auto& s) { s.DisplayOn = 0; })},
      {"unquoted strings, text after a closing mark", File({{9, "  P A D  "}, {10, "\"7\" 8"}}),
       With(Stored(), [](auto& s) { s.BaseFilename = "P A D"; })},
      {"binary bytes in a string", File({{9, std::string("\"\0\x01\xff\"", 5)}}),
       With(Stored(), [](auto& s) { s.BaseFilename = std::string("\0\x01\xff", 3); })},
      {"indices outside their tables", File({{1, "4"}, {2, "8"}, {3, "-1"}}),
       With(Stored(), [](auto& s) { s.FileType = s.NumType = 0, s.DeviceIndex = s.LastDeviceIndex = 1; })},
      {"1073741824 (1 GB)", File({{5, "\"1073741824 (1 GB)\""}}),
       With(Stored(), [](auto& s) { s.NumOfNumsText = "1073741824 (1 GB)", s.NumOfNums = 1073741824; })},
      {"2147483646 (2 GB - 2)", File({{5, "\"2147483646 (2 GB - 2)\""}}),
       With(Stored(), [](auto& s) { s.NumOfNumsText = "2147483646 (2 GB - 2)", s.NumOfNums = 2147483646; })},
      {"2147483648", File({{5, "\"2147483648\""}}),
       With(Stored(), [](auto& s) { s.NumOfNumsText = "2147483648", s.NumOfNums = 2147483646; })},
      // Failures end the reading: 62 and 53/76 give the built-in defaults.
      {"eleven lines", File().substr(0, File().rfind("0\r\n")), BuiltInDefaults()},
      {"empty file", "", BuiltInDefaults()},
      {"closing mark missing", File({{10, "\"7"}}), BuiltInDefaults()},
      {"a line longer than the file limit", File({{8, long_folder}}), BuiltInDefaults()},
      {"no file", std::nullopt, BuiltInDefaults()},
      // 13 gives the quantity text "1024", 6 nothing more.
      {"65536 (64 KB)", File({{5, "\"65536 (64 KB)\""}}), ReadUpTo(4, "1024")},
      {"empty quantity", File({{5, "\"\""}}), ReadUpTo(4, "1024")},
      {"two numbers in a field", File({{4, "3 3"}}), ReadUpTo(3, "1024")},
      {"binary bytes in a number", File({{1, "\x01"}}), ReadUpTo(0, "1024")},
      {"FileType 40000", File({{1, "40000"}}), ReadUpTo(0)},
      {"quantity past 32 bits", File({{5, "99999999999"}}), ReadUpTo(4, "99999999999")},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder config;
    if (c.bytes) Write(DefaultsFilePath(config.dir()), *c.bytes);
    const LoadedDefaults loaded = LoadDefaults(config.dir());
    EXPECT_EQ(loaded.settings, c.expected);
    EXPECT_EQ(loaded.message, c.message);
  }
}

TEST(DefaultsFile, LoadOfWhatCannotBeReadTellsItsError) {
  TempFolder config;
  const std::string path = DefaultsFilePath(config.dir());
  fs::create_directories(path);  // a folder where the file belongs
  const LoadedDefaults loaded = LoadDefaults(config.dir());
  EXPECT_EQ(loaded.settings, JobSettings{});
  EXPECT_EQ(loaded.message, (DefaultsMessage{"Get Def error number 52", "Bad file name or number"}));

  fs::remove(path);
  fs::remove(fs::path(path).parent_path());
  Write(fs::path(path).parent_path(), "a file where a folder belongs");
  EXPECT_EQ(LoadDefaults(config.dir()).settings, BuiltInDefaults());
}

TEST(DefaultsFile, BuiltInDefaultsAreTheseTwelveLines) {
  JobSettings s = BuiltInDefaults();
  s.DestDir = "C:\\";
  EXPECT_EQ(FormatDefaults(s), "0\r\n0\r\n1\r\n1\r\n\"1024\"\r\n2\r\n0\r\n\"C:\\\"\r\n\"RAND\"\r\n\"1\"\r\n0\r\n0\r\n");
  s.NumOfFiles = -2;
  s.BaseFilename = "R\"A\r\nND";  // the form cannot hold these
  EXPECT_EQ(FormatDefaults(s), "0\r\n0\r\n1\r\n-2\r\n\"1024\"\r\n2\r\n0\r\n\"C:\\\"\r\n\"RAND\"\r\n\"1\"\r\n0\r\n0\r\n");
}

// The first save creates the folders without a word (the configuration
// folder too, which a new user may not have); later ones replace the file;
// each load gives back what was saved.
TEST(DefaultsFile, SaveCreatesTheFoldersAndRoundTrips) {
  TempFolder temp;
  const std::string config = temp / "config";
  const std::string path = DefaultsFilePath(config);
  EXPECT_EQ(path, config + "/Ostrel Works/Quibran/Quibran.dfl");
  for (const JobSettings& s : {Stored(), BuiltInDefaults()}) {
    EXPECT_EQ(SaveDefaults(config, s), std::nullopt);
    EXPECT_EQ(ReadFile(path), FormatDefaults(s));
    EXPECT_EQ(LoadDefaults(config).settings, s);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()), fs::directory_iterator()), 1);
}

TEST(DefaultsFile, SaveWhereAFileBlocksAFolderSaysSo) {
  const DefaultsMessage cant_create{"Error Number 75", "Error message:  Can't create directory - Path/File access error"};
  for (const char* blocker : {"Ostrel Works", "Ostrel Works/Quibran"}) {
    SCOPED_TRACE(blocker);
    TempFolder config;
    Write(config / blocker, "in the way");
    EXPECT_EQ(SaveDefaults(config.dir(), Stored()), cant_create);
    EXPECT_EQ(ReadFile(config / blocker), "in the way");
  }
}

// A save that runs out of room (here a file size limit) leaves the old file
// whole and no new one behind.
TEST(DefaultsFile, FailedSaveLeavesTheOldFile) {
  TempFolder config;
  ASSERT_EQ(SaveDefaults(config.dir(), BuiltInDefaults()), std::nullopt);
  const std::string old_bytes = ReadFile(DefaultsFilePath(config.dir()));

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit tiny = saved;
  tiny.rlim_cur = 16;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const auto message = SaveDefaults(config.dir(), Stored());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_EQ(message, (DefaultsMessage{"Error Number 61", "Error message: App Data - Disk full"}));
  EXPECT_EQ(ReadFile(DefaultsFilePath(config.dir())), old_bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(config / "Ostrel Works/Quibran"), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace quibran
