// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/help_window.h"

#include <QAction>
#include <QFile>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <algorithm>

namespace quibran {

const QUrl HelpWindow::kContentsPage("qrc:/help/index.html");

namespace {

QString StyleSheet() {
  QFile file(":/help/help.css");
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

HelpWindow::HelpWindow(QWidget* owner) : QMainWindow(owner, Qt::Window), browser_(new QTextBrowser(this)) {
  setObjectName("frmHelp");
  setAttribute(Qt::WA_DeleteOnClose);
  // Centred on its owner's screen, as tall as the screen allows.
  const QRect screen = owner->screen()->availableGeometry();
  setGeometry(
      QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, QSize(760, std::min(680, screen.height() - 80)), screen));

  browser_->setObjectName("txtHelp");
  browser_->document()->setDefaultStyleSheet(StyleSheet());
  browser_->document()->setDocumentMargin(12);
  browser_->setOpenExternalLinks(false);
  setCentralWidget(browser_);

  QToolBar* bar = addToolBar("Navigation");
  bar->setObjectName("tbrHelp");
  bar->setMovable(false);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QAction* back =
      bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), "&Back", browser_, &QTextBrowser::backward);
  QAction* forward =
      bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), "&Forward", browser_, &QTextBrowser::forward);
  bar->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), "&Contents", this,
                 [this] { browser_->setSource(kContentsPage); });
  back->setShortcut(QKeySequence::Back);
  forward->setShortcut(QKeySequence::Forward);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this,
          [this] { setWindowTitle("Quibran Help - " + browser_->documentTitle()); });
}

void HelpWindow::ShowContents() {
  browser_->setSource(kContentsPage);
  setWindowState(windowState() & ~Qt::WindowMinimized);  // a maximized one stays so
  show();
  raise();
  activateWindow();
}

}  // namespace quibran
