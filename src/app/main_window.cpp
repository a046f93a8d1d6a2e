#include "app/main_window.h"

namespace quibran {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName("frmMain");
  setWindowTitle("Quibran - True Random Number Generator");
}

}  // namespace quibran
