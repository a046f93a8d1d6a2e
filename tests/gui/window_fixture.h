// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window on the offscreen platform, its messages recorded, not shown.

#include <gtest/gtest.h>

#include <QTest>
#include <QtWidgets>
#include <functional>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/qt_text.h"
#include "fixed_clock.h"
#include "random/random_sources.h"
#include "settings/defaults.h"

// GoogleTest prints Qt strings as text in its failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace quibran::test {

// Whether the messages, one by one, hold `parts` (an error number or a few words).
inline ::testing::AssertionResult Holds(const QStringList& messages, const QStringList& parts) {
  bool same = messages.size() == parts.size();
  for (qsizetype i = 0; same && i < parts.size(); ++i) same = messages[i].contains(parts[i]);
  return same ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << messages.join(" | ").toStdString();
}

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  template <class W = QWidget>
  W* Get(const QString& name) {
    W* widget = window.findChild<W*>(name);
    EXPECT_NE(widget, nullptr) << qPrintable(name);
    return widget;
  }
  QComboBox* Quantity() { return Get<QComboBox>("cmbNumOfNums"); }
  QRadioButton* NumType(int index) { return Get<QRadioButton>(QString("optNumType%1").arg(index)); }
  // The text of a line edit or of the quantity list, and setting it from code.
  QString Text(const QString& field) {
    auto* combo = qobject_cast<QComboBox*>(Get(field));
    return combo ? combo->currentText() : Get<QLineEdit>(field)->text();
  }
  void SetText(const QString& field, const QString& text) {
    if (auto* combo = qobject_cast<QComboBox*>(Get(field))) return combo->setEditText(text);
    Get<QLineEdit>(field)->setText(text);
  }
  // Clicks a button where an option button's or a check box's indicator is.
  void Click(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(8, button->width() / 2), button->height() / 2));
  }
  void Click(const char* name) { Click(Get(name)); }
  void ChooseFileType(int index) { Click(Get(QString("optFileType%1").arg(index))); }
  void ChooseDevice(int index) { Get<QComboBox>("cmbDevice")->setCurrentIndex(index); }
  // Types over the field's text key by key; leaving moves on to the file name box.
  void Type(const QString& field, const QString& text, bool leave = false) {
    QWidget* widget = Get(field);
    widget->setFocus();
    if (auto* combo = qobject_cast<QComboBox*>(widget)) combo->lineEdit()->selectAll();
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
    QTest::keyClicks(widget, text);
    if (leave) Get("txtFileName")->setFocus();
  }
  // A job of `files` files into `folder`, stem RAND, from sequence 0001.
  void PrepareJob(int file_type, int source, const QString& quantity, const QString& files) {
    ChooseDevice(source);
    ChooseFileType(file_type);
    Quantity()->setEditText(quantity);
    Type("txtNumOfFiles", files, true);
    Type("txtDestDir", folder.path(), true);
    Type("txtStartSequence", "1", true);
  }

  QStringList messages;  // "title: text"
  MessageInterceptor interceptor{
      [this](const QString& title, const QString& text, MessageIcon) { messages << title + ": " + text; }};
  QTemporaryDir folder;
  FixedClock clock{45000, 43200.5f};
  RandomSources sources{clock};
  JobSettings settings = BuiltInDefaults();
  MainWindow window{settings, sources};
};

}  // namespace quibran::test
