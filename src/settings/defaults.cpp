#include "settings/defaults.h"

#include <cstdlib>

namespace quibran {

std::string DefaultDestDir() {
#ifdef _WIN32
  return "C:\\";
#else
  const char* home = std::getenv("HOME");
  std::string dir = home != nullptr ? home : "";
  if (dir.empty() || dir.back() != kPathSeparator) dir += kPathSeparator;
  return dir;
#endif
}

JobSettings BuiltInDefaults() {
  JobSettings s;
  s.FileType = kFileBin;
  s.NumType = kNumByte;
  s.DeviceIndex = kSourceRnd;
  s.LastDeviceIndex = kSourceRnd;
  s.NumOfFiles = 1;
  s.NumOfNumsText = "1024";
  s.NumOfNums = 1024;
  s.CSVcolumnsX = 2;
  s.DisplayOn = 0;
  s.DestDir = DefaultDestDir();
  s.BaseFilename = "RAND";
  s.StartSequence = "1";
  s.SaveLastSeq = 0;
  s.MonochromeOn = 0;
  return s;
}

}  // namespace quibran
