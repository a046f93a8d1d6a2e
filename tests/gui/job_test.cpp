// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs started from the window: the files they write, the display box, the
// buttons, the progress bars, the start sequence, Stop and refusals.

#include <QDir>
#include <QFile>
#include <filesystem>
#include <functional>
#include <vector>

#include "app/start_up.h"
#include "platform/alea_node.h"
#include "settings/defaults_file.h"

#include "window_fixture.h"

namespace quibran::test {
namespace {

class JobTest : public WindowTest {
 protected:
  // Lines of a file, each ended by CR LF.
  QStringList Lines(const QString& name) {
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(name);
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_TRUE(text.endsWith("\r\n")) << qPrintable(name);
    return text.chopped(2).split("\r\n");
  }
  QStringList Files() { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
  QProgressBar* Bar(const char* name) { return Get<QProgressBar>(name); }
  // Start enabled (with the focus, when `focus`), Stop disabled.
  void ExpectIdle(bool focus = true) {
    EXPECT_TRUE(Get("cmdStart")->isEnabled() && (Get("cmdStart")->hasFocus() || !focus));
    EXPECT_FALSE(Get("cmdStop")->isEnabled());
  }
  // Runs `action` each time the job moves the start sequence on to the next file.
  void OnNextFile(std::function<void()> action) {
    QObject::connect(Edit("txtStartSequence"), &QLineEdit::textChanged, std::move(action));
  }
};

TEST_F(JobTest, TextJobWritesItsFilesAndFillsTheDisplayBox) {
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
  const QStringList first = Lines("RAND0001.ASC"), second = Lines("RAND0002.ASC");
  ASSERT_EQ(first.size(), 20);
  EXPECT_EQ(second.size(), 20);
  EXPECT_NE(second, first);
  // The box shows the first file's values: decimal, hexadecimal, octal.
  QStringList expected;
  for (const QString& value : first)
    expected << QString("%1    %2    %3")
                    .arg(value.toInt(), 3, 10, QChar('0'))
                    .arg(value.toInt(), 2, 16, QChar('0'))
                    .arg(value.toInt(), 3, 8, QChar('0'))
                    .toUpper();
  EXPECT_EQ(Get<QPlainTextEdit>("txtDisplay1024")->toPlainText().split('\n', Qt::SkipEmptyParts), expected);
  EXPECT_EQ(Text("txtStartSequence") + " " + Text("txtFileName"), "0003 RAND0003.ASC");  // Save Seq keeps the next
  EXPECT_EQ(Bar("pbrJobProgress")->value(), Bar("pbrJobProgress")->maximum());
  EXPECT_EQ(Bar("pbrFileProgress")->value(), 0);
  ExpectIdle();
  EXPECT_TRUE(messages.empty());
}

TEST_F(JobTest, CsvJobWritesRowsOfColumnsAndRestoresTheSequence) {
  PrepareJob(kFileCsv, kSourceMersenneTwister, "3", "1");
  TypeAndLeave(Edit("txtCSVcolumnsX"), "4");
  Click(NumType(kNumInteger16));
  TypeAndLeave(Edit("txtStartSequence"), "5");
  Click("cmdStart");
  EXPECT_EQ(Files(), QStringList{"RAND0005.CSV"});
  const QStringList rows = Lines("RAND0005.CSV");
  ASSERT_EQ(rows.size(), 3);
  for (const QString& row : rows) {
    const QStringList cells = row.split(',');
    EXPECT_EQ(cells.size(), 4) << qPrintable(row);
    bool number = false;
    for (const QString& cell : cells) EXPECT_TRUE(cell.toUInt(&number) <= 65535 && number) << qPrintable(row);
  }
  EXPECT_TRUE(Get<QPlainTextEdit>("txtDisplay1024")->toPlainText().isEmpty());
  EXPECT_EQ(Text("txtStartSequence"), "0005");  // without Save Seq
  ExpectIdle();
  EXPECT_TRUE(messages.empty());
}

// Pads from the kernel's generator: whole files, and no two alike, where any
// clock-seeded source would write the same file again under the fixed clock.
TEST_F(JobTest, KernelSourceWritesPadsThatNoClockRepeats) {
  QByteArray pads[2];
  for (QByteArray& pad : pads) {
    PrepareJob(kFileBin, kSourceOs, "65536", "1");
    Click("cmdStart");
    QFile file(folder.filePath("RAND0001.BIN"));
    pad = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    EXPECT_EQ(pad.size(), 65536);
  }
  EXPECT_TRUE(pads[0] != pads[1] && messages.empty());
}

TEST_F(JobTest, StopInTheMiddleOfAMultiFileJob) {
  PrepareJob(kFileBin, kSourceRnd, "1000", "4");
  int advances = 0;
  bool stop_disabled_at_once = false;
  OnNextFile([&] {
    if (++advances > 1) return;
    Click("cmdStop");  // once file 1 is written
    stop_disabled_at_once = !Get("cmdStop")->isEnabled();
  });
  Click("cmdStart");
  EXPECT_TRUE(stop_disabled_at_once);
  ASSERT_EQ(Files(), QStringList({"RAND0001.BIN", "RAND0002.BIN"}));
  EXPECT_EQ(QFileInfo(folder.filePath("RAND0001.BIN")).size(), 1000);
  EXPECT_LE(QFileInfo(folder.filePath("RAND0002.BIN")).size(), 1000);
  EXPECT_EQ(Text("txtStartSequence"), "0002");  // after the last whole file
  EXPECT_EQ(Bar("pbrFileProgress")->value(), Bar("pbrFileProgress")->maximum());
  ExpectIdle();
  EXPECT_TRUE(messages.empty());
}

TEST_F(JobTest, ClosingTheWindowStopsTheJob) {
  PrepareJob(kFileBin, kSourceRnd, "1000", "9999");
  std::filesystem::remove(DefaultsFilePath(ConfigFolder()));
  OnNextFile([&] { window.close(); });
  Click("cmdStart");
  EXPECT_FALSE(window.isVisible());
  EXPECT_LE(Files().size(), 2);
  EXPECT_EQ(LoadDefaults(ConfigFolder()).settings.NumOfFiles, 9999);  // and the settings saved
}

// The job moves the focus through the start fields so that their leave
// checks run, but only while the window is in its normal state.
TEST_F(JobTest, FocusMovesRunTheLeaveChecks) {
  auto* sequence = Edit("txtStartSequence");
  sequence->clear();
  window.CommitStartFields();
  EXPECT_EQ(sequence->text(), "0000");
  EXPECT_TRUE(Edit("txtBaseFilename")->hasFocus());
  sequence->setText("7");
  window.FocusThroughStartSequence();
  EXPECT_EQ(sequence->text(), "0007");
  EXPECT_TRUE(Edit("txtFileName")->hasFocus());
  sequence->setText("8");
  Get("cmdExit")->setFocus();
  for (Qt::WindowState state : {Qt::WindowMaximized, Qt::WindowMinimized}) {
    window.setWindowState(state);
    window.FocusThroughStartSequence();
    EXPECT_EQ(sequence->text(), "8");
    EXPECT_EQ(window.focusWidget(), Get("cmdExit"));
  }
}

// Refusals that the job reports through the window: a field it corrects (the
// emptied quantity also gets the focus), or an error titled by its number.
TEST_F(JobTest, RefusalsAreReportedAndWriteNothing) {
  struct Refusal {
    int file_type, source;
    const char* field;
    QString text;   // put into the field before the start
    QString after;  // the field's text afterwards
    Message message;
  };
  std::vector<Refusal> refusals = {
      {kFileCsv, kSourceRnd, "cmbNumOfNums", "0", "",
       AppMessage("You must enter how many numbers you want generated", MessageIcon::Exclamation)},
      {kFileBmp, kSourceRnd, "txtCSVcolumnsX", "50", "100",
       AppMessage("Minimum X pixels is (screen width) 100", MessageIcon::Information)},
      {kFileAsc,
       kSourceRnd,
       "txtDestDir",
       folder.path() + "/missing/",
       folder.path() + "/missing/",
       {"Error Number 76", "Path not found\n" + folder.path() + "/missing/RAND0001.ASC", MessageIcon::Critical}},
  };
  if (!FindAleaNode()) {  // the hardware source on a machine without its device
    refusals.push_back({kFileAsc,
                        kSourceHardware,
                        "txtNumOfFiles",
                        "1",
                        "1",
                        {"Error Number 68",
                         "Alea Device:  Device unavailable: no Alea USB random number generator found (is it "
                         "plugged in?)",
                         MessageIcon::Critical}});
  }
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(qPrintable(r.message.text));
    PrepareJob(r.file_type, r.source, "100", "1");
    SetText(r.field, r.text);
    messages.clear();
    Click("cmdStart");
    EXPECT_EQ(messages, Messages{r.message});
    EXPECT_EQ(Text(r.field), r.after);
    EXPECT_TRUE(Files().isEmpty());
    ExpectIdle(false);
    EXPECT_EQ(Quantity()->hasFocus(), r.after.isEmpty());
    if (r.file_type == kFileBmp) {
      EXPECT_EQ(settings.CSVcolumnsX, 100);
    }
  }
}

}  // namespace
}  // namespace quibran::test
