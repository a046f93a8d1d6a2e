// SPDX-License-Identifier: GPL-3.0-or-later
// What the widgets add to the field checks (whose rules the settings tests cover): which keys reach a field, which
// checks run on each keystroke, on a paste and on leaving, and that their results land.

#include "window_fixture.h"

namespace quibran::test {
namespace {

// Keys typed over the field's text, or text put there from code as a paste through the context menu does.
enum Mode { kKeys, kPaste };

struct Row {
  int file_type;
  QString field;
  Mode mode;
  QString input;         // for kKeys: ← ⌫ ⌦ ⏎ are keys, ⎘ is Ctrl+V, ▾ opens and closes the list
  bool leave;            // then the focus moves on to another control
  QString text;          // the field's text afterwards
  QString setting;       // what the field feeds, see Setting()
  QStringList messages;  // a distinctive part of each
};

const QString kQty = "cmbNumOfNums", kCols = "txtCSVcolumnsX", kFiles = "txtNumOfFiles", kSeq = "txtStartSequence",
              kDir = "txtDestDir";
const QString kMinBitmap = "Minimum bitmap size is 100 x 100";
const QString kDigits = "1a2 -.3⏎⎘←⌫⌦4";  // only digits, moves and edits reach the field

const Row kRows[] = {
    {kFileBin, kQty, kKeys, "00768", true, "768", "768", {}},  // rewritten to the number
    // Bitmap checks run at every digit and leave the typed text.
    {kFileBmp, kQty, kKeys, "2000", false, "2000", "1080", {kMinBitmap, kMinBitmap, "Maximum bitmap size"}},
    {kFileBin, kQty, kPaste, "12abc", false, "12", "12", {}},
    // The list's popup takes the focus without leaving the field.
    {kFileBmp, kQty, kKeys, "7▾", true, "7", "100", {kMinBitmap, kMinBitmap}},
    {kFileCsv, kQty, kKeys, kDigits, false, "14", "14", {}},
    {kFileCsv, kCols, kKeys, "1000", true, "256", "256", {"Maximum columns is 256"}},
    {kFileBmp, kFiles, kPaste, "2", true, "1", "1 (1)", {"Only one bitmap"}},
    // The start sequence is padded at once, in the field only after leaving.
    {kFileBin, kSeq, kKeys, "7", false, "7", "0007 RAND0007.BIN", {}},
    {kFileBin, kSeq, kKeys, "7", true, "0007", "0007 RAND0007.BIN", {}},
    {kFileBin, kSeq, kPaste, "", true, "0000", "0000 RAND0000.BIN", {}},
    {kFileBin, "txtBaseFilename", kKeys, " R 1\"x", false, " R 1x", " R 1x  R 1x0001.BIN", {"in a file name"}},
    {kFileBin, kDir, kKeys, "  /tmp//q///out  ", true, "/tmp/q/out/", "/tmp/q/out/", {}},
    {kFileBin, kDir, kPaste, "/tmp/\"q\"", false, "/tmp/q", "/tmp/q", {"in a folder name"}},
};

void PrintTo(const Row& row, std::ostream* out) {
  *out << row.field.toStdString() << " [" << row.input.toStdString() << (row.leave ? "] left" : "]");
}

class FieldTest : public WindowTest, public ::testing::WithParamInterface<Row> {
 protected:
  void Keys(const QString& name, const QString& keys) {
    Type(name, "");
    QWidget* field = Get(name);
    for (const QChar key : keys) {
      switch (key.unicode()) {
        case u'←': QTest::keyClick(field, Qt::Key_Left); break;
        case u'⌫': QTest::keyClick(field, Qt::Key_Backspace); break;
        case u'⌦': QTest::keyClick(field, Qt::Key_Delete); break;
        case u'⏎': QTest::keyClick(field, Qt::Key_Return); break;
        case u'⎘': QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier); break;
        case u'▾':
          Quantity()->showPopup();
          Quantity()->hidePopup();
          break;
        default: QTest::keyClicks(field, QString(key));
      }
    }
  }
  // The setting a field feeds, as text; with the file name preview for the fields that make it, and the text the files
  // field's leave check stores.
  QString Setting(const QString& field) {
    const QString preview = " " + Text("txtFileName");
    if (field == kQty) return QString::number(settings.NumOfNums);
    if (field == kCols) return QString::number(settings.CSVcolumnsX);
    if (field == kFiles) return QString::number(settings.NumOfFiles) + " (" + Q(settings.NumOfFilesText) + ")";
    if (field == kSeq) return Q(settings.StartSequence) + preview;
    if (field == kDir) return Q(settings.DestDir);
    return Q(settings.BaseFilename) + preview;
  }
};

TEST_P(FieldTest, ChecksAsTheUserMeetsThem) {
  const Row& row = GetParam();
  settings.ScreenWidthPixels = 1920;
  settings.ScreenHeightPixels = 1080;
  QApplication::clipboard()->setText("55");
  ChooseFileType(row.file_type);
  messages.clear();
  if (row.mode == kKeys) Keys(row.field, row.input);
  if (row.mode == kPaste) SetText(row.field, row.input);
  if (row.leave) Type(row.field, "", true);
  EXPECT_TRUE(Holds(messages, row.messages));
  EXPECT_EQ(Text(row.field), row.text);
  EXPECT_EQ(Setting(row.field), row.setting);
}

INSTANTIATE_TEST_SUITE_P(Rows, FieldTest, ::testing::ValuesIn(kRows));

}  // namespace
}  // namespace quibran::test
