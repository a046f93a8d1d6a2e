// The window program under a Wayland compositor (run by wayland_smoke.sh under
// a headless weston): the main window appears, and Exit writes the defaults
// file and stores the window's size, not its position, which Wayland does not
// tell a program.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/start_up.h"
#include "job/temp_folder.h"
#include "settings/defaults.h"
#include "settings/defaults_file.h"

namespace quibran::test {
namespace {

TEST(Wayland, TheWindowAppearsAndExitSavesItsSizeOnly) {
  ASSERT_TRUE(QGuiApplication::platformName().startsWith("wayland")) << qPrintable(QGuiApplication::platformName());
  Program program(std::chrono::milliseconds(0));
  program.SubMain();
  MainWindow* window = program.window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 10000));
  QTest::mouseClick(window->findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());

  JobSettings saved = BuiltInDefaults();
  saved.StartSequence = "0001";  // as the window's field shows it
  EXPECT_EQ(ReadFile(DefaultsFilePath(ConfigFolder())), FormatDefaults(saved));
  QSettings store("Ostrel Works", "Quibran");
  store.beginGroup("Settings");
  EXPECT_EQ(store.childKeys().join(" ").toStdString(), "MainHeight MainWidth");
}

}  // namespace
}  // namespace quibran::test
