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

TEST(Defaults, BuiltInRecord) {
  const JobSettings s = BuiltInDefaults();
  EXPECT_EQ(s.FileType, kFileBin);
  EXPECT_EQ(s.NumType, kNumByte);
  EXPECT_EQ(s.DeviceIndex, kSourceRnd);
  EXPECT_EQ(s.LastDeviceIndex, kSourceRnd);
  EXPECT_EQ(s.NumOfFiles, 1);
  EXPECT_EQ(s.NumOfNumsText, "1024");
  EXPECT_EQ(s.NumOfNums, 1024);
  EXPECT_EQ(s.CSVcolumnsX, 2);
  EXPECT_EQ(s.DisplayOn, 0);
  EXPECT_EQ(s.DestDir, DefaultDestDir());
  EXPECT_EQ(s.BaseFilename, "RAND");
  EXPECT_EQ(s.StartSequence, "1");
  EXPECT_EQ(s.SaveLastSeq, 0);
  EXPECT_EQ(s.MonochromeOn, 0);
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
