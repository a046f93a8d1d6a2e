// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the platform keeps its system information tool, for the about box's
// "System Info..." button: the first of a few well-known system information
// programs on PATH. (A Windows build brings its own file that asks the
// registry for MSINFO32.)

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quibran {

// The full path of the system information tool, when the system has one.
std::optional<std::string> FindSystemInfoTool();

// The programs looked for on PATH, best first.
inline constexpr std::array<std::string_view, 3> kSystemInfoPrograms = {"hardinfo2", "hardinfo", "kinfocenter"};

// The first of kSystemInfoPrograms that is an executable regular file in one
// of the folders of `path_list` (PATH's form: folders separated by ':'); each
// name is looked for in every folder before the next name. Empty entries,
// which would mean the current folder, are skipped.
std::optional<std::string> FindOnPath(std::string_view path_list);

}  // namespace quibran
