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

// Deleting first makes a new file and leaves the old one to its other name;
// truncating writes over the old file itself.
TEST(OutputFile, ReplacesALongerFileByTruncatingOrDeletingFirst) {
  TempFolder folder;
  const std::string path = folder / "R0001.BIN", other_name = folder / "link";
  for (const auto existing : {OutputFile::Existing::Truncate, OutputFile::Existing::Delete}) {
    std::filesystem::remove(other_name);
    std::ofstream(path) << std::string(5000, 'x');
    std::filesystem::create_hard_link(path, other_name);
    OutputFile file(path, existing);
    WriteText(file, "abc");
    file.Close();
    EXPECT_EQ(ReadFile(path), "abc");
    EXPECT_EQ(ReadFile(other_name), existing == OutputFile::Existing::Delete ? std::string(5000, 'x') : "abc");
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
    OutputFile file(path, OutputFile::Existing::Truncate);
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
    OutputFile(folder / "R0001.ASC", OutputFile::Existing::Truncate);
    ADD_FAILURE() << "opened";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.number(), kErrBadFileName);
  }
}

}  // namespace
}  // namespace quibran::test
