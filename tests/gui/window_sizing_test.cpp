// Every window takes its size from its font: from 8 to 14 points each caption
// shows whole and no two controls overlap. The bitmap window fits the screen.

#include <QApplication>
#include <QGroupBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
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

// The application's font at `points` while it lives.
class FontSize {
 public:
  explicit FontSize(int points) {
    QFont font = saved_;
    font.setPointSize(points);
    QApplication::setFont(font);
  }
  ~FontSize() { QApplication::setFont(saved_); }

 private:
  const QFont saved_ = QApplication::font();
};

// The widgets a window lays out (a list's own parts are the list's), shown or
// keeping their place while hidden (the progress bars).
std::vector<const QWidget*> Controls(const QWidget& window) {
  std::vector<const QWidget*> controls;
  for (const QWidget* w : window.findChildren<QWidget*>()) {
    const bool control = qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w) ||
                         (qobject_cast<const QLineEdit*>(w) && !qobject_cast<const QComboBox*>(w->parentWidget())) ||
                         qobject_cast<const QComboBox*>(w) || qobject_cast<const QGroupBox*>(w) ||
                         qobject_cast<const QProgressBar*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
                         qobject_cast<const QTextEdit*>(w);
    const bool placed = w->isVisible() || (w->sizePolicy().retainSizeWhenHidden() && w->parentWidget()->isVisible());
    if (control && placed && w->window() == &window) controls.push_back(w);
  }
  return controls;
}

// What a control needs to show its caption whole.
QSize CaptionSize(const QWidget& w) {
  if (const auto* label = qobject_cast<const QLabel*>(&w))
    return label->wordWrap() ? QSize(0, label->heightForWidth(label->width())) : label->sizeHint();
  if (qobject_cast<const QAbstractButton*>(&w)) return w.sizeHint();
  if (qobject_cast<const QGroupBox*>(&w)) return w.minimumSizeHint();
  return {};
}

// Captions cut, controls outside the window or over one another.
QStringList Faults(const QWidget& window) {
  const std::vector<const QWidget*> controls = Controls(window);
  const auto name = [](const QWidget* w) { return w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName(); };
  const auto place = [&](const QWidget* w) { return QRect(w->mapTo(&window, QPoint()), w->size()); };
  QStringList faults;
  for (size_t i = 0; i < controls.size(); ++i) {
    const QWidget* w = controls[i];
    const QSize need = CaptionSize(*w);
    if (need.width() > w->width() || need.height() > w->height())
      faults << QString("%1 cut: %2x%3 of %4x%5").arg(name(w)).arg(w->width()).arg(w->height()).arg(need.width()).arg(need.height());
    if (!window.rect().contains(place(w))) faults << name(w) + " outside the window";
    for (size_t j = i + 1; j < controls.size(); ++j) {
      const QWidget* other = controls[j];
      if (!w->isAncestorOf(other) && !other->isAncestorOf(w) && place(w).intersects(place(other)))
        faults << name(w) + " over " + name(other);
    }
  }
  return faults;
}

class WindowSizingTest : public WindowTest {
 protected:
  // A drawing of a W x H picture for a bitmap window.
  BitmapDrawing& Drawing(int16_t width, int16_t height) {
    drawing.emplace(sources, BitmapRequest{kSourceMersenneTwister, width, height, false, 5, "unused.BMP"}, stop);
    return *drawing;
  }
  bool stop = false;
  std::optional<BitmapDrawing> drawing;
};

TEST_F(WindowSizingTest, EveryCaptionShowsWholeAndNothingOverlapsAtEveryFontSize) {
  using Check = std::function<QStringList(MainWindow&)>;
  const auto shown = [](QWidget& w) {
    w.show();
    return Faults(w);
  };
  const std::pair<const char*, Check> windows[] = {
      {"frmMain",
       [](MainWindow& main) {
         QStringList faults;
         for (const size_t type : {0u, 1u, 2u, 3u}) {
           main.findChild<QRadioButton*>(QString("optFileType%1").arg(type))->setChecked(true);
           for (const QString& fault : Faults(main)) faults << Q(FileExtensions[type]) + ": " + fault;
         }
         // The option rows of both frames lie alike.
         for (int row = 0; row < 4; ++row) {
           QList<int> tops;
           for (const QString& name : {QString("optFileType%1").arg(row), QString("optNumType%1").arg(row),
                                       QString("optNumType%1").arg(row + 4)})
             tops << main.findChild<QWidget*>(name)->mapTo(&main, QPoint()).y();
           if (tops.count(tops[0]) != 3) faults << QString("option row %1 at %2").arg(row).arg(tops[0]);
         }
         return faults;
       }},
      {"frmBMP",
       [&](MainWindow& main) {
         BitmapWindow bmp(Drawing(100, 100), &main);
         QStringList faults;
         QObject::connect(&bmp, &BitmapWindow::columnDrawn, [&](int x) {
           if (x == 0) faults << Faults(bmp);  // "Stop" and "Working..."
         });
         bmp.Form_Load();
         return faults << Faults(bmp);  // "Close" and "Save & Close"
       }},
      {"frmOptions", [&](MainWindow& main) { OptionsDialog options(main); return shown(options); }},
      {"frmAbout", [&](MainWindow& main) { AboutDialog about(&main); return shown(about); }},
      {"frmHelp", [&](MainWindow& main) { HelpWindow help(&main); help.ShowContents(); return Faults(help); }},
      {"frmSplash", [&](MainWindow&) { Splash splash; return shown(splash); }},
  };
  for (const int points : {8, 10, 12, 14}) {
    const FontSize font(points);
    JobSettings own = BuiltInDefaults();
    MainWindow main(own, sources);
    main.show();
    for (const auto& [name, faults] : windows) EXPECT_EQ(faults(main), QStringList()) << name << " at " << points << " pt";
  }
}

// The usual font keeps the described 727 x 560 pixels (at 96 dots per inch);
// a larger one, even set while the window is open, grows the window.
TEST_F(WindowSizingTest, MainWindowGrowsWithItsFontAndComesBack) {
  const QSize described = window.size();
  EXPECT_EQ(described, QSize(727, 560));
  {
    const FontSize font(14);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.width() > 727 && window.height() > 560; }));
    EXPECT_EQ(Faults(window), QStringList());
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == described; }));
}

// A picture larger than the screen's free area scrolls at its full size in a
// window that fits; one that fits is shown whole, without scroll bars.
TEST_F(WindowSizingTest, BitmapWindowFitsTheScreenAndScrollsWhatDoesNot) {
  const QSize room = window.screen()->availableGeometry().size() - (window.frameGeometry().size() - window.size());
  const struct {
    QSize picture;
    bool scrolls_across, scrolls_down;
  } cases[] = {
      {{120, 100}, false, false},
      {{room.width(), room.height()}, false, false},
      {{300, room.height() + 1}, false, true},
      {{room.width() + 1, 300}, true, false},
      {{room.width() + 40, room.height() + 40}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QString("%1x%2").arg(c.picture.width()).arg(c.picture.height()).toStdString());
    BitmapWindow bmp(Drawing(static_cast<int16_t>(c.picture.width()), static_cast<int16_t>(c.picture.height())),
                     &window);
    bmp.Form_Load();
    const auto* scroll = bmp.findChild<QScrollArea*>("scrPicture");
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->widget()->size(), c.picture);
    EXPECT_TRUE(room.width() >= bmp.width() && room.height() >= bmp.height());
    EXPECT_EQ(scroll->horizontalScrollBar()->isVisible(), c.scrolls_across);
    EXPECT_EQ(scroll->verticalScrollBar()->isVisible(), c.scrolls_down);
    if (!c.scrolls_across && !c.scrolls_down) {
      EXPECT_EQ(bmp.size(), c.picture);
    }
    bmp.close();
  }
}

}  // namespace
}  // namespace quibran::test
