// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "temp_folder.h"

namespace quibran::test {
namespace {

void WriteText(OutputFile& file, const std::string& text) {
  char* out = file.Reserve(text.size());
  std::memcpy(out, text.data(), text.size());
  file.Commit(out + text.size());
}

// A file or a link of the name is replaced, never written through.
TEST(OutputFile, ReplacesALinkAndLeavesItsTarget) {
  for (const bool symbolic : {true, false}) {
    TempFolder folder;
    const std::string path = folder / "R0001.BIN", target = folder / "target";
    std::ofstream(target) << "old";
    symbolic ? std::filesystem::create_symlink(target, path) : std::filesystem::create_hard_link(target, path);
    OutputFile file(path, true);
    WriteText(file, "new");
    file.Close();
    EXPECT_EQ(ReadFile(path), "new") << symbolic;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) << symbolic;
    EXPECT_EQ(ReadFile(target), "old") << symbolic;
  }
}

// On a disk file the writes are uncached; a memory file system (where there
// is one) refuses that, and plain writes take over.
TEST(OutputFile, ContentBeyondTheBufferArrivesWholeAndInOrder) {
  std::vector<std::filesystem::path> bases = {std::filesystem::temp_directory_path()};
  if (std::filesystem::is_directory("/dev/shm")) bases.emplace_back("/dev/shm");
  for (const auto& base : bases) {
    TempFolder folder(base);
    const std::string path = folder / "big.ASC";
    std::string expected;
    OutputFile file(path, false);
    for (int i = 0; expected.size() < 3 * OutputFile::kBufferSize; ++i) {
      const std::string piece = std::to_string(i) + std::string(static_cast<std::size_t>(i % 50000), '.') + "\r\n";
      WriteText(file, piece);
      expected += piece;
    }
    file.Close();
    EXPECT_EQ(ReadFile(path), expected) << base;
  }
}

// A full disk and a missing folder are the job's tests; here a folder in the
// file's place.
TEST(OutputFile, AFolderInTheFilesPlaceIsABadFileName) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "R0001.ASC");
  try {
    OutputFile(folder / "R0001.ASC", false);
    ADD_FAILURE() << "opened";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), kErrBadFileName);
  }
}

}  // namespace
}  // namespace quibran::test
