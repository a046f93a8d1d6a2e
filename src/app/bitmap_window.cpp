// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/bitmap_window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>
#include <utility>

#include "app/message_box.h"
#include "job/bitmap_picture.h"
#include "platform/runtime_error.h"
#include "random/hardware_device.h"
#include "ui_bitmap_window.h"

namespace quibran {

namespace {

const QString kStop = QStringLiteral("Stop");
const QString kWorking = QStringLiteral("Working...");
const QString kClose = QStringLiteral("Close");
const QString kSaveAndClose = QStringLiteral("Save && Close");

// The buttons' place and least size, and the gap between them.
constexpr QPoint kButtonsAt(8, 8);
constexpr QSize kButtonSize(89, 25);
constexpr int kButtonGap = 7;

// The picture at its own size, painted from the persistent image.
class PictureView : public QWidget {
 public:
  PictureView(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {
    setFixedSize(image.size());
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
  }

 private:
  const QImage& image_;
};

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
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName("scrPicture");
  scroll->setFrameShape(QFrame::NoFrame);
  view_ = new PictureView(picture_.image(), scroll);
  scroll->setWidget(view_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  scroll->lower();  // the buttons stay above the picture
  connect(ui_->cmdCloseBMP, &QPushButton::clicked, this, &BitmapWindow::cmdCloseBMP_Click);
  connect(ui_->cmdSaveBMPandClose, &QPushButton::clicked, this, &BitmapWindow::cmdSaveBMPandClose_Click);
  connect(this, &QDialog::finished, this, [this] { QCoreApplication::instance()->removeEventFilter(this); });
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
  PlaceButtons();
  setFixedSize(DrawingAreaSize());  // the frame comes on top
  ui_->cmdCloseBMP->setText(kStop);
  ui_->cmdSaveBMPandClose->setText(kWorking);
  show();
  try {
    drawing_.Draw(picture_.pixels(), picture_.stride(), [this, height](int x) {
      view_->update(x, 0, 1, height);
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
    ShowMessage(this, QString::fromStdString(ErrorTitle(error)), QString::fromStdString(DeviceFailureText(error)),
                MessageIcon::Critical);
    ui_->cmdCloseBMP->setText(kClose);
    ui_->cmdSaveBMPandClose->setEnabled(false);
    return;
  }
  if (closing_) {
    QDialog::reject();
    return;
  }
  StayOnTopAndModal();
  ui_->cmdCloseBMP->setText(kClose);
  ui_->cmdSaveBMPandClose->setText(kSaveAndClose);
  ui_->cmdSaveBMPandClose->setFocus();
}

// Both buttons the same size: 89 x 25 pixels, or more where a caption in the
// window's font needs more. The first sits at (8, 8), the second below it.
void BitmapWindow::PlaceButtons() {
  QSize size = kButtonSize;
  for (const auto& [button, caption] : {std::pair{ui_->cmdSaveBMPandClose, kWorking},
                                        {ui_->cmdSaveBMPandClose, kSaveAndClose},
                                        {ui_->cmdCloseBMP, kStop},
                                        {ui_->cmdCloseBMP, kClose}}) {
    button->setText(caption);
    size = size.expandedTo(button->sizeHint());
  }
  ui_->cmdSaveBMPandClose->setGeometry(QRect(kButtonsAt, size));
  ui_->cmdCloseBMP->setGeometry(QRect(kButtonsAt + QPoint(0, size.height() + kButtonGap), size));
}

// The picture's W x H pixels, as far as the screen's free area (less panels)
// has room for them with the window's frame; a picture that does not fit
// scrolls, its scroll bars added to the area. The owner's frame stands for
// this window's, which the window manager gives only once the window shows.
// The area is never narrower or lower than the buttons need.
QSize BitmapWindow::DrawingAreaSize() const {
  const QWidget& owner = parentWidget() ? *parentWidget() : static_cast<const QWidget&>(*this);
  const QSize room = owner.screen()->availableGeometry().size() - (owner.frameGeometry().size() - owner.size());
  const QSize picture = picture_.image().size();
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  bool across = picture.width() > room.width();
  const bool down = picture.height() > room.height() - (across ? bar : 0);
  across = picture.width() > room.width() - (down ? bar : 0);
  const QSize area(picture.width() + (down ? bar : 0), picture.height() + (across ? bar : 0));
  const QRect buttons = ui_->cmdSaveBMPandClose->geometry() | ui_->cmdCloseBMP->geometry();
  return area.boundedTo(room).expandedTo(QSize(buttons.right() + 1 + kButtonsAt.x(), buttons.bottom() + 1));
}

// Topmost and modal until the window closes, where it is. Qt applies a
// change of a widget's window flags or modality only by showing the window
// anew, which unmaps it and lets the window manager place it again; so the
// flag goes to the native window directly, which on X11 asks the window
// manager for _NET_WM_STATE_ABOVE, and the window holds the owner's input
// back itself (eventFilter). Wayland gives a client no way to keep a window
// above others (the compositor alone stacks windows): there the flag does
// nothing, and the window only asks to come to the front and take the focus,
// which the compositor may grant.
void BitmapWindow::StayOnTopAndModal() {
  overrideWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
  windowHandle()->setFlags(windowFlags());
  raise();
  activateWindow();
  QCoreApplication::instance()->installEventFilter(this);
}

// Clicks, keys and shortcuts for the owner's controls go nowhere. (Accepting
// the shortcut override keeps the owner's shortcuts from firing.)
bool BitmapWindow::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != parentWidget()) return false;
  switch (event->type()) {
    case QEvent::ShortcutOverride: event->accept(); return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu: return true;
    default: return false;
  }
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

}  // namespace quibran
