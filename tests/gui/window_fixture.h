// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window on the offscreen platform whose messages are recorded
// instead of shown.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <ostream>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/qt_text.h"
#include "fixed_clock.h"
#include "random/random_sources.h"
#include "settings/defaults.h"

// GoogleTest prints Qt strings as text in its failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace quibran::test {

// Whether the messages are, one by one, those holding `parts` (an error
// number or a few words of the text).
inline ::testing::AssertionResult Holds(const QStringList& messages, const QStringList& parts) {
  bool same = messages.size() == parts.size();
  for (qsizetype i = 0; same && i < parts.size(); ++i) same = messages[i].contains(parts[i]);
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "shown {" << messages.join(" | ").toStdString() << "}, expected {"
                                       << parts.join(" | ").toStdString() << '}';
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
  QLineEdit* Edit(const char* name) { return Get<QLineEdit>(name); }
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
  // Clicks a button where its indicator is: option buttons and check boxes
  // take clicks on their indicator and caption only.
  void Click(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(std::min(8, button->width() / 2), button->height() / 2));
  }
  void Click(const char* name) { Click(Get(name)); }
  void ChooseFileType(int index) { Click(Get(QString("optFileType%1").arg(index))); }
  void ChooseDevice(int index) { Get<QComboBox>("cmbDevice")->setCurrentIndex(index); }
  // Focuses the field, selects its text and types over it key by key.
  void Type(QWidget* field, const QString& text) {
    field->setFocus();
    if (auto* combo = qobject_cast<QComboBox*>(field)) combo->lineEdit()->selectAll();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    QTest::keyClicks(field, text);
  }
  // Moves the focus from the field to the read-only file name box.
  void Leave(QWidget* field) {
    field->setFocus();
    Edit("txtFileName")->setFocus();
  }
  // A job of `files` files into `folder`, stem RAND, from sequence 0001.
  void PrepareJob(int file_type, int source, const QString& quantity, const QString& files) {
    ASSERT_TRUE(folder.isValid());
    ChooseDevice(source);
    ChooseFileType(file_type);
    Quantity()->setEditText(quantity);
    for (const auto& [field, text] :
         {std::pair{"txtNumOfFiles", files}, {"txtDestDir", folder.path()}, {"txtStartSequence", "1"}}) {
      Type(Edit(field), text);
      Leave(Edit(field));
    }
  }

  QStringList messages;  // "title: text"
  std::optional<MessageInterceptor> interceptor{
      std::in_place,
      [this](const QString& title, const QString& text, MessageIcon) { messages << title + ": " + text; }};
  QTemporaryDir folder;
  FixedClock clock{45000, 43200.5f};
  RandomSources sources{clock};
  JobSettings settings = BuiltInDefaults();
  MainWindow window{settings, sources};
};

}  // namespace quibran::test
