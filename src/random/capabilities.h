// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What each random source offers, in one table that every layer reads: its
// names in the window and on the command line, whether it is fit for
// one-time pads, and which number types each file type's writer takes from
// it, with the message for the others. A new source is one more row.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quibran {

enum SourceIndex : int16_t {
  kSourceMersenneTwister = 0,
  kSourceRnd = 1,
  kSourceWichmannHill = 2,
  kSourceMtWh = 3,
  kSourceHardware = 4,
  kSourceOs = 5,
};

enum NumTypeIndex : int16_t {
  kNumByte = 0,
  kNumInteger15 = 1,
  kNumInteger16 = 2,
  kNumLong31 = 3,
  kNumLong32 = 4,
  kNumSingle = 5,
  kNumDouble = 6,
  kNumColor = 7,
};
inline constexpr int kNumTypeCount = 8;

enum FileTypeIndex : int16_t {
  kFileBin = 0,
  kFileAsc = 1,
  kFileBmp = 2,
  kFileCsv = 3,
};
inline constexpr int kFileTypeCount = 4;

// Number types as a set: bit n stands for type n.
using NumTypeSet = uint8_t;
constexpr NumTypeSet TypesUpTo(int last) { return static_cast<NumTypeSet>((1u << (last + 1)) - 1u); }
constexpr NumTypeSet NumTypeBit(int type) { return static_cast<NumTypeSet>(1u << type); }

struct SourceCapabilities {
  std::string_view window_name;   // cmbDevice's entry
  std::string_view command_name;  // quibran-batch's --source
  // Nobody can guess its output or make it again: the sources for one-time
  // pads, shown with the green indicator, whose files are their owner's alone.
  bool pads;
  // Its values come from the hardware device object, not from RandomSources.
  bool device;
  // By file type: the number types its writer takes from this source, and the
  // number of the "Not Available [GBnnn]" message it shows for the others (0:
  // none; the binary and bitmap writers are only run for their own type).
  std::array<NumTypeSet, kFileTypeCount> writes;
  std::array<int16_t, kFileTypeCount> not_available;
};

namespace capability_sets {
constexpr NumTypeSet kBinTypes = NumTypeBit(kNumByte);
constexpr NumTypeSet kBmpTypes = NumTypeBit(kNumColor);
constexpr NumTypeSet kAll = TypesUpTo(kNumDouble);
constexpr NumTypeSet kRnd = TypesUpTo(kNumInteger16) | NumTypeBit(kNumSingle);
constexpr NumTypeSet kNoLong = kRnd | NumTypeBit(kNumDouble);
constexpr NumTypeSet kNoLong32 = kNoLong | NumTypeBit(kNumLong31);
}  // namespace capability_sets

// By DeviceIndex: the sources as cmbDevice lists them.
inline constexpr auto kSourceCapabilities = [] {
  using namespace capability_sets;
  return std::to_array<SourceCapabilities>({
      {"PRNG (Marsenne Twister)", "mt", false, false, {kBinTypes, kAll, kBmpTypes, kNoLong}, {0, 1, 0, 2}},
      {"PRNG (Microsoft Rnd)", "rnd", false, false, {kBinTypes, kRnd, kBmpTypes, kRnd}, {0, 3, 0, 4}},
      {"PRNG (Wichmann Hill)", "wh", false, false, {kBinTypes, kNoLong32, kBmpTypes, kNoLong32}, {0, 5, 0, 6}},
      {"PRNG (MT and WH)", "mtwh", false, false, {kBinTypes, kNoLong32, kBmpTypes, kNoLong32}, {0, 5, 0, 6}},
      {"TRNG (Araneus Alea I)", "alea", true, true, {kBinTypes, kAll, kBmpTypes, kAll}, {0, 7, 0, 8}},
      {"CSPRNG (Linux kernel)", "os", true, false, {kBinTypes, kAll, kBmpTypes, kAll}, {0, 9, 0, 10}},
  });
}();
inline constexpr int kSourceCount = static_cast<int>(kSourceCapabilities.size());
static_assert(kSourceCapabilities[kSourceHardware].device && kSourceCapabilities[kSourceOs].command_name == "os");

// By NumType: quibran-batch's --number-type names; Color has none (a bitmap
// is asked for by its file type).
inline constexpr std::array<std::string_view, kNumTypeCount> kNumTypeCommandNames = {
    "byte", "int15", "int16", "long31", "long32", "single", "double", ""};

// Whether a source's values are secret: nobody can guess them or make them
// again, so they serve as one-time pads (the window's green indicator),
// their files are their owner's alone and a job that draws them keeps them
// out of core dumps.
constexpr bool SecretSource(int source) { return kSourceCapabilities[static_cast<std::size_t>(source)].pads; }

// Whether the writer of `file_type` writes `num_type` from `source`.
constexpr bool WriterOffers(int file_type, int source, int num_type) {
  const SourceCapabilities& row = kSourceCapabilities[static_cast<std::size_t>(source)];
  return num_type >= 0 && num_type < kNumTypeCount &&
         (row.writes[static_cast<std::size_t>(file_type)] & NumTypeBit(num_type)) != 0;
}

// Whether a source makes `num_type` for some file type: the number types
// that the window offers for it.
constexpr bool SourceMakes(int source, int num_type) {
  for (int file_type = 0; file_type < kFileTypeCount; ++file_type) {
    if (WriterOffers(file_type, source, num_type)) return true;
  }
  return false;
}

// Whether RandomSources draws `num_type` from `source` (the device's values
// are drawn by the device object).
constexpr bool SourceOffers(int source, int num_type) {
  return !kSourceCapabilities[static_cast<std::size_t>(source)].device && SourceMakes(source, num_type);
}

// The message that the text (".ASC") or CSV writer shows for a type it does
// not write from `source`: "Not Available [GBnnn]". Only those two writers
// show one.
std::string NotAvailableMessage(int file_type, int source);

}  // namespace quibran
