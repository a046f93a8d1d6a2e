// SPDX-License-Identifier: GPL-3.0-or-later
// The message wrapper shows real modal boxes when nothing intercepts it.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "window_fixture.h"

namespace quibran::test {
namespace {

// Each box has room for its title (in bold, beside the frame's buttons),
// stays within the screen and wraps a long file name after its separators and
// within the name, rather than letting it run off.
TEST(MessageBox, ShowsTitleTextIconAndOnlyOk) {
  const QString disk = "Disk full", name = "Bad file name or number\n/tmp/" + QString(300, 'A') + "0001.BIN";
  const struct {
    MessageIcon icon;
    QMessageBox::Icon box_icon;
    QString title, text;
  } rows[] = {{MessageIcon::None, QMessageBox::NoIcon, "Error Number 61", disk},
              {MessageIcon::Information, QMessageBox::Information, "Error Number 61", disk},
              {MessageIcon::Exclamation, QMessageBox::Warning, "Error Number 61", disk},
              {MessageIcon::Critical, QMessageBox::Critical, "Error Number 52", name},
              {MessageIcon::None, QMessageBox::NoIcon, "Get Def error number 52", "Bad file name or number"}};
  QFont bold = QApplication::font("QMdiSubWindowTitleBar");
  bold.setBold(true);
  for (const auto& row : rows) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seen = true;
      EXPECT_EQ(box->windowTitle(), row.title);
      EXPECT_EQ(box->text().remove(QChar(0x200B)), row.text);  // but for the places to break
      EXPECT_EQ(box->text().contains(QString("/") + QChar(0x200B)), row.text.contains('/'));
      EXPECT_EQ(box->icon(), row.box_icon);
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      EXPECT_GE(box->width(), QFontMetrics(bold).horizontalAdvance(row.title) + 4 * QFontMetrics(bold).height());
      EXPECT_LE(box->frameGeometry().width(), box->screen()->availableGeometry().width());
      for (const QLabel* label : box->findChildren<QLabel*>()) {  // none runs off
        if (!label->isVisible()) continue;
        EXPECT_LE(label->minimumSizeHint().width(), label->width()) << row.title.toStdString();
      }
      box->button(QMessageBox::Ok)->click();
    });
    ShowMessage(nullptr, row.title, row.text, row.icon);
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
