// SPDX-License-Identifier: GPL-3.0-or-later
// The checks of a job start, one row a case, on a 1920 x 1080 screen.

#include "settings/job_request.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <variant>

#include "settings/defaults.h"

namespace quibran {
namespace {

// The steps as text: "[text]icon" for a message, "field=text" for a
// correction (fields 0 NumOfNums, 1 CSVcolumnsX, 2 NumOfFiles); then "focus"
// when the quantity takes the focus, and the request's quantity or "refused".
std::string Describe(const JobChecks& checks) {
  std::string text;
  for (const JobCheckStep& step : checks.steps) {
    if (const auto* message = std::get_if<FieldMessage>(&step)) {
      text += "[" + message->text + "]" + std::to_string(static_cast<int>(message->icon)) + " ";
    } else {
      const auto& correction = std::get<FieldCorrection>(step);
      text += std::to_string(static_cast<int>(correction.field)) + "=" + correction.text + " ";
    }
  }
  return text + (checks.focus_quantity ? "focus " : "") +
         (checks.request ? std::to_string(checks.request->NumOfNums) : "refused");
}

TEST(ValidateJob, StepsInOrderAndWhetherTheJobRuns) {
  struct Case {
    int16_t file_type;
    int32_t num_of_nums;  // as the quantity field's handlers left it
    int16_t files;
    std::string quantity, columns, files_text;  // the fields' texts
    std::string steps;
  };
  const Case cases[] = {
      {kFileBin, 0, 1, "0", "2", "1", "[You must enter how many numbers you want generated]2 0= focus refused"},
      {kFileAsc, 768, 0, "00768", "2", "0", "0=768 2=1 768"},
      {kFileBin, 2147483646, 1, "4294967295", "2", "1",
       "[Maximum number is 2147483646 (2 GB - 2)]1 0=2147483646 2147483646"},
      // The field keeps the rows typed; the check tells again at each start.
      {kFileCsv, 65536, 1, "100000", "2", "1", "[Maximum CSV rows is 65536]0 65536"},
      {kFileBmp, 100, 2, "100", "100", "2", "[Only one bitmap can be generated at a time.]1 2=1 refused"},
      {kFileBmp, 100, 1, "100", "50", "1", "[Minimum X pixels is (screen width) 100]1 1=100 refused"},
      {kFileBmp, 100, 1, "99", "100", "1",
       "[Minimum bitmap size is 100 x 100]1 [Minimum Y pixels is (screen height) 100]1 0=100 refused"},
      {kFileBmp, 768, 0, "768", "1024", "0", "2=1 768"},
  };
  for (const Case& c : cases) {
    JobSettings settings = BuiltInDefaults();
    settings.ScreenWidthPixels = 1920;
    settings.ScreenHeightPixels = 1080;
    settings.FileType = c.file_type;
    settings.NumOfNums = c.num_of_nums;
    settings.NumOfFiles = c.files;
    const JobChecks checks = ValidateJob(settings, {c.quantity, c.columns, c.files_text, "0001"});
    EXPECT_EQ(Describe(checks), c.steps) << c.quantity;
    if (checks.request) {
      EXPECT_EQ(checks.request->NumOfFiles, 1) << c.quantity;
    }
  }
}

// The request takes the settings as the checks leave them, and the start
// sequence from its field's digits.
TEST(ValidateJob, TheRequestCarriesTheCheckedSettings) {
  JobSettings s = BuiltInDefaults();
  s.DeviceIndex = kSourceWichmannHill;
  s.FileType = kFileAsc;
  s.NumType = kNumDouble;
  s.NumOfNums = 5;
  s.NumOfFiles = 3;
  s.DisplayOn = 1;
  s.MonochromeOn = 0;
  const std::optional<JobRequest> r = ValidateJob(s, {"12", "2", "3", "0042"}).request;
  ASSERT_TRUE(r);
  EXPECT_EQ(
      std::tie(r->DeviceIndex, r->FileType, r->NumType, r->NumOfNums, r->NumOfFiles, r->DestDir, r->BaseFilename,
               r->StartSequence, r->DisplayOn, r->MonochromeOn),
      std::make_tuple(kSourceWichmannHill, kFileAsc, kNumDouble, 12, 3, s.DestDir, s.BaseFilename, 42, true, false));
  EXPECT_FALSE(r->seed);
}

}  // namespace
}  // namespace quibran
