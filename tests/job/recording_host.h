#pragma once

#include <array>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "job/job_host.h"

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

// A window for the job that keeps what the job did to it.
class RecordingHost final : public JobHost {
 public:
  void ShowProgressBars() override { Log("ShowProgressBars"); }
  void CommitStartFields() override { Log("CommitStartFields"); }
  void CheckQuantity() override {
    Log("CheckQuantity");
    if (on_check_quantity) on_check_quantity();
  }
  void FocusQuantity() override { Log("FocusQuantity"); }
  std::string FieldText(JobField field) override { return fields[Index(field)]; }
  void SetFieldText(JobField field, const std::string& text) override {
    Log("SetFieldText " + std::to_string(Index(field)) + " " + text);
    fields[Index(field)] = text;
  }
  void FocusThroughStartSequence() override { Log("FocusThroughStartSequence"); }
  void SetRunning(bool running) override {
    Log(running ? "SetRunning true" : "SetRunning false");
    running_ = running;
  }
  void SetFileProgressMaximum(int32_t maximum) override { file_maximum = maximum; }
  void SetFileProgress(int32_t value) override {
    file_value = value;
    file_values.push_back(value);
  }
  void SetJobProgressMaximum(int32_t maximum) override { job_maximum = maximum; }
  void SetJobProgress(int32_t value) override { job_value = value; }
  void SetDisplayText(const std::string& text) override {
    Log("SetDisplayText");
    display = text;
  }
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override {
    Log("ShowMessage " + text);
    messages.push_back({title, text, icon});
  }
  void ProcessEvents() override {
    ++yields;
    if (on_yield) on_yield();
  }
  void FileCompleted(const std::string& file_name) override { completed.push_back(file_name); }

  std::string& field(JobField f) { return fields[Index(f)]; }
  bool running() const { return running_; }

  std::vector<std::string> calls;
  std::vector<RecordedMessage> messages;
  std::vector<std::string> completed;
  std::array<std::string, 4> fields;
  std::string display;
  int32_t file_maximum = -1, file_value = -1, job_maximum = -1, job_value = -1;
  std::vector<int32_t> file_values;
  int yields = 0;
  std::function<void()> on_yield;
  std::function<void()> on_check_quantity;

 private:
  static int Index(JobField field) { return static_cast<int>(field); }
  void Log(const std::string& call) { calls.push_back(call); }
  bool running_ = false;
};

}  // namespace quibran::test
