#include "app/message_box.h"

#include <QMessageBox>

namespace quibran {

namespace {

MessageInterceptor::Handler& Interceptor() {
  static MessageInterceptor::Handler handler;
  return handler;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& title, const QString& text, MessageIcon icon) {
  if (Interceptor()) {
    Interceptor()(title, text, icon);
    return;
  }
  QMessageBox box(BoxIcon(icon), title, text, QMessageBox::Ok, parent);
  box.exec();
}

MessageInterceptor::MessageInterceptor(Handler handler) { Interceptor() = std::move(handler); }

MessageInterceptor::~MessageInterceptor() { Interceptor() = nullptr; }

}  // namespace quibran
