// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The built-in tables that the main window's lists are filled from, and the
// built-in defaults the settings start from when nothing else is known.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "random/random_sources.h"
#include "settings/job_settings.h"

namespace quibran {

// File name extensions by FileType.
inline constexpr std::array<std::string_view, kFileTypeCount> FileExtensions = {".BIN", ".ASC", ".BMP", ".CSV"};

// The entries of the quantity list; an entry's number is the digits before
// its first "(".
inline constexpr std::array<std::string_view, 16> QuantityList = {
    "100",
    "200",
    "300",
    "480",
    "600",
    "768",
    "1000 (1 Thousand)",
    "1024 (1 KB)",
    "1200",
    "65536 (64 KB)",
    "1000000 (1 Million)",
    "1048576 (1 MB)",
    "1000000000 (1 Billion)",
    "1073741824 (1 GB)",
    "2000000000 (2 Billion)",
    "2147483646 (2 GB - 2)",
};
// The last entry offered for binary files, and for bitmap heights.
inline constexpr std::size_t QuantityListLast = 15;
inline constexpr std::size_t BitmapListLast = 7;

// The folder files go to when none is given: the user's home folder (the
// system drive's root on Windows), ending in kPathSeparator.
std::string DefaultDestDir();

// The built-in defaults of every setting; the screen size stays 0 until the
// main window measures it.
JobSettings BuiltInDefaults();

}  // namespace quibran
