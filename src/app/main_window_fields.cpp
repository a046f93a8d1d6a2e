// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's fields: the digit filter, the leave checks (run when the
// focus moves to another control of the window) and the change handlers that
// keep the settings in step with what the fields hold.

#include "app/main_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <algorithm>

#include "app/message_box.h"
#include "app/qt_text.h"
#include "platform/version.h"
#include "settings/field_checks.h"
#include "ui_main_window.h"

namespace quibran {

namespace {

// Whether a key event types characters that the digit filter refuses. A
// Ctrl+letter types its control character (Ctrl+V is 22) even where the
// platform reports no text. Keys that type nothing, Tab and Delete move or
// edit and always pass.
bool RefusedByDigitFilter(const QKeyEvent& key) {
  if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Delete) return false;
  QString text = key.text();
  if (text.isEmpty() && (key.modifiers() & Qt::ControlModifier) && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
    text = QChar(key.key() - Qt::Key_A + 1);
  return std::any_of(text.begin(), text.end(),
                     [](QChar c) { return DigitKeyFilter(static_cast<int16_t>(c.unicode())) == 0; });
}

// Whether the focus, as it goes out of `field`, went to another control of the
// same window: a menu (also through the menu bar's keys), a list's popup, a
// message box or another window take it without leaving the field.
bool LeavesField(const QWidget* field, Qt::FocusReason reason) {
  if (reason == Qt::MenuBarFocusReason || reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
    return false;
  const QWidget* next = QApplication::focusWidget();
  return next != nullptr && next->window() == field->window() && !field->isAncestorOf(next) && next != field;
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched != ui_->txtDestDir &&
      RefusedByDigitFilter(static_cast<const QKeyEvent&>(*event)))
    return true;
  if (event->type() == QEvent::FocusOut &&
      LeavesField(static_cast<QWidget*>(watched), static_cast<const QFocusEvent*>(event)->reason())) {
    if (watched == ui_->cmbNumOfNums) cmbNumOfNums_LostFocus();
    if (watched == ui_->txtCSVcolumnsX) txtCSVcolumnsX_LostFocus();
    if (watched == ui_->txtNumOfFiles) txtNumOfFiles_LostFocus();
    if (watched == ui_->txtStartSequence) txtStartSequence_LostFocus();
    if (watched == ui_->txtDestDir) txtDestDir_LostFocus();
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::Tell(const FieldMessage& message) {
  quibran::ShowMessage(this, Q(kAppTitle), Q(message.text), message.icon);
}

// ---- Field checks ----

// The quantity check; it runs on every change and list choice and on leaving.
void MainWindow::cmbNumOfNums_LostFocus() {
  const QuantityOutcome out = QuantityCheck(ui_->cmbNumOfNums->currentText().toStdString(), settings_.FileType,
                                            settings_.ScreenWidthPixels, settings_.ScreenHeightPixels);
  for (const FieldMessage& message : out.messages) Tell(message);
  settings_.NumOfNumsText = out.NumOfNumsText;
  settings_.NumOfNums = out.NumOfNums;
  // The rewritten text runs this check once more, which then changes nothing.
  if (out.field_text) ui_->cmbNumOfNums->setEditText(Q(*out.field_text));
}

void MainWindow::txtCSVcolumnsX_Change() {
  if (const auto columns = ColumnsOnChange(ui_->txtCSVcolumnsX->text().toStdString())) settings_.CSVcolumnsX = *columns;
}

void MainWindow::txtCSVcolumnsX_LostFocus() {
  const FieldOutcome out =
      ColumnsOnLeave(ui_->txtCSVcolumnsX->text().toStdString(), settings_.FileType, settings_.ScreenWidthPixels);
  for (const FieldMessage& message : out.messages) Tell(message);
  ui_->txtCSVcolumnsX->setText(Q(out.text));
  settings_.CSVcolumnsX = static_cast<int16_t>(out.value);
}

void MainWindow::txtNumOfFiles_LostFocus() {
  const FieldOutcome out = NumOfFilesOnLeave(ui_->txtNumOfFiles->text().toStdString(), settings_.FileType);
  for (const FieldMessage& message : out.messages) Tell(message);
  ui_->txtNumOfFiles->setText(Q(out.text));
  settings_.NumOfFilesText = out.text;
  settings_.NumOfFiles = static_cast<int16_t>(out.value);
}

void MainWindow::txtStartSequence_Change() {
  const SequenceOutcome out = StartSequenceOnChange(ui_->txtStartSequence->text().toStdString());
  if (out.field_text) {  // the new text runs this handler again
    ui_->txtStartSequence->setText(Q(*out.field_text));
    return;
  }
  settings_.StartSequence = out.StartSequence;
  RefreshFileName();
}

// The field shows the four digits that the change handler keeps.
void MainWindow::txtStartSequence_LostFocus() { ui_->txtStartSequence->setText(Q(settings_.StartSequence)); }

// The field's text when it holds no double quotation mark. A field that held
// one gets its text without them (which runs its change handler again), the
// user is told, and there is nothing more to store.
std::optional<std::string> MainWindow::TextWithoutQuotes(QLineEdit* field, NameKind kind) {
  const QuoteOutcome out = RefuseDoubleQuote(field->text().toStdString(), kind);
  if (!out.message) return out.text;
  field->setText(Q(out.text));
  Tell(*out.message);
  return std::nullopt;
}

// Runs on every change, so leaving the field has nothing left to do.
void MainWindow::txtBaseFilename_Change() {
  const std::optional<std::string> text = TextWithoutQuotes(ui_->txtBaseFilename, NameKind::File);
  if (!text) return;
  settings_.BaseFilename = *text;
  RefreshFileName();
}

void MainWindow::txtDestDir_Change() {
  const std::optional<std::string> text = TextWithoutQuotes(ui_->txtDestDir, NameKind::Folder);
  if (text) settings_.DestDir = TrimSpaces(*text);
}

void MainWindow::txtDestDir_LostFocus() {
  settings_.DestDir = NormalizeDestDir(ui_->txtDestDir->text().toStdString());
  ui_->txtDestDir->setText(Q(settings_.DestDir));
}

// Cancelling the picker keeps the folder as it was.
void MainWindow::buttonBrowseForDir_Click() {
  const QString folder = BrowseForFolder("Select Folder");
  if (folder.isEmpty()) return;
  ui_->txtDestDir->setText(Q(WithTrailingSeparator(folder.toStdString())));
}

QString MainWindow::BrowseForFolder(const QString& title) {
  return QFileDialog::getExistingDirectory(this, title, Q(settings_.DestDir), QFileDialog::ShowDirsOnly);
}

}  // namespace quibran
