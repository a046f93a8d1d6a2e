#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

#include "job/generation_job.h"
#include "job/job_host.h"
#include "settings/job_settings.h"

class QCloseEvent;
class QColor;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace Ui {
class frmMain;
}

namespace quibran {

class BitmapWindow;
class HelpWindow;
class RandomSources;
struct FieldMessage;
struct MediaPreset;
enum class NameKind;

// The main window `frmMain`. Its handlers keep the shared job settings in step
// with the controls; a value set from code runs the same handler as a user's
// change (Qt's changed signals fire for both). It is also the job's window:
// Start runs a job from the settings and the shared random sources.
class MainWindow : public QMainWindow, public JobHost {
  Q_OBJECT
 public:
  MainWindow(JobSettings& settings, RandomSources& sources, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Copies the settings into the controls, each through its own handler.
  void ApplyDefaults();
  // Fills the window with a media preset of frmOptions, each control through
  // its own handler: ".BIN" and "Byte", the base name, the start sequence, the
  // number of files, the quantity and the file name preview.
  void ApplyMediaPreset(const MediaPreset& preset);
  // File > Exit and the Exit button: saves the defaults, closes the window
  // (its unload saves them once more) and ends the program.
  void cmdExit_Click();
  // What leaving keeps, without leaving: the window's position and the
  // defaults file. For the session manager's end of the session.
  void CommitData();

  // JobHost
  void ShowProgressBars() override;
  void CommitStartFields() override;
  void CheckQuantity() override;
  void FocusQuantity() override;
  std::string FieldText(JobField field) override;
  void SetFieldText(JobField field, const std::string& text) override;
  void FocusThroughStartSequence() override;
  void SetRunning(bool running) override;
  void SetFileProgressMaximum(int32_t maximum) override;
  void SetFileProgress(int32_t value) override;
  void SetJobProgressMaximum(int32_t maximum) override;
  void SetJobProgress(int32_t value) override;
  void SetDisplayText(const std::string& text) override;
  void ShowMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
  void ProcessEvents() override;
  bool RunBitmapWindow(BitmapDrawing& drawing) override;

 protected:
  // Digit key filters and the fields' leave checks.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing the window (Form_Unload) during a job stops the job first; an
  // open bitmap window closes, its picture discarded.
  void closeEvent(QCloseEvent* event) override;
  // A new font or style, or a longer caption, sizes the window anew.
  bool event(QEvent* event) override;

 private:
  // Position, fixed size, screen size, Stop disabled, ApplyDefaults.
  void Form_Load();
  void PlaceWindow();
  void FitToContents();
  // Closes the other windows, stores the position, saves the defaults.
  void Form_Unload();
  void CloseOtherWindows();
  void SaveDefaults();
  void ConnectHandlers();
  void LayoutForSelection();
  void UseQuantityOnly();
  void FillQuantityList(const QStringList& entries);
  void SetNumTypesEnabled(unsigned first, unsigned last, bool enabled);
  void DeselectNumType(unsigned index);
  void UpdateDisplayCaption();
  void SetBackground(QWidget* field, std::optional<QColor> colour);
  void RefreshFileName();
  void Tell(const FieldMessage& message);
  std::optional<std::string> TextWithoutQuotes(QLineEdit* field, NameKind kind);

  void cmbDevice_Click();
  void optFileType_Click();
  void optNumType_Click();
  void cmbNumOfNums_LostFocus();
  void txtCSVcolumnsX_Change();
  void txtCSVcolumnsX_LostFocus();
  void txtNumOfFiles_LostFocus();
  void txtStartSequence_Change();
  void txtStartSequence_LostFocus();
  void txtBaseFilename_Change();
  void txtDestDir_Change();
  void txtDestDir_LostFocus();
  void buttonBrowseForDir_Click();
  void cmdStart_Click();
  void cmdStop_Click();
  void mnuCreateMediaDef_Click();
  void mnuHelpContents_Click();
  void mnuHelpAbout_Click();
  QString BrowseForFolder(const QString& title);

  std::unique_ptr<Ui::frmMain> ui_;
  JobSettings& settings_;
  std::array<QRadioButton*, kFileTypeCount> optFileType_{};
  std::array<QRadioButton*, 8> optNumType_{};
  GenerationJob job_;
  BitmapWindow* bitmap_window_ = nullptr;  // while one is open
  QPointer<HelpWindow> help_;  // while the help window is open
};

}  // namespace quibran
