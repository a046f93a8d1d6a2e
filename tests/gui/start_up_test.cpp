// SPDX-License-Identifier: GPL-3.0-or-later
// The program's life: Sub Main with the splash window, the remembered window
// position, and the ways out with the defaults saved.

#include <QAction>
#include <QSettings>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/start_up.h"
#include "job/temp_folder.h"
#include "platform/version.h"
#include "settings/defaults_file.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

namespace fs = std::filesystem;

const char* const kPositionKeys[] = {"Settings/MainLeft", "Settings/MainTop", "Settings/MainWidth",
                                     "Settings/MainHeight"};

// An empty settings store and no defaults file.
void ResetConfig() {
  QSettings("Ostrel Works", "Quibran").clear();
  fs::remove_all(fs::path(ConfigFolder()) / "Ostrel Works");
}

QStringList StoredPosition() {
  const QSettings store("Ostrel Works", "Quibran");
  QStringList values;
  for (const char* key : kPositionKeys) values << store.value(key).toString();
  return values;
}

// The labels of the splash window while one is shown.
QStringList SplashLabels() {
  for (QWidget* splash : QApplication::topLevelWidgets())
    if (splash->objectName() == "frmSplash" && splash->isVisible())
      return Captions(
          *splash, {"lblVersion", "lblProductName", "lblCompany", "lblCompanyProduct", "lblPlatform", "lblCopyright"});
  return {};
}

// The splash for the pause with the event loop running, then the main
// window with the stored settings, the splash gone. A defaults file that
// cannot be read says so and the start goes on.
TEST(StartUp, SplashThenTheWindowWithTheStoredSettings) {
  ResetConfig();
  JobSettings stored = BuiltInDefaults();
  stored.FileType = kFileAsc;
  stored.NumOfNumsText = "300";
  stored.BaseFilename = "PAD";
  stored.StartSequence = "7";

  constexpr std::chrono::milliseconds kPause{50};
  Program program(kPause);
  QStringList during_pause;
  bool window_during_pause = true;
  QTimer::singleShot(0, [&] {  // the file is read after the pause
    EXPECT_EQ(SaveDefaults(ConfigFolder(), stored), std::nullopt);
    during_pause = SplashLabels();
    window_during_pause = program.window() != nullptr;
  });
  const auto start = std::chrono::steady_clock::now();
  program.SubMain();
  EXPECT_GE(std::chrono::steady_clock::now() - start, kPause);
  EXPECT_EQ(during_pause,
            QStringList({"Version " + Q(kVersion), "Quibran", "Ostrel Works", "Random Number Generator", "for Linux",
                         "Copyright \u00a9 Ostrel Works. Quibran is free software\nunder the GNU GPL "
                         "version 3 or later, with no warranty."}));
  EXPECT_EQ(Q(kVersion), "1.1.0");
  EXPECT_FALSE(window_during_pause);
  EXPECT_TRUE(SplashLabels().isEmpty());
  MainWindow* window = program.window();
  ASSERT_TRUE(window && window->isVisible());
  EXPECT_EQ(window->findChild<QComboBox*>("cmbNumOfNums")->currentText() + " " +
                window->findChild<QLineEdit*>("txtFileName")->text(),
            "300 PAD0007.ASC");
  // The second ApplyDefaults, after the window is shown, runs the start
  // field's own handlers once more.
  EXPECT_EQ(window->findChild<QLineEdit*>("txtStartSequence")->text(), "0007");

  ResetConfig();
  fs::create_directories(DefaultsFilePath(ConfigFolder()));  // a folder where the file belongs
  Messages shown;
  const MessageInterceptor interceptor([&](const QString& title, const QString& text, MessageIcon icon) {
    shown.push_back({title, text, icon});
  });
  Program(std::chrono::milliseconds(0)).SubMain();
  EXPECT_EQ(shown, (Messages{{"Get Def error number 52", "Bad file name or number", MessageIcon::None}}));
}

// On the 800 x 800 offscreen screen at 15 twips per pixel: centred by the
// stored size (8000 x 10000 twips when none), then the fixed size.
TEST(StartUp, WindowIsCentredByTheStoredSize) {
  const std::pair<QStringList, QPoint> cases[] = {
      {{}, {133, 67}},                             // (12000 - 8000) / 2 twips, (12000 - 10000) / 2
      {{"99", "99", "2000", "3000"}, {333, 300}},  // the stored left and top take no effect
      {{"", "", "wide", "1e4"}, {133, 67}},        // not numbers: the defaults
      {{"0", "0", " 2000 ", "3000"}, {333, 300}},
  };
  for (const auto& [stored, position] : cases) {
    SCOPED_TRACE(stored.join(',').toStdString());
    ResetConfig();
    QSettings store("Ostrel Works", "Quibran");
    for (int i = 0; i < stored.size(); ++i) store.setValue(kPositionKeys[i], stored[i]);
    store.sync();
    JobSettings settings = BuiltInDefaults();
    FixedClock clock{45000, 0};
    RandomSources sources{clock};
    const MainWindow window(settings, sources);
    ASSERT_EQ(window.screen()->geometry(), QRect(0, 0, 800, 800));
    ASSERT_EQ(window.screen()->logicalDotsPerInch(), 96);
    EXPECT_EQ(window.pos(), position);
    EXPECT_EQ(window.size(), QSize(727, 560));  // 10900 x 8400 twips
    EXPECT_EQ(QSize(settings.ScreenWidthPixels, settings.ScreenHeightPixels), QSize(800, 800));
  }
}

class LeavingTest : public WindowTest {
 protected:
  LeavingTest() { ResetConfig(); }
  ~LeavingTest() override { ResetConfig(); }
};

// The unload closes the program's other windows, the newest first, stores
// the position in twips unless the window is minimized, and saves the
// defaults either way.
TEST_F(LeavingTest, UnloadClosesTheOtherWindowsAndStoresThePositionUnlessMinimized) {
  struct Recorder : QObject {
    QStringList closed;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Close) closed << watched->objectName();
      return false;
    }
  } recorder;
  QWidget older, newer;
  older.setObjectName("older");
  newer.setObjectName("newer");
  for (QWidget* w : {&older, &newer}) w->installEventFilter(&recorder), w->show();
  window.move(40, 50);
  const QSize frame = window.frameGeometry().size();  // the window with its borders
  window.close();
  EXPECT_EQ(recorder.closed, QStringList({"newer", "older"}));
  EXPECT_FALSE(older.isVisible() || newer.isVisible());
  EXPECT_EQ(StoredPosition(),
            QStringList({"600", "750", QString::number(frame.width() * 15), QString::number(frame.height() * 15)}));

  ResetConfig();
  QSettings("Ostrel Works", "Quibran").setValue(kPositionKeys[0], "1");
  window.show();
  window.showMinimized();
  window.close();
  EXPECT_EQ(StoredPosition(), QStringList({"1", "", "", ""}));
  EXPECT_TRUE(fs::is_regular_file(DefaultsFilePath(ConfigFolder())));
}

// Exit saves and the unload saves again, with the file type of the buttons
// and the start sequence as its field holds it; the close box saves once.
// File > Exit by its keys too: the menu takes the focus without leaving the
// field, whose text is saved unpadded.
TEST_F(LeavingTest, ExitSavesTwiceAndTheCloseBoxOnce) {
  ChooseFileType(kFileCsv);
  for (const auto& [keys, typed] : {std::pair{"", "7"}, {"Alt+F, X", "42"}, {"Ctrl+Q", "5"}}) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Type(Edit("txtStartSequence"), typed);
    const QKeySequence sequence(keys);
    if (sequence.isEmpty()) Trigger("mnuFileExit");
    for (uint i = 0; i < static_cast<uint>(sequence.count()); ++i)  // to the open menu, if any
      QTest::keyClick(static_cast<QWidget*>(nullptr), sequence[i].key(), sequence[i].keyboardModifiers());
    EXPECT_FALSE(window.isVisible()) << keys;
    EXPECT_EQ(settings.StartSequence, typed);
    EXPECT_EQ(ReadFile(DefaultsFilePath(ConfigFolder())), FormatDefaults(settings));
  }

  const Message cant_create{"Error Number 75", "Error message:  Can't create directory - Path/File access error",
                            MessageIcon::None};
  for (const auto& [leave, saves] : {std::pair{"cmdExit", 2u}, std::pair{"", 1u}}) {
    ResetConfig();
    std::ofstream(fs::path(ConfigFolder()) / "Ostrel Works") << "in the way";
    messages.clear();
    window.show();
    *leave ? Click(leave) : (void)window.close();
    EXPECT_EQ(messages, Messages(saves, cant_create)) << leave;
  }
}

}  // namespace
}  // namespace quibran::test
