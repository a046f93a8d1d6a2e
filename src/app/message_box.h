// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message to the user goes through here: a modal box with a title, a
// text, an icon and an OK button. The box is as wide as its title needs and
// no wider than the screen; its text wraps, a file name after its folder
// separators. Tests install an interceptor that records the messages instead
// of showing them.

#include <QString>
#include <functional>

#include "settings/message_icon.h"

class QWidget;

namespace quibran {

void ShowMessage(QWidget* parent, const QString& title, const QString& text, MessageIcon icon);

// While an interceptor is alive, ShowMessage hands every message to it and
// shows nothing. Interceptors do not nest.
class MessageInterceptor {
 public:
  using Handler = std::function<void(const QString& title, const QString& text, MessageIcon icon)>;
  explicit MessageInterceptor(Handler handler);
  ~MessageInterceptor();
  MessageInterceptor(const MessageInterceptor&) = delete;
  MessageInterceptor& operator=(const MessageInterceptor&) = delete;
};

}  // namespace quibran
