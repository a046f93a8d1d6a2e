#include "app/bitmap_window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPaintEvent>
#include <QPainter>

#include "app/message_box.h"
#include "job/bitmap_picture.h"
#include "platform/runtime_error.h"
#include "ui_bitmap_window.h"

namespace quibran {

namespace {

const QString kStop = QStringLiteral("Stop");
const QString kWorking = QStringLiteral("Working...");

}  // namespace

BitmapWindow::BitmapWindow(BitmapDrawing& drawing, QWidget* owner)
    : QDialog(owner),
      ui_(std::make_unique<Ui::frmBMP>()),
      drawing_(drawing),
      picture_(drawing.request().width, drawing.request().height, palette().color(QPalette::Window).rgb()) {
  ui_->setupUi(this);
  // No title text. An empty title would show the program's name instead on
  // some platforms (X11), a blank shows nothing.
  setWindowTitle(QStringLiteral(" "));
  // The picture covers the whole drawing area.
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(ui_->cmdCloseBMP, &QPushButton::clicked, this, &BitmapWindow::cmdCloseBMP_Click);
  connect(ui_->cmdSaveBMPandClose, &QPushButton::clicked, this, &BitmapWindow::cmdSaveBMPandClose_Click);
}

BitmapWindow::~BitmapWindow() = default;

bool BitmapWindow::Run() {
  Form_Load();
  if (isVisible()) {
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return result() == Accepted;
}

void BitmapWindow::Form_Load() {
  const int height = drawing_.request().height;
  // The drawing area is exactly W x H; the frame comes on top.
  setFixedSize(drawing_.request().width, height);
  ui_->cmdCloseBMP->setText(kStop);
  ui_->cmdSaveBMPandClose->setText(kWorking);
  show();
  try {
    drawing_.Draw(picture_.pixels(), picture_.stride(), [this, height](int x) {
      update(x, 0, 1, height);
      QCoreApplication::processEvents();
      emit columnDrawn(x);
    });
  } catch (const RuntimeError& error) {
    // The device failed. An input/output failure closes the window and ends
    // the job through its failure path, which reports it; any other is
    // reported here and leaves what was drawn, the window to be closed.
    if (error.number() == kErrDeviceIO) {
      QDialog::reject();
      throw;
    }
    ShowMessage(this, QString::fromStdString(ErrorTitle(error)),
                QString::fromStdString("Alea Device:  " + error.description()), MessageIcon::Critical);
    ui_->cmdCloseBMP->setText("Close");
    ui_->cmdSaveBMPandClose->setEnabled(false);
    return;
  }
  if (closing_) {
    QDialog::reject();
    return;
  }
  // Topmost and modal until it closes. Changing either hides the window;
  // it comes back where it was.
  const QPoint position = pos();
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setWindowModality(Qt::ApplicationModal);
  move(position);
  show();
  ui_->cmdCloseBMP->setText("Close");
  ui_->cmdSaveBMPandClose->setText("Save && Close");
  ui_->cmdSaveBMPandClose->setFocus();
}

void BitmapWindow::CloseDiscarding() {
  closing_ = true;
  reject();
}

void BitmapWindow::reject() { cmdCloseBMP_Click(); }

// "Stop" only asks the drawing to end; "Close" discards the picture.
void BitmapWindow::cmdCloseBMP_Click() {
  if (ui_->cmdCloseBMP->text() == kStop) {
    drawing_.RequestStop();
    return;
  }
  QDialog::reject();
}

// A save that fails is reported with the file's name (it leaves no file of
// its own; one of that name stays as it was); the window stays open and can
// still close.
void BitmapWindow::cmdSaveBMPandClose_Click() {
  if (ui_->cmdSaveBMPandClose->text() == kWorking) return;
  const std::string& path = drawing_.request().OutputFileName;
  try {
    picture_.Save(path, SecretSource(drawing_.request().DeviceIndex));
  } catch (const RuntimeError& error) {
    ShowMessage(this, QString::fromStdString(ErrorTitle(error)),
                QString::fromStdString(error.description() + "\n" + path), MessageIcon::Critical);
    return;
  }
  accept();
}

void BitmapWindow::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.drawImage(event->rect(), picture_.image(), event->rect());
}

}  // namespace quibran
