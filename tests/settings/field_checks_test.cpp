#include "settings/field_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/defaults.h"

namespace quibran {
namespace {

using Messages = std::vector<FieldMessage>;

FieldMessage Info(std::string text) { return {std::move(text), MessageIcon::Information}; }
FieldMessage Plain(std::string text) { return {std::move(text), MessageIcon::None}; }

constexpr int16_t kScreenW = 1920;
constexpr int16_t kScreenH = 1080;

QuantityOutcome Quantity(std::string_view text, int16_t file_type) {
  return QuantityCheck(text, file_type, kScreenW, kScreenH);
}

TEST(DigitKeyFilter, PassesDigitsAndBackspaceOnly) {
  for (int16_t key : std::initializer_list<int16_t>{8, '0', '5', '9'}) EXPECT_EQ(DigitKeyFilter(key), key);
  // '/' and ':' border the digits; 13 is Enter, 22 is Ctrl+V, 3 is Ctrl+C.
  const std::initializer_list<int16_t> refused = {'/', ':', 'a', ' ', 13, 22, 3, 0, 127, -1, 1632};
  for (int16_t key : refused) EXPECT_EQ(DigitKeyFilter(key), 0);
}

TEST(PastedText, NumberComesFromTheLeadingDigits) {
  EXPECT_EQ(LeadingDigits("  12ab3 "), "12");
  EXPECT_EQ(LeadingDigits("ab12"), "");
  EXPECT_EQ(LeadingDigits(""), "");
  EXPECT_EQ(DigitsValue("0042"), 42);
  EXPECT_EQ(DigitsValue(""), 0);
  // Far too many digits saturate instead of overflowing.
  EXPECT_GT(DigitsValue(std::string(40, '9')), int64_t{1} << 40);

  EXPECT_EQ(Quantity("abc", kFileBin).NumOfNums, 1);
  EXPECT_EQ(Quantity("5e3", kFileAsc).field_text, "5");
  EXPECT_EQ(ColumnsOnLeave("12ab", kFileCsv, kScreenW).text, "12");
  EXPECT_EQ(NumOfFilesOnLeave("x", kFileBin).text, "1");
  EXPECT_EQ(StartSequenceOnChange("3-4").StartSequence, "0003");
}

TEST(QuantityCheck, BinaryCutsToTenDigitsAndCapsAtTwoGigabytes) {
  const auto big = Quantity("4294967295", kFileBin);
  EXPECT_EQ(big.messages, Messages{Info("Maximum number is 2147483646 (2 GB - 2)")});
  EXPECT_EQ(big.NumOfNums, 2147483646);
  EXPECT_EQ(big.NumOfNumsText, "2147483646");
  EXPECT_EQ(big.field_text, "2147483646");

  const auto eleven = Quantity("21474836461", kFileBin);  // cut to 2147483646
  EXPECT_TRUE(eleven.messages.empty());
  EXPECT_EQ(eleven.NumOfNums, 2147483646);

  EXPECT_EQ(Quantity("2147483647", kFileBin).messages.size(), 1u);
  EXPECT_EQ(Quantity("9999999999", kFileBin).NumOfNums, 2147483646);

  const auto zeros = Quantity("00768", kFileBin);
  EXPECT_EQ(zeros.field_text, "768");
  EXPECT_EQ(zeros.NumOfNums, 768);

  const auto entry = Quantity("2147483646 (2 GB - 2)", kFileBin);
  EXPECT_TRUE(entry.messages.empty());
  EXPECT_EQ(entry.field_text, "2147483646");

  const auto empty = Quantity("", kFileBin);
  EXPECT_EQ(empty.NumOfNums, 1);
  EXPECT_EQ(empty.field_text, "1");
}

TEST(QuantityCheck, TextCapsAtOneGigabyte) {
  const auto entry = Quantity("1073741824 (1 GB)", kFileAsc);
  EXPECT_TRUE(entry.messages.empty());
  EXPECT_EQ(entry.NumOfNums, 1073741824);
  EXPECT_EQ(entry.field_text, "1073741824");

  const auto big = Quantity("2000000000", kFileAsc);
  EXPECT_EQ(big.messages, Messages{Info("Maximum ASCII numbers is 1073741824 (1 GB)")});
  EXPECT_EQ(big.NumOfNums, 1073741824);
  EXPECT_EQ(big.NumOfNumsText, "1073741824");
  EXPECT_EQ(big.field_text, "1073741824");

  EXPECT_EQ(Quantity("1073741825", kFileAsc).messages.size(), 1u);
}

TEST(QuantityCheck, BitmapHeightStaysBetween100AndTheScreen) {
  for (const char* typed : {"7", "76"}) {
    const auto small = Quantity(typed, kFileBmp);
    EXPECT_EQ(small.messages, Messages{Info("Minimum bitmap size is 100 x 100")}) << typed;
    EXPECT_EQ(small.NumOfNums, 100);
    EXPECT_EQ(small.NumOfNumsText, "100");
    EXPECT_FALSE(small.field_text.has_value());  // the field keeps what was typed
  }
  EXPECT_TRUE(Quantity("768", kFileBmp).messages.empty());
  EXPECT_EQ(Quantity("1024 (1 KB)", kFileBmp).NumOfNums, 1024);

  const auto tall = Quantity("12345", kFileBmp);  // cut to 1234, still above 1080
  EXPECT_EQ(tall.messages, Messages{Plain("Maximum bitmap size is screen size (1920 x 1080)")});
  EXPECT_EQ(tall.NumOfNums, 1080);
  EXPECT_EQ(tall.NumOfNumsText, "1080");
}

TEST(QuantityCheck, CsvRowsCapAt65536) {
  const Messages too_many{Plain("Maximum CSV rows is 65536")};
  const auto typed = Quantity("100000", kFileCsv);
  EXPECT_EQ(typed.messages, too_many);
  EXPECT_EQ(typed.NumOfNums, 65536);
  EXPECT_EQ(typed.NumOfNumsText, "65536");
  EXPECT_FALSE(typed.field_text.has_value());

  EXPECT_EQ(Quantity("65537", kFileCsv).messages, too_many);
  EXPECT_EQ(Quantity("000001", kFileCsv).messages, too_many);  // six characters
  EXPECT_TRUE(Quantity("65536", kFileCsv).messages.empty());
  EXPECT_TRUE(Quantity("10000", kFileCsv).messages.empty());
  EXPECT_EQ(Quantity("0", kFileCsv).NumOfNums, 0);
}

TEST(ColumnsCheck, ChangeReadsTheFirstFourCharacters) {
  EXPECT_EQ(ColumnsOnChange("12345"), int16_t{1234});
  EXPECT_EQ(ColumnsOnChange("7"), int16_t{7});
  EXPECT_FALSE(ColumnsOnChange("").has_value());
  EXPECT_FALSE(ColumnsOnChange("x1").has_value());
}

TEST(ColumnsCheck, CsvColumnsStayBetween2And256) {
  const auto one = ColumnsOnLeave("1", kFileCsv, kScreenW);
  EXPECT_EQ(one.messages, Messages{Plain("Minimum columns is 2")});
  EXPECT_EQ(one.text, "2");
  EXPECT_EQ(one.value, 2);

  const Messages too_many{Plain("Maximum columns is 256")};
  const auto wide = ColumnsOnLeave("300", kFileCsv, kScreenW);
  EXPECT_EQ(wide.messages, too_many);
  EXPECT_EQ(wide.value, 256);
  EXPECT_EQ(ColumnsOnLeave("1000", kFileCsv, kScreenW).messages, too_many);  // once, at four characters
  EXPECT_TRUE(ColumnsOnLeave("256", kFileCsv, kScreenW).messages.empty());

  const auto empty = ColumnsOnLeave("", kFileCsv, kScreenW);
  EXPECT_TRUE(empty.messages.empty());
  EXPECT_EQ(empty.text, "2");
}

TEST(ColumnsCheck, BitmapWidthStaysBetween100AndTheScreen) {
  const auto wide = ColumnsOnLeave("2000", kFileBmp, kScreenW);
  EXPECT_EQ(wide.messages, Messages{Plain("Maximum X pixels is (screen width) 1920")});
  EXPECT_EQ(wide.text, "1920");

  const auto narrow = ColumnsOnLeave("50", kFileBmp, kScreenW);
  EXPECT_EQ(narrow.messages, Messages{Plain("Minimum X pixels is 100")});
  EXPECT_EQ(narrow.value, 100);

  const auto five = ColumnsOnLeave("99999", kFileBmp, kScreenW);
  EXPECT_EQ(five.messages, Messages{Plain("Maximum width in pixels is 1920")});
  EXPECT_EQ(five.text, "1920");
  EXPECT_EQ(ColumnsOnLeave("12345", kFileBmp, kScreenW).text, "1234");

  EXPECT_EQ(ColumnsOnLeave("", kFileBmp, kScreenW).text, "100");
}

TEST(NumOfFilesCheck, CapsAt9999AndOneBitmap) {
  const auto many = NumOfFilesOnLeave("12345", kFileBin);
  EXPECT_EQ(many.messages, Messages{Plain("Maximum files is 9999")});
  EXPECT_EQ(many.text, "9999");
  EXPECT_EQ(many.value, 9999);

  const auto bitmaps = NumOfFilesOnLeave("12345", kFileBmp);
  EXPECT_EQ(bitmaps.messages,
            (Messages{Plain("Maximum files is 9999"), Plain("Only one bitmap can be generated at a time.")}));
  EXPECT_EQ(bitmaps.text, "1");

  EXPECT_EQ(NumOfFilesOnLeave("", kFileBin).text, "1");
  const auto zero = NumOfFilesOnLeave("0", kFileBmp);
  EXPECT_TRUE(zero.messages.empty());
  EXPECT_EQ(zero.value, 0);
}

TEST(StartSequenceCheck, PadsToFourDigitsAndCapsAt9999) {
  const auto seven = StartSequenceOnChange("7");
  EXPECT_EQ(seven.StartSequence, "0007");
  EXPECT_FALSE(seven.field_text.has_value());
  EXPECT_EQ(StartSequenceOnChange("").StartSequence, "0000");
  EXPECT_EQ(StartSequenceOnChange("12").StartSequence, "0012");

  const auto six = StartSequenceOnChange("123456");
  EXPECT_EQ(six.field_text, "9999");
  EXPECT_EQ(six.StartSequence, "9999");
}

TEST(NameChecks, DoubleQuotationMarkIsRemovedWithAMessage) {
  const auto file = RefuseDoubleQuote("RA\"ND\"", NameKind::File);
  EXPECT_EQ(file.text, "RAND");
  EXPECT_EQ(file.message, FieldMessage({"The double quotation mark (\") cannot be used in a file name; it has "
                                        "been removed.",
                                        MessageIcon::Exclamation}));
  const auto folder = RefuseDoubleQuote("/tmp/\"x\"", NameKind::Folder);
  EXPECT_EQ(folder.text, "/tmp/x");
  ASSERT_TRUE(folder.message.has_value());
  EXPECT_EQ(folder.message->text,
            "The double quotation mark (\") cannot be used in a folder name; it has been removed.");

  const auto clean = RefuseDoubleQuote(" R A ", NameKind::File);
  EXPECT_EQ(clean.text, " R A ");  // not trimmed
  EXPECT_FALSE(clean.message.has_value());
}

TEST(DestDirCheck, TrimsCollapsesAndEndsInOneSeparator) {
  EXPECT_EQ(NormalizeDestDir("  /tmp//out///x  "), "/tmp/out/x/");
  EXPECT_EQ(NormalizeDestDir("/tmp/out/"), "/tmp/out/");
  EXPECT_EQ(NormalizeDestDir("//server/share"), "/server/share/");
  EXPECT_EQ(NormalizeDestDir("   "), DefaultDestDir());
  EXPECT_EQ(NormalizeDestDir("/"), "/");
  EXPECT_EQ(WithTrailingSeparator("/media/usb"), "/media/usb/");
  EXPECT_EQ(WithTrailingSeparator("/media/usb/"), "/media/usb/");
}

TEST(FileNamePreview, JoinsStemSequenceAndExtension) {
  JobSettings s;
  s.BaseFilename = "RAND";
  s.StartSequence = "0007";
  s.FileType = kFileCsv;
  EXPECT_EQ(FileNamePreview(s), "RAND0007.CSV");
  s.FileType = kFileBmp;
  EXPECT_EQ(FileNamePreview(s), "RAND0007.BMP");
}

}  // namespace
}  // namespace quibran
