// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fixed_clock.h"
#include "job/bitmap_picture.h"
#include "job/generation_job.h"
#include "settings/defaults.h"
#include "temp_folder.h"

namespace quibran::test {

struct RecordedMessage {
  std::string title;
  std::string text;
  MessageIcon icon;
  bool operator==(const RecordedMessage&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const RecordedMessage& m) {
  return out << "[" << m.title << "] " << m.text << " (icon " << static_cast<int>(m.icon) << ")";
}

using Messages = std::vector<RecordedMessage>;
using Names = std::vector<std::string>;

// What a job reported.
struct JobRecord {
  Names calls;  // "checks" (the caller's start), "Message <text>"
  Messages messages;
  Names completed;
  Names next_sequences;  // the start sequence after each completed file
  std::vector<JobProgress> progress;
  Names displays;  // each text the display box was given
  int yields = 0;
  bool stop = false;  // the stop flag; a bitmap drawing clears it
  std::optional<BitmapRequest> bitmap;
};

// An observer that keeps what the job reported; on_yield runs at each
// yield, on_bitmap draws and answers whether it saved.
class RecordingObserver final : public JobObserver, public JobRecord {
 public:
  explicit RecordingObserver(RandomSources& sources) : sources_(sources) {}

  void Progress(const JobProgress& report) override { progress.push_back(report); }
  void FileCompleted(const std::string& name, const std::string& next) override {
    completed.push_back(name);
    next_sequences.push_back(next);
  }
  void Message(const std::string& title, const std::string& text, MessageIcon icon) override {
    calls.push_back("Message " + text);
    messages.push_back({title, text, icon});
  }
  void Yield() override {
    ++yields;
    if (on_yield) on_yield();
  }
  bool StopRequested() override { return stop; }
  void Display(const std::string& text) override { displays.push_back(text); }
  bool DrawBitmap(const BitmapRequest& request) override {
    bitmap = request;
    BitmapDrawing drawing(sources_, request, stop);
    return on_bitmap && on_bitmap(drawing);
  }
  const JobProgress& last() const { return progress.back(); }

  std::function<void()> on_yield;
  std::function<bool(BitmapDrawing&)> on_bitmap;

 private:
  RandomSources& sources_;
};

// A job over a RecordingObserver: one file of 100 values (CSV: rows of three),
// stem R, from start sequence 0001, into a fresh folder, yielding after every
// block.
class JobFixture : public ::testing::Test {
 protected:
  JobFixture() {
    request_.NumOfNums = 100;
    request_.CSVcolumnsX = 3;
    request_.DestDir = folder_.dir();
    request_.BaseFilename = "R";
    request_.StartSequence = 1;
    job_.SetYieldInterval(std::chrono::nanoseconds(0));
  }
  // Runs a job of the request on an observer that has forgotten the last one
  // (the stop flag too), keeping its hooks.
  void Run() {
    static_cast<JobRecord&>(observer_) = {};
    job_.Run(request_.DeviceIndex, [&] {
      observer_.calls.push_back("checks");
      return std::optional(request_);
    });
  }
  // File `number` (1 to 9) of a job of the request's type into its folder.
  std::string File(int number) const {
    return request_.DestDir + "R000" + std::to_string(number) +
           std::string(FileExtensions[static_cast<std::size_t>(request_.FileType)]);
  }

  TempFolder folder_;
  FixedClock clock_{46000, 5000.25f};
  JobRequest request_;
  RandomSources sources_{clock_};
  RecordingObserver observer_{sources_};
  GenerationJob job_{sources_, observer_};
};

}  // namespace quibran::test
