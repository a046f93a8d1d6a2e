// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QUrl>

class QTextBrowser;

namespace quibran {

// The program's help: pages written for its users, shipped inside the program
// as resources under :/help and shown in a browser window that the main
// window owns. Links between the pages, Back, Forward and Contents work as in
// any help viewer; a page that is missing shows as empty, with no message.
class HelpWindow : public QMainWindow {
  Q_OBJECT
 public:
  // The contents page, where the help opens.
  static const QUrl kContentsPage;

  explicit HelpWindow(QWidget* owner);

  // Shows the window on the contents page, in front of its owner.
  void ShowContents();

 private:
  QTextBrowser* browser_;
};

}  // namespace quibran
