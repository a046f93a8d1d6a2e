// SPDX-License-Identifier: GPL-3.0-or-later
// Under a headless weston (wayland_smoke.sh) the window appears, and Exit writes the defaults file and stores the
// window's size, not its position, which Wayland keeps to itself.

#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>

#include "app/main_window.h"
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
  ASSERT_TRUE(QTest::qWaitForWindowExposed(program.window(), 10000));
  QTest::mouseClick(program.window()->findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
  JobSettings saved = BuiltInDefaults();
  saved.StartSequence = "0001";  // as the window's field shows it
  EXPECT_EQ(ReadFile(DefaultsFilePath(ConfigFolder())), FormatDefaults(saved));
  QSettings store("Ostrel Works", "Quibran");
  EXPECT_EQ(store.allKeys().join(" ").toStdString(), "Settings/MainHeight Settings/MainWidth");
}

}  // namespace
}  // namespace quibran::test
