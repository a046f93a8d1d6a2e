// The PATH search for the system information tool.

#include "platform/system_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "job/temp_folder.h"

namespace quibran {
namespace {

namespace fs = std::filesystem;

struct Entry {
  const char* path;  // below the temporary folder; a trailing '/' makes a folder
  bool executable;
};

struct SearchCase {
  const char* name;
  std::vector<Entry> entries;
  const char* path_list;  // "@" stands for the temporary folder
  const char* found;      // below the temporary folder; "" for nothing
  const char* cwd = "";   // the current folder during the search, below the temporary folder
};

class SystemInfoSearch : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SystemInfoSearch, FindsTheFirstProgramOfTheList) {
  const SearchCase& c = GetParam();
  const test::TempFolder folder;
  for (const Entry& entry : c.entries) {
    const fs::path path = folder / entry.path;
    fs::create_directories(std::string(entry.path).ends_with('/') ? path : path.parent_path());
    if (std::string(entry.path).ends_with('/')) continue;
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, entry.executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
  }
  std::string path_list = c.path_list;
  for (size_t at; (at = path_list.find('@')) != std::string::npos;) path_list.replace(at, 1, folder / "");
  const fs::path previous = fs::current_path();
  fs::current_path(folder / c.cwd);
  const std::optional<std::string> found = FindOnPath(path_list);
  fs::current_path(previous);
  if (*c.found == '\0') {
    EXPECT_FALSE(found) << *found;
  } else {
    EXPECT_EQ(found, folder / c.found);
  }
}

const SearchCase kSearchCases[] = {
    {"EmptyPath", {{"a/hardinfo", true}}, "", ""},
    {"OneFolder", {{"a/hardinfo", true}}, "@a", "a/hardinfo"},
    {"ListOrderBeforePathOrder", {{"a/kinfocenter", true}, {"b/hardinfo2", true}}, "@a:@b", "b/hardinfo2"},
    {"EarlierFolderForTheSameName", {{"a/hardinfo", true}, {"b/hardinfo", true}}, "@b/:@a", "b/hardinfo"},
    {"NotExecutableOrAFolderIsPassedOver",
     {{"a/hardinfo2", false}, {"a/hardinfo/", false}, {"a/kinfocenter", true}},
     "@a",
     "a/kinfocenter"},
    {"EmptyEntriesAreNotTheCurrentFolder", {{"a/hardinfo", true}, {"c/hardinfo2", true}}, "::@a:", "a/hardinfo", "c"},
    {"NoneOfTheNames", {{"a/sysinfo", true}}, "@a", ""},
};
INSTANTIATE_TEST_SUITE_P(Paths, SystemInfoSearch, ::testing::ValuesIn(kSearchCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quibran
