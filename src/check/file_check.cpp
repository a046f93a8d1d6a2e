// SPDX-License-Identifier: GPL-3.0-or-later
#include "check/file_check.h"

#include <memory>
#include <stdexcept>

#include "check/sha256.h"
#include "platform/input_file.h"
#include "platform/output_file.h"

namespace quibran {

namespace {

// Large enough that system calls vanish in the work, small enough that a
// piece stays in the processor's cache while the three checks go over it.
constexpr std::size_t kPiece = std::size_t{256} << 10;

}  // namespace

FileReport CheckFile(const std::string& path) {
  InputFile file(path);
  Sha256 sha;
  ByteStatistics statistics;
  FipsTests fips;
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[kPiece]);
  uint64_t total = 0;
  for (;;) {
    const std::size_t got = file.Read(buffer.get(), kPiece);
    if (got == 0) break;
    sha.Add(buffer.get(), got);
    statistics.Add(buffer.get(), got);
    fips.Add(buffer.get(), got);
    total += got;
  }
  if (file.Changed() || (file.size() && *file.size() != total)) {
    throw std::runtime_error("changed while being read (" + std::to_string(file.size().value_or(total)) +
                             " bytes when opened, " + std::to_string(total) + " read)");
  }
  FileReport report;
  report.unfinished = IsPartialFileName(path);
  report.size = total;
  report.sha256 = sha.HexDigest();
  report.bytes = statistics.Figures();
  report.fips = fips.figures();
  return report;
}

}  // namespace quibran
