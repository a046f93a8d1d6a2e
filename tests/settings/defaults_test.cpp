#include "settings/defaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace quibran {
namespace {

TEST(Defaults, QuantityListBoundsPointAtTheirEntries) {
  EXPECT_EQ(QuantityList[QuantityListLast], "2147483646 (2 GB - 2)");
  EXPECT_EQ(QuantityList[BitmapListLast], "1024 (1 KB)");
  EXPECT_EQ(QuantityList[QuantityListLast - 2], "1073741824 (1 GB)");
  EXPECT_EQ(QuantityList.size(), static_cast<size_t>(QuantityListLast + 1));
}

// Restores HOME when a test has changed it.
class HomeGuard {
 public:
  HomeGuard() : saved_(std::getenv("HOME") ? std::getenv("HOME") : "") {}
  ~HomeGuard() { setenv("HOME", saved_.c_str(), 1); }

 private:
  std::string saved_;
};

TEST(Defaults, DestDirIsTheHomeFolderWithOneTrailingSeparator) {
  HomeGuard guard;
  setenv("HOME", "/home/ada", 1);
  EXPECT_EQ(DefaultDestDir(), "/home/ada/");
  setenv("HOME", "/home/ada/", 1);
  EXPECT_EQ(DefaultDestDir(), "/home/ada/");
  unsetenv("HOME");
  EXPECT_EQ(DefaultDestDir(), "/");
}

}  // namespace
}  // namespace quibran
