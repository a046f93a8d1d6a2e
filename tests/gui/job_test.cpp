// SPDX-License-Identifier: GPL-3.0-or-later
// The window's wiring of a job (whose files the job tests check): Start, the buttons and bars, the display
// box, Save Seq, a refusal and Stop.

#include "window_fixture.h"

namespace quibran::test {
namespace {

using JobTest = WindowTest;

TEST_F(JobTest, StartSaveSeqRefusalAndStop) {
  const auto files = [&] {
    const QStringList names = QDir(folder.path()).entryList(QDir::Files, QDir::Name);
    for (const QString& name : names) QFile::remove(folder.filePath(name));
    return names;
  };
  auto* bar = Get<QProgressBar>("pbrJobProgress");
  auto* display = Get<QPlainTextEdit>("txtDisplay1024");
  // Start enabled (with the focus, unless refused), Stop disabled.
  const auto idle = [&](bool focus = true) {
    return Get("cmdStart")->isEnabled() && (Get("cmdStart")->hasFocus() || !focus) && !Get("cmdStop")->isEnabled();
  };
  auto* sequence = Get<QLineEdit>("txtStartSequence");  // moved on by the job after each file

  // Two text files shown in the box, Save Seq keeping the next sequence.
  PrepareJob(kFileAsc, kSourceWichmannHill, "20", "2");
  Click("chkDisplay");
  Click("chkSaveLastSeq");
  bool running = false;
  QObject::connect(sequence, &QLineEdit::textChanged,
                   [&] { running = !Get("cmdStart")->isEnabled() && Get("cmdStop")->isEnabled() && bar->isVisible(); });
  Click("cmdStart");
  EXPECT_TRUE(running);
  EXPECT_EQ(files(), QStringList({"RAND0001.ASC", "RAND0002.ASC"}));
  EXPECT_EQ(display->toPlainText().split('\n', Qt::SkipEmptyParts).size(), 20);
  EXPECT_EQ(sequence->text() + " " + Text("txtFileName"), "0003 RAND0003.ASC");
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_TRUE(idle());

  // Without Save Seq the sequence goes back to where the job started.
  PrepareJob(kFileCsv, kSourceMersenneTwister, "3", "1");
  Click("chkSaveLastSeq");
  sequence->setText("5");
  Click("cmdStart");
  EXPECT_EQ(files(), QStringList{"RAND0005.CSV"});
  EXPECT_TRUE(display->toPlainText().isEmpty());
  EXPECT_EQ(sequence->text(), "0005");
  EXPECT_TRUE(idle());
  EXPECT_TRUE(messages.empty());

  // Refused, the quantity emptied gets the focus; nothing is written.
  PrepareJob(kFileCsv, kSourceRnd, "0", "1");
  Click("cmdStart");
  EXPECT_TRUE(Holds(messages, {"You must enter how many numbers"}));
  EXPECT_TRUE(Text("cmbNumOfNums").isEmpty() && Quantity()->hasFocus());
  EXPECT_TRUE(files().isEmpty() && idle(false));

  // Stop once the first of four files is written: the second one ends the job.
  PrepareJob(kFileBin, kSourceRnd, "1000", "4");
  int advances = 0;
  QObject::connect(sequence, &QLineEdit::textChanged, [&] {
    if (++advances != 1) return;
    Click("cmdStop");
    EXPECT_FALSE(Get("cmdStop")->isEnabled());  // at once
  });
  Click("cmdStart");
  EXPECT_EQ(files(), QStringList({"RAND0001.BIN", "RAND0002.BIN"}));
  EXPECT_EQ(sequence->text(), "0002");  // after the last whole file
  EXPECT_TRUE(idle());
}

}  // namespace
}  // namespace quibran::test
