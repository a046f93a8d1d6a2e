// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/runtime_error.h"
#include "temp_folder.h"

namespace quibran::test {
namespace {

// A file or a link of the name is replaced, never written through; a folder
// in the file's place is a bad file name.
TEST(OutputFile, ReplacesALinkAndRefusesAFolderOfTheName) {
  for (const bool symbolic : {true, false}) {
    TempFolder folder;
    const std::string path = folder / "R0001.BIN", target = folder / "target";
    std::ofstream(target) << "old";
    symbolic ? std::filesystem::create_symlink(target, path) : std::filesystem::create_hard_link(target, path);
    OutputFile file(path, true);
    *file.Reserve(1) = 'N';
    file.Commit(file.Reserve(1) + 1);
    file.Close();
    EXPECT_EQ(ReadFile(path), "N") << symbolic;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) << symbolic;
    EXPECT_EQ(ReadFile(target), "old") << symbolic;
    std::filesystem::create_directory(folder / "R0002.ASC");
    EXPECT_THROW(
        try { OutputFile(folder / "R0002.ASC", false); } catch (const RuntimeError& error) {
          EXPECT_EQ(error.number(), kErrBadFileName);
          throw;
        },
        RuntimeError);
  }
}

}  // namespace
}  // namespace quibran::test
