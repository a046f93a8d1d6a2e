#pragma once

#include <QMainWindow>

namespace quibran {

// The main window `frmMain`.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace quibran
