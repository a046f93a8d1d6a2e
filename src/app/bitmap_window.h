// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>

#include "picture/picture.h"

namespace Ui {
class frmBMP;
}

namespace quibran {

class BitmapDrawing;

// The bitmap window `frmBMP`, owned by the main window. It shows the picture
// while the drawing makes it, yielding after every column so that its Stop
// and the main window's Stop act; then, topmost and modal, it writes the
// picture to the job's file ("Save && Close") or discards it ("Close"). Its
// close box (and Escape) acts as Stop while drawing and as Close afterwards.
// A picture larger than the screen's free area scrolls in the window.
class BitmapWindow : public QDialog {
  Q_OBJECT
 public:
  BitmapWindow(BitmapDrawing& drawing, QWidget* owner);
  ~BitmapWindow() override;

  // Form_Load, then waits until the window has closed; true when it saved.
  bool Run();
  // Shows the window and draws the picture. Returns once the drawing has
  // ended, the window then waiting for a button, or when it was closed
  // meanwhile by CloseDiscarding.
  void Form_Load();
  // For the owner that is closing: ends the drawing after its column and
  // closes the window, the picture discarded.
  void CloseDiscarding();

  const Picture& picture() const { return picture_; }

  // The close box and Escape.
  void reject() override;

  // While the picture waits for Save or Close, the owner takes no input.
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // Column x is complete and shown, and the events pending then were handled.
  void columnDrawn(int x);

 private:
  void PlaceButtons();
  QSize DrawingAreaSize() const;
  void StayOnTopAndModal();
  void cmdCloseBMP_Click();
  void cmdSaveBMPandClose_Click();

  std::unique_ptr<Ui::frmBMP> ui_;
  BitmapDrawing& drawing_;
  Picture picture_;
  QWidget* view_;  // shows the picture, in a scroll area
  bool closing_ = false;
};

}  // namespace quibran
