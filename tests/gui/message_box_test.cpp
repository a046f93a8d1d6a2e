// The message wrapper shows real modal boxes when nothing intercepts it.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "window_fixture.h"

namespace quibran::test {
namespace {

TEST(MessageBox, ShowsTitleTextIconAndOnlyOk) {
  for (const auto& [icon, box_icon] : {std::pair{MessageIcon::None, QMessageBox::NoIcon},
                                       {MessageIcon::Information, QMessageBox::Information},
                                       {MessageIcon::Exclamation, QMessageBox::Warning},
                                       {MessageIcon::Critical, QMessageBox::Critical}}) {
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
using RealBoxTest = WindowTest;

TEST_F(RealBoxTest, BoxFromAFieldCheckShowsOnce) {
  interceptor.reset();
  ChooseFileType(kFileBmp);
  QStringList shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown << box->windowTitle() + ": " + box->text();
      box->button(QMessageBox::Ok)->click();
    }
  });
  closer.start(5);
  Type(Quantity(), "7");
  const QString minimum = "Quibran: Minimum bitmap size is 100 x 100";
  EXPECT_EQ(shown, QStringList{minimum});
  window.activateWindow();  // no window manager gives it back offscreen
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  EXPECT_TRUE(Quantity()->hasFocus());
  Edit("txtFileName")->setFocus();  // leaving checks once more
  EXPECT_EQ(shown, QStringList({minimum, minimum}));
}

}  // namespace
}  // namespace quibran::test
