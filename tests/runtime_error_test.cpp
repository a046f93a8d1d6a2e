#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace quibran {
namespace {

TEST(RuntimeError, ErrnoMapsToTheRuntimeNumbers) {
  EXPECT_EQ(ErrorNumberFromErrno(ENOENT, false), 53);
  EXPECT_EQ(ErrorNumberFromErrno(ENOENT, true), 76);
  EXPECT_EQ(ErrorNumberFromErrno(ENOTDIR, false), 76);
  EXPECT_EQ(ErrorNumberFromErrno(ENOSPC, false), 61);
  EXPECT_EQ(ErrorNumberFromErrno(EDQUOT, false), 61);
  EXPECT_EQ(ErrorNumberFromErrno(EACCES, false), 70);
  EXPECT_EQ(ErrorNumberFromErrno(EROFS, false), 70);
  EXPECT_EQ(ErrorNumberFromErrno(EISDIR, false), 52);
  EXPECT_EQ(ErrorNumberFromErrno(EIO, false), 57);
  EXPECT_EQ(ErrorNumberFromErrno(ENXIO, false), 68);
  EXPECT_EQ(ErrorNumberFromErrno(EBUSY, false), 75);
}

TEST(RuntimeError, CarriesNumberAndDescription) {
  const RuntimeError disk_full(kErrDiskFull);
  EXPECT_EQ(disk_full.number(), 61);
  EXPECT_EQ(disk_full.description(), "Disk full");
  EXPECT_STREQ(disk_full.what(), "Disk full");
  EXPECT_EQ(ErrorDescription(76), "Path not found");
  EXPECT_EQ(ErrorDescription(70), "Permission denied");
}

}  // namespace
}  // namespace quibran
