#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "fixed_clock.h"
#include "job/bitmap_picture.h"
#include "job/generation_job.h"
#include "job/job_host.h"
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

// What a job did to its window.
struct JobRecord {
  std::vector<std::string> calls;
  std::vector<RecordedMessage> messages;
  std::vector<std::string> completed;
  std::vector<JobProgress> advanced;  // every JobAdvanced
  std::string display;
  int32_t file_maximum = -1, job_maximum = -1, job_value = -1;
  std::vector<int32_t> file_values;
  int yields = 0;
  std::optional<BitmapRequest> bitmap;
};

// A window for the job that keeps what the job did to it.
class RecordingHost final : public JobHost, public JobRecord {
 public:
  void ShowProgressBars() override { calls.push_back("ShowProgressBars"); }
  void CommitStartFields() override { calls.push_back("CommitStartFields"); }
  void CheckQuantity() override {
    if (on_check_quantity) on_check_quantity();
  }
  void FocusQuantity() override { calls.push_back("FocusQuantity"); }
  std::string FieldText(JobField field) override { return fields[field]; }
  void SetFieldText(JobField field, const std::string& text) override {
    calls.push_back("SetFieldText " + std::to_string(static_cast<int>(field)) + " " + text);
    fields[field] = text;
  }
  void FocusThroughStartSequence() override {}
  void SetRunning(bool running) override { calls.push_back(running ? "SetRunning true" : "SetRunning false"); }
  void SetFileProgressMaximum(int32_t maximum) override { file_maximum = maximum; }
  void SetFileProgress(int32_t value) override { file_values.push_back(value); }
  void SetJobProgressMaximum(int32_t maximum) override { job_maximum = maximum; }
  void SetJobProgress(int32_t value) override { job_value = value; }
  void SetDisplayText(const std::string& text) override {
    calls.push_back("SetDisplayText");
    display = text;
  }
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override {
    calls.push_back("ShowMessage " + text);
    messages.push_back({title, text, icon});
  }
  void ProcessEvents() override {
    ++yields;
    if (on_yield) on_yield();
  }
  void JobAdvanced(const JobProgress& progress) override { advanced.push_back(progress); }
  void FileCompleted(const std::string& file_name) override { completed.push_back(file_name); }
  // Keeps the request; on_bitmap draws and answers whether it saved.
  bool RunBitmapWindow(BitmapDrawing& drawing) override {
    calls.push_back("RunBitmapWindow");
    bitmap = drawing.request();
    return on_bitmap && on_bitmap(drawing);
  }

  int32_t file_value() const { return file_values.back(); }
  // Forgets what the last job did; keeps the fields and the hooks.
  void Forget() { static_cast<JobRecord&>(*this) = {}; }

  std::map<JobField, std::string> fields;
  std::function<void()> on_yield;
  std::function<void()> on_check_quantity;
  std::function<bool(BitmapDrawing&)> on_bitmap;
};

// A job over a RecordingHost: one file of 100 values (CSV: rows of three),
// stem R, from start sequence 0001, into a fresh folder, yielding after every
// block.
class JobFixture : public ::testing::Test {
 protected:
  JobFixture() {
    settings_.NumOfNums = 100;
    settings_.CSVcolumnsX = 3;
    settings_.NumOfFiles = 1;
    settings_.DestDir = folder_.dir();
    settings_.BaseFilename = "R";
    StartSequence() = "0001";
    job_.SetYieldInterval(std::chrono::nanoseconds(0));
  }
  // Runs a job on a host that has forgotten the last one.
  void Run() {
    host_.Forget();
    job_.Run();
  }
  std::string& StartSequence() { return host_.fields[JobField::StartSequence]; }
  // File `number` (1 to 9) of a job of the settings' type into their folder.
  std::string File(int number) const {
    return settings_.DestDir + "R000" + std::to_string(number) + std::string(FileExtensions[settings_.FileType]);
  }

  TempFolder folder_;
  FixedClock clock_{46000, 5000.25f};
  JobSettings settings_;
  RandomSources sources_{clock_};
  RecordingHost host_;
  GenerationJob job_{settings_, sources_, host_};
};

}  // namespace quibran::test
