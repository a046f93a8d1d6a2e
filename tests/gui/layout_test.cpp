// SPDX-License-Identifier: GPL-3.0-or-later
// Every window's fit: from 8 to 14 points (and at twice the scale, see CMakeLists.txt) each caption shows whole and no
// two controls overlap. The main window's layout by file type and by source, readable in any palette and named for
// assistive technology.

#include "app/about_dialog.h"
#include "app/bitmap_window.h"
#include "app/help_window.h"
#include "app/options_dialog.h"
#include "app/readable_colours.h"
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

// Captions cut, and controls outside the window or over one another (a list's parts are the list's; the progress bars
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

template <class W, class... Args>
QStringList FaultsShown(Args&&... args) {
  W w(std::forward<Args>(args)...);
  w.show();
  return Faults(w);
}

using WindowSizingTest = WindowTest;

// The main window (open since the usual font, for each file type), a bitmap window while drawing and drawn (taller than
// the screen's free area: the window fits, the picture scrolls), and the dialogs.
TEST_F(WindowSizingTest, EveryCaptionShowsWholeAndNothingOverlapsFrom8To14Points) {
  bool stop = false;
  const int room = window.screen()->availableGeometry().height();
  const QFont usual = QApplication::font();
  for (const int points : {8, 10, 12, 14}) {
    QFont font = usual;
    font.setPointSize(points);
    QApplication::setFont(font);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Faults(window).isEmpty(); }));  // the open window lays itself out anew
    QStringList faults;
    for (int type = 0; type < kFileTypeCount; ++type) {
      ChooseFileType(type);
      faults << Faults(window);
    }
    BitmapDrawing drawing(sources, {kSourceMersenneTwister, 100, static_cast<int16_t>(room + 40), false, 5, ""}, stop);
    BitmapWindow bmp(drawing, &window);
    QObject::connect(&bmp, &BitmapWindow::columnDrawn, [&](int x) { faults << (x ? QStringList() : Faults(bmp)); });
    bmp.Form_Load();
    if (bmp.height() > room || !bmp.findChild<QScrollArea*>()->verticalScrollBar()->isVisible()) faults << "picture";
    faults << Faults(bmp) << FaultsShown<OptionsDialog>(window) << FaultsShown<AboutDialog>(&window)
           << FaultsShown<HelpWindow>(&window) << FaultsShown<Splash>();
    EXPECT_EQ(faults, QStringList()) << points << " pt";
  }
  QApplication::setFont(usual);
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == QSize(727, 560); }));  // at the usual font
}

class LayoutTest : public WindowTest {
 protected:
  // Bit n stands for optNumType n, set where `state` holds.
  unsigned NumTypes(bool (QAbstractButton::*state)() const) {
    unsigned bits = 0;
    for (int n = 0; n < kNumTypeCount; ++n) bits |= unsigned{(NumType(n)->*state)()} << n;
    return bits;
  }
  // The layout in one line: the quantity list's length, the quantity shown and stored, the captions, the enabled
  // columns field and check boxes, the number types offered and chosen, the fields' colours ("plain" for the system's
  // own), the files field and the file name.
  QString Layout() {
    QString line = QString("%1 %2 %3 | %4 %5 |")
                       .arg(Quantity()->count())
                       .arg(Text("cmbNumOfNums"))
                       .arg(settings.NumOfNums)
                       .arg(Get<QLabel>("lblNumOfNums")->text(), Get<QLabel>("lblCSVcolumnsX")->text());
    for (const char* name : {"txtCSVcolumnsX", "lblCSVcolumnsX", "chkDisplay", "chkMonochrome"})
      if (Get(name)->isEnabled()) line += QString(" ") + name;
    line += QString(" | %1 %2 |").arg(NumTypes(&QAbstractButton::isEnabled), 2, 16, QChar('0')).arg(settings.NumType);
    for (const char* name : {"cmbNumOfNums", "txtCSVcolumnsX", "txtNumOfFiles"}) {
      const QColor colour = Get(name)->palette().color(QPalette::Active, QPalette::Base);
      line += " " + (colour == QApplication::palette().color(QPalette::Base) ? "plain" : colour.name());
    }
    auto* files = Get<QLineEdit>("txtNumOfFiles");
    return line + (files->isReadOnly() ? " | locked " : " | ") + files->text() + " " + Text("txtFileName");
  }
};

// Each layout undoes another one (.BMP comes first); in the light palette and in a dark one, whose white text the light
// colours would hide, each coloured field sets a text colour readable on it.
TEST_F(LayoutTest, EachFileTypeLaysOutTheFieldsReadablyInAnyPalette) {
  const QString layouts[] = {
      "16 768 768 | File Size in Bytes: Width in Pixels (X): | | 01 0 | plain plain plain | 3 RAND0001.BIN",
      "14 768 768 | Quantity of Numbers: Width in Pixels (X): | chkDisplay | 7f 0 | plain plain plain | 3 RAND0001.ASC",
      "8 100 100 | Height in Pixels (Y): Width in Pixels (X): | txtCSVcolumnsX lblCSVcolumnsX chkMonochrome | 80 7 "
      "| #ffc0c0 #ffc0c0 #ffff80 | locked 1 RAND0001.BMP",
      "999 1 1 | Number of CSV Rows: CSV Columns: | txtCSVcolumnsX lblCSVcolumnsX | 7f 0 | #80ff80 #80ff80 plain "
      "| 3 RAND0001.CSV"};
  const QPalette light = QApplication::palette(), dark(QColor(45, 45, 45));
  ASSERT_LT(ContrastRatio(dark.color(QPalette::Text), QColor(255, 255, 128)), kReadableContrast);
  ChooseDevice(kSourceMersenneTwister);
  for (const auto& [palette, types] : {std::pair{light, std::vector{kFileBmp, kFileBin, kFileAsc, kFileCsv, kFileBmp}},
                                       {dark, std::vector{kFileCsv, kFileBmp, kFileBin}}}) {
    QApplication::setPalette(palette);
    for (int type : types) {
      Get<QLineEdit>("txtNumOfFiles")->setText("3");
      ChooseFileType(type);
      EXPECT_EQ(settings.FileType, type);
      EXPECT_EQ(Layout(), layouts[type]);
      EXPECT_EQ(NumTypes(&QAbstractButton::isChecked), 1u << settings.NumType);
      // Tab from the file type lands on the number type that the layout selected.
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), NumType(settings.NumType)) << type;
      for (const char* name : {"cmbNumOfNums", "txtCSVcolumnsX", "txtNumOfFiles"}) {
        const QPalette& field = Get(name)->palette();
        const auto colour = [&](QPalette::ColorRole role) { return field.color(QPalette::Active, role); };
        EXPECT_GE(ContrastRatio(colour(QPalette::Base), colour(QPalette::Text)), kReadableContrast) << name << type;
      }
    }
  }
  QApplication::setPalette(light);
  EXPECT_TRUE(messages.empty());
}

// Each source offers the number types it makes (.ASC leaves out Color) and lights its indicator green, described so,
// where it is fit for one-time pads. Assistive technology finds a name, not a value, on every control that takes the
// focus or shows something.
TEST_F(LayoutTest, EachSourceOffersItsNumberTypesAndEveryControlIsNamed) {
  const QImage red = Get<QLabel>("picQuibranRed")->pixmap().toImage();
  ChooseFileType(kFileAsc);
  for (int source = 0; source < kSourceCount; ++source) {
    ChooseDevice(source);
    for (int type = 0; type < kNumTypeCount; ++type)
      EXPECT_EQ(NumType(type)->isEnabled(), type != kNumColor && SourceMakes(source, type)) << source << type;
    EXPECT_EQ(Get<QLabel>("picQuibran")->pixmap().toImage() == red, !SecretSource(source));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Get("picQuibran"))->text(QAccessible::Description),
              SecretSource(source) ? "a source fit for one-time pads" : "a software generator");
  }

  ChooseDevice(kSourceMtWh);  // shows the second indicator
  ChooseFileType(kFileBmp);
  for (const char* bar : {"pbrFileProgress", "pbrJobProgress"}) Get(bar)->show();
  AboutDialog about(&window);
  about.show();
  QStringList unnamed;
  const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
    if (node->state().invisible) return;
    const QString name = node->text(QAccessible::Name);
    if ((node->state().focusable ||
         QList{QAccessible::StaticText, QAccessible::Graphic, QAccessible::ProgressBar}.contains(node->role())) &&
        (name.isEmpty() || name == node->text(QAccessible::Value)))
      unnamed << node->object()->objectName() + " " + node->object()->metaObject()->className();
    for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
  };
  for (QWidget* top : std::initializer_list<QWidget*>{&window, &about})
    walk(QAccessible::queryAccessibleInterface(top));
  EXPECT_EQ(unnamed, QStringList());
}

}  // namespace
}  // namespace quibran::test
