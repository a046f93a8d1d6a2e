// The message wrapper shows real modal boxes when nothing intercepts it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "app/main_window.h"
#include "app/message_box.h"
#include "fixed_clock.h"
#include "qt_printers.h"
#include "random/random_sources.h"
#include "settings/defaults.h"

namespace quibran {
namespace {

TEST(MessageBox, ShowsTitleTextIconAndOnlyOk) {
  for (const auto& [icon, box_icon] :
       {std::pair{MessageIcon::None, QMessageBox::NoIcon}, std::pair{MessageIcon::Information, QMessageBox::Information},
        std::pair{MessageIcon::Exclamation, QMessageBox::Warning},
        std::pair{MessageIcon::Critical, QMessageBox::Critical}}) {
    bool seen = false;
    QTimer::singleShot(0, [&, expected = box_icon] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = true;
      EXPECT_EQ(box->windowTitle(), "Error Number 61");
      EXPECT_EQ(box->text(), "Disk full");
      EXPECT_EQ(box->icon(), expected);
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      box->button(QMessageBox::Ok)->click();
    });
    ShowMessage(nullptr, "Error Number 61", "Disk full", icon);
    EXPECT_TRUE(seen);
  }
}

// A real box takes the focus from the field that showed it; that is no leave,
// so the field's check does not run again.
TEST(MessageBox, RealBoxFromAFieldCheckShowsOnce) {
  test::FixedClock clock(45000, 0.0f);
  RandomSources sources(clock);
  JobSettings settings = BuiltInDefaults();
  MainWindow window(settings, sources);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.findChild<QRadioButton*>("optFileType2")->setChecked(true);

  QStringList shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown << box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
  closer.start(5);
  auto* quantity = window.findChild<QComboBox*>("cmbNumOfNums");
  quantity->setFocus();
  quantity->lineEdit()->selectAll();
  QTest::keyClicks(quantity, "7");
  EXPECT_EQ(shown, QStringList{"Minimum bitmap size is 100 x 100"});
  window.activateWindow();  // no window manager gives it back offscreen
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_TRUE(quantity->hasFocus());
  window.findChild<QLineEdit*>("txtFileName")->setFocus();  // leaving checks once more
  EXPECT_EQ(shown, QStringList({"Minimum bitmap size is 100 x 100", "Minimum bitmap size is 100 x 100"}));
}

}  // namespace
}  // namespace quibran
