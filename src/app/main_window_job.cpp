// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's part of a job: Start and Stop, the checks before a job
// applied to the fields, and what the job reports shown in the window.

#include "app/main_window.h"

#include <QCoreApplication>
#include <variant>

#include "app/bitmap_window.h"
#include "app/message_box.h"
#include "app/qt_text.h"
#include "job/bitmap_picture.h"
#include "settings/field_checks.h"
#include "settings/job_request.h"
#include "ui_main_window.h"

namespace quibran {

// The job runs from what the fields hold once their leave checks ran; the
// start sequence goes back to where it was unless Save Seq keeps the next
// one (not after a stop, which leaves the next one in any case).
void MainWindow::cmdStart_Click() {
  std::string JobStartSequence;
  bool save_seq = false;
  job_.Run(settings_.DeviceIndex, [&] {
    std::optional<JobRequest> request = CheckStart();
    JobStartSequence = ui_->txtStartSequence->text().toStdString();
    save_seq = settings_.SaveLastSeq != 0;
    return request;
  });
  stop_requested_ = false;
  if (job_.outcome() == JobOutcome::NotStarted) return;
  if (job_.outcome() != JobOutcome::Stopped && !save_seq) ui_->txtStartSequence->setText(Q(JobStartSequence));
  SetRunning(false);
}

void MainWindow::cmdStop_Click() {
  ui_->cmdStop->setEnabled(false);
  stop_requested_ = true;
}

std::optional<JobRequest> MainWindow::CheckStart() {
  ui_->pbrFileProgress->show();
  ui_->pbrJobProgress->show();
  CommitStartFields();
  const JobChecks checks =
      ValidateJob(settings_, {ui_->cmbNumOfNums->currentText().toStdString(), ui_->txtCSVcolumnsX->text().toStdString(),
                              ui_->txtNumOfFiles->text().toStdString(), ui_->txtStartSequence->text().toStdString()});
  ApplyChecks(checks);
  if (!checks.request) return std::nullopt;
  SetRunning(true);
  ui_->txtDisplay1024->setPlainText("");
  return checks.request;
}

// Each message is seen before the correction after it; a corrected field's
// own handlers run.
void MainWindow::ApplyChecks(const JobChecks& checks) {
  for (const JobCheckStep& step : checks.steps) {
    if (const auto* message = std::get_if<FieldMessage>(&step)) {
      Tell(*message);
    } else {
      Correct(std::get<FieldCorrection>(step));
    }
  }
  if (checks.focus_quantity) ui_->cmbNumOfNums->setFocus();
}

void MainWindow::Correct(const FieldCorrection& correction) {
  switch (correction.field) {
    case CheckedField::NumOfNums: ui_->cmbNumOfNums->setEditText(Q(correction.text)); break;
    case CheckedField::CSVcolumnsX: ui_->txtCSVcolumnsX->setText(Q(correction.text)); break;
    case CheckedField::NumOfFiles:
      // Only the field's leave check stores it; here the number goes along.
      ui_->txtNumOfFiles->setText(Q(correction.text));
      settings_.NumOfFiles = static_cast<int16_t>(DigitsValue(correction.text));
      break;
  }
}

void MainWindow::CommitStartFields() {
  ui_->txtStartSequence->setFocus();
  ui_->txtBaseFilename->setFocus();
}

void MainWindow::FocusThroughStartSequence() {
  if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
  ui_->txtStartSequence->setFocus();
  ui_->txtFileName->setFocus();
}

// The button about to be disabled hands the focus over first, so that it
// never passes through a field on the way.
void MainWindow::SetRunning(bool running) {
  QPushButton* active = running ? ui_->cmdStop : ui_->cmdStart;
  QPushButton* idle = running ? ui_->cmdStart : ui_->cmdStop;
  active->setEnabled(true);
  active->setFocus();
  idle->setEnabled(false);
}

void MainWindow::Progress(const JobProgress& progress) {
  ui_->pbrFileProgress->setMaximum(progress.file_maximum);
  ui_->pbrFileProgress->setValue(progress.file_value);
  ui_->pbrJobProgress->setMaximum(progress.job_maximum);
  ui_->pbrJobProgress->setValue(progress.job_value);
}

void MainWindow::FileCompleted(const std::string&, const std::string& next_start_sequence) {
  ui_->txtStartSequence->setText(Q(next_start_sequence));
  FocusThroughStartSequence();
}

void MainWindow::Message(const std::string& title, const std::string& text, MessageIcon icon) {
  quibran::ShowMessage(this, Q(title), Q(text), icon);
}

void MainWindow::Yield() { QCoreApplication::processEvents(); }

bool MainWindow::StopRequested() { return stop_requested_; }

void MainWindow::Display(const std::string& text) { ui_->txtDisplay1024->setPlainText(Q(text)); }

bool MainWindow::DrawBitmap(const BitmapRequest& request) {
  BitmapDrawing drawing(sources_, request, stop_requested_);
  BitmapWindow window(drawing, this);
  bitmap_window_ = &window;
  // Forgotten however the window ends: a device failure leaves it as an exception.
  const struct Forget {
    BitmapWindow*& window;
    ~Forget() { window = nullptr; }
  } forget{bitmap_window_};
  return window.Run();
}

}  // namespace quibran
