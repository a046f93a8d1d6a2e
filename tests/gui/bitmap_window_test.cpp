// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap window: drawn column by column, then saved or discarded; and
// bitmap jobs started from the main window.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <functional>

#include "app/bitmap_window.h"
#include "job/bitmap_picture.h"
#include "scripted_device.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

class BitmapWindowTest : public WindowTest {
 protected:
  static constexpr int kW = 120, kH = 100;

  // A window of a twister picture seeded from 5, owned by the main window,
  // drawn whole unless at_column(x), run after each column, stops it.
  void Open(bool monochrome, const QString& name, const std::function<void(int)>& at_column = {}) {
    bmp.reset();
    sources.SeedSource(kSourceMersenneTwister, 5);
    drawing.emplace(sources, BitmapRequest{kSourceMersenneTwister, kW, kH, monochrome, 5, Path(name)}, stop);
    bmp.emplace(*drawing, &window);
    if (at_column) QObject::connect(&*bmp, &BitmapWindow::columnDrawn, at_column);
    bmp->Form_Load();
  }
  QPushButton* Button(BitmapWindow& w, const char* name) { return w.findChild<QPushButton*>(name); }
  std::string Path(const QString& name) { return folder.filePath(name).toStdString(); }
  // Whether columns `first` onwards show the window's background colour only.
  bool UndrawnFrom(const BitmapWindow& w, int first) {
    const QImage& image = w.picture().image();
    QImage background(image.width() - first, image.height(), QImage::Format_RGB32);
    background.fill(w.palette().color(QPalette::Window));
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

// Topmost and modal come without hiding the window: the same native window,
// where it was; the main window takes no click until the bitmap window closes.
TEST_F(BitmapWindowTest, StopsAfterTheColumnThenWaitsOnTopAndModalAndSaves) {
  QStringList during;
  WId native = 0;
  QPoint position;
  Open(false, "A.BMP", [&](int x) {
    if (x != 30) return;
    native = bmp->winId();
    position = bmp->pos();
    during << Captions(*bmp, {"cmdCloseBMP", "cmdSaveBMPandClose"}).join(" | ") << QString::number(bmp->isModal());
    Click(Button(*bmp, "cmdSaveBMPandClose"));  // "Working..." ignores it
    during << QString::number(bmp->isVisible() && bmp->result() == 0 && !QFileInfo::exists(folder.filePath("A.BMP")));
    Click(Button(*bmp, "cmdCloseBMP"));  // Stop
  });
  EXPECT_EQ(during, QStringList({"Stop | Working...", "0", "1"}));
  EXPECT_TRUE(bmp->isVisible() && bmp->windowTitle().trimmed().isEmpty());
  EXPECT_EQ(bmp->size(), QSize(kW, kH));
  EXPECT_EQ(Button(*bmp, "cmdSaveBMPandClose")->geometry(), QRect(8, 8, 89, 25));
  EXPECT_EQ(Button(*bmp, "cmdCloseBMP")->geometry(), QRect(8, 40, 89, 25));
  EXPECT_EQ(Captions(*bmp, {"cmdCloseBMP", "cmdSaveBMPandClose"}), QStringList({"Close", "Save && Close"}));
  EXPECT_EQ(bmp->focusWidget(), Button(*bmp, "cmdSaveBMPandClose"));
  EXPECT_TRUE(bmp->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(bmp->winId() == native && bmp->pos() == position);
  ChooseFileType(kFileAsc);
  EXPECT_EQ(settings.FileType, kFileBin);
  EXPECT_FALSE(stop);
  EXPECT_TRUE(UndrawnFrom(*bmp, 31));
  EXPECT_FALSE(UndrawnFrom(*bmp, 30));

  Click(Button(*bmp, "cmdSaveBMPandClose"));
  EXPECT_FALSE(bmp->isVisible());
  EXPECT_EQ(bmp->result(), QDialog::Accepted);
  EXPECT_TRUE(QImage(folder.filePath("A.BMP")) == bmp->picture().image());  // undrawn columns included
  ChooseFileType(kFileAsc);
  EXPECT_EQ(settings.FileType, kFileAsc);
}

// The close box acts as Stop while drawing and as Close afterwards; a save
// that fails (its folder has gone) is reported, leaves no file and the
// window open.
TEST_F(BitmapWindowTest, CloseBoxStopsThenDiscardsAndAFailedSaveIsReported) {
  const QString gone = folder.filePath("gone/B.BMP");
  Open(false, "gone/B.BMP", [&](int x) {
    if (x == 10) bmp->close();
  });
  EXPECT_TRUE(bmp->isVisible() && UndrawnFrom(*bmp, 11));
  Click(Button(*bmp, "cmdSaveBMPandClose"));
  EXPECT_EQ(messages, Messages({{"Error Number 76", "Path not found\n" + gone, MessageIcon::Critical}}));
  EXPECT_TRUE(bmp->isVisible() && !QFileInfo::exists(gone));
  bmp->close();
  EXPECT_FALSE(bmp->isVisible());
  EXPECT_EQ(bmp->result(), QDialog::Rejected);
}

TEST_F(BitmapWindowTest, SavesTheBytesThatQuibranBatchWritesForTheSameSeed) {
  for (const bool monochrome : {false, true}) {
    Open(monochrome, "W.BMP");
    Click(Button(*bmp, "cmdSaveBMPandClose"));
    QProcess batch;
    batch.setWorkingDirectory(folder.path());
    QStringList args = {"--source", "mt",     "--file-type", "bmp",    "--width", "120",    "--height",
                        "100",      "--seed", "5",           "--stem", "Q",       "--quiet"};
    if (monochrome) args << "--monochrome";
    batch.start(QUIBRAN_BATCH_PATH, args);
    ASSERT_TRUE(batch.waitForFinished() && batch.exitCode() == 0) << batch.readAllStandardError().toStdString();
    QFile saved(folder.filePath("W.BMP")), made(folder.filePath("Q0001.BMP"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly) && made.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes.size(), 54 + kW * 3 * kH) << monochrome;
    EXPECT_TRUE(bytes == made.readAll()) << monochrome;
  }
}

// Source 4: a device failure is reported in the job's form. An input/output
// failure closes the window (the job then ends through its failure path);
// any other leaves it open with what was drawn, to be closed.
TEST_F(BitmapWindowTest, DeviceFailuresInTheWindow) {
  for (const auto& [fail_at, failure] : {std::pair{1 + 2 * kH + 5, RuntimeError(kErrDeviceIO)},
                                         {0, RuntimeError(kErrDeviceUnavailable, "Device unavailable: none")}}) {
    DeviceScript script;
    script.fail_at = fail_at;
    script.failure = failure;
    BitmapRequest request{kSourceHardware, kW, kH, false, std::nullopt, Path("D.BMP")};
    request.device_factory = script.Factory();
    drawing.emplace(sources, request, stop);
    bmp.emplace(*drawing, &window);
    messages.clear();
    if (failure.number() == kErrDeviceIO) {
      EXPECT_THROW(bmp->Form_Load(), RuntimeError);
      EXPECT_TRUE(messages.empty());
      EXPECT_FALSE(bmp->isVisible());
      EXPECT_TRUE(UndrawnFrom(*bmp, 3) && !UndrawnFrom(*bmp, 2));  // five pixels of column 2
      continue;
    }
    bmp->Form_Load();
    EXPECT_EQ(messages,
              Messages({{"Error Number 68", "Alea Device:  Device unavailable: none", MessageIcon::Critical}}));
    EXPECT_EQ(script.calls, std::vector<std::string>{"1 Open"});
    EXPECT_TRUE(bmp->isVisible() && !Button(*bmp, "cmdSaveBMPandClose")->isEnabled());
    Click(Button(*bmp, "cmdCloseBMP"));
    EXPECT_FALSE(bmp->isVisible());
  }
}

// Save && Close advances the start sequence (kept with Save Seq); the main
// window's Stop ends the drawing and Close discards; closing the main window
// closes the bitmap window and ends the job.
TEST_F(BitmapWindowTest, BitmapJobsFromTheMainWindow) {
  PrepareJob(kFileBmp, kSourceMersenneTwister, "100", "1");
  Click("chkSaveLastSeq");
  const auto click_later = [](QPushButton* button) { QTimer::singleShot(0, button, &QPushButton::click); };
  OnColumns([&](BitmapWindow& w, int x) {
    if (x == 99) click_later(Button(w, "cmdSaveBMPandClose"));
  });
  Click("cmdStart");
  EXPECT_EQ(QImage(folder.filePath("RAND0001.BMP")).size(), QSize(100, 100));
  EXPECT_EQ(Text("txtStartSequence"), "0002");

  int last_column = -1;
  OnColumns([&](BitmapWindow& w, int x) {
    last_column = x;
    if (x != 5) return;
    Click("cmdStop");
    click_later(Button(w, "cmdCloseBMP"));
  });
  Click("cmdStart");
  EXPECT_EQ(last_column, 5);  // the drawing stopped after the column of the click
  OnColumns([&](BitmapWindow&, int x) {
    if (x == 5) window.close();
  });
  Click("cmdStart");
  EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"RAND0001.BMP"});
  EXPECT_EQ(Text("txtStartSequence"), "0002");
  EXPECT_TRUE(Get("cmdStart")->isEnabled() && !Get("cmdStop")->isEnabled());
  EXPECT_FALSE(window.isVisible() || window.findChild<BitmapWindow*>());
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace quibran::test
