// The program's life: the splash window and Sub Main, the remembered window
// position, and the ways out with the defaults saved.

#include <QAction>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/qt_text.h"
#include "app/start_up.h"
#include "job/temp_folder.h"
#include "platform/version.h"
#include "settings/defaults_file.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

namespace fs = std::filesystem;

std::string DefaultsFile() { return DefaultsFilePath(ConfigFolder()); }

// An empty settings store and no defaults file.
void ResetConfig() {
  {
    QSettings store("Ostrel Works", "Quibran");
    store.clear();
  }
  fs::remove_all(fs::path(ConfigFolder()) / "Ostrel Works");
}

QSettings& Store() {
  static QSettings store("Ostrel Works", "Quibran");
  store.sync();
  return store;
}

// The labels of the splash window, or of none.
QStringList SplashLabels() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "frmSplash" && w->isVisible()) {
      QStringList texts;
      for (const char* name : {"lblVersion", "lblProductName", "lblCompany", "lblCompanyProduct", "lblPlatform",
                               "lblCopyright"})
        texts << w->findChild<QLabel*>(name)->text();
      return texts;
    }
  return {};
}

// Sub Main: the splash for the pause (the event loop running), then the
// main window with the stored settings applied, the splash gone. A defaults
// file that cannot be read says so and the start goes on.
TEST(StartUp, SplashThenTheWindowWithTheStoredSettings) {
  ResetConfig();
  JobSettings stored = BuiltInDefaults();
  stored.FileType = kFileAsc;
  stored.NumOfNumsText = "300";
  stored.BaseFilename = "PAD";
  stored.StartSequence = "7";
  ASSERT_EQ(SaveDefaults(ConfigFolder(), stored), std::nullopt);

  constexpr std::chrono::milliseconds kPause{50};
  Program program(kPause);
  QStringList during_pause;
  bool window_during_pause = true;
  QTimer::singleShot(0, [&] {
    during_pause = SplashLabels();
    window_during_pause = program.window() != nullptr;
  });
  const auto start = std::chrono::steady_clock::now();
  program.SubMain();
  EXPECT_GE(std::chrono::steady_clock::now() - start, kPause);

  ASSERT_EQ(during_pause.size(), 6);
  EXPECT_TRUE(QRegularExpression(R"(^Version \d+\.\d+\.\d+$)").match(during_pause[0]).hasMatch());
  EXPECT_EQ(during_pause[0], "Version " + Q(kVersion));
  EXPECT_EQ(during_pause.mid(1), QStringList({"Quibran", "Ostrel Works", "Random Number Generator", "for Linux",
                                              "Copyright \u00a9 Ostrel Works. All rights reserved."}));
  EXPECT_FALSE(window_during_pause);
  EXPECT_TRUE(SplashLabels().isEmpty());
  ASSERT_TRUE(program.window() && program.window()->isVisible());
  auto* quantity = program.window()->findChild<QComboBox*>("cmbNumOfNums");
  EXPECT_EQ(quantity->currentText() + " " + program.window()->findChild<QLineEdit*>("txtFileName")->text(),
            "300 PAD0007.ASC");
  EXPECT_FALSE(program.window()->findChild<QPushButton*>("cmdStop")->isEnabled());

  ResetConfig();
  fs::create_directories(DefaultsFile());  // a folder where the file belongs
  Messages shown;
  MessageInterceptor interceptor([&](const QString& title, const QString& text, MessageIcon icon) {
    shown.push_back({title, text, icon});
  });
  Program(std::chrono::milliseconds(0)).SubMain();
  EXPECT_EQ(shown, (Messages{{"Get Def error number 52", "Bad file name or number", MessageIcon::None}}));
}

// Placement on the 800 x 800 offscreen screen at 15 twips per pixel: centred
// by the stored size (8000 x 10000 twips when none), then the fixed size.
TEST(StartUp, WindowIsCentredByTheStoredSize) {
  struct Case {
    QStringList stored;  // MainLeft, MainTop, MainWidth, MainHeight
    QPoint position;
  };
  const Case cases[] = {
      {{}, {133, 67}},                                  // (12000 - 8000) / 2 twips, (12000 - 10000) / 2
      {{"99", "99", "2000", "3000"}, {333, 300}},       // the stored left and top take no effect
      {{"", "", "wide", "1e4"}, {133, 67}},             // not numbers: the defaults
      {{"0", "0", " 2000 ", "3000"}, {333, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.join(',').toStdString());
    ResetConfig();
    const char* keys[] = {"Settings/MainLeft", "Settings/MainTop", "Settings/MainWidth", "Settings/MainHeight"};
    for (int i = 0; i < c.stored.size(); ++i) Store().setValue(keys[i], c.stored[i]);
    Store().sync();
    JobSettings settings = BuiltInDefaults();
    FixedClock clock{45000, 0};
    RandomSources sources{clock};
    MainWindow window(settings, sources);
    ASSERT_EQ(window.screen()->geometry(), QRect(0, 0, 800, 800));
    ASSERT_EQ(window.screen()->logicalDotsPerInch(), 96);
    EXPECT_EQ(window.pos(), c.position);
    EXPECT_EQ(window.size(), QSize(727, 560));  // 10900 x 8400 twips
    EXPECT_EQ(QSize(settings.ScreenWidthPixels, settings.ScreenHeightPixels), QSize(800, 800));
  }
}

class LeavingTest : public WindowTest {
 protected:
  LeavingTest() { ResetConfig(); }
  QStringList StoredPosition() {
    QStringList values;
    for (const char* key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
      values << Store().value(QString("Settings/") + key).toString();
    return values;
  }
};

// The unload stores the position in twips unless the window is minimized,
// and saves the defaults either way.
TEST_F(LeavingTest, UnloadStoresThePositionUnlessMinimized) {
  window.move(40, 50);
  const QSize frame = window.frameGeometry().size();  // the window with its borders
  window.close();
  EXPECT_EQ(StoredPosition(), QStringList({"600", "750", QString::number(frame.width() * 15),
                                           QString::number(frame.height() * 15)}));
  EXPECT_TRUE(fs::is_regular_file(DefaultsFile()));

  ResetConfig();
  Store().setValue("Settings/MainLeft", "1");
  window.show();
  window.showMinimized();
  window.close();
  EXPECT_EQ(StoredPosition(), QStringList({"1", "", "", ""}));
  EXPECT_TRUE(fs::is_regular_file(DefaultsFile()));
}

// Exit saves, then the unload saves again: the same file, with the file type
// of the buttons and the start sequence as its field holds it.
TEST_F(LeavingTest, ExitSavesTwiceAndTheCloseBoxOnce) {
  ChooseFileType(kFileCsv);
  Type(Edit("txtStartSequence"), "7");
  Get<QAction>("mnuFileExit")->trigger();
  EXPECT_FALSE(window.isVisible());
  JobSettings expected = settings;
  expected.StartSequence = "7";
  EXPECT_EQ(settings, expected);
  EXPECT_EQ(ReadFile(DefaultsFile()), FormatDefaults(expected));

  // Each save that cannot create its folder says so.
  const Message cant_create{"Error Number 75", "Error message:  Can't create directory - Path/File access error",
                            MessageIcon::None};
  for (const auto& [leave, count] : {std::pair{"cmdExit", 2u}, std::pair{"", 1u}}) {
    ResetConfig();
    std::ofstream(fs::path(ConfigFolder()) / "Ostrel Works") << "in the way";
    messages.clear();
    window.show();
    *leave ? Click(leave) : (void)window.close();
    EXPECT_EQ(messages, Messages(count, cant_create)) << leave;
  }
  ResetConfig();
}

// The unload closes the other open windows, the newest first.
TEST_F(LeavingTest, UnloadClosesTheOtherWindowsNewestFirst) {
  QStringList closed;
  struct Recorder : QObject {
    QStringList* closed;
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::Close) *closed << watched->objectName();
      return false;
    }
  } recorder;
  recorder.closed = &closed;
  QWidget older, newer;
  for (QWidget* w : {&older, &newer}) {
    w->setObjectName(w == &older ? "older" : "newer");
    w->installEventFilter(&recorder);
    w->show();
  }
  window.close();
  EXPECT_EQ(closed, QStringList({"newer", "older"}));
  EXPECT_FALSE(older.isVisible() || newer.isVisible());
}

}  // namespace
}  // namespace quibran::test
