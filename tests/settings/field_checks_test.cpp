// SPDX-License-Identifier: GPL-3.0-or-later
// Every rule of the field checks, one row a case, on a 1920 x 1080 screen.

#include "settings/field_checks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "settings/defaults.h"

namespace quibran {

void PrintTo(const FieldMessage& m, std::ostream* out) {
  *out << '[' << m.text << "] icon " << static_cast<int>(m.icon);
}

namespace {

using Messages = std::vector<FieldMessage>;

FieldMessage Info(const char* text) { return {text, MessageIcon::Information}; }
FieldMessage Plain(const char* text) { return {text, MessageIcon::None}; }

enum class Check { Quantity, ColumnsChange, ColumnsLeave, FilesLeave, SequenceChange, FileName, FolderName, DestDir };

// What a check gave, in one shape. `value` is -1 where the check has none:
// the number the start sequence field is rewritten to, the columns while they
// change.
struct Outcome {
  std::string text;
  int64_t value = 0;
  Messages messages;
};

Outcome Apply(Check check, const std::string& input, int16_t file_type) {
  constexpr int16_t kWidth = 1920, kHeight = 1080;
  switch (check) {
    case Check::Quantity: {
      const QuantityOutcome out = QuantityCheck(input, file_type, kWidth, kHeight);
      // Only binary and text files get the field rewritten, to the number.
      const bool rewrites = file_type == kFileBin || file_type == kFileAsc;
      EXPECT_EQ(out.field_text, rewrites ? std::optional(out.NumOfNumsText) : std::nullopt);
      return {out.NumOfNumsText, out.NumOfNums, out.messages};
    }
    case Check::ColumnsChange: return {"", ColumnsOnChange(input).value_or(-1), {}};
    case Check::ColumnsLeave:
    case Check::FilesLeave: {
      const FieldOutcome out =
          check == Check::ColumnsLeave ? ColumnsOnLeave(input, file_type, kWidth) : NumOfFilesOnLeave(input, file_type);
      return {out.text, out.value, out.messages};
    }
    case Check::SequenceChange: {
      const SequenceOutcome out = StartSequenceOnChange(input);
      return {out.StartSequence, out.field_text ? DigitsValue(*out.field_text) : -1, {}};
    }
    case Check::FileName:
    case Check::FolderName: {
      const QuoteOutcome out = RefuseDoubleQuote(input, check == Check::FileName ? NameKind::File : NameKind::Folder);
      return {out.text, 0, out.message ? Messages{*out.message} : Messages{}};
    }
    case Check::DestDir: return {NormalizeDestDir(input), 0, {}};
  }
  return {};
}

struct Case {
  Check check;
  int16_t file_type;
  std::string input;
  std::string text;
  int64_t value;
  Messages messages;
};

TEST(FieldChecks, EveryRule) {
  const FieldMessage max_bin = Info("Maximum number is 2147483646 (2 GB - 2)");
  const FieldMessage max_asc = Info("Maximum ASCII numbers is 1073741824 (1 GB)");
  const FieldMessage max_bmp = Plain("Maximum bitmap size is screen size (1920 x 1080)");
  const FieldMessage max_rows = Plain("Maximum CSV rows is 65536"), max_cols = Plain("Maximum columns is 256");
  const FieldMessage max_files = Plain("Maximum files is 9999");
  const FieldMessage one_bmp = Plain("Only one bitmap can be generated at a time.");
  const FieldMessage quote_file{"The double quotation mark (\") cannot be used in a file name; it has been removed.",
                                MessageIcon::Exclamation};
  const FieldMessage quote_folder{
      "The double quotation mark (\") cannot be used in a folder name; it has been removed.", MessageIcon::Exclamation};
  using enum Check;
  const std::vector<Case> cases = {
      {Quantity, kFileBin, "4294967295", "2147483646", 2147483646, {max_bin}},
      {Quantity, kFileBin, "2147483647", "2147483646", 2147483646, {max_bin}},
      {Quantity, kFileBin, "21474836461", "2147483646", 2147483646, {}},  // cut to ten digits first
      {Quantity, kFileBin, "2147483646 (2 GB - 2)", "2147483646", 2147483646, {}},
      {Quantity, kFileBin, "00768", "768", 768, {}},
      {Quantity, kFileBin, "abc", "1", 1, {}},
      {Quantity, kFileAsc, "1073741824 (1 GB)", "1073741824", 1073741824, {}},
      {Quantity, kFileAsc, "1073741825", "1073741824", 1073741824, {max_asc}},
      {Quantity, kFileAsc, "10737418240", "1073741824", 1073741824, {}},
      {Quantity, kFileAsc, " 5e3", "5", 5, {}},
      {Quantity, kFileBmp, "99", "100", 100, {Info("Minimum bitmap size is 100 x 100")}},
      {Quantity, kFileBmp, "100", "100", 100, {}},
      {Quantity, kFileBmp, "1080", "1080", 1080, {}},
      {Quantity, kFileBmp, "1081", "1080", 1080, {max_bmp}},
      {Quantity, kFileBmp, "12345", "1080", 1080, {max_bmp}},  // 1234 after the cut
      {Quantity, kFileCsv, "65536", "65536", 65536, {}},
      {Quantity, kFileCsv, "65537", "65536", 65536, {max_rows}},
      {Quantity, kFileCsv, "000001", "65536", 65536, {max_rows}},  // six characters
      {Quantity, kFileCsv, "0", "0", 0, {}},
      {Quantity, kFileCsv, "x", "1", 1, {}},
      {ColumnsChange, kFileCsv, "12345", "", 1234, {}},
      {ColumnsChange, kFileCsv, "", "", -1, {}},
      {ColumnsChange, kFileCsv, "x1", "", -1, {}},
      {ColumnsLeave, kFileCsv, "1", "2", 2, {Plain("Minimum columns is 2")}},
      {ColumnsLeave, kFileCsv, "2", "2", 2, {}},
      {ColumnsLeave, kFileCsv, "256", "256", 256, {}},
      {ColumnsLeave, kFileCsv, "257", "256", 256, {max_cols}},
      {ColumnsLeave, kFileCsv, "1000", "256", 256, {max_cols}},  // once, for the four characters
      {ColumnsLeave, kFileCsv, "", "2", 2, {}},
      {ColumnsLeave, kFileCsv, "12ab", "12", 12, {}},
      {ColumnsLeave, kFileBmp, "99", "100", 100, {Plain("Minimum X pixels is 100")}},
      {ColumnsLeave, kFileBmp, "100", "100", 100, {}},
      {ColumnsLeave, kFileBmp, "1920", "1920", 1920, {}},
      {ColumnsLeave, kFileBmp, "1921", "1920", 1920, {Plain("Maximum X pixels is (screen width) 1920")}},
      {ColumnsLeave, kFileBmp, "12345", "1234", 1234, {}},
      {ColumnsLeave, kFileBmp, "99999", "1920", 1920, {Plain("Maximum width in pixels is 1920")}},
      {ColumnsLeave, kFileBmp, "", "100", 100, {}},
      {FilesLeave, kFileBin, "9999", "9999", 9999, {}},
      {FilesLeave, kFileBin, "12345", "9999", 9999, {max_files}},
      {FilesLeave, kFileBin, "x", "1", 1, {}},
      {FilesLeave, kFileBmp, "2", "1", 1, {one_bmp}},
      {FilesLeave, kFileBmp, "12345", "1", 1, {max_files, one_bmp}},
      {FilesLeave, kFileBmp, "0", "0", 0, {}},
      {SequenceChange, kFileBin, "7", "0007", -1, {}},
      {SequenceChange, kFileBin, "", "0000", -1, {}},
      {SequenceChange, kFileBin, "1234", "1234", -1, {}},
      {SequenceChange, kFileBin, "12345", "9999", 9999, {}},
      {SequenceChange, kFileBin, "3-4", "0003", -1, {}},
      {FileName, kFileBin, "RA\"ND\"", "RAND", 0, {quote_file}},
      {FileName, kFileBin, " R A ", " R A ", 0, {}},  // not trimmed
      {FolderName, kFileBin, "/tmp/\"x\"", "/tmp/x", 0, {quote_folder}},
      {DestDir, kFileBin, "  /tmp//out///x  ", "/tmp/out/x/", 0, {}},
      {DestDir, kFileBin, "/tmp/out/", "/tmp/out/", 0, {}},
      {DestDir, kFileBin, "//server/share", "/server/share/", 0, {}},
      {DestDir, kFileBin, "/", "/", 0, {}},
      {DestDir, kFileBin, "   ", DefaultDestDir(), 0, {}},
      // The home folder stands for "~" and takes in relative folders.
      {DestDir, kFileBin, "~", DefaultDestDir(), 0, {}},
      {DestDir, kFileBin, " ~/x ", DefaultDestDir() + "x/", 0, {}},
      {DestDir, kFileBin, "x//y", DefaultDestDir() + "x/y/", 0, {}},
      {DestDir, kFileBin, "~x", DefaultDestDir() + "~x/", 0, {}},
      {DestDir, kFileBin, "/abs", "/abs/", 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "check " << static_cast<int>(c.check) << ", file type " << c.file_type
                                    << ", input [" << c.input << ']');
    const Outcome out = Apply(c.check, c.input, c.file_type);
    EXPECT_EQ(out.text, c.text);
    EXPECT_EQ(out.value, c.value);
    EXPECT_EQ(out.messages, c.messages);
  }
}

// Backspace and the digits pass; '/' and ':' border the digits, 13 is Enter,
// 22 and 3 are Ctrl+V and Ctrl+C.
TEST(DigitKeyFilter, PassesDigitsAndBackspaceOnly) {
  for (int16_t key : std::initializer_list<int16_t>{8, '0', '5', '9'}) EXPECT_EQ(DigitKeyFilter(key), key);
  for (int16_t key : std::initializer_list<int16_t>{'/', ':', 'a', ' ', 13, 22, 3, 0, 127, -1, 1632})
    EXPECT_EQ(DigitKeyFilter(key), 0) << key;
}

TEST(DigitsValue, SaturatesInsteadOfOverflowing) { EXPECT_GT(DigitsValue(std::string(40, '9')), int64_t{1} << 40); }

TEST(Defaults, DestDirIsTheHomeFolderWithOneTrailingSeparator) {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  for (const char* set : {"/home/ada", "/home/ada/"}) {
    setenv("HOME", set, 1);
    EXPECT_EQ(DefaultDestDir(), "/home/ada/");
  }
  unsetenv("HOME");
  EXPECT_EQ(DefaultDestDir(), "/");
  setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace quibran
