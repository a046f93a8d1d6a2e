// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/list_accessibility.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QKeySequence>
#include <QLineEdit>

namespace quibran {

namespace {

class ListAccessible : public QAccessibleWidget {
 public:
  explicit ListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return list()->currentText();
    if (t == QAccessible::Accelerator) return QKeySequence(Qt::Key_Down).toString(QKeySequence::NativeText);
    const QString text = QAccessibleWidget::text(t);
    return t == QAccessible::Name && text.isEmpty() ? list()->currentText() : text;
  }

  int childCount() const override { return list()->isEditable() ? 2 : 1; }
  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(list()->view());
    if (index == 1 && list()->isEditable()) return QAccessible::queryAccessibleInterface(list()->lineEdit());
    return nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child->object() == list()->view()) return 0;
    if (list()->isEditable() && child->object() == list()->lineEdit()) return 1;
    return -1;
  }
  // The list takes the focus for its text box.
  QAccessibleInterface* focusChild() const override { return list()->isEditable() ? child(1) : nullptr; }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (list()->view()->isVisible())
      list()->hidePopup();
    else
      list()->showPopup();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* list() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ListFactory(const QString&, QObject* object) {
  auto* list = qobject_cast<QComboBox*>(object);
  return list != nullptr ? new ListAccessible(list) : nullptr;
}

}  // namespace

void NameListsByCaption() { QAccessible::installFactory(ListFactory); }

}  // namespace quibran
