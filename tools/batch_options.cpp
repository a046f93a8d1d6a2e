// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/version.h"
#include "settings/defaults.h"
#include "settings/field_limits.h"

namespace quibran {
namespace {

constexpr const char* kHelp = R"(Usage: quibran-batch [options]

Writes numbered files of random numbers, as the Quibran window's Start button
does: DIR/STEM0001.EXT, DIR/STEM0002.EXT, ... Each completed file's name is
printed on standard output, one per line. With --stdout the numbers go to
standard output instead.

Options (a value follows as "--count 10" or "--count=10"; --count, --width
and --height take a suffix K, M, G for 1024, 1024^2, 1024^3 or KB, MB, GB
for 1000, 1000^2, 1000^3, as in "--count 1M"):
  --source {sources}
                            random source (default os). For one-time pads,
                            keys and anything secret, only these two:
                              os    the kernel's cryptographically secure
                                    generator (getrandom)
                              alea  the Araneus Alea I hardware generator
                            Both offer every number type, take no --seed,
                            and their output can never be made again.
                            For test data, simulations and spreadsheets,
                            never for secrets (their output can be guessed
                            from the clock and made again):
                              mt    Mersenne Twister
                              rnd   the platform's Rnd (PCG32)
                              wh    Wichmann-Hill
                              mtwh  MT and WH alternating
  --device PATH             with --source alea: the node to read instead of
                            the Alea's /dev/chaoskeyN (for instance another
                            ChaosKey-driven generator's, or /dev/hwrng); a
                            character device or a FIFO only, its bytes
                            health-tested as the Alea's
  --file-type bin|asc|csv|bmp
                            raw bytes, one number per line, CSV rows, or a
                            bitmap of random 24-bit colours (default bin)
  --number-type {number_types}
                            (default byte; .BIN files hold bytes only)
  --count N                 numbers per file, rows for CSV (default 1024;
                            at most 2147483646 bin, 1073741824 asc, 65536 csv;
                            0 with --stdout: until the reader closes the pipe)
  --columns N               values per CSV row, 1 to 256 (default 2)
  --files N                 files to write, 0 to 9999; 0 writes one file
                            (default 1)
  --dir DIR                 destination folder (default the current folder)
  --stem STEM               file name stem (default RAND)
  --start NNNN              first sequence number, 0 to 9999 (default 1)
  --width N, --height N     bitmap size in pixels, 100 to 9999 (default 100)
  --monochrome              bitmap of black and white pixels, drawn from the
                            platform's Rnd whatever the source
  --seed N                  seed a test-data source (mt, rnd, wh or mtwh,
                            named with --source: the default os takes no
                            seed) from N (a 32-bit number, signed or not)
                            for output that can be made again; without it
                            the source is seeded from the clock:
                              mt    MTInit(N)
                              wh    WHSeed(N), so N and -N give the same stream
                              rnd   PCG32 seeded from N's 32-bit pattern
                              mtwh  MTInit(N) and WHSeed(N), the first value
                                    from Wichmann-Hill exactly when N is odd
                            A bitmap's drawing reseeds rnd from N too (from
                            the clock without --seed), whatever the source
  --stdout                  write the numbers (bytes, lines or rows) to standard
                            output instead of files, for piping into test
                            batteries or other tools: exactly --count values,
                            or without end for --count 0; a reader that closes
                            the pipe ends it quietly with status 0. Takes no
                            --files, --dir, --stem or --start
  --quiet                   no progress line (bytes written, rate, time left)
                            on standard error, which shows only on a terminal
  -h, --help                this text
  -V, --version             the program's name and version
  --                        ends the options (the program takes no other
                            arguments)

Ctrl-C stops: the file being written is closed with what it holds (whole
lines, whole rows; a bitmap is not written) and the exit status is 130. Exit
status 1: a file could not be written (a text or CSV file is cut back to its
last whole line or row, and the message names it), the device failed or the
file names could not be printed; 2: bad options (nothing is written).

Examples:
  One-time pads, from the kernel's generator or the Alea I, then checked:
    quibran-batch --source os --count 1048576 --files 10 --stem PAD --dir /media/usb
    quibran-batch --source alea --count 65536 --files 4 --stem OTP
    quibran-check /media/usb/PAD*.BIN
  Test data, never pads:
    quibran-batch --source wh --file-type asc --number-type int16 --count 1000 --seed 42
    quibran-batch --source mtwh --file-type csv --number-type double --count 65536 --columns 256
    quibran-batch --source mt --file-type bmp --width 1920 --height 1080 --seed 7
  The kernel's generator into a test battery, without end:
    quibran-batch --source os --stdout --count 0 | dieharder -g 200 -a
)";

struct Choice {
  std::string_view name;
  int16_t index;
};
constexpr std::array<Choice, 4> kFileTypes = {
    {{"bin", kFileBin}, {"asc", kFileAsc}, {"bmp", kFileBmp}, {"csv", kFileCsv}}};

// --source takes the sources' command-line names, --number-type the number
// types' (Color has none).
constexpr auto kSourceChoices = [] {
  std::array<Choice, kSourceCount> choices{};
  for (std::size_t i = 0; i < choices.size(); ++i) {
    choices[i] = {kSourceCapabilities[i].command_name, static_cast<int16_t>(i)};
  }
  return choices;
}();
constexpr auto kNumTypeChoices = [] {
  std::array<Choice, kNumTypeCount - 1> choices{};
  for (std::size_t i = 0; i < choices.size(); ++i) choices[i] = {kNumTypeCommandNames[i], static_cast<int16_t>(i)};
  return choices;
}();
static_assert(kNumTypeCommandNames[kNumTypeCount - 1].empty());

// The choices' names as the help and the errors list them: "a|b|c".
template <std::size_t N>
std::string ChoiceNames(const std::array<Choice, N>& choices) {
  std::string names;
  for (const Choice& choice : choices) {
    names += names.empty() ? "" : "|";
    names += choice.name;
  }
  return names;
}

template <std::size_t N>
int16_t ParseChoice(const std::string& option, const std::string& value, const std::array<Choice, N>& choices) {
  for (const Choice& choice : choices) {
    if (value == choice.name) return choice.index;
  }
  throw BadInput{option + ": '" + value + "' is not one of " + ChoiceNames(choices)};
}

// The help with the sources' and number types' names filled in.
std::string HelpText() {
  std::string help = kHelp;
  for (const auto& [field, names] : {std::pair<std::string_view, std::string>{"{sources}", ChoiceNames(kSourceChoices)},
                                     {"{number_types}", ChoiceNames(kNumTypeChoices)}}) {
    help.replace(help.find(field), field.size(), names);
  }
  return help;
}

// The multipliers that a size (--count, --width, --height) may end with, as
// head -c takes them: powers of 1024 and, with B, of 1000.
struct SizeSuffix {
  std::string_view text;
  int64_t factor;
};
constexpr std::array<SizeSuffix, 10> kSizeSuffixes = {{{"K", int64_t{1} << 10},
                                                       {"KiB", int64_t{1} << 10},
                                                       {"M", int64_t{1} << 20},
                                                       {"MiB", int64_t{1} << 20},
                                                       {"G", int64_t{1} << 30},
                                                       {"GiB", int64_t{1} << 30},
                                                       {"KB", 1000},
                                                       {"kB", 1000},
                                                       {"MB", 1000000},
                                                       {"GB", 1000000000}}};

// A whole number from `lowest` to `highest`; with `size`, one of
// kSizeSuffixes may follow it. A number beyond either end, however far, is
// refused with that end named.
int64_t ParseWhole(const std::string& option, const std::string& value, int64_t lowest, int64_t highest,
                   bool size = false) {
  int64_t number = 0;
  const char* end = value.data() + value.size();
  const std::from_chars_result digits = std::from_chars(value.data(), end, number);
  const std::string_view rest(digits.ptr, static_cast<std::size_t>(end - digits.ptr));
  int64_t factor = 1;
  for (const SizeSuffix& suffix : kSizeSuffixes) {
    if (size && rest == suffix.text) factor = suffix.factor;
  }
  if (digits.ec == std::errc::invalid_argument || (!rest.empty() && factor == 1)) {
    throw BadInput{option + ": '" + value + "' is not a whole number from " + std::to_string(lowest) + " to " +
                   std::to_string(highest)};
  }
  const bool overflow = digits.ec == std::errc::result_out_of_range || __builtin_mul_overflow(number, factor, &number);
  const bool below = overflow ? value[0] == '-' : number < lowest;
  if (below || overflow || number > highest) {
    throw BadInput{option + ": '" + value + "' is " +
                   (below ? "less than " + std::to_string(lowest) + ", the least"
                          : "more than " + std::to_string(highest) + ", the most") +
                   " it takes"};
  }
  return number;
}

}  // namespace

std::variant<Options, std::string> ParseOptions(const std::vector<std::string>& args) {
  Options options;
  JobSettings s = BuiltInDefaults();
  std::optional<int32_t> seed;
  // As `openssl rand` does: without --source, bytes nobody can guess.
  s.DeviceIndex = kSourceOs;
  s.DestDir = std::string(".") + kPathSeparator;
  // No screen: a bitmap is bounded by its fields' own limit.
  s.ScreenWidthPixels = kMaxBitmapPixels;
  s.ScreenHeightPixels = kMaxBitmapPixels;
  std::vector<std::string> numbers;  // --count, --columns, ... checked once the file type is known
  std::vector<std::string> given;    // every option's name
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (name == "-h") name = "--help";
    if (name == "-V") name = "--version";
    if (name == "--") {
      // The end of the options; the program takes nothing else.
      if (i + 1 < args.size()) throw BadInput{"unexpected argument '" + args[i + 1] + "' (see --help)"};
      break;
    }
    given.push_back(name);
    if (name == "--help" || name == "--version" || name == "--quiet" || name == "--monochrome" || name == "--stdout") {
      if (value) throw BadInput{name + " takes no value"};
      if (name == "--help") return HelpText();
      if (name == "--version") return "quibran-batch " + std::string(kVersion) + "\n";
      if (name == "--monochrome") s.MonochromeOn = 1;
      if (name == "--quiet") options.quiet = true;
      if (name == "--stdout") options.to_stdout = true;
      continue;
    }
    static constexpr std::array<std::string_view, 13> kValued = {
        "--source", "--file-type", "--number-type", "--count", "--columns", "--files", "--dir",
        "--stem",   "--start",     "--seed",        "--width", "--height",  "--device"};
    bool known = false;
    for (const std::string_view option : kValued) known = known || name == option;
    if (!known) {
      const char* what = name.rfind('-', 0) == 0 ? "unknown option '" : "unexpected argument '";
      throw BadInput{what + args[i] + "' (see --help)"};
    }
    if (!value) {
      // The next word is the value unless it is another option.
      if (i + 1 == args.size() || args[i + 1].rfind("--", 0) == 0) throw BadInput{name + " needs a value"};
      value = args[++i];
    }
    if ((name == "--stem" || name == "--dir") && value->find_first_of("\"\r\n") != std::string::npos) {
      // The window refuses these too: the defaults file cannot store them.
      throw BadInput{name + ": a double quotation mark or a line break cannot be part of a name"};
    }
    if (name == "--source")
      s.DeviceIndex = ParseChoice(name, *value, kSourceChoices);
    else if (name == "--file-type")
      s.FileType = ParseChoice(name, *value, kFileTypes);
    else if (name == "--number-type")
      s.NumType = ParseChoice(name, *value, kNumTypeChoices);
    else if (name == "--stem")
      s.BaseFilename = *value;
    else if (name == "--device") {
      if (value->empty()) throw BadInput{"--device: empty node name"};
      options.device = *value;
    } else if (name == "--dir") {
      if (value->empty()) throw BadInput{"--dir: empty folder name"};
      s.DestDir = value->back() == kPathSeparator ? *value : *value + kPathSeparator;
    } else if (name == "--seed") {
      // A seed is a 32-bit pattern: negative, or up to 4294967295.
      seed = static_cast<int32_t>(static_cast<uint32_t>(ParseWhole(name, *value, INT32_MIN, UINT32_MAX)));
    } else {
      numbers.push_back(name);
      numbers.push_back(*value);
    }
  }
  const auto has = [&](std::string_view option) {
    return std::find(given.begin(), given.end(), option) != given.end();
  };
  if (options.to_stdout) {
    for (const char* option : {"--files", "--dir", "--stem", "--start"}) {
      if (has(option)) throw BadInput{std::string("--stdout writes no files: it takes no ") + option};
    }
    if (s.FileType == kFileBmp) throw BadInput{"--stdout: a bitmap is written to a file"};
  }
  if (s.FileType == kFileBmp) {
    // As the window lays out a bitmap: 100 x 100 pixels of Color (24 bits).
    for (const char* option : {"--count", "--columns", "--number-type"}) {
      if (has(option)) throw BadInput{std::string(option) + ": a bitmap takes --width and --height, in 24-bit colours"};
    }
    s.NumType = kNumColor;
    s.CSVcolumnsX = kMinBitmapPixels;
    s.NumOfNums = kMinBitmapPixels;
    s.NumOfNumsText = std::to_string(s.NumOfNums);
  } else {
    for (const char* option : {"--width", "--height", "--monochrome"}) {
      if (has(option)) throw BadInput{std::string(option) + ": only for --file-type bmp"};
    }
  }
  const int32_t max_count = s.FileType == kFileBin   ? kMaxBinQuantity
                            : s.FileType == kFileAsc ? kMaxAscQuantity
                                                     : kMaxCsvRows;
  for (std::size_t i = 0; i < numbers.size(); i += 2) {
    const std::string& name = numbers[i];
    const std::string& value = numbers[i + 1];
    if (name == "--count") {
      s.NumOfNums = static_cast<int32_t>(ParseWhole(name, value, options.to_stdout ? 0 : 1, max_count, true));
      // Without end: the most that a file of the type holds, over and over.
      options.endless = s.NumOfNums == 0;
      if (options.endless) s.NumOfNums = max_count;
      s.NumOfNumsText = std::to_string(s.NumOfNums);
    } else if (name == "--columns") {
      s.CSVcolumnsX = static_cast<int16_t>(ParseWhole(name, value, 1, kMaxCsvColumns));
    } else if (name == "--width") {
      s.CSVcolumnsX = static_cast<int16_t>(ParseWhole(name, value, kMinBitmapPixels, kMaxBitmapPixels, true));
    } else if (name == "--height") {
      s.NumOfNums = static_cast<int32_t>(ParseWhole(name, value, kMinBitmapPixels, kMaxBitmapPixels, true));
      s.NumOfNumsText = std::to_string(s.NumOfNums);
    } else if (name == "--files") {
      // Zero files runs one, as in the window.
      s.NumOfFiles = static_cast<int16_t>(ParseWhole(name, value, 0, kMaxFiles));
      s.NumOfFilesText = std::to_string(s.NumOfFiles);
    } else {
      s.StartSequence = std::to_string(ParseWhole(name, value, 0, kMaxStartSequence));
    }
  }
  if (s.BaseFilename.find(kPathSeparator) != std::string::npos) throw BadInput{"--stem: a stem cannot hold a folder"};
  if (options.device && s.DeviceIndex != kSourceHardware) throw BadInput{"--device goes with --source alea"};
  if (seed && s.DeviceIndex == kSourceHardware) throw BadInput{"--seed: the hardware source takes no seed"};
  if (seed && s.DeviceIndex == kSourceOs) {
    throw BadInput{has("--source") ? "--seed: the kernel's generator (--source os) takes no seed; its output can never "
                                     "be made again"
                                   : "--seed: without --source the kernel's generator (os) is used, which takes no "
                                     "seed; for output that can be made again name a test-data source with --source "
                                     "mt, rnd, wh or mtwh"};
  }
  if (s.FileType == kFileBin && s.NumType != kNumByte) {
    throw BadInput{".BIN files hold Byte values only (--number-type byte)"};
  }
  if (s.FileType != kFileBmp && !WriterOffers(s.FileType, s.DeviceIndex, s.NumType)) {
    throw BadInput{NotAvailableMessage(s.FileType, s.DeviceIndex) + ": source " +
                   std::string(kSourceCapabilities[static_cast<std::size_t>(s.DeviceIndex)].command_name) +
                   " does not write " + std::string(kNumTypeCommandNames[static_cast<std::size_t>(s.NumType)]) +
                   " values to ." + (s.FileType == kFileCsv ? "CSV" : "ASC") + " files"};
  }
  // The Start button's checks: within the limits above they only refuse a
  // second bitmap and take no files for one. What they would tell a user
  // refuses the options.
  JobChecks checks = ValidateJob(s, FieldTextsOf(s));
  std::string told;
  for (const JobCheckStep& step : checks.steps) {
    if (const auto* message = std::get_if<FieldMessage>(&step)) told += (told.empty() ? "" : " ") + message->text;
  }
  if (!told.empty() || !checks.request) throw BadInput{told};
  options.request = *std::move(checks.request);
  options.request.seed = seed;
  return options;
}

}  // namespace quibran
