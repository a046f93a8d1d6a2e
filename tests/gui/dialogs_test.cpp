// The menus' dialogs: the media presets, the help window and the about box.

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <cstring>
#include <functional>
#include <set>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/qt_text.h"
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
    window.findChild<QAction*>(entry)->trigger();
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
  static QString Caption(const QWidget& dialog, const char* name) {
    const QWidget* w = dialog.findChild<QWidget*>(name);
    return w ? w->property("text").toString() : QString("missing ") + name;
  }

  // The main window's named controls and the settings, as text.
  QStringList State() {
    QStringList state;
    for (QWidget* w : window.findChildren<QWidget*>()) {
      QString value;
      if (auto* edit = qobject_cast<QLineEdit*>(w))
        value = edit->text() + (edit->isReadOnly() ? " locked" : "");
      else if (auto* list = qobject_cast<QComboBox*>(w))
        value = list->currentText() + " of " + QString::number(list->count());
      else if (auto* button = qobject_cast<QAbstractButton*>(w))
        value = button->isChecked() ? "on" : "off";
      else if (auto* label = qobject_cast<QLabel*>(w))
        value = label->text();
      else
        continue;
      if (!w->objectName().isEmpty()) state << w->objectName() + "=" + value + (w->isEnabled() ? "" : " disabled");
    }
    const JobSettings& s = settings;
    for (int32_t v :
         std::initializer_list<int32_t>{s.DeviceIndex, s.FileType, s.NumType, s.NumOfNums, s.CSVcolumnsX, s.NumOfFiles,
                                        s.DisplayOn, s.SaveLastSeq, s.MonochromeOn, s.LastDeviceIndex})
      state << QString::number(v);
    for (const std::string* t : {&s.NumOfNumsText, &s.NumOfFilesText, &s.DestDir, &s.BaseFilename, &s.StartSequence})
      state << QString::fromStdString(*t);
    return state;
  }
};

// ---- frmOptions ----

TEST_F(DialogTest, PresetsDialogShowsItsControlsCentredAndCloseChangesNothing) {
  ChooseFileType(kFileCsv);
  Click("chkSaveLastSeq");
  const QStringList before = State();
  WithModal("mnuCreateMediaDef", [&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName() + ": " + dialog.windowTitle(), "frmOptions: Options");
    EXPECT_EQ(dialog.parentWidget(), &window);
    QStringList captions;
    for (const char* name :
         {"lblSetDefTitle", "btnPX4", "lblPX4", "btnPX81", "Label1", "btnPX82", "Label2", "btnClose"})
      captions << Caption(dialog, name);
    EXPECT_EQ(
        captions,
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
  EXPECT_EQ(State(), before);
  WithModal("mnuCreateMediaDef", [](QDialog& dialog) { dialog.close(); });  // the close box
  EXPECT_EQ(State(), before);
  EXPECT_TRUE(messages.empty());
}

struct PresetRun {
  const char* name;
  int file_type;  // the window's layout before the preset
  int num_type;
  const char* button;
  const char* quantity;  // what the quantity field shows afterwards
  const char* files;
  const char* base;
  bool relaid;
};

// The job names its files from these settings (the PX4 preset: R01A0001.BIN
// to R01A9600.BIN, of 65536 bytes each); the job tests cover what it writes.
class PresetTest : public DialogTest, public ::testing::WithParamInterface<PresetRun> {};

TEST_P(PresetTest, FillsTheWindowThroughItsControls) {
  const PresetRun& run = GetParam();
  ChooseDevice(kSourceMersenneTwister);
  ChooseFileType(run.file_type);
  Click(NumType(run.num_type));
  Click("chkSaveLastSeq");
  SetText("txtStartSequence", "0042");
  const JobSettings kept = settings;
  const QSignalSpy quantities(Quantity(), &QComboBox::editTextChanged);

  WithModal("mnuCreateMediaDef", [&](QDialog& dialog) { Press(dialog, run.button); });

  EXPECT_TRUE(Get<QRadioButton>("optFileType0")->isChecked() && NumType(kNumByte)->isChecked());
  EXPECT_EQ(QString("%1 %2 %3").arg(settings.FileType).arg(settings.NumType).arg(Get<QLabel>("lblNumOfNums")->text()),
            "0 0 File Size in Bytes:");
  EXPECT_EQ(Text("cmbNumOfNums"), run.quantity);
  EXPECT_EQ(settings.NumOfNumsText, run.quantity);
  EXPECT_EQ(std::to_string(settings.NumOfNums), run.quantity);
  EXPECT_EQ(Text("txtNumOfFiles"), run.files);
  EXPECT_FALSE(Edit("txtNumOfFiles")->isReadOnly());
  EXPECT_EQ(settings.NumOfFilesText + " " + std::to_string(settings.NumOfFiles),
            std::string(run.files) + " " + run.files);
  EXPECT_EQ(Text("txtBaseFilename") + " " + Text("txtStartSequence") + " " + Text("txtFileName"),
            QString(run.base) + " 0001 " + run.base + "0001.BIN");
  EXPECT_EQ(settings.BaseFilename + settings.StartSequence, std::string(run.base) + "0001");
  EXPECT_EQ(BuildOutputFileName("", settings.BaseFilename, 1 + settings.NumOfFiles, ".BIN"),
            run.base + std::string(4 - strlen(run.files), '0') + run.files + ".BIN");  // the last file
  // The layout writes its own quantity, 768, only when it runs.
  bool laid_out = false;
  for (const QList<QVariant>& change : quantities) laid_out |= change.at(0).toString() == "768";
  EXPECT_EQ(laid_out, run.relaid);
  // What the presets leave alone.
  EXPECT_EQ(settings.DeviceIndex, kept.DeviceIndex);
  EXPECT_EQ(settings.DestDir, kept.DestDir);
  EXPECT_EQ(settings.CSVcolumnsX, kept.CSVcolumnsX);
  EXPECT_EQ(settings.SaveLastSeq, 1);
  EXPECT_TRUE(messages.empty()) << messages.front();
}

INSTANTIATE_TEST_SUITE_P(
    Presets, PresetTest,
    ::testing::Values(PresetRun{"PX4FromCsvLong31", kFileCsv, kNumLong31, "btnPX4", "65536", "9600", "R01A", true},
                      PresetRun{"PX81FromBin", kFileBin, kNumByte, "btnPX81", "1073741824", "1", "R90U", false},
                      PresetRun{"PX82FromBmp", kFileBmp, kNumColor, "btnPX82", "2000000000", "1", "R90U", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The help ----

TEST_F(DialogTest, HelpOpensOnItsContentsPageAndAMissingPageShowsNoMessage) {
  window.findChild<QAction*>("mnuHelpContents")->trigger();
  auto* help = window.findChild<HelpWindow*>("frmHelp");
  ASSERT_NE(help, nullptr);
  auto* browser = help->findChild<QTextBrowser*>("txtHelp");
  EXPECT_TRUE(help->isVisible() && !help->isModal());
  EXPECT_EQ(browser->source(), HelpWindow::kContentsPage);
  EXPECT_EQ(help->windowTitle(), "Quibran Help - Contents");
  browser->setSource(QUrl("qrc:/help/missing.html"));
  browser->setSource(QUrl("qrc:/help/sources.html"));
  // What every user of a software source must know.
  for (const char* said : {"seeded from the clock", "once a second", "624", "not fit for one-time pads"})
    EXPECT_TRUE(browser->toPlainText().contains(said)) << said;
  window.findChild<QAction*>("mnuHelpContents")->trigger();
  EXPECT_EQ(window.findChildren<HelpWindow*>().size(), 1);
  EXPECT_EQ(browser->source(), HelpWindow::kContentsPage);
  EXPECT_TRUE(messages.empty());
}

TEST_F(DialogTest, EveryLinkOfEveryHelpPageLeadsToAPageThatExists) {
  window.findChild<QAction*>("mnuHelpContents")->trigger();
  auto* browser = window.findChild<QTextBrowser*>("txtHelp");
  ASSERT_NE(browser, nullptr);
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
  EXPECT_EQ(visited, pages) << "every page is reached from the contents";
  EXPECT_TRUE(messages.empty());
}

// ---- frmAbout ----

TEST_F(DialogTest, AboutBoxShowsTheProgramAndOKClosesIt) {
  WithModal("mnuHelpAbout", [&](QDialog& dialog) {
    EXPECT_EQ(dialog.objectName() + ": " + dialog.windowTitle(), "frmAbout: About Project1");
    EXPECT_EQ(dialog.parentWidget(), &window);
    QStringList captions;
    for (const char* name : {"lblTitle", "lblVersion", "lblDescription", "cmdOK", "cmdSysInfo"})
      captions << Caption(dialog, name);
    EXPECT_EQ(captions, QStringList({"Quibran", "Version " + Q(kVersion),
                                     "True Random Number Generator for spreadsheet, text, bitmap, and One Time Pad "
                                     "(OTP) file creation.",
                                     "OK", "&System Info..."}));
    EXPECT_TRUE(QRegularExpression(R"(^Version \d+\.\d+\.\d+$)").match(captions[1]).hasMatch())
        << qPrintable(captions[1]);
    const QPixmap picture = dialog.findChild<QLabel*>("Picture1")->pixmap();
    EXPECT_EQ(picture.size(), QSize(64, 64));  // the program icon
    Press(dialog, "cmdOK");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  });
  EXPECT_TRUE(messages.empty());
}

struct SysInfoRun {
  const char* name;
  const char* program;  // a program file put on PATH, "" for none
  const char* content;
  bool starts;
};

class SysInfoTest : public DialogTest, public ::testing::WithParamInterface<SysInfoRun> {
 protected:
  ~SysInfoTest() override { qputenv("PATH", path_); }
  const QByteArray path_ = qgetenv("PATH");
};

TEST_P(SysInfoTest, StartsTheToolOrSaysItIsUnavailableAndStaysOpen) {
  const SysInfoRun& run = GetParam();
  QTemporaryDir folder;
  const QString marker = folder.filePath("started");
  if (*run.program != '\0') {
    QFile program(folder.filePath(run.program));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write(QString(run.content).arg(marker).toUtf8());
    program.close();
    program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  qputenv("PATH", folder.path().toUtf8());
  AboutDialog about(&window);
  about.show();
  Click(about.findChild<QPushButton*>("cmdSysInfo"));
  EXPECT_TRUE(about.isVisible());
  if (run.starts) {
    EXPECT_TRUE(messages.empty()) << messages.front();
    for (int waited = 0; !QFile::exists(marker) && waited < 10000; waited += 20) QTest::qWait(20);
    EXPECT_TRUE(QFile::exists(marker)) << "the stand-in program ran";
  } else {
    EXPECT_EQ(messages, Messages({AppMessage("System Information Is Unavailable At This Time", MessageIcon::None)}));
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, SysInfoTest,
                         ::testing::Values(SysInfoRun{"StandInOnPath", "kinfocenter", "#!/bin/sh\n: > '%1'\n", true},
                                           SysInfoRun{"NoneOnPath", "", "", false},
                                           SysInfoRun{"OneThatCannotStart", "hardinfo2", "not a program %1\n", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quibran::test
