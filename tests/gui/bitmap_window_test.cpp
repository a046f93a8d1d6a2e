// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap window: drawn column by column, then saved or discarded; and bitmap jobs started from the main window.

#include <filesystem>

#include "app/bitmap_window.h"
#include "app/start_up.h"
#include "job/bitmap_picture.h"
#include "scripted_device.h"
#include "settings/defaults_file.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

class BitmapWindowTest : public WindowTest {
 protected:
  // A window owned by the main window drawing 120 x 100 pixels, at_column(x) run after each column.
  void Open(int source, const QString& name, DeviceFactory device, const std::function<void(int)>& at_column = {}) {
    BitmapRequest request{static_cast<int16_t>(source), 120, 100, false, 5, folder.filePath(name).toStdString()};
    if (device) request.device_factory = std::move(device);
    drawing.emplace(sources, request, stop);
    bmp.emplace(*drawing, &window);
    if (at_column) QObject::connect(&*bmp, &BitmapWindow::columnDrawn, at_column);
    bmp->Form_Load();
  }
  QPushButton* Button(QWidget& w, const char* name) { return w.findChild<QPushButton*>(name); }
  // Whether columns `first` onwards show the window's background colour only.
  bool BlankFrom(int first) {
    const QImage& image = bmp->picture().image();
    QImage background(image.width() - first, image.height(), QImage::Format_RGB32);
    background.fill(bmp->palette().color(QPalette::Window));
    return image.copy(first, 0, background.width(), background.height()) == background;
  }
  // Runs at_column(window, x) after each column of the bitmap window that the next job opens.
  void OnColumns(const std::function<void(BitmapWindow&, int)>& at_column) {
    QTimer::singleShot(0, &window, [this, at_column] {
      auto* opened = window.findChild<BitmapWindow*>();
      ASSERT_NE(opened, nullptr);
      QObject::connect(opened, &BitmapWindow::columnDrawn, [opened, at_column](int x) { at_column(*opened, x); });
    });
  }

  bool stop = false;
  std::optional<BitmapDrawing> drawing;
  std::optional<BitmapWindow> bmp;
};

// The close box, like Stop, ends the drawing after its column; the window then waits, on top and modal, until
// "Save && Close" writes the picture, undrawn columns included. A save that fails is told, the window left open.
TEST_F(BitmapWindowTest, StopsAfterTheColumnThenWaitsOnTopAndModalAndSaves) {
  QString during;
  Open(kSourceMersenneTwister, "sub/A.BMP", nullptr, [&](int x) {
    if (x != 30) return;
    during = Button(*bmp, "cmdCloseBMP")->text() + " | " + Button(*bmp, "cmdSaveBMPandClose")->text();
    Click(Button(*bmp, "cmdSaveBMPandClose"));  // "Working..." ignores it
    bmp->close();
  });
  EXPECT_EQ(during, "Stop | Working...");
  EXPECT_EQ(Button(*bmp, "cmdSaveBMPandClose")->text(), "Save && Close");
  EXPECT_TRUE(bmp->isVisible() && BlankFrom(31) && !BlankFrom(30));
  EXPECT_TRUE(bmp->isActiveWindow() && Button(*bmp, "cmdSaveBMPandClose")->hasFocus());
  EXPECT_TRUE(bmp->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  ChooseFileType(kFileAsc);
  EXPECT_EQ(settings.FileType, kFileBin);  // the main window takes no click

  Click(Button(*bmp, "cmdSaveBMPandClose"));
  EXPECT_TRUE(Holds(messages, {"Error Number 76"}));
  EXPECT_TRUE(bmp->isVisible());
  ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
  Click(Button(*bmp, "cmdSaveBMPandClose"));
  EXPECT_TRUE(!bmp->isVisible() && bmp->result() == QDialog::Accepted);
  EXPECT_TRUE(QImage(folder.filePath("sub/A.BMP")) == bmp->picture().image());
  ChooseFileType(kFileAsc);
  EXPECT_EQ(settings.FileType, kFileAsc);
}

// The hardware source failing with an input/output error closes the window; the job's failure path reports it.
TEST_F(BitmapWindowTest, DeviceFailureClosesTheWindow) {
  DeviceScript io;
  io.fail_at = 1 + 2 * 100 + 5;  // five pixels into column 2
  io.failure = RuntimeError(kErrDeviceIO);
  EXPECT_THROW(Open(kSourceHardware, "D.BMP", io.Factory()), RuntimeError);
  EXPECT_TRUE(messages.empty() && !bmp->isVisible() && BlankFrom(3) && !BlankFrom(2));
}

// The main window's Stop ends the drawing and Close discards it; closing the main window closes the bitmap
// window, ends the job and saves the settings.
TEST_F(BitmapWindowTest, BitmapJobsFromTheMainWindow) {
  PrepareJob(kFileBmp, kSourceMersenneTwister, "100", "1");
  const auto click_later = [](QPushButton* button) { QTimer::singleShot(0, button, &QPushButton::click); };
  int last_column = -1;
  OnColumns([&](BitmapWindow& w, int x) {
    last_column = x;
    if (x != 5) return;
    Click("cmdStop");
    click_later(Button(w, "cmdCloseBMP"));
  });
  Click("cmdStart");
  EXPECT_EQ(last_column, 5);  // the drawing stopped after the column of the click
  std::filesystem::remove(DefaultsFilePath(ConfigFolder()));
  OnColumns([&](BitmapWindow&, int x) {
    if (x == 5) window.close();
  });
  Click("cmdStart");
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList());
  EXPECT_EQ(Text("txtStartSequence"), "0001");
  EXPECT_TRUE(Get("cmdStart")->isEnabled() && !Get("cmdStop")->isEnabled());
  EXPECT_FALSE(window.isVisible() || window.findChild<BitmapWindow*>());
  EXPECT_EQ(LoadDefaults(ConfigFolder()).settings.FileType, kFileBmp);  // saved
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace quibran::test
