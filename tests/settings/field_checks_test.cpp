// SPDX-License-Identifier: GPL-3.0-or-later
// Every path through the field checks and the checks of a job start, one
// row a case, on a 1920 x 1080 screen, with the home folder /home/ada.

#include "settings/field_checks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "settings/defaults.h"
#include "settings/job_request.h"

namespace quibran {
namespace {

// A message as " [text]icon" (0 none, 1 information, 2 exclamation).
std::string Shown(const std::vector<FieldMessage>& messages) {
  std::string text;
  for (const FieldMessage& m : messages)
    text.append(" [").append(m.text).append("]").append(std::to_string(int(m.icon)));
  return text;
}

enum class Check { Quantity, ColumnsLeave, FilesLeave, SequenceChange, FileName, FolderName, DestDir };

// What a check gave, as text: the field's text, "=value" where the check
// gives a number of its own (or the field is rewritten), then the messages.
std::string Apply(Check check, const std::string& input, int16_t file_type) {
  switch (check) {
    case Check::Quantity: {
      const QuantityOutcome out = QuantityCheck(input, file_type, 1920, 1080);
      return out.NumOfNumsText + "=" + std::to_string(out.NumOfNums) + Shown(out.messages);
    }
    case Check::ColumnsLeave:
    case Check::FilesLeave: {
      const FieldOutcome out =
          check == Check::ColumnsLeave ? ColumnsOnLeave(input, file_type, 1920) : NumOfFilesOnLeave(input, file_type);
      return out.text + "=" + std::to_string(out.value) + Shown(out.messages);
    }
    case Check::SequenceChange: {
      const SequenceOutcome out = StartSequenceOnChange(input);
      return out.StartSequence + "=" + out.field_text.value_or("");
    }
    case Check::FileName:
    case Check::FolderName: {
      const QuoteOutcome out = RefuseDoubleQuote(input, check == Check::FileName ? NameKind::File : NameKind::Folder);
      return out.text + Shown(out.message ? std::vector{*out.message} : std::vector<FieldMessage>{});
    }
    case Check::DestDir: return NormalizeDestDir(input);
  }
  return {};
}

TEST(FieldChecks, EveryPath) {
  const auto quote = [](const std::string& what) {
    return " [The double quotation mark (\") cannot be used in a " + what + "; it has been removed.]2";
  };
  using enum Check;
  const std::tuple<Check, int16_t, std::string, std::string> cases[] = {
      {Quantity, kFileBin, "4294967295", "2147483646=2147483646 [Maximum number is 2147483646 (2 GB - 2)]1"},
      {Quantity, kFileBin, "2147483646 (2 GB - 2)", "2147483646=2147483646"},
      {Quantity, kFileBin, "abc", "1=1"},
      {Quantity, kFileAsc, " 00768e3", "768=768"},
      {Quantity, kFileAsc, "1073741825", "1073741824=1073741824 [Maximum ASCII numbers is 1073741824 (1 GB)]1"},
      {Quantity, kFileBmp, "99", "100=100 [Minimum bitmap size is 100 x 100]1"},
      {Quantity, kFileBmp, "12345", "1080=1080 [Maximum bitmap size is screen size (1920 x 1080)]0"},  // 1234 first
      {Quantity, kFileCsv, "65537", "65536=65536 [Maximum CSV rows is 65536]0"},
      {Quantity, kFileCsv, "000001", "65536=65536 [Maximum CSV rows is 65536]0"},  // six characters
      {ColumnsLeave, kFileCsv, "", "2=2"},
      {ColumnsLeave, kFileCsv, "1", "2=2 [Minimum columns is 2]0"},
      {ColumnsLeave, kFileCsv, "1000", "256=256 [Maximum columns is 256]0"},  // once, for the four characters
      {ColumnsLeave, kFileBmp, "", "100=100"},
      {ColumnsLeave, kFileBmp, "99", "100=100 [Minimum X pixels is 100]0"},
      {ColumnsLeave, kFileBmp, "1921", "1920=1920 [Maximum X pixels is (screen width) 1920]0"},
      {ColumnsLeave, kFileBmp, "99999", "1920=1920 [Maximum width in pixels is 1920]0"},
      {FilesLeave, kFileBin, "x", "1=1"},
      {FilesLeave, kFileBmp, "12345", "1=1 [Maximum files is 9999]0 [Only one bitmap can be generated at a time.]0"},
      {SequenceChange, kFileBin, "7-4", "0007="},
      {SequenceChange, kFileBin, "12345", "9999=9999"},
      {FileName, kFileBin, " R\"A \"", " RA " + quote("file name")},  // not trimmed
      {FolderName, kFileBin, "/tmp/\"x\"", "/tmp/x" + quote("folder name")},
      {DestDir, kFileBin, "  //tmp//out///x  ", "/tmp/out/x/"},
      {DestDir, kFileBin, "   ", "/home/ada/"},
      {DestDir, kFileBin, "~", "/home/ada/"},
      {DestDir, kFileBin, " ~/x ", "/home/ada/x/"},
      {DestDir, kFileBin, "~x//y", "/home/ada/~x/y/"},  // relative
  };
  const std::string saved_home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", "/home/ada", 1);
  for (const auto& [check, file_type, input, outcome] : cases) {
    EXPECT_EQ(Apply(check, input, file_type), outcome) << int(check) << ", file type " << file_type << ": " << input;
  }
  ::setenv("HOME", saved_home.c_str(), 1);
}

// The steps: messages, "field=text" corrections (0 NumOfNums, 1 CSVcolumnsX, 2
// NumOfFiles); " focus" for the quantity; the request's numbers or " refused".
std::string Describe(const JobChecks& checks) {
  std::string text;
  for (const JobCheckStep& step : checks.steps) {
    if (const auto* message = std::get_if<FieldMessage>(&step)) text += Shown({*message});
    if (const auto* correction = std::get_if<FieldCorrection>(&step)) {
      text.append(" ").append(std::to_string(int(correction->field))).append("=").append(correction->text);
    }
  }
  if (checks.focus_quantity) text += " focus";
  if (!checks.request) return text + " refused";
  return text.append(" ")
      .append(std::to_string(checks.request->NumOfNums))
      .append(" x")
      .append(std::to_string(checks.request->NumOfFiles));
}

TEST(ValidateJob, StepsInOrderAndWhetherTheJobRuns) {
  // File type, NumOfNums as the quantity field's handlers left it, NumOfFiles, the fields' texts, the steps.
  const std::tuple<int16_t, int32_t, int16_t, JobFieldTexts, std::string> cases[] = {
      {kFileBin, 0, 1, {"0", "2", "1", ""}, " [You must enter how many numbers you want generated]2 0= focus refused"},
      {kFileAsc, 768, 0, {"00768", "2", "0", ""}, " 0=768 2=1 768 x1"},
      {kFileBin,
       2147483646,
       1,
       {"4294967295", "2", "1", ""},
       " [Maximum number is 2147483646 (2 GB - 2)]1 0=2147483646 2147483646 x1"},
      // The field keeps the rows typed; the check tells again at each start.
      {kFileCsv, 65536, 1, {"100000", "2", "1", ""}, " [Maximum CSV rows is 65536]0 65536 x1"},
      {kFileBmp, 100, 2, {"100", "100", "2", ""}, " [Only one bitmap can be generated at a time.]1 2=1 refused"},
      {kFileBmp, 100, 1, {"100", "50", "1", ""}, " [Minimum X pixels is (screen width) 100]1 1=100 refused"},
      {kFileBmp,
       100,
       1,
       {"99", "100", "1", ""},
       " [Minimum bitmap size is 100 x 100]1 [Minimum Y pixels is (screen height) 100]1 0=100 refused"},
      {kFileBmp, 768, 0, {"768", "1024", "0", ""}, " 2=1 768 x1"},
  };
  for (const auto& [file_type, num_of_nums, files, fields, steps] : cases) {
    JobSettings s = BuiltInDefaults();
    std::tie(s.ScreenWidthPixels, s.ScreenHeightPixels, s.FileType, s.NumOfNums, s.NumOfFiles) =
        std::make_tuple(1920, 1080, file_type, num_of_nums, files);
    EXPECT_EQ(Describe(ValidateJob(s, fields)), steps) << fields.NumOfNums;
  }
}

}  // namespace
}  // namespace quibran
