// SPDX-License-Identifier: GPL-3.0-or-later
// What the widgets add to the field checks (whose rules the settings tests
// cover): which keys reach a field, which checks run on each keystroke and
// which on leaving, and that each message reaches the user once.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "window_fixture.h"

namespace quibran::test {
namespace {

constexpr MessageIcon kNone = MessageIcon::None, kInfo = MessageIcon::Information;
const Message kMinBitmap = AppMessage("Minimum bitmap size is 100 x 100", kInfo);
const QString kHome = Q(DefaultDestDir());

// Keys typed over the field's text, or text put there from code as a paste
// through the context menu does; then the focus leaves the field or stays.
// Or an entry chosen from the quantity list, or keys typed, the list opened
// and closed (which takes the focus without leaving), then the field left.
enum Mode { kType, kTypeLeave, kPaste, kPasteLeave, kChoose, kTypeListLeave };

struct Row {
  int file_type;
  QString field;
  Mode mode;
  QString input;
  QString text;     // the field's text afterwards
  QString setting;  // what the field feeds, see Setting()
  Messages messages;
};

const std::vector<Row> kRows = {
    {kFileBin,
     "cmbNumOfNums",
     kType,
     "4294967295",
     "2147483646",
     "2147483646",
     {AppMessage("Maximum number is 2147483646 (2 GB - 2)", kInfo)}},
    {kFileBin, "cmbNumOfNums", kTypeLeave, "00768", "768", "768", {}},
    // Bitmap and CSV checks run at every digit and leave the typed text.
    {kFileBmp, "cmbNumOfNums", kType, "768", "768", "768", {kMinBitmap, kMinBitmap}},
    {kFileBmp,
     "cmbNumOfNums",
     kType,
     "2000",
     "2000",
     "1080",
     {kMinBitmap, kMinBitmap, AppMessage("Maximum bitmap size is screen size (1920 x 1080)", kNone)}},
    {kFileCsv, "cmbNumOfNums", kType, "100000", "100000", "65536", {AppMessage("Maximum CSV rows is 65536", kNone)}},
    {kFileBin, "cmbNumOfNums", kPaste, "12abc", "12", "12", {}},
    {kFileAsc, "cmbNumOfNums", kChoose, "1073741824 (1 GB)", "1073741824", "1073741824", {}},
    {kFileBmp, "cmbNumOfNums", kTypeListLeave, "7", "7", "100", {kMinBitmap, kMinBitmap}},
    // Columns follow the first four characters while typing; limits apply on leaving.
    {kFileCsv, "txtCSVcolumnsX", kType, "12345", "12345", "1234", {}},
    {kFileCsv, "txtCSVcolumnsX", kTypeLeave, "1000", "256", "256", {AppMessage("Maximum columns is 256", kNone)}},
    {kFileCsv, "txtCSVcolumnsX", kPasteLeave, "9 columns", "9", "9", {}},
    {kFileBmp,
     "txtCSVcolumnsX",
     kTypeLeave,
     "2000",
     "1920",
     "1920",
     {AppMessage("Maximum X pixels is (screen width) 1920", kNone)}},
    {kFileBin, "txtNumOfFiles", kType, "12345", "12345", "1 ()", {}},
    {kFileBin,
     "txtNumOfFiles",
     kTypeLeave,
     "12345",
     "9999",
     "9999 (9999)",
     {AppMessage("Maximum files is 9999", kNone)}},
    {kFileBmp,
     "txtNumOfFiles",
     kPasteLeave,
     "2",
     "1",
     "1 (1)",
     {AppMessage("Only one bitmap can be generated at a time.", kNone)}},
    // The start sequence is padded at once, in the field only after leaving.
    {kFileBin, "txtStartSequence", kType, "7", "7", "0007 RAND0007.BIN", {}},
    {kFileBin, "txtStartSequence", kTypeLeave, "7", "0007", "0007 RAND0007.BIN", {}},
    {kFileBin, "txtStartSequence", kType, "123456", "9999", "9999 RAND9999.BIN", {}},
    {kFileBin, "txtStartSequence", kPasteLeave, "", "0000", "0000 RAND0000.BIN", {}},
    {kFileBin,
     "txtBaseFilename",
     kType,
     " R 1\"x",
     " R 1x",
     " R 1x  R 1x0001.BIN",
     {AppMessage("The double quotation mark (\") cannot be used in a file name; it has been removed.",
                 MessageIcon::Exclamation)}},
    {kFileBin, "txtDestDir", kType, "  /tmp//q///out  ", "  /tmp//q///out  ", "/tmp//q///out", {}},
    {kFileBin, "txtDestDir", kTypeLeave, "  /tmp//q///out  ", "/tmp/q/out/", "/tmp/q/out/", {}},
    // A folder in the home folder shows, and is stored, from the root.
    {kFileBin, "txtDestDir", kTypeLeave, "~/out", kHome + "out/", kHome + "out/", {}},
    {kFileBin, "txtDestDir", kTypeLeave, "out/misc", kHome + "out/misc/", kHome + "out/misc/", {}},
    {kFileBin,
     "txtDestDir",
     kPaste,
     "/tmp/\"q\"",
     "/tmp/q",
     "/tmp/q",
     {AppMessage("The double quotation mark (\") cannot be used in a folder name; it has been removed.",
                 MessageIcon::Exclamation)}},
};

void PrintTo(const Row& row, std::ostream* out) {
  const char* modes[] = {"typed", "typed and left", "pasted", "pasted and left", "chosen", "typed, listed and left"};
  *out << row.field.toStdString() << ' ' << modes[row.mode] << " [" << row.input.toStdString() << "] file type "
       << row.file_type;
}

class FieldTest : public WindowTest, public ::testing::WithParamInterface<Row> {
 protected:
  // The setting a field feeds, as text; with the file name preview for the
  // fields that make it, and the text the files field's leave check stores.
  QString Setting(const QString& field) {
    const QString preview = " " + Edit("txtFileName")->text();
    if (field == "cmbNumOfNums") return QString::number(settings.NumOfNums);
    if (field == "txtCSVcolumnsX") return QString::number(settings.CSVcolumnsX);
    if (field == "txtNumOfFiles") return QString::number(settings.NumOfFiles) + " (" + Q(settings.NumOfFilesText) + ")";
    if (field == "txtStartSequence") return Q(settings.StartSequence) + preview;
    if (field == "txtBaseFilename") return Q(settings.BaseFilename) + preview;
    return Q(settings.DestDir);
  }
};

TEST_P(FieldTest, ChecksAsTheUserMeetsThem) {
  const Row& row = GetParam();
  settings.ScreenWidthPixels = 1920;
  settings.ScreenHeightPixels = 1080;
  ChooseFileType(row.file_type);
  messages.clear();
  QWidget* field = Get(row.field);
  const Mode m = row.mode;
  if (m == kType || m == kTypeLeave || m == kTypeListLeave) Type(field, row.input);
  if (m == kPaste || m == kPasteLeave) SetText(row.field, row.input);
  if (m == kChoose) Quantity()->setCurrentIndex(Quantity()->findText(row.input));
  if (m == kTypeListLeave) {
    Quantity()->showPopup();
    Quantity()->hidePopup();
  }
  if (m == kTypeLeave || m == kPasteLeave || m == kTypeListLeave) Leave(field);
  EXPECT_EQ(messages, row.messages);
  EXPECT_EQ(Text(row.field), row.text);
  EXPECT_EQ(Setting(row.field), row.setting);
}

INSTANTIATE_TEST_SUITE_P(Rows, FieldTest, ::testing::ValuesIn(kRows));

using FieldKeysTest = WindowTest;

TEST_F(FieldKeysTest, DigitFieldsDiscardEveryOtherKey) {
  ChooseFileType(kFileCsv);
  QApplication::clipboard()->setText("55");
  for (const char* name : {"cmbNumOfNums", "txtCSVcolumnsX", "txtNumOfFiles", "txtStartSequence"}) {
    SCOPED_TRACE(name);
    QWidget* field = Get(name);
    Type(field, "1a2 -.3");
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);  // paste
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_Backspace);  // removes the 2
    QTest::keyClick(field, Qt::Key_Delete);     // removes the 3
    QTest::keyClicks(field, "4");
    EXPECT_EQ(Text(name), "14");
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(FieldKeysTest, FolderPickerSetsTheFolderAndCancelKeepsIt) {
  QTemporaryDir picked;
  const QString picked_path = QDir(picked.path()).canonicalPath();
  for (const QString& answer : {picked_path, QString()}) {
    QTimer::singleShot(0, [answer] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->windowTitle(), "Select Folder");
      if (answer.isEmpty()) return dialog->reject();
      dialog->setDirectory(answer);
      dialog->selectFile(answer);
      QMetaObject::invokeMethod(dialog, "accept");
    });
    Click("buttonBrowseForDir");
    EXPECT_EQ(Edit("txtDestDir")->text(), picked_path + "/");
    EXPECT_EQ(settings.DestDir, (picked_path + "/").toStdString());
  }
}

}  // namespace
}  // namespace quibran::test
