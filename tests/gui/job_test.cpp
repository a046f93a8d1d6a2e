// SPDX-License-Identifier: GPL-3.0-or-later
// The window's wiring of a job (the job tests check the files it writes):
// Start, the buttons and bars while it runs, the display box, the start
// sequence with and without Save Seq, Stop, closing the window while it runs,
// and refusals.

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <filesystem>
#include <functional>

#include "app/start_up.h"
#include "platform/alea_node.h"
#include "settings/defaults_file.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

class JobTest : public WindowTest {
 protected:
  QStringList Files() { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
  void RemoveFiles() {
    for (const QString& name : Files()) QFile::remove(folder.filePath(name));
  }
  QProgressBar* Bar(const char* name) { return Get<QProgressBar>(name); }
  // Start enabled (with the focus, when `focus`), Stop disabled.
  bool Idle(bool focus = true) {
    return Get("cmdStart")->isEnabled() && (Get("cmdStart")->hasFocus() || !focus) && !Get("cmdStop")->isEnabled();
  }
  // Runs `action` each time the job moves the start sequence on to the next file.
  void OnNextFile(std::function<void()> action) {
    QObject::connect(Get<QLineEdit>("txtStartSequence"), &QLineEdit::textChanged, std::move(action));
  }
};

TEST_F(JobTest, StartSaveSeqStopAndCloseWhileRunning) {
  // Two text files shown in the box, Save Seq keeping the next sequence.
  PrepareJob(kFileAsc, kSourceWichmannHill, "20", "2");
  Click("chkDisplay");
  Click("chkSaveLastSeq");
  bool running_seen = false;
  OnNextFile([&] {
    running_seen = !Get("cmdStart")->isEnabled() && Get("cmdStop")->isEnabled() && Bar("pbrJobProgress")->isVisible();
  });
  Click("cmdStart");
  EXPECT_TRUE(running_seen);
  EXPECT_EQ(Files(), QStringList({"RAND0001.ASC", "RAND0002.ASC"}));
  EXPECT_EQ(Get<QPlainTextEdit>("txtDisplay1024")->toPlainText().split('\n', Qt::SkipEmptyParts).size(), 20);
  EXPECT_EQ(Text("txtStartSequence") + " " + Text("txtFileName"), "0003 RAND0003.ASC");
  EXPECT_EQ(Bar("pbrJobProgress")->value(), Bar("pbrJobProgress")->maximum());
  EXPECT_EQ(Bar("pbrFileProgress")->value(), 0);
  EXPECT_TRUE(Idle());

  // Without Save Seq the sequence goes back to where the job started.
  RemoveFiles();
  PrepareJob(kFileCsv, kSourceMersenneTwister, "3", "1");
  Click("chkSaveLastSeq");
  SetText("txtStartSequence", "5");
  Click("cmdStart");
  EXPECT_EQ(Files(), QStringList{"RAND0005.CSV"});
  EXPECT_TRUE(Get<QPlainTextEdit>("txtDisplay1024")->toPlainText().isEmpty());
  EXPECT_EQ(Text("txtStartSequence"), "0005");
  EXPECT_TRUE(Idle());

  // Stop once the first of four files is written: the second one ends the job.
  RemoveFiles();
  PrepareJob(kFileBin, kSourceRnd, "1000", "4");
  int advances = 0;
  bool stop_disabled_at_once = false;
  OnNextFile([&] {
    if (++advances > 1) return;
    Click("cmdStop");
    stop_disabled_at_once = !Get("cmdStop")->isEnabled();
  });
  Click("cmdStart");
  EXPECT_TRUE(stop_disabled_at_once);
  EXPECT_EQ(Files(), QStringList({"RAND0001.BIN", "RAND0002.BIN"}));
  EXPECT_EQ(Text("txtStartSequence"), "0002");  // after the last whole file
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(messages.empty()) << messages.join(" | ").toStdString();

  // Closing the window stops the job and saves the settings.
  RemoveFiles();
  PrepareJob(kFileBin, kSourceRnd, "1000", "9999");
  std::filesystem::remove(DefaultsFilePath(ConfigFolder()));
  OnNextFile([&] { window.close(); });
  Click("cmdStart");
  EXPECT_FALSE(window.isVisible());
  EXPECT_LE(Files().size(), 2);
  EXPECT_EQ(LoadDefaults(ConfigFolder()).settings.NumOfFiles, 9999);
}

// Refusals that the job reports through the window: a field it corrects (the
// emptied quantity also gets the focus), or an error by its number.
TEST_F(JobTest, RefusalsAreReportedAndWriteNothing) {
  struct Refusal {
    int file_type, source;
    const char* field;
    QString text;   // put into the field before the start
    QString after;  // the field's text afterwards
    QString message;
  };
  std::vector<Refusal> refusals = {
      {kFileCsv, kSourceRnd, "cmbNumOfNums", "0", "", "You must enter how many numbers"},
      {kFileBmp, kSourceRnd, "txtCSVcolumnsX", "50", "100", "Minimum X pixels"},
      {kFileAsc, kSourceRnd, "txtDestDir", folder.filePath("missing/"), folder.filePath("missing/"), "Error Number 76"},
  };
  if (!FindAleaNode())  // the hardware source on a machine without its device
    refusals.push_back({kFileAsc, kSourceHardware, "txtNumOfFiles", "1", "1", "Error Number 68"});
  for (const Refusal& r : refusals) {
    PrepareJob(r.file_type, r.source, "100", "1");
    SetText(r.field, r.text);
    messages.clear();
    Click("cmdStart");
    EXPECT_TRUE(Holds(messages, {r.message}));
    EXPECT_EQ(Text(r.field), r.after);
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_TRUE(Idle(false)) << r.field;
    EXPECT_EQ(Quantity()->hasFocus(), r.after.isEmpty()) << r.field;
  }
  EXPECT_EQ(settings.CSVcolumnsX, 100);  // the corrected bitmap width
}

}  // namespace
}  // namespace quibran::test
