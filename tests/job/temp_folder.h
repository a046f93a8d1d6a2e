// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quibran::test {

// A fresh folder below the system's temporary folder (or `base`), removed
// with all it holds when the test ends.
class TempFolder {
 public:
  explicit TempFolder(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
    std::string pattern = (base / "quibran-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder with its trailing separator, as DestDir holds it.
  std::string dir() const { return path_ + "/"; }
  std::string operator/(const std::string& name) const { return dir() + name; }
  std::size_t FileCount() const {
    using Files = std::filesystem::directory_iterator;
    return static_cast<std::size_t>(std::distance(Files(path_), Files()));
  }

 private:
  std::string path_;
};

// The pieces of `text` that each end with `separator`; text after the last
// separator is a failure (a cut line or row).
inline std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size()) {
    parts.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last separator";
  return parts;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// For a child process of a test: writes past `bytes` fail with EFBIG, the
// runtime's "Disk full", instead of raising SIGXFSZ.
inline void LimitFileSize(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

// For a child process of a test: root reads and writes anywhere, so a test of
// permissions runs as nobody; exits 3 when that fails.
inline void BecomeNobody() {
  if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
}

}  // namespace quibran::test
