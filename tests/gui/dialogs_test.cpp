// SPDX-License-Identifier: GPL-3.0-or-later
// The menus' dialogs: the media presets, the help window and the about box.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/options_dialog.h"
#include "job/generation_job.h"
#include "platform/version.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

class DialogTest : public WindowTest {
 protected:
  // Chooses the menu entry and runs `inside` on the modal dialog it opens;
  // the dialog is closed afterwards if `inside` left it open.
  void WithModal(const char* entry, const std::function<void(QDialog&)>& inside) {
    QDialog* seen = nullptr;
    QTimer::singleShot(0, [&] {
      seen = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (seen == nullptr) return;
      inside(*seen);
      if (seen->isVisible()) seen->reject();
    });
    Trigger(entry);
    window.activateWindow();  // as the window manager does when a dialog closes
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_NE(seen, nullptr) << entry;
    EXPECT_EQ(window.findChildren<QDialog*>().size(), 0) << "a closed dialog is unloaded";
  }
  static void Press(QDialog& dialog, const char* button) {
    auto* b = dialog.findChild<QPushButton*>(button);
    ASSERT_NE(b, nullptr) << button;
    QTest::mouseClick(b, Qt::LeftButton);
  }
};

TEST_F(DialogTest, PresetsDialogShowsItsControlsCentredAndCloseChangesNothing) {
  ChooseFileType(kFileCsv);
  Click("chkSaveLastSeq");
  const JobSettings kept = settings;
  WithModal("mnuCreateMediaDef", [&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName() + ": " + dialog.windowTitle(), "frmOptions: Options");
    EXPECT_EQ(dialog.parentWidget(), &window);
    EXPECT_EQ(
        Captions(dialog, {"lblSetDefTitle", "btnPX4", "lblPX4", "btnPX81", "Label1", "btnPX82", "Label2", "btnClose"}),
        QStringList({"Set Velmora Media Creation Defaults", "PX4",
                     "Sets program defaults for creation of files for a PX4 CD for use with our Velmora software.",
                     "PX8 1GB",
                     "Sets program defaults for creation of a 1GB file for a PX8 Flash Drive for use with our "
                     "Velmora software V2.",
                     "PX8 2GB",
                     "Sets program defaults for creation of a 2 billion byte file for a PX8 Flash Drive for use "
                     "with our Velmora software V2.",
                     "Close"}));
    const QFont title = dialog.findChild<QLabel*>("lblSetDefTitle")->font();
    EXPECT_EQ(title.family() + " " + QString::number(title.styleHint()), "Arial " + QString::number(QFont::SansSerif));
    EXPECT_EQ(dialog.geometry().center(), window.screen()->geometry().center());
    Press(dialog, "btnClose");
  });
  WithModal("mnuCreateMediaDef", [](QDialog& dialog) { dialog.close(); });  // the close box
  EXPECT_EQ(settings, kept);
  EXPECT_EQ(Text("cmbNumOfNums") + " " + Text("txtFileName"), "1 RAND0001.CSV");
  EXPECT_TRUE(messages.empty());
}

// Each preset from another layout; the job names its files from these
// settings (the PX4 preset: R01A0001.BIN to R01A9600.BIN, of 65536 bytes
// each), and the job tests cover what it writes.
TEST_F(DialogTest, PresetsFillTheWindowThroughItsControls) {
  const struct {
    int file_type, num_type;  // the window's layout before the preset
    const char *button, *quantity, *files, *base;
    bool relaid;
  } runs[] = {{kFileCsv, kNumLong31, "btnPX4", "65536", "9600", "R01A", true},
              {kFileBin, kNumByte, "btnPX81", "1073741824", "1", "R90U", false},
              {kFileBmp, kNumColor, "btnPX82", "2000000000", "1", "R90U", true}};
  ChooseDevice(kSourceMersenneTwister);
  for (const auto& run : runs) {
    SCOPED_TRACE(run.button);
    ChooseFileType(run.file_type);
    Click(NumType(run.num_type));
    Get<QCheckBox>("chkSaveLastSeq")->setChecked(true);
    SetText("txtStartSequence", "0042");
    JobSettings expected = settings;
    const QSignalSpy quantities(Quantity(), &QComboBox::editTextChanged);

    WithModal("mnuCreateMediaDef", [&](QDialog& dialog) { Press(dialog, run.button); });

    EXPECT_TRUE(Get<QRadioButton>("optFileType0")->isChecked() && NumType(kNumByte)->isChecked());
    EXPECT_EQ(Get<QLabel>("lblNumOfNums")->text(), "File Size in Bytes:");
    EXPECT_EQ(Text("cmbNumOfNums") + " " + Text("txtNumOfFiles"), QString(run.quantity) + " " + run.files);
    EXPECT_FALSE(Edit("txtNumOfFiles")->isReadOnly());
    EXPECT_EQ(Text("txtBaseFilename") + " " + Text("txtStartSequence") + " " + Text("txtFileName"),
              QString(run.base) + " 0001 " + run.base + "0001.BIN");
    // The presets leave the source, the folder, the columns and Save Seq alone.
    expected.FileType = kFileBin;
    expected.NumType = kNumByte;
    expected.NumOfNumsText = run.quantity;
    expected.NumOfNums = std::stoi(run.quantity);
    expected.NumOfFilesText = run.files;
    expected.NumOfFiles = static_cast<int16_t>(std::stoi(run.files));
    expected.BaseFilename = run.base;
    expected.StartSequence = "0001";
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(BuildOutputFileName("", settings.BaseFilename, 1 + settings.NumOfFiles, ".BIN"),
              run.base + std::string(4 - strlen(run.files), '0') + run.files + ".BIN");  // the last file
    // The layout writes its own quantity, 768, only when it runs.
    bool laid_out = false;
    for (const QList<QVariant>& change : quantities) laid_out |= change.at(0).toString() == "768";
    EXPECT_EQ(laid_out, run.relaid);
  }
  EXPECT_TRUE(messages.empty()) << messages.front();
}

// The crawl from the contents page reaches every page, and every link and
// anchor that a page names exists.
TEST_F(DialogTest, HelpOpensOnItsContentsAndEveryLinkLeadsToAPageThatExists) {
  QTest::keyClick(&window, Qt::Key_F1);
  auto* help = window.findChild<HelpWindow*>("frmHelp");
  ASSERT_NE(help, nullptr);
  auto* browser = help->findChild<QTextBrowser*>("txtHelp");
  EXPECT_TRUE(help->isVisible() && !help->isModal());
  EXPECT_EQ(browser->source(), HelpWindow::kContentsPage);
  EXPECT_EQ(help->windowTitle(), "Quibran Help - Contents");
  browser->setSource(QUrl("qrc:/help/missing.html"));  // shows no message
  browser->setSource(QUrl("qrc:/help/sources.html"));
  // What every user of a software source must know.
  for (const char* said : {"seeded from the clock", "once a second", "624", "not fit for one-time pads"})
    EXPECT_TRUE(browser->toPlainText().contains(said)) << said;

  std::set<QString> visited, anchors_needed, anchors_found;
  std::vector<QUrl> pending = {HelpWindow::kContentsPage};
  while (!pending.empty()) {
    const QUrl page = pending.back();
    pending.pop_back();
    if (!visited.insert(page.toString()).second) continue;
    browser->setSource(page);
    EXPECT_FALSE(browser->documentTitle().isEmpty()) << qPrintable(page.toString());
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextCharFormat format = it.fragment().charFormat();
        for (const QString& name : format.anchorNames()) anchors_found.insert(page.toString() + "#" + name);
        if (format.anchorHref().isEmpty()) continue;
        const QUrl target = page.resolved(QUrl(format.anchorHref()));
        EXPECT_TRUE(target.scheme() == "qrc" && QFile::exists(":" + target.path()))
            << qPrintable(page.toString() + " links to " + format.anchorHref());
        if (target.hasFragment()) anchors_needed.insert(target.toString());
        pending.push_back(target.adjusted(QUrl::RemoveFragment));
      }
    }
  }
  for (const QString& anchor : anchors_needed) EXPECT_TRUE(anchors_found.count(anchor)) << qPrintable(anchor);
  std::set<QString> pages;
  for (const QString& name : QDir(":/help").entryList({"*.html"})) pages.insert("qrc:/help/" + name);
  EXPECT_EQ(visited, pages);

  browser->setSource(QUrl("qrc:/help/limits.html"));
  help->showMinimized();
  Trigger("mnuHelpContents");  // the open window comes back on its contents
  EXPECT_EQ(window.findChildren<HelpWindow*>().size(), 1);
  EXPECT_EQ(browser->source(), HelpWindow::kContentsPage);
  EXPECT_FALSE(help->isMinimized());
  EXPECT_TRUE(messages.empty());
}

// The help's table of sources lists the window's sources in its order, and
// recommends for one-time pads exactly those fit for them.
TEST_F(DialogTest, HelpTableOfSourcesFollowsTheSourcesOfTheWindow) {
  QFile page(":/help/sources.html");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QRegularExpression row(R"(<tr><td><a href="#\w+">([^<]+)</a></td><td>([^<]*)</td>)");
  std::vector<std::pair<std::string, bool>> rows, table;
  for (auto match = row.globalMatch(QString::fromUtf8(page.readAll())); match.hasNext();) {
    const QRegularExpressionMatch cells = match.next();
    rows.emplace_back(cells.captured(1).toStdString(), cells.captured(2).startsWith("one-time pads"));
  }
  for (const SourceCapabilities& source : kSourceCapabilities) table.emplace_back(source.window_name, source.pads);
  EXPECT_EQ(rows, table);
}

TEST_F(DialogTest, AboutBoxShowsTheProgramAndOKClosesIt) {
  WithModal("mnuHelpAbout", [&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName() + ": " + dialog.windowTitle(), "frmAbout: About Project1");
    EXPECT_EQ(dialog.parentWidget(), &window);
    EXPECT_EQ(Captions(dialog, {"lblTitle", "lblVersion", "lblDescription", "cmdOK", "cmdSysInfo"}),
              QStringList({"Quibran", "Version " + Q(kVersion),
                           "True Random Number Generator for spreadsheet, text, bitmap, and One Time Pad (OTP) file "
                           "creation.",
                           "OK", "&System Info..."}));
    EXPECT_EQ(dialog.findChild<QLabel*>("Picture1")->pixmap().size(), QSize(64, 64));  // the program icon
    Press(dialog, "cmdOK");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  });
  EXPECT_TRUE(messages.empty());
}

// Return and the keypad's Enter press the focused button, and only that one,
// in the window and in its dialogs (whose default button would take them).
TEST_F(DialogTest, EnterPressesTheFocusedButton) {
  AboutDialog about(&window);
  OptionsDialog options(window);
  Get("cmdStop")->setEnabled(true);
  for (QWidget* owner : std::initializer_list<QWidget*>{&window, &about, &options}) {
    owner->show();
    QStringList pressed, expected;
    for (QPushButton* button : owner->findChildren<QPushButton*>()) {
      button->disconnect();  // the press is seen, its action left out
      QObject::connect(button, &QPushButton::clicked, [&pressed, button] { pressed << button->objectName(); });
      button->setFocus();
      QTest::keyClick(button, Qt::Key_Return);
      QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
      expected << button->objectName() << button->objectName();
    }
    EXPECT_EQ(pressed, expected);
    EXPECT_GE(expected.size(), 4);
  }
}

// A stand-in tool on PATH starts; none, or one that cannot start, is told.
TEST_F(DialogTest, SysInfoStartsTheToolOrSaysItIsUnavailableAndStaysOpen) {
  const QByteArray path = qgetenv("PATH");
  const struct {
    const char *program, *content;  // a program file put on PATH, "" for none
    bool starts;
  } runs[] = {
      {"kinfocenter", "#!/bin/sh\n: > '%1'\n", true}, {"", "", false}, {"hardinfo2", "not a program %1\n", false}};
  for (const auto& run : runs) {
    SCOPED_TRACE(run.program);
    QTemporaryDir on_path;
    const QString marker = on_path.filePath("started");
    if (*run.program != '\0') {
      QFile program(on_path.filePath(run.program));
      EXPECT_TRUE(program.open(QIODevice::WriteOnly));
      program.write(QString(run.content).arg(marker).toUtf8());
      program.close();
      program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    qputenv("PATH", on_path.path().toUtf8());
    AboutDialog about(&window);
    about.show();
    messages.clear();
    Click(about.findChild<QPushButton*>("cmdSysInfo"));
    qputenv("PATH", path);
    EXPECT_TRUE(about.isVisible());
    if (run.starts) {
      EXPECT_TRUE(messages.empty()) << messages.front();
      for (int waited = 0; !QFile::exists(marker) && waited < 10000; waited += 20) QTest::qWait(20);
      EXPECT_TRUE(QFile::exists(marker)) << "the stand-in program ran";
    } else {
      EXPECT_EQ(messages, Messages({AppMessage("System Information Is Unavailable At This Time", MessageIcon::None)}));
    }
  }
}

}  // namespace
}  // namespace quibran::test
