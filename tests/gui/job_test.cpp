// Jobs started from the window: the files they write, the display box, the
// buttons, the progress bars, the start sequence and Stop.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "window_fixture.h"

namespace quibran::test {
namespace {

class JobTest : public WindowTest {
 protected:
  // A job of `files` files into a fresh folder, stem RAND, from sequence 0001.
  void Prepare(int file_type, int source, const QString& quantity, const QString& files) {
    ASSERT_TRUE(folder.isValid());
    ChooseDevice(source);
    ChooseFileType(file_type);
    Quantity()->setEditText(quantity);
    TypeAndLeave(Edit("txtNumOfFiles"), files);
    TypeAndLeave(Edit("txtDestDir"), folder.path());
    TypeAndLeave(Edit("txtStartSequence"), "1");
  }
  void Start() { Click("cmdStart"); }

  QStringList Lines(const QString& name) {
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(name);
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_TRUE(text.endsWith("\r\n")) << qPrintable(name);
    return text.chopped(2).split("\r\n");
  }
  QStringList Files() { return QDir(folder.path()).entryList(QDir::Files, QDir::Name); }
  QProgressBar* Bar(const char* name) { return Get<QProgressBar>(name); }

  void ExpectIdle() {
    EXPECT_TRUE(Get("cmdStart")->isEnabled());
    EXPECT_TRUE(Get("cmdStart")->hasFocus());
    EXPECT_FALSE(Get("cmdStop")->isEnabled());
  }

  QTemporaryDir folder;
};

TEST_F(JobTest, TextJobWritesItsFilesAndFillsTheDisplayBox) {
  Prepare(kFileAsc, kSourceWichmannHill, "20", "2");
  Click("chkDisplay");
  Click("chkSaveLastSeq");
  bool running_seen = false;
  QObject::connect(Edit("txtStartSequence"), &QLineEdit::textChanged, [&] {
    running_seen = !Get("cmdStart")->isEnabled() && Get("cmdStop")->isEnabled() && Bar("pbrJobProgress")->isVisible();
  });
  Start();

  EXPECT_TRUE(running_seen);
  EXPECT_EQ(Files(), QStringList({"RAND0001.ASC", "RAND0002.ASC"}));
  const QStringList first = Lines("RAND0001.ASC");
  ASSERT_EQ(first.size(), 20);
  EXPECT_EQ(Lines("RAND0002.ASC").size(), 20);
  EXPECT_NE(Lines("RAND0002.ASC"), first);

  // The box shows the first file's values: decimal, hexadecimal, octal.
  const QStringList display = Get<QPlainTextEdit>("txtDisplay1024")->toPlainText().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(display.size(), 20);
  const QRegularExpression line("^(\\d{3})    ([0-9A-F]{2})    ([0-7]{3})$");
  for (int i = 0; i < 20; ++i) {
    const auto match = line.match(display[i]);
    ASSERT_TRUE(match.hasMatch()) << qPrintable(display[i]);
    const int value = first[i].toInt();
    EXPECT_EQ(match.captured(1).toInt(), value);
    EXPECT_EQ(match.captured(2).toInt(nullptr, 16), value);
    EXPECT_EQ(match.captured(3).toInt(nullptr, 8), value);
  }
  EXPECT_EQ(Edit("txtStartSequence")->text(), "0003");  // Save Seq keeps the next number
  EXPECT_EQ(Edit("txtFileName")->text(), "RAND0003.ASC");
  EXPECT_EQ(Bar("pbrJobProgress")->value(), Bar("pbrJobProgress")->maximum());
  EXPECT_EQ(Bar("pbrFileProgress")->value(), 0);
  ExpectIdle();
  EXPECT_TRUE(messages.empty());
}

TEST_F(JobTest, CsvJobWritesRowsOfColumnsAndRestoresTheSequence) {
  Prepare(kFileCsv, kSourceMersenneTwister, "3", "1");
  TypeAndLeave(Edit("txtCSVcolumnsX"), "4");
  Click(NumType(kNumInteger16));
  TypeAndLeave(Edit("txtStartSequence"), "5");
  Start();

  EXPECT_EQ(Files(), QStringList{"RAND0005.CSV"});
  const QStringList rows = Lines("RAND0005.CSV");
  ASSERT_EQ(rows.size(), 3);
  for (const QString& row : rows) {
    const QStringList cells = row.split(',');
    ASSERT_EQ(cells.size(), 4) << qPrintable(row);
    for (const QString& cell : cells) {
      bool number = false;
      EXPECT_LE(cell.toUInt(&number), 65535u);
      EXPECT_TRUE(number) << qPrintable(cell);
    }
  }
  EXPECT_TRUE(Get<QPlainTextEdit>("txtDisplay1024")->toPlainText().isEmpty());
  EXPECT_EQ(Edit("txtStartSequence")->text(), "0005");  // without Save Seq
  ExpectIdle();
  EXPECT_TRUE(messages.empty());
}

TEST_F(JobTest, StopInTheMiddleOfAMultiFileJob) {
  Prepare(kFileBin, kSourceRnd, "1000", "4");
  int advances = 0;
  QObject::connect(Edit("txtStartSequence"), &QLineEdit::textChanged, [&] {
    if (++advances == 1) Click("cmdStop");  // once file 1 is written
  });
  Start();

  const QStringList files = Files();
  ASSERT_EQ(files, QStringList({"RAND0001.BIN", "RAND0002.BIN"}));
  EXPECT_EQ(QFileInfo(folder.filePath("RAND0001.BIN")).size(), 1000);
  EXPECT_LE(QFileInfo(folder.filePath("RAND0002.BIN")).size(), 1000);
  EXPECT_EQ(Edit("txtStartSequence")->text(), "0002");  // after the last whole file
  EXPECT_EQ(Bar("pbrFileProgress")->value(), Bar("pbrFileProgress")->maximum());
  ExpectIdle();
  EXPECT_TRUE(messages.empty());
}

TEST_F(JobTest, ClosingTheWindowStopsTheJob) {
  Prepare(kFileBin, kSourceRnd, "1000", "9999");
  QObject::connect(Edit("txtStartSequence"), &QLineEdit::textChanged, [&] { window.close(); });
  Start();
  EXPECT_FALSE(window.isVisible());
  EXPECT_LE(Files().size(), 2);
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
  window.setWindowState(Qt::WindowMaximized);
  window.FocusThroughStartSequence();
  EXPECT_EQ(sequence->text(), "8");
  window.setWindowState(Qt::WindowMinimized);
  window.FocusThroughStartSequence();
  EXPECT_EQ(sequence->text(), "8");
  EXPECT_EQ(window.focusWidget(), Get("cmdExit"));
}

TEST_F(JobTest, QuantityBelowOneStartsNothing) {
  Prepare(kFileCsv, kSourceRnd, "0", "1");
  Start();
  EXPECT_EQ(messages, std::vector<Message>{AppMessage("You must enter how many numbers you want generated",
                                                      MessageIcon::Exclamation)});
  EXPECT_EQ(QuantityText(), "");
  EXPECT_TRUE(Quantity()->hasFocus());
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_TRUE(Get("cmdStart")->isEnabled());
  EXPECT_FALSE(Get("cmdStop")->isEnabled());
}

TEST_F(JobTest, BitmapChecksCorrectTheFieldsBeforeAnyJob) {
  Prepare(kFileBmp, kSourceRnd, "100", "1");
  Edit("txtCSVcolumnsX")->setText("50");  // as the presets could
  Start();
  EXPECT_EQ(messages,
            std::vector<Message>{AppMessage("Minimum X pixels is (screen width) 100", MessageIcon::Information)});
  EXPECT_EQ(Edit("txtCSVcolumnsX")->text(), "100");
  EXPECT_EQ(settings.CSVcolumnsX, 100);
  EXPECT_TRUE(Files().isEmpty());
}

// The hardware source stays selectable; without a device the job says so
// and writes nothing.
TEST_F(JobTest, HardwareSourceWithoutADeviceIsReported) {
  Prepare(kFileAsc, kSourceHardware, "10", "1");
  Start();
  const Message expected{"Error Number 429", "Alea Device:  Can't create the device object", MessageIcon::Critical};
  EXPECT_EQ(messages, std::vector<Message>{expected});
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_TRUE(Get("cmdStart")->isEnabled());
  EXPECT_FALSE(Get("cmdStop")->isEnabled());
}

TEST_F(JobTest, UnwritableFolderIsReported) {
  Prepare(kFileAsc, kSourceRnd, "10", "1");
  TypeAndLeave(Edit("txtDestDir"), folder.filePath("missing"));
  Start();
  const Message expected{"Error Number 76", "Path not found", MessageIcon::Critical};
  EXPECT_EQ(messages, std::vector<Message>{expected});
  ExpectIdle();
}

}  // namespace
}  // namespace quibran::test
