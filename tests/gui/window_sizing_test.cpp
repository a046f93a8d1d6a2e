// SPDX-License-Identifier: GPL-3.0-or-later
// Every window takes its size from its font: from 8 to 14 points each caption
// shows whole and no two controls overlap. The bitmap window fits the screen.

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <functional>

#include "app/about_dialog.h"
#include "app/bitmap_window.h"
#include "app/help_window.h"
#include "app/options_dialog.h"
#include "app/splash.h"
#include "job/bitmap_picture.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

// What a control needs to show its caption whole (nothing for a field).
QSize CaptionSize(const QWidget& w) {
  if (const auto* label = qobject_cast<const QLabel*>(&w); label && label->wordWrap())
    return {0, label->heightForWidth(label->width())};
  if (w.inherits("QLabel") || w.inherits("QAbstractButton")) return w.sizeHint();
  return w.inherits("QGroupBox") ? w.minimumSizeHint() : QSize(0, 0);
}

// Captions cut, and controls outside the window or over one another, among
// the controls it lays out (a list's parts are the list's; the progress bars
// keep their place while hidden).
QStringList Faults(const QWidget& window) {
  std::vector<const QWidget*> controls;
  for (const QWidget* w : window.findChildren<QWidget*>())
    for (const char* kind : {"QLabel", "QAbstractButton", "QLineEdit", "QComboBox", "QGroupBox", "QProgressBar",
                             "QPlainTextEdit", "QTextEdit"})
      if (w->inherits(kind) && w->window() == &window && !qobject_cast<const QComboBox*>(w->parentWidget()) &&
          (w->isVisible() || w->sizePolicy().retainSizeWhenHidden()))
        controls.push_back(w);
  const auto place = [&](const QWidget* w) { return QRect(w->mapTo(&window, QPoint()), w->size()); };
  QStringList faults;
  for (auto w = controls.begin(); w != controls.end(); ++w) {
    const QString name = (*w)->objectName().isEmpty() ? (*w)->metaObject()->className() : (*w)->objectName();
    if (CaptionSize(**w).boundedTo((*w)->size()) != CaptionSize(**w)) faults << name + " cut";
    if (!window.rect().contains(place(*w))) faults << name + " outside";
    for (auto other = w + 1; other != controls.end(); ++other)
      if (!(*w)->isAncestorOf(*other) && !(*other)->isAncestorOf(*w) && place(*w).intersects(place(*other)))
        faults << name + " over " + (*other)->objectName();
  }
  return faults;
}

QStringList Shown(QWidget& window) {
  window.show();
  return Faults(window);
}

using WindowSizingTest = WindowTest;

// The main window (open since the usual font, for each file type), a bitmap
// window while drawing and drawn (a picture taller than the screen's free
// area scrolls in a window that fits), and the dialogs.
TEST_F(WindowSizingTest, EveryCaptionShowsWholeAndNothingOverlapsFrom8To14Points) {
  bool stop = false;
  const int room = window.screen()->availableGeometry().height();
  const std::pair<const char*, std::function<QStringList()>> windows[] = {
      {"frmMain",
       [&] {
         QStringList faults;
         for (int type = 0; type < 4; ++type) {
           ChooseFileType(type);
           faults << Faults(window);
         }
         const auto top = [&](const QString& name) { return Get(name)->mapTo(&window, QPoint()).y(); };
         for (int row = 0; row < 4; ++row)  // the rows of both option frames lie alike
           if (top(QString("optNumType%1").arg(row)) != top(QString("optFileType%1").arg(row)) ||
               top(QString("optNumType%1").arg(row + 4)) != top(QString("optFileType%1").arg(row)))
             faults << QString("option row %1").arg(row);
         return faults;
       }},
      {"frmBMP",
       [&] {
         QStringList faults;
         for (const int16_t height : {int16_t(100), static_cast<int16_t>(room + 40)}) {
           BitmapDrawing drawing(sources, {kSourceMersenneTwister, 100, height, false, 5, ""}, stop);
           BitmapWindow bmp(drawing, &window);
           QObject::connect(&bmp, &BitmapWindow::columnDrawn,
                            [&](int x) { faults << (x ? QStringList() : Faults(bmp)); });
           bmp.Form_Load();
           const QScrollArea* scroll = bmp.findChild<QScrollArea*>();
           if (bmp.height() > room || scroll->widget()->height() != height ||
               scroll->verticalScrollBar()->isVisible() != (height > room) ||
               scroll->horizontalScrollBar()->isVisible())
             faults << QString("picture of %1 rows").arg(height);
           faults << Faults(bmp);
         }
         return faults;
       }},
      {"frmOptions",
       [&] {
         OptionsDialog w(window);
         return Shown(w);
       }},
      {"frmAbout",
       [&] {
         AboutDialog w(&window);
         return Shown(w);
       }},
      {"frmHelp",
       [&] {
         HelpWindow w(&window);
         return Shown(w);
       }},
      {"frmSplash",
       [&] {
         Splash w;
         return Shown(w);
       }},
  };
  const QFont usual = QApplication::font();
  for (const int points : {8, 10, 12, 14}) {
    QFont font = usual;
    font.setPointSize(points);
    QApplication::setFont(font);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Faults(window).isEmpty(); }));  // the open window lays itself out anew
    for (const auto& [name, faults] : windows) EXPECT_EQ(faults(), QStringList()) << name << " at " << points << " pt";
  }
  QApplication::setFont(usual);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == QSize(727, 560); }));  // 10900 x 8400 twips again
}

}  // namespace
}  // namespace quibran::test
