// The field checks as the user meets them: typed key by key, chosen from the
// list, pasted, and on leaving the field.

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include "window_fixture.h"

namespace quibran::test {
namespace {

using FieldTest = WindowTest;
using Messages = std::vector<Message>;
constexpr MessageIcon kNone = MessageIcon::None;
constexpr MessageIcon kInfo = MessageIcon::Information;

TEST_F(FieldTest, BinaryQuantityIsCutAndCapped) {
  Type(Quantity(), "4294967295");
  EXPECT_EQ(messages, Messages{AppMessage("Maximum number is 2147483646 (2 GB - 2)", kInfo)});
  EXPECT_EQ(QuantityText(), "2147483646");
  EXPECT_EQ(settings.NumOfNums, 2147483646);
  EXPECT_EQ(settings.NumOfNumsText, "2147483646");

  messages.clear();
  Type(Quantity(), "00768");
  EXPECT_EQ(QuantityText(), "768");
  EXPECT_EQ(settings.NumOfNums, 768);
  Leave(Quantity());
  EXPECT_EQ(QuantityText(), "768");
  EXPECT_TRUE(messages.empty());
}

TEST_F(FieldTest, TextQuantityFromTheListAndTyped) {
  ChooseFileType(kFileAsc);
  Quantity()->setCurrentIndex(Quantity()->findText("1073741824 (1 GB)"));
  EXPECT_EQ(settings.NumOfNums, 1073741824);
  EXPECT_EQ(QuantityText(), "1073741824");
  EXPECT_TRUE(messages.empty());

  Type(Quantity(), "2000000000");
  EXPECT_EQ(messages, Messages{AppMessage("Maximum ASCII numbers is 1073741824 (1 GB)", kInfo)});
  EXPECT_EQ(settings.NumOfNums, 1073741824);
  EXPECT_EQ(QuantityText(), "1073741824");
}

TEST_F(FieldTest, BitmapHeightIsCheckedAtEveryDigit) {
  ChooseFileType(kFileBmp);
  settings.ScreenWidthPixels = 1280;
  settings.ScreenHeightPixels = 1024;
  Type(Quantity(), "768");
  const Message minimum = AppMessage("Minimum bitmap size is 100 x 100", kInfo);
  EXPECT_EQ(messages, (Messages{minimum, minimum}));
  EXPECT_EQ(QuantityText(), "768");  // the field keeps what was typed
  EXPECT_EQ(settings.NumOfNums, 768);

  // Opening the list is no leave; leaving checks again.
  messages.clear();
  Type(Quantity(), "7");
  Quantity()->showPopup();
  Quantity()->hidePopup();
  EXPECT_EQ(messages, Messages{minimum});
  Leave(Quantity());
  EXPECT_EQ(messages, (Messages{minimum, minimum}));

  messages.clear();
  Type(Quantity(), "2000");
  EXPECT_EQ(messages.back(), AppMessage("Maximum bitmap size is screen size (1280 x 1024)", kNone));
  EXPECT_EQ(settings.NumOfNums, 1024);
  EXPECT_EQ(QuantityText(), "2000");
}

TEST_F(FieldTest, CsvRowsCapAtTheSixthDigit) {
  ChooseFileType(kFileCsv);
  Type(Quantity(), "10000");
  EXPECT_TRUE(messages.empty());
  QTest::keyClicks(Quantity(), "0");
  EXPECT_EQ(messages, Messages{AppMessage("Maximum CSV rows is 65536", kNone)});
  EXPECT_EQ(QuantityText(), "100000");
  EXPECT_EQ(settings.NumOfNums, 65536);
  EXPECT_EQ(settings.NumOfNumsText, "65536");
}

TEST_F(FieldTest, CsvColumnsOnLeaving) {
  ChooseFileType(kFileCsv);
  auto* columns = Edit("txtCSVcolumnsX");
  const Message too_many = AppMessage("Maximum columns is 256", kNone);
  struct Case {
    const char* typed;
    std::vector<Message> expected;
    const char* result;
  };
  for (const Case& c : {Case{"1", {AppMessage("Minimum columns is 2", kNone)}, "2"}, Case{"1000", {too_many}, "256"},
                        Case{"17", {}, "17"}}) {
    messages.clear();
    Type(columns, c.typed);
    EXPECT_EQ(settings.CSVcolumnsX, QString(c.typed).left(4).toInt()) << c.typed;  // while typing
    EXPECT_TRUE(messages.empty());
    Leave(columns);
    EXPECT_EQ(messages, c.expected) << c.typed;
    EXPECT_EQ(columns->text(), c.result);
    EXPECT_EQ(settings.CSVcolumnsX, QString(c.result).toInt());
  }
  columns->clear();
  Leave(columns);
  EXPECT_EQ(columns->text(), "2");
}

TEST_F(FieldTest, BitmapWidthOnLeaving) {
  ChooseFileType(kFileBmp);
  settings.ScreenWidthPixels = 1920;
  auto* width = Edit("txtCSVcolumnsX");
  TypeAndLeave(width, "2000");
  EXPECT_EQ(messages, Messages{AppMessage("Maximum X pixels is (screen width) 1920", kNone)});
  EXPECT_EQ(width->text(), "1920");
  EXPECT_EQ(settings.CSVcolumnsX, 1920);

  messages.clear();
  TypeAndLeave(width, "50");
  EXPECT_EQ(messages, Messages{AppMessage("Minimum X pixels is 100", kNone)});
  EXPECT_EQ(settings.CSVcolumnsX, 100);
}

TEST_F(FieldTest, NumberOfFilesOnLeaving) {
  auto* files = Edit("txtNumOfFiles");
  TypeAndLeave(files, "12345");
  EXPECT_EQ(messages, Messages{AppMessage("Maximum files is 9999", kNone)});
  EXPECT_EQ(files->text(), "9999");
  EXPECT_EQ(settings.NumOfFiles, 9999);
  EXPECT_EQ(settings.NumOfFilesText, "9999");

  messages.clear();
  TypeAndLeave(files, "0");
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(settings.NumOfFiles, 0);
  files->clear();
  Leave(files);
  EXPECT_EQ(files->text(), "1");

  // A bitmap's field is locked at 1; text put there from code is corrected.
  ChooseFileType(kFileBmp);
  Type(files, "7");
  EXPECT_EQ(files->text(), "1");
  files->setText("2");
  Leave(files);
  EXPECT_EQ(messages, Messages{AppMessage("Only one bitmap can be generated at a time.", kNone)});
  EXPECT_EQ(files->text(), "1");
  EXPECT_EQ(settings.NumOfFiles, 1);
}

TEST_F(FieldTest, StartSequenceIsPaddedAtOnceAndShownPaddedAfterLeaving) {
  auto* sequence = Edit("txtStartSequence");
  Type(sequence, "7");
  EXPECT_EQ(sequence->text(), "7");
  EXPECT_EQ(settings.StartSequence, "0007");
  EXPECT_EQ(Edit("txtFileName")->text(), "RAND0007.BIN");
  Leave(sequence);
  EXPECT_EQ(sequence->text(), "0007");

  Type(sequence, "123456");
  EXPECT_EQ(sequence->text(), "9999");
  EXPECT_EQ(settings.StartSequence, "9999");

  sequence->clear();
  EXPECT_EQ(settings.StartSequence, "0000");
  Leave(sequence);
  EXPECT_EQ(sequence->text(), "0000");
  EXPECT_TRUE(messages.empty());
}

TEST_F(FieldTest, BaseNameIsTakenAsTypedButRefusesTheQuotationMark) {
  auto* base = Edit("txtBaseFilename");
  Type(base, " R 1");
  EXPECT_EQ(settings.BaseFilename, " R 1");
  EXPECT_EQ(Edit("txtFileName")->text(), " R 10001.BIN");

  QTest::keyClicks(base, "\"x");
  EXPECT_EQ(messages, Messages{AppMessage("The double quotation mark (\") cannot be used in a file name; it has been "
                                          "removed.",
                                          MessageIcon::Exclamation)});
  EXPECT_EQ(base->text(), " R 1x");
  EXPECT_EQ(settings.BaseFilename, " R 1x");
}

TEST_F(FieldTest, DestinationIsTrimmedCollapsedAndEndsInOneSeparator) {
  auto* dest = Edit("txtDestDir");
  Type(dest, "  /tmp//quibran///out  ");
  EXPECT_EQ(settings.DestDir, "/tmp//quibran///out");
  Leave(dest);
  EXPECT_EQ(dest->text(), "/tmp/quibran/out/");
  EXPECT_EQ(settings.DestDir, "/tmp/quibran/out/");

  dest->clear();
  Leave(dest);
  EXPECT_EQ(settings.DestDir, DefaultDestDir());
  EXPECT_EQ(dest->text().toStdString(), DefaultDestDir());

  dest->setText("/tmp/\"q\"");
  EXPECT_EQ(messages,
            Messages{AppMessage("The double quotation mark (\") cannot be used in a folder name; it has been removed.",
                                MessageIcon::Exclamation)});
  EXPECT_EQ(dest->text(), "/tmp/q");
  EXPECT_EQ(settings.DestDir, "/tmp/q");
}

// Answers the folder dialog that the next click opens.
void AnswerFolderDialog(const QString& folder) {
  QTimer::singleShot(0, [folder] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Select Folder");
    if (folder.isEmpty()) {
      dialog->reject();
      return;
    }
    dialog->setDirectory(folder);
    dialog->selectFile(folder);
    QMetaObject::invokeMethod(dialog, "accept");
  });
}

TEST_F(FieldTest, FolderPickerSetsTheFolderAndCancelKeepsIt) {
  QTemporaryDir picked;
  const QString folder = QDir(picked.path()).canonicalPath();
  AnswerFolderDialog(folder);
  Click("buttonBrowseForDir");
  EXPECT_EQ(Edit("txtDestDir")->text(), folder + "/");
  EXPECT_EQ(settings.DestDir, (folder + "/").toStdString());

  AnswerFolderDialog(QString());
  Click("buttonBrowseForDir");
  EXPECT_EQ(settings.DestDir, (folder + "/").toStdString());
  EXPECT_EQ(Edit("txtDestDir")->text(), folder + "/");
}

TEST_F(FieldTest, DigitFieldsDiscardEveryOtherKey) {
  ChooseFileType(kFileCsv);
  QApplication::clipboard()->setText("55");
  for (QWidget* field : {static_cast<QWidget*>(Quantity()), static_cast<QWidget*>(Edit("txtCSVcolumnsX")),
                         static_cast<QWidget*>(Edit("txtNumOfFiles")), static_cast<QWidget*>(Edit("txtStartSequence"))}) {
    SCOPED_TRACE(qPrintable(field->objectName()));
    Type(field, "1a2 -.3");
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);  // paste
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_Backspace);  // removes the 2
    QTest::keyClick(field, Qt::Key_Delete);     // removes the 3
    QTest::keyClicks(field, "4");
    const QString text = field == Quantity() ? QuantityText() : qobject_cast<QLineEdit*>(field)->text();
    EXPECT_EQ(text, "14");
  }
  EXPECT_EQ(settings.NumOfNums, 14);
  EXPECT_EQ(settings.CSVcolumnsX, 14);
  EXPECT_EQ(settings.StartSequence, "0014");
  EXPECT_TRUE(messages.empty());
}

// Text pasted through a context menu can hold anything; the checks read its
// leading digits and never fail.
TEST_F(FieldTest, PastedTextCountsByItsLeadingDigits) {
  Quantity()->setEditText("12abc");
  EXPECT_EQ(QuantityText(), "12");
  EXPECT_EQ(settings.NumOfNums, 12);
  Quantity()->setEditText("abc");
  EXPECT_EQ(QuantityText(), "1");

  ChooseFileType(kFileCsv);
  Quantity()->setEditText("x");
  EXPECT_EQ(settings.NumOfNums, 1);
  auto* columns = Edit("txtCSVcolumnsX");
  columns->setText("9 columns");
  EXPECT_EQ(settings.CSVcolumnsX, 9);
  Leave(columns);
  EXPECT_EQ(columns->text(), "9");

  auto* files = Edit("txtNumOfFiles");
  files->setText("two");
  Leave(files);
  EXPECT_EQ(files->text(), "1");
  EXPECT_EQ(settings.NumOfFiles, 1);

  auto* sequence = Edit("txtStartSequence");
  sequence->setText("8th");
  EXPECT_EQ(settings.StartSequence, "0008");
  Leave(sequence);
  EXPECT_EQ(sequence->text(), "0008");
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace quibran::test
