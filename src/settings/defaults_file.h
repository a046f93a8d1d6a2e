// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The defaults file "Quibran.dfl": the settings that survive between runs, in
// "Ostrel Works/Quibran" below the configuration folder the caller names.
//
// Twelve lines, each ended by CR LF, in this order: FileType, NumType,
// DeviceIndex, NumOfFiles, NumOfNumsText, CSVcolumnsX, DisplayOn, DestDir,
// BaseFilename, StartSequence, SaveLastSeq, MonochromeOn. Integers are
// written as decimal digits (a leading "-" when negative), strings between
// double quotation marks with nothing escaped.
//
// Reading takes the list-input form: a field ends at a comma or at the end
// of a line (CR LF, CR or LF), surrounding spaces are skipped, and a field
// that starts with a quotation mark runs to the next one (across lines; to
// the end of the file when there is none), the marks dropped and anything
// after the closing one up to the field's end ignored. An integer field is
// an optional sign and decimal digits, or nothing at all (0); it must fit in
// 16 bits. The reading stops at the first failure, with the runtime's
// number for it:
//   53, 76  no file or no folder    every setting its built-in default
//   62      past the end (a short   every setting its built-in default
//           file)
//   13      not a number            NumOfNumsText "1024"; the settings read
//                                   so far keep their values, the rest stay
//                                   zero or empty
//   6       a number too large      the same, without the "1024"
//   other   (the file cannot be     the same, and a message
//           read)                   "Get Def error number N"
// A FileType, NumType or DeviceIndex outside its range takes its built-in
// default, so that no table is indexed past its end.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/job_settings.h"

namespace quibran {

// More than any defaults file holds; the rest of a larger file is not read.
inline constexpr std::size_t kDefaultsFileLimit = std::size_t{64} << 10;

// The file below the configuration folder.
std::string DefaultsFilePath(std::string_view config_folder);

// A failure to show the user: a message box with this title and text, an OK
// button and no icon.
struct DefaultsMessage {
  std::string title;
  std::string text;
  bool operator==(const DefaultsMessage&) const = default;
};

struct LoadedDefaults {
  JobSettings settings;
  std::optional<DefaultsMessage> message;
};

// LoadDefaults: the settings from the defaults file below `config_folder`,
// starting from all zero or empty.
LoadedDefaults LoadDefaults(std::string_view config_folder);
// The same from the bytes of a defaults file.
LoadedDefaults ParseDefaults(std::string_view bytes);

// The twelve lines of the file. A string cannot hold a double quotation
// mark or a line break in this form; any there are left out.
std::string FormatDefaults(const JobSettings& settings);

// SaveDefaults: writes the settings to the defaults file below
// `config_folder`, creating its two folders, and the configuration folder
// itself, when they are missing (one round of creation at most). The file is replaced in one step (see
// ReplaceFile), so a failed save leaves the old file as it was. The message
// to show when the save failed, none when it succeeded.
std::optional<DefaultsMessage> SaveDefaults(std::string_view config_folder, const JobSettings& settings);

}  // namespace quibran
