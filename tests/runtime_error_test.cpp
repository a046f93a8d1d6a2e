#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace quibran {
namespace {

// The numbers' descriptions are checked where the job and the defaults file
// report them.
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

}  // namespace
}  // namespace quibran
