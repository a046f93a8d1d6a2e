// SPDX-License-Identifier: GPL-3.0-or-later
// The menus' dialogs (the media presets, the about box, the help window) and the message box of every message.

#include <set>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "app/options_dialog.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

class DialogTest : public WindowTest {
 protected:
  // Runs `inside` on the modal dialog that the menu entry opens, then closes it.
  void WithModal(const char* entry, const std::function<void(QDialog&)>& inside) {
    QDialog* seen = nullptr;
    QTimer::singleShot(0, [&] {
      seen = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (seen == nullptr) return;
      inside(*seen);
      if (seen->isVisible()) seen->reject();
    });
    Get<QAction>(entry)->trigger();
    window.activateWindow();  // as the window manager does when a dialog closes
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window) && seen) << entry;
  }
  static void Press(QDialog& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
  }
};

// The dialog comes at its own size, centred on the screen, its title in a sans-serif font. Each preset, from another
// layout, fills the window through its controls.
TEST_F(DialogTest, PresetsFillTheWindow) {
  ChooseDevice(kSourceMersenneTwister);
  ChooseFileType(kFileCsv);
  Click("chkSaveLastSeq");
  WithModal("mnuCreateMediaDef", [&](QDialog& dialog) {
    EXPECT_EQ(dialog.findChild<QLabel*>("lblSetDefTitle")->font().styleHint(), QFont::SansSerif);
    EXPECT_EQ(dialog.geometry().center(), window.screen()->geometry().center());
    EXPECT_EQ(dialog.size(), dialog.sizeHint());
    Press(dialog, "btnClose");
  });

  const struct {
    int file_type, num_type;        // the window's layout before the preset
    const char *button, *settings;  // the quantity, the files, the base name and the first file
  } runs[] = {{kFileCsv, kNumLong31, "btnPX4", "65536 9600 R01A R01A0001.BIN"},
              {kFileBin, kNumByte, "btnPX81", "1073741824 1 R90U R90U0001.BIN"},
              {kFileBmp, kNumColor, "btnPX82", "2000000000 1 R90U R90U0001.BIN"}};
  for (const auto& run : runs) {
    ChooseFileType(run.file_type);
    Click(NumType(run.num_type));
    SetText("txtStartSequence", "0042");
    const int16_t columns = settings.CSVcolumnsX;
    WithModal("mnuCreateMediaDef", [&](QDialog& dialog) { Press(dialog, run.button); });
    EXPECT_EQ(QString("%1 %2 %3 %4 | %5 %6 %7 %8")
                  .arg(settings.NumOfNums)
                  .arg(settings.NumOfFiles)
                  .arg(Q(settings.BaseFilename), Text("txtFileName"))
                  .arg(settings.FileType * 10 + settings.NumType)
                  .arg(settings.DeviceIndex)
                  .arg(settings.CSVcolumnsX - columns)
                  .arg(settings.SaveLastSeq),
              run.settings + QString(" | 0 0 0 1"));  // .BIN Byte; source, columns and Save Seq kept
  }
  EXPECT_TRUE(messages.empty());
}

// OK closes the about box; System Info starts a tool found on PATH (a stand-in here) or, with none, says so.
TEST_F(DialogTest, AboutBoxStartsSystemInfoAndOKClosesIt) {
  WithModal("mnuHelpAbout", [&](QDialog& dialog) {
    Press(dialog, "cmdOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  });
  const QByteArray path = qgetenv("PATH");
  for (const bool starts : {true, false}) {
    QTemporaryDir on_path;
    const QString marker = on_path.filePath("started");
    QFile tool(on_path.filePath("kinfocenter"));
    if (starts && tool.open(QIODevice::WriteOnly)) {
      tool.write(QString("#!/bin/sh\n: > '%1'\n").arg(marker).toUtf8());
      tool.close();
      tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    qputenv("PATH", on_path.path().toUtf8());
    AboutDialog about(&window);
    about.show();
    messages.clear();
    Click(about.findChild<QPushButton*>("cmdSysInfo"));
    qputenv("PATH", path);
    EXPECT_TRUE(about.isVisible());
    EXPECT_TRUE(Holds(messages, starts ? QStringList() : QStringList{"System Information Is Unavailable"}));
    EXPECT_TRUE(!starts || QTest::qWaitFor([&] { return QFile::exists(marker); }, 10000)) << "the stand-in ran";
  }
}

// F1 opens the help on its contents; the crawl from there reaches every page, and every page that a link names exists.
TEST_F(DialogTest, HelpOpensOnItsContentsAndEveryLinkLeadsToAPageThatExists) {
  QTest::keyClick(&window, Qt::Key_F1);
  auto* help = window.findChild<HelpWindow*>("frmHelp");
  ASSERT_TRUE(help && help->isVisible() && !help->isModal());
  auto* browser = help->findChild<QTextBrowser*>("txtHelp");
  EXPECT_EQ(help->windowTitle() + " " + browser->source().toString(), "Quibran Help - Contents qrc:/help/index.html");
  std::set<QString> visited;
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
        if (format.anchorHref().isEmpty()) continue;
        const QUrl target = page.resolved(QUrl(format.anchorHref()));
        EXPECT_TRUE(target.scheme() == "qrc" && QFile::exists(":" + target.path()))
            << qPrintable(page.toString() + " links to " + format.anchorHref());
        pending.push_back(target.adjusted(QUrl::RemoveFragment));
      }
    }
  }
  std::set<QString> pages;
  for (const QString& name : QDir(":/help").entryList({"*.html"})) pages.insert("qrc:/help/" + name);
  EXPECT_EQ(visited, pages);
}

// A real box: its title and icon, OK only, and a long file name wrapped after its separators and within the
// name rather than running off.
TEST(MessageBox, ShowsTitleTextIconAndOnlyOk) {
  const QString name = "Bad file name or number\n/tmp/" + QString(300, 'A') + "0001.BIN";
  const struct {
    MessageIcon icon;
    QMessageBox::Icon box_icon;
    QString title, text;
  } rows[] = {{MessageIcon::None, QMessageBox::NoIcon, "Get Def error number 52", "Bad file name or number"},
              {MessageIcon::Critical, QMessageBox::Critical, "Error Number 52", name}};
  for (const auto& row : rows) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_TRUE(seen = box != nullptr);
      EXPECT_EQ(box->windowTitle() + ": " + QString(box->text()).remove(QChar(0x200B)), row.title + ": " + row.text);
      EXPECT_EQ(box->text().contains(QString("/") + QChar(0x200B)), row.text.contains('/'));  // a place to break
      EXPECT_TRUE(box->icon() == row.box_icon && box->standardButtons() == QMessageBox::Ok);
      for (const QLabel* label : box->findChildren<QLabel*>())  // none runs off
        EXPECT_LE(label->isVisible() ? label->minimumSizeHint().width() : 0, label->width()) << qPrintable(row.title);
      box->button(QMessageBox::Ok)->click();
    });
    ShowMessage(nullptr, row.title, row.text, row.icon);
    EXPECT_TRUE(seen);
  }
}

}  // namespace
}  // namespace quibran::test
