// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace quibran {
namespace {

// The numbers' descriptions are checked where the job and the defaults file
// report them. A missing entry is a missing path when a folder was asked for.
TEST(RuntimeError, ErrnoMapsToTheRuntimeNumbers) {
  EXPECT_EQ(ErrorNumberFromErrno(ENOENT, true), 76);
  const std::pair<int, int> numbers[] = {{ENOENT, 53}, {ENOTDIR, 76}, {ENOSPC, 61}, {EDQUOT, 61}, {EACCES, 70},
                                         {EROFS, 70},  {EISDIR, 52},  {EIO, 57},    {ENXIO, 68},  {EBUSY, 75}};
  for (const auto& [err, number] : numbers) EXPECT_EQ(ErrorNumberFromErrno(err, false), number) << err;
}

}  // namespace
}  // namespace quibran
