// SPDX-License-Identifier: GPL-3.0-or-later
// The PATH search for the system information tool.

#include "platform/system_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "job/temp_folder.h"

namespace quibran {
namespace {

namespace fs = std::filesystem;

// Each case makes files below a temporary folder ("@" in PATH; a trailing
// '/' makes a folder, a leading '-' a file that is not executable).
TEST(SystemInfo, FindsTheFirstProgramOfTheListOnPath) {
  const struct {
    std::vector<std::string> entries;
    std::string path_list;
    std::string found;  // "" for nothing
  } cases[] = {
      {{"a/kinfocenter", "b/hardinfo2"}, "@a:@b", "b/hardinfo2"},  // the list's order before PATH's
      {{"a/hardinfo", "b/hardinfo"}, "::@b/:@a:", "b/hardinfo"},   // empty entries are not the current folder
      {{"-a/hardinfo2", "a/hardinfo/", "a/kinfocenter"}, "@a", "a/kinfocenter"},
      {{"a/sysinfo"}, "@a", ""},
  };
  for (const auto& c : cases) {
    const test::TempFolder folder;
    for (std::string entry : c.entries) {
      const bool executable = !entry.starts_with('-');
      if (!executable) entry.erase(0, 1);
      fs::create_directories(fs::path(folder / entry).parent_path());
      if (entry.ends_with('/')) continue;
      std::ofstream(folder / entry) << "#!/bin/sh\n";
      fs::permissions(folder / entry, executable ? fs::perms::owner_all : fs::perms::owner_read);
    }
    std::string path_list = c.path_list;
    for (size_t at; (at = path_list.find('@')) != std::string::npos;) path_list.replace(at, 1, folder / "");
    EXPECT_EQ(FindOnPath(path_list), c.found.empty() ? std::nullopt : std::optional(folder / c.found)) << path_list;
  }
}

}  // namespace
}  // namespace quibran
