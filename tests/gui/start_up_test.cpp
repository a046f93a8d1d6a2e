// SPDX-License-Identifier: GPL-3.0-or-later
// The program's life: Sub Main with the splash window and the defaults file,
// the window placed by its stored size, and the ways out with the defaults
// and the position saved.

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

// The texts of the splash window's labels while it is shown.
QStringList SplashLabels() {
  QStringList texts;
  for (QWidget* splash : QApplication::topLevelWidgets())
    if (splash->objectName() == "frmSplash" && splash->isVisible())
      for (const char* name : {"lblVersion", "lblProductName", "lblCompany", "lblCompanyProduct", "lblPlatform"})
        texts << splash->findChild<QLabel*>(name)->text();
  return texts;
}

// The splash for the pause with the event loop running, then the main window
// with the stored settings, the splash gone. A defaults file that cannot be
// read says so and the start goes on.
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
            QStringList({Q(kVersionText), "Quibran", "Ostrel Works", "Random Number Generator", "for Linux"}));
  EXPECT_FALSE(window_during_pause);
  EXPECT_TRUE(SplashLabels().isEmpty());
  MainWindow* window = program.window();
  ASSERT_TRUE(window && window->isVisible());
  // The second ApplyDefaults, after the window is shown, runs the start
  // field's own handlers once more: the sequence padded.
  QStringList texts;
  for (const char* name : {"txtStartSequence", "txtFileName"}) texts << window->findChild<QLineEdit*>(name)->text();
  EXPECT_EQ(window->findChild<QComboBox*>("cmbNumOfNums")->currentText() + " " + texts.join(' '),
            "300 0007 PAD0007.ASC");

  ResetConfig();
  fs::create_directories(DefaultsFilePath(ConfigFolder()));  // a folder where the file belongs
  QStringList shown;
  const MessageInterceptor interceptor([&](const QString& title, const QString&, MessageIcon) { shown << title; });
  Program(std::chrono::milliseconds(0)).SubMain();
  EXPECT_TRUE(Holds(shown, {"error number 52"}));
}

// On the 800 x 800 offscreen screen at 15 twips per pixel: centred by the
// stored size (8000 x 10000 twips when none, or not numbers), then the fixed
// size of 10900 x 8400 twips.
TEST(StartUp, WindowIsCentredByTheStoredSize) {
  const std::pair<QStringList, QPoint> cases[] = {
      {{}, {133, 67}}, {{"99", "99", " 2000 ", "3000"}, {333, 300}}, {{"", "", "wide", "1e4"}, {133, 67}}};
  for (const auto& [stored, position] : cases) {
    ResetConfig();
    QSettings store("Ostrel Works", "Quibran");
    for (int i = 0; i < stored.size(); ++i) store.setValue(kPositionKeys[i], stored[i]);
    store.sync();
    JobSettings settings = BuiltInDefaults();
    FixedClock clock{45000, 0};
    RandomSources sources{clock};
    const MainWindow window(settings, sources);
    ASSERT_EQ(window.screen()->geometry(), QRect(0, 0, 800, 800));
    EXPECT_EQ(window.geometry(), QRect(position, QSize(727, 560))) << stored.join(',').toStdString();
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

// Exit, by the menu or its keys, saves with the file type of the buttons and
// the start sequence as its field holds it (the menu takes the focus without
// leaving the field); Exit saves twice (the unload once more), the close box
// once.
TEST_F(LeavingTest, ExitSavesTwiceAndTheCloseBoxOnce) {
  ChooseFileType(kFileCsv);
  for (const auto& [keys, typed] : {std::pair{"", "7"}, {"Alt+F, X", "42"}, {"Ctrl+Q", "5"}}) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Type(Edit("txtStartSequence"), typed);
    const QKeySequence sequence(keys);
    if (sequence.isEmpty()) Get<QAction>("mnuFileExit")->trigger();
    for (uint i = 0; i < static_cast<uint>(sequence.count()); ++i)  // to the open menu, if any
      QTest::keyClick(static_cast<QWidget*>(nullptr), sequence[i].key(), sequence[i].keyboardModifiers());
    EXPECT_FALSE(window.isVisible()) << keys;
    EXPECT_EQ(ReadFile(DefaultsFilePath(ConfigFolder())), FormatDefaults(settings));
    EXPECT_EQ(settings.StartSequence, typed);
  }
  for (const auto& [leave, saves] : {std::pair{"cmdExit", 2}, std::pair{"", 1}}) {
    ResetConfig();
    std::ofstream(fs::path(ConfigFolder()) / "Ostrel Works") << "in the way";
    messages.clear();
    window.show();
    *leave ? Click(leave) : (void)window.close();
    EXPECT_TRUE(Holds(messages, QStringList(saves, "Error Number 75"))) << leave;
  }
}

}  // namespace
}  // namespace quibran::test
