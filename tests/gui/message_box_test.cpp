// The message wrapper shows a real modal box when nothing intercepts it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include "app/message_box.h"

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

}  // namespace
}  // namespace quibran
