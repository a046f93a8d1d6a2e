// SPDX-License-Identifier: GPL-3.0-or-later
// quibran-batch: the generation job without a window, for scripts and large
// batches. It checks its options as the Start button checks the fields and
// runs the very same GenerationJob, reporting on a terminal.

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "batch_options.h"
#include "job/bitmap_picture.h"
#include "job/generation_job.h"
#include "picture/picture.h"
#include "platform/clock.h"
#include "platform/output_file.h"

namespace quibran {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitDestination = 1;
constexpr int kExitBadInput = 2;
constexpr int kExitInterrupted = 130;

// The one flag the signal handler sets; the terminal's event loop turns it
// into the Stop button.
volatile sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// A count of bytes in decimal units: "950 B", "12.3 kB", "4.7 GB".
std::string Bytes(double bytes) {
  static constexpr const char* kUnits[] = {"B", "kB", "MB", "GB", "TB"};
  std::size_t unit = 0;
  for (; bytes >= 999.95 && unit + 1 < std::size(kUnits); ++unit) bytes /= 1000;
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, kUnits[unit]);
  return text;
}

// Seconds as hours, minutes and seconds: "0:01:34", "27:46:40".
std::string Duration(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

// The job's observer on a terminal: messages and progress go to standard
// error, completed files (or the stream) to standard output, and Ctrl-C is
// the Stop button.
class TerminalObserver final : public JobObserver {
 public:
  // `stream`: the job writes to standard output, `endless` without end.
  TerminalObserver(RandomSources& sources, int16_t files, bool show_progress, bool stream, bool endless)
      : sources_(sources), files_(files), show_progress_(show_progress), stream_(stream), endless_(endless) {}

  void Message(const std::string& title, const std::string& text, MessageIcon) override {
    EndProgressLine();
    std::fprintf(stderr, "quibran-batch: %s: %s\n", title.c_str(), text.c_str());
  }

  // A terminal has no events to handle; Ctrl-C sets its flag by itself.
  void Yield() override {}
  bool StopRequested() override { return g_interrupted != 0; }

  // "file 2 of 4: 1.2 MB written, 12.5 kB/s, 0:01:34 left", five times a
  // second while values are written (the reports that move only the bars
  // pass); "standard output: ..." for a stream, without the time left when
  // it has no end.
  void Progress(const JobProgress& progress) override {
    const bool moved = progress.values_done != values_seen_;
    values_seen_ = progress.values_done;
    if (!show_progress_ || !moved) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_progress_ < std::chrono::milliseconds(200)) return;
    last_progress_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const double done = progress.values_total > 0
                            ? static_cast<double>(progress.values_done) / static_cast<double>(progress.values_total)
                            : 0;
    const std::string left =
        endless_ ? "" : ", " + (done > 0 ? Duration(seconds * (1 - done) / done) : "-:--:--") + " left";
    const std::string where =
        stream_ ? "standard output" : "file " + std::to_string(completed_ + 1) + " of " + std::to_string(files_);
    const double bytes = static_cast<double>(progress.bytes_done);
    std::fprintf(stderr, "\r%s: %s written, %s/s%s\033[K", where.c_str(), Bytes(bytes).c_str(),
                 Bytes(seconds > 0 ? bytes / seconds : 0).c_str(), left.c_str());
    progress_shown_ = true;
  }

  // No window: the whole picture is drawn and saved, unless Ctrl-C stopped
  // the drawing (a stopped picture's undrawn columns stay black, unsaved).
  bool DrawBitmap(const BitmapRequest& request) override {
    bool stop = false;
    BitmapDrawing drawing(sources_, request, stop);
    Picture picture(request.width, request.height, qRgb(0, 0, 0));
    const int64_t pixels = int64_t{request.width} * request.height;
    drawing.Draw(picture.pixels(), picture.stride(), [&](int x) {
      // The picture's three bytes a pixel stand for what is written.
      const int64_t done = int64_t{x + 1} * request.height;
      Progress({.values_done = done, .values_total = pixels, .bytes_done = 3 * done});
      stop = StopRequested();
    });
    if (g_interrupted) return false;
    picture.Save(request.OutputFileName, SecretSource(request.DeviceIndex));
    return true;
  }

  void FileCompleted(const std::string& file_name, const std::string&) override {
    EndProgressLine();
    ++completed_;
    if ((std::printf("%s\n", file_name.c_str()) < 0 || std::fflush(stdout) != 0) && !names_error_) {
      names_error_ = errno;
    }
  }
  // The errno of the first failure to print a file name, 0 when none failed.
  int names_error() const { return names_error_; }

  void EndProgressLine() {
    if (progress_shown_) std::fputs("\r\033[K", stderr);
    progress_shown_ = false;
  }

 private:
  RandomSources& sources_;
  int16_t files_;
  int64_t completed_ = 0;
  int64_t values_seen_ = 0;  // in the last report
  bool show_progress_;
  bool stream_;
  bool endless_;
  bool progress_shown_ = false;
  int names_error_ = 0;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point last_progress_{};
};

int RunBatch(Options& options) {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  // A reader that closes the pipe shows as EPIPE, which ends the job quietly.
  if (options.to_stdout) ::signal(SIGPIPE, SIG_IGN);

  SystemClock clock;
  RandomSources sources(clock);
  const JobRequest& request = options.request;
  TerminalObserver observer(sources, request.NumOfFiles, !options.quiet && isatty(STDERR_FILENO), options.to_stdout,
                            options.endless);
  GenerationJob job(sources, observer);
  std::optional<OutputFile> out;
  if (options.to_stdout) job.SetStream(&out.emplace(STDOUT_FILENO), options.endless);
  if (options.device) job.SetDeviceFactory([node = *options.device] { return CreateDeviceObject(node); });
  job.Run(request.DeviceIndex, [&] { return std::optional(request); });
  observer.EndProgressLine();
  if (observer.names_error() != 0) {
    // The files are written; the list of them is not.
    std::fprintf(stderr, "quibran-batch: cannot write the file names to standard output: %s\n",
                 std::strerror(observer.names_error()));
  }
  // A stop by Ctrl-C says so even when the list of names failed too.
  switch (job.outcome()) {
    case JobOutcome::Stopped: return kExitInterrupted;
    case JobOutcome::Completed:  // g_interrupted: a bitmap stopped unsaved
      return g_interrupted ? kExitInterrupted : observer.names_error() != 0 ? kExitDestination : kExitOk;
    default: return kExitDestination;
  }
}

}  // namespace
}  // namespace quibran

int main(int argc, char** argv) {
  using namespace quibran;
  try {
    std::variant<Options, std::string> parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (const std::string* text = std::get_if<std::string>(&parsed)) {
      if (std::fputs(text->c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "quibran-batch: cannot write to standard output: %s\n", std::strerror(errno));
        return kExitDestination;
      }
      return kExitOk;
    }
    return RunBatch(std::get<Options>(parsed));
  } catch (const BadInput& bad) {
    std::fprintf(stderr, "quibran-batch: %s\n", bad.message.c_str());
    return kExitBadInput;
  }
}
