// SPDX-License-Identifier: GPL-3.0-or-later
// The PATH search for the system information tool.

#include "platform/system_info.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "job/temp_folder.h"

namespace quibran {
namespace {

namespace fs = std::filesystem;

// Each case lays out files below a temporary folder (a trailing '/' makes a
// folder, a leading '-' a file that is not executable), sets PATH ("@" the
// temporary folder; none unsets it) and runs the search from the folder `cwd`.
TEST(SystemInfo, FindsTheFirstProgramOfTheListOnPath) {
  struct Case {
    const char* name;
    std::vector<std::string> entries;
    std::optional<std::string> path;
    std::string found;  // "" for nothing
    std::string cwd{};
  };
  const Case cases[] = {
      {"no PATH", {"a/hardinfo"}, std::nullopt, ""},
      {"list order before PATH order", {"a/kinfocenter", "b/hardinfo2"}, "@a:@b", "b/hardinfo2"},
      {"earlier folder for the same name", {"a/hardinfo", "b/hardinfo"}, "@b/:@a", "b/hardinfo"},
      {"not executable or a folder is passed over",
       {"-a/hardinfo2", "a/hardinfo/", "a/kinfocenter"},
       "@a",
       "a/kinfocenter"},
      {"an empty entry is not the cwd", {"a/hardinfo", "c/hardinfo2"}, "::@a:", "a/hardinfo", "c"},
      {"none of the names", {"a/sysinfo"}, "@a", ""},
  };
  const std::string saved_path = std::getenv("PATH") ? std::getenv("PATH") : "";
  const fs::path saved_cwd = fs::current_path();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::TempFolder folder;
    for (std::string entry : c.entries) {
      const bool executable = !entry.starts_with('-');
      if (!executable) entry.erase(0, 1);
      const fs::path path = folder / entry;
      fs::create_directories(entry.ends_with('/') ? path : path.parent_path());
      if (entry.ends_with('/')) continue;
      std::ofstream(path) << "#!/bin/sh\n";
      fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read);
    }
    if (c.path) {
      std::string path_list = *c.path;
      for (size_t at; (at = path_list.find('@')) != std::string::npos;) path_list.replace(at, 1, folder / "");
      ::setenv("PATH", path_list.c_str(), 1);
    } else {
      ::unsetenv("PATH");
    }
    fs::current_path(folder / c.cwd);
    const std::optional<std::string> found = FindSystemInfoTool();
    fs::current_path(saved_cwd);
    ::setenv("PATH", saved_path.c_str(), 1);
    EXPECT_EQ(found, c.found.empty() ? std::nullopt : std::optional(folder / c.found));
  }
}

}  // namespace
}  // namespace quibran
