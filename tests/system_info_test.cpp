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

struct Entry {
  std::string path;  // below the temporary folder; a trailing '/' makes a folder
  bool executable;
};

TEST(SystemInfo, FindsTheFirstProgramOfTheList) {
  struct Case {
    const char* name;
    std::vector<Entry> entries;
    std::string path_list;  // "@" stands for the temporary folder
    std::string found;      // below the temporary folder; "" for nothing
    std::string cwd{};      // the current folder during the search, below the temporary folder
  };
  const Case cases[] = {
      {"empty PATH", {{"a/hardinfo", true}}, "", ""},
      {"one folder", {{"a/hardinfo", true}}, "@a", "a/hardinfo"},
      {"list order before PATH order", {{"a/kinfocenter", true}, {"b/hardinfo2", true}}, "@a:@b", "b/hardinfo2"},
      {"earlier folder for the same name", {{"a/hardinfo", true}, {"b/hardinfo", true}}, "@b/:@a", "b/hardinfo"},
      {"not executable or a folder is passed over",
       {{"a/hardinfo2", false}, {"a/hardinfo/", false}, {"a/kinfocenter", true}},
       "@a",
       "a/kinfocenter"},
      {"an empty entry is not the cwd", {{"a/hardinfo", true}, {"c/hardinfo2", true}}, "::@a:", "a/hardinfo", "c"},
      {"none of the names", {{"a/sysinfo", true}}, "@a", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const test::TempFolder folder;
    for (const Entry& entry : c.entries) {
      const fs::path path = folder / entry.path;
      fs::create_directories(entry.path.ends_with('/') ? path : path.parent_path());
      if (entry.path.ends_with('/')) continue;
      std::ofstream(path) << "#!/bin/sh\n";
      fs::permissions(path, entry.executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
    }
    std::string path_list = c.path_list;
    for (size_t at; (at = path_list.find('@')) != std::string::npos;) path_list.replace(at, 1, folder / "");
    const fs::path previous = fs::current_path();
    fs::current_path(folder / c.cwd);
    const std::optional<std::string> found = FindOnPath(path_list);
    fs::current_path(previous);
    EXPECT_EQ(found, c.found.empty() ? std::optional<std::string>() : folder / c.found);
  }
}

}  // namespace
}  // namespace quibran
