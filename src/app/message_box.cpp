// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/message_box.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <algorithm>

namespace quibran {

namespace {

MessageInterceptor::Handler& Interceptor() {
  static MessageInterceptor::Handler handler;
  return handler;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// The longest run of a word on one line, in pixels: with the box's icon and
// margins it stays within the width that the box keeps to for wrapped text.
int LongestRun(const QRect& screen) { return std::min(screen.width() / 2, 400); }

// The text with places where a line may break (zero width spaces) after each
// folder separator, and inside any part of a word wider than `longest`, so
// that a long file name wraps rather than running out of the box.
QString BreakableText(const QString& text, const QFontMetrics& metrics, int longest) {
  const QChar line_break(0x200B);
  QString out;
  int run = 0;  // width since the last place to break
  for (const QChar c : text) {
    if (c.isSpace()) {
      out += c;
      run = 0;
      continue;
    }
    const int advance = metrics.horizontalAdvance(c);
    if (run > 0 && run + advance > longest && !c.isLowSurrogate()) {
      out += line_break;
      run = 0;
    }
    out += c;
    run += advance;
    if (c == '/' || c == '\\') {
      out += line_break;
      run = 0;
    }
  }
  return out;
}

// Room for the whole title in the frame's title bar: its text, in bold as
// most frames show it, and the frame's icon and buttons beside it.
int TitleBarWidth(const QString& title) {
  QFont font = QApplication::font("QMdiSubWindowTitleBar");
  font.setBold(true);
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(title) + 6 * metrics.height();
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) {
  if (Interceptor()) {
    Interceptor()(title, text, icon);
    return;
  }
  QMessageBox box(BoxIcon(icon), title, QString(), QMessageBox::Ok, parent);
  const QRect screen = box.screen()->availableGeometry();
  box.setTextFormat(Qt::PlainText);
  box.setText(BreakableText(text, box.fontMetrics(), LongestRun(screen)));
  // The box is at least as wide as its title, through a blank of that width
  // under the text, beside the OK button.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
    grid->addItem(new QSpacerItem(std::min(TitleBarWidth(title), screen.width()), 0), grid->rowCount() - 1, 0, 1,
                  grid->columnCount());
  box.exec();
}

MessageInterceptor::MessageInterceptor(Handler handler) { Interceptor() = std::move(handler); }

MessageInterceptor::~MessageInterceptor() { Interceptor() = nullptr; }

}  // namespace quibran
