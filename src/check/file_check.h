// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One pass over a file: its size, its SHA-256, ent's statistics and the
// FIPS 140-2 tests, from the same pieces as they are read.

#include <cstdint>
#include <string>

#include "check/byte_statistics.h"
#include "check/fips_tests.h"

namespace quibran {

struct FileReport {
  bool unfinished = false;  // a writer's temporary file, never completed
  uint64_t size = 0;
  std::string sha256;  // lower-case hexadecimal
  ByteFigures bytes;
  FipsFigures fips;
};

// Reads `path` once, in pieces of a fixed size. Throws std::system_error
// when the file cannot be opened or read, and std::runtime_error when it
// changed while being read (its figures would then describe no one state).
FileReport CheckFile(const std::string& path);

}  // namespace quibran
