// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The checks of the main window's text fields: each takes a field's text and
// the current file type, and returns the corrected text, the value for the
// settings and the messages to show, in order. The window applies them.
//
// Pasted text can put anything into a digits-only field; the checks read a
// number from the text's leading digits (surrounding spaces ignored), and
// text without a leading digit counts as empty.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/job_settings.h"
#include "settings/message_icon.h"

namespace quibran {

// A message box to show (titled with the application title, OK button).
struct FieldMessage {
  std::string text;
  MessageIcon icon = MessageIcon::None;
  bool operator==(const FieldMessage&) const = default;
};

// Lets Backspace (8) and the digits through; every other key code becomes 0,
// which discards the key.
int16_t DigitKeyFilter(int16_t key);

// The run of digits that starts the text once surrounding spaces are removed.
std::string LeadingDigits(std::string_view text);
// The value of a run of digits ("" is 0); saturates far above any limit.
int64_t DigitsValue(std::string_view digits);

std::string TrimSpaces(std::string_view text);

// The quantity field's digits: a list entry such as "65536 (64 KB)" counts
// by the leading digits of its text before "(".
std::string QuantityDigits(std::string_view text);

// The quantity check of cmbNumOfNums (quantity, CSV rows or bitmap height).
struct QuantityOutcome {
  std::string NumOfNumsText;
  int32_t NumOfNums = 0;
  // The text the field is rewritten to (.BIN and .ASC only).
  std::optional<std::string> field_text;
  std::vector<FieldMessage> messages;
};
QuantityOutcome QuantityCheck(std::string_view text, int16_t file_type, int16_t screen_width, int16_t screen_height);

// Outcome of a leave check: the field's corrected text and its value.
struct FieldOutcome {
  std::string text;
  int32_t value = 0;
  std::vector<FieldMessage> messages;
};

// txtCSVcolumnsX while it changes: the number of its first four characters,
// none when it is empty.
std::optional<int16_t> ColumnsOnChange(std::string_view text);
// txtCSVcolumnsX on leaving: the bitmap width for .BMP, the CSV columns
// otherwise.
FieldOutcome ColumnsOnLeave(std::string_view text, int16_t file_type, int16_t screen_width);

// txtNumOfFiles on leaving. Zero is accepted.
FieldOutcome NumOfFilesOnLeave(std::string_view text, int16_t file_type);

// txtStartSequence while it changes: the four-digit StartSequence, and the
// text the field is set to when it grew to five characters or more.
struct SequenceOutcome {
  std::string StartSequence;
  std::optional<std::string> field_text;
};
SequenceOutcome StartSequenceOnChange(std::string_view text);

// The four digits a sequence number shows as in a file name: the last four
// characters of "0000" followed by the number's digits.
std::string SequenceDigits(std::string_view digits);

// The base file name and the destination folder refuse the double quotation
// mark: the text without it, and the message when one was taken out.
struct QuoteOutcome {
  std::string text;
  std::optional<FieldMessage> message;
};
enum class NameKind { File, Folder };
QuoteOutcome RefuseDoubleQuote(std::string_view text, NameKind kind);

// txtDestDir on leaving: trimmed, the default folder (the home folder) when
// empty; "~" and a leading "~/" stand for the home folder, and a relative
// folder lies in it; then doubled separators collapsed, one trailing
// separator. Only a folder named from its root comes out unchanged.
std::string NormalizeDestDir(std::string_view text);
// The folder with kPathSeparator appended unless it already ends in one.
std::string WithTrailingSeparator(std::string folder);

// The name of the next file: BaseFilename, StartSequence, extension.
std::string FileNamePreview(const JobSettings& settings);

}  // namespace quibran
