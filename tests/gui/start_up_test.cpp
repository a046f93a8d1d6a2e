// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start, Sub Main: the splash window, then the main window with the settings of the defaults file.
// (program_test.cpp leaves it.)

#include <filesystem>

#include "app/start_up.h"
#include "platform/version.h"
#include "settings/defaults_file.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

namespace fs = std::filesystem;

// The splash for the pause with the event loop running, then the main window with the stored settings, the splash gone.
TEST(StartUp, SplashThenTheWindowWithTheStoredSettings) {
  fs::remove_all(fs::path(ConfigFolder()) / "Ostrel Works");
  JobSettings stored = BuiltInDefaults();
  stored.FileType = kFileAsc;
  stored.NumOfNumsText = "300";
  stored.BaseFilename = "PAD";
  stored.StartSequence.assign(1, '7');  // unpadded
  constexpr std::chrono::milliseconds kPause{50};
  Program program(kPause);
  QStringList during_pause;
  QTimer::singleShot(0, [&] {  // the file is read after the pause
    EXPECT_EQ(SaveDefaults(ConfigFolder(), stored), std::nullopt);
    for (QWidget* top : QApplication::topLevelWidgets())  // the splash window's labels, and the main window
      for (const char* name : {"lblVersion", "lblProductName", "lblCompany", "lblCompanyProduct", "lblPlatform"})
        if (top->isVisible() && top->objectName() == "frmSplash") during_pause << top->findChild<QLabel*>(name)->text();
    during_pause << (program.window() ? "window" : "");
  });
  const auto start = std::chrono::steady_clock::now();
  program.SubMain();
  EXPECT_GE(std::chrono::steady_clock::now() - start, kPause);
  EXPECT_EQ(during_pause,
            QStringList({Q(kVersionText), "Quibran", "Ostrel Works", "Random Number Generator", "for Linux", ""}));
  for (QWidget* top : QApplication::topLevelWidgets()) EXPECT_NE(top->objectName(), "frmSplash");  // gone
  MainWindow* window = program.window();
  ASSERT_TRUE(window && window->isVisible());
  // The second ApplyDefaults, once the window shows, runs the start field's handlers again: the sequence padded.
  EXPECT_EQ(window->findChild<QComboBox*>("cmbNumOfNums")->currentText() + " " +
                window->findChild<QLineEdit*>("txtStartSequence")->text() + " " +
                window->findChild<QLineEdit*>("txtFileName")->text(),
            "300 0007 PAD0007.ASC");

  fs::remove_all(fs::path(ConfigFolder()) / "Ostrel Works");

  const auto before = std::chrono::steady_clock::now();  // the shortest pause is waited out too
  WaitWithEvents(std::chrono::milliseconds(1));
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1));
}

}  // namespace
}  // namespace quibran::test
