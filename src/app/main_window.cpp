// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QWindow>
#include <algorithm>

#include "app/about_dialog.h"
#include "app/bitmap_window.h"
#include "app/help_window.h"
#include "app/keyboard.h"
#include "app/list_accessibility.h"
#include "app/message_box.h"
#include "app/options_dialog.h"
#include "app/qt_text.h"
#include "app/readable_colours.h"
#include "app/start_up.h"
#include "platform/version.h"
#include "random/random_sources.h"
#include "settings/defaults.h"
#include "settings/defaults_file.h"
#include "settings/field_checks.h"
#include "settings/field_limits.h"
#include "settings/media_presets.h"
#include "ui_main_window.h"

// The indicator images live in this static library; the linker keeps them
// only when something refers to them.
static void InitResources() { Q_INIT_RESOURCE(quibran); }

namespace quibran {

namespace {

// The window's fixed size, and the size it is centred by when the settings
// store holds none.
constexpr int kWindowWidthTwips = 10900;
constexpr int kWindowHeightTwips = 8400;
constexpr int kStoredWidthDefault = 8000;
constexpr int kStoredHeightDefault = 10000;

const QColor kBitmapColour(255, 192, 192);
const QColor kLockedColour(255, 255, 128);
const QColor kCsvColour(128, 255, 128);

constexpr int kCsvRowsOffered = 999;

// What the indicator's colour says, for those who do not see it.
const QString kPadSourceMeaning = QStringLiteral("a source fit for one-time pads");
const QString kSoftwareMeaning = QStringLiteral("a software generator");

void Describe(QWidget* indicator, const QString& meaning) {
  indicator->setAccessibleDescription(meaning);
  indicator->setToolTip(meaning);
}

// Twips (1/1440 inch) per pixel on the screen, by axis: 15 at 96 dots per inch.
QPointF TwipsPerPixel(const QScreen& screen) {
  return {1440.0 / screen.logicalDotsPerInchX(), 1440.0 / screen.logicalDotsPerInchY()};
}

// The per-user settings store's section of the window position.
class PositionStore {
 public:
  PositionStore() : store_(Q(kCompanyName), Q(kAppTitle)) { store_.beginGroup("Settings"); }
  // A value that is missing or not a number gives `fallback`.
  int Twips(const char* key, int fallback) const {
    bool ok = false;
    const int value = store_.value(key).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
  }
  void SetTwips(const char* key, double twips) { store_.setValue(key, QString::number(qRound(twips))); }

 private:
  QSettings store_;
};

QStringList QuantityEntries(std::size_t last) {
  QStringList entries;
  for (std::size_t i = 0; i <= last; ++i) entries << Q(QuantityList[i]);
  return entries;
}

// The index of the option button that is checked; the buttons' count when none is.
template <std::size_t N>
int16_t CheckedIndex(const std::array<QRadioButton*, N>& buttons) {
  const auto first = std::find_if(buttons.begin(), buttons.end(), [](auto* b) { return b->isChecked(); });
  return static_cast<int16_t>(first - buttons.begin());
}

}  // namespace

MainWindow::MainWindow(JobSettings& settings, RandomSources& sources, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::frmMain>()),
      settings_(settings),
      sources_(sources),
      job_(sources, *this) {
  InitResources();
  NameListsByCaption();
  ui_->setupUi(this);
  optFileType_ = {ui_->optFileType0, ui_->optFileType1, ui_->optFileType2, ui_->optFileType3};
  optNumType_ = {ui_->optNumType0, ui_->optNumType1, ui_->optNumType2, ui_->optNumType3,
                 ui_->optNumType4, ui_->optNumType5, ui_->optNumType6, ui_->optNumType7};

  ui_->picQuibranGrn->hide();
  ui_->picQuibranRed->hide();
  ui_->cmbNumOfNums->setCompleter(nullptr);  // typed digits stay as typed
  ui_->txtDisplay1024->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  for (QWidget* bar : {static_cast<QWidget*>(ui_->pbrJobProgress), static_cast<QWidget*>(ui_->pbrFileProgress)}) {
    QSizePolicy policy = bar->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    bar->setSizePolicy(policy);
    bar->hide();
  }
  // The usual keys, the same on every platform (its own key scheme may have
  // none for quitting).
  ui_->mnuHelpContents->setShortcut(Qt::Key_F1);
  ui_->mnuFileExit->setShortcut(Qt::CTRL | Qt::Key_Q);
  PressButtonsOnEnter(*this);
  TabIntoSelectedButton(optFileType_);
  TabIntoSelectedButton(optNumType_);
  // Names for assistive technology: the fields, lists and progress bars are
  // named by the captions of their labels (buddies), the others here.
  ui_->lblJobProgress->setBuddy(ui_->pbrJobProgress);
  ui_->lblFileProgress->setBuddy(ui_->pbrFileProgress);
  ui_->txtDisplay1024->setAccessibleName("Numbers displayed (up to 1024)");
  ui_->picQuibran->setAccessibleName("Source indicator");
  ui_->picQuibranRed->setAccessibleName("Second source indicator");
  Describe(ui_->picQuibranRed, kSoftwareMeaning);
  ConnectHandlers();
  Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::Form_Load() {
  PlaceWindow();
  const QSize screen = this->screen()->geometry().size();
  settings_.ScreenWidthPixels = static_cast<int16_t>(std::min(screen.width(), 32767));
  settings_.ScreenHeightPixels = static_cast<int16_t>(std::min(screen.height(), 32767));
  ui_->cmdStop->setEnabled(false);
  ApplyDefaults();
  FitToContents();  // the generator list has its entries now
}

// The stored left and top give way to centring by the stored size; the
// fixed size then keeps the top-left corner.
void MainWindow::PlaceWindow() {
  const PositionStore store;
  const QPointF twips = TwipsPerPixel(*screen());
  const QRect area = screen()->geometry();
  const double left = (area.width() * twips.x() - store.Twips("MainWidth", kStoredWidthDefault)) / 2;
  const double top = (area.height() * twips.y() - store.Twips("MainHeight", kStoredHeightDefault)) / 2;
  move(area.x() + qRound(left / twips.x()), area.y() + qRound(top / twips.y()));
}

// The window keeps a fixed size: 10900 x 8400 twips, or more where its
// contents need more. Its controls sit in layouts, which size each control by
// its caption in the window's font; so the window takes the larger of the
// described size and its layout's least size, and a larger font or another
// style grows it just enough that every caption shows whole and nothing
// overlaps, while at the usual font it keeps the described size. (Scaling
// fixed positions by the font's metrics instead would cut captions whose
// width does not grow in step with the font's height, and leaves rounding.)
void MainWindow::FitToContents() {
  const QPointF twips = TwipsPerPixel(*screen());
  const QSize described(qRound(kWindowWidthTwips / twips.x()), qRound(kWindowHeightTwips / twips.y()));
  centralWidget()->layout()->activate();  // takes in controls changed since the last layout
  setFixedSize(described.expandedTo(minimumSizeHint()));
}

// The layout asks for this once its controls' sizes have changed.
bool MainWindow::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::LayoutRequest) FitToContents();
  return handled;
}

// Also when the window is closed from its title bar.
void MainWindow::Form_Unload() {
  CloseOtherWindows();
  CommitData();
}

// A minimized window leaves the stored position as it was. Wayland tells a
// program nothing of where its window is (the compositor places it), so
// there only the size is stored.
void MainWindow::CommitData() {
  if (!isMinimized()) {
    PositionStore store;
    const QPointF twips = TwipsPerPixel(*screen());
    const QRect frame = frameGeometry();
    if (!QGuiApplication::platformName().startsWith("wayland")) {
      store.SetTwips("MainLeft", frame.x() * twips.x());
      store.SetTwips("MainTop", frame.y() * twips.y());
    }
    store.SetTwips("MainWidth", frame.width() * twips.x());
    store.SetTwips("MainHeight", frame.height() * twips.y());
  }
  SaveDefaults();
}

// Closes the program's other open windows, the most recently created first
// (Qt lists the windows in the order they were created).
void MainWindow::CloseOtherWindows() {
  const QWidgetList widgets = QApplication::topLevelWidgets();
  QList<QPointer<QWidget>> others;
  for (const QWindow* handle : QGuiApplication::topLevelWindows())
    for (QWidget* widget : widgets)
      if (widget != this && widget->windowHandle() == handle && widget->isVisible()) others.prepend(widget);
  for (const QPointer<QWidget>& widget : others)
    if (widget) widget->close();
}

// The file type from its buttons and the start sequence as its field holds
// it; the handlers have kept every other setting current.
void MainWindow::SaveDefaults() {
  if (const int16_t checked = CheckedIndex(optFileType_); checked < kFileTypeCount) settings_.FileType = checked;
  settings_.StartSequence = ui_->txtStartSequence->text().toStdString();
  if (const auto message = quibran::SaveDefaults(ConfigFolder(), settings_))
    quibran::ShowMessage(this, Q(message->title), Q(message->text), MessageIcon::None);
}

void MainWindow::ConnectHandlers() {
  for (QRadioButton* button : optFileType_)
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
      if (on) optFileType_Click();
    });
  for (QRadioButton* button : optNumType_)
    connect(button, &QRadioButton::toggled, this, [this](bool on) {
      if (on) optNumType_Click();
    });
  connect(ui_->cmbDevice, &QComboBox::currentIndexChanged, this, &MainWindow::cmbDevice_Click);
  // A list choice changes the text too, so this covers the list's click.
  connect(ui_->cmbNumOfNums, &QComboBox::editTextChanged, this, &MainWindow::cmbNumOfNums_LostFocus);
  connect(ui_->txtCSVcolumnsX, &QLineEdit::textChanged, this, &MainWindow::txtCSVcolumnsX_Change);
  connect(ui_->txtStartSequence, &QLineEdit::textChanged, this, &MainWindow::txtStartSequence_Change);
  connect(ui_->txtBaseFilename, &QLineEdit::textChanged, this, &MainWindow::txtBaseFilename_Change);
  connect(ui_->txtDestDir, &QLineEdit::textChanged, this, &MainWindow::txtDestDir_Change);
  connect(ui_->chkDisplay, &QCheckBox::toggled, this, [this](bool on) { settings_.DisplayOn = on ? 1 : 0; });
  connect(ui_->chkSaveLastSeq, &QCheckBox::toggled, this, [this](bool on) { settings_.SaveLastSeq = on ? 1 : 0; });
  connect(ui_->chkMonochrome, &QCheckBox::toggled, this, [this](bool on) { settings_.MonochromeOn = on ? 1 : 0; });
  connect(ui_->buttonBrowseForDir, &QPushButton::clicked, this, &MainWindow::buttonBrowseForDir_Click);
  connect(ui_->cmdStart, &QPushButton::clicked, this, &MainWindow::cmdStart_Click);
  connect(ui_->cmdStop, &QPushButton::clicked, this, &MainWindow::cmdStop_Click);
  connect(ui_->cmdExit, &QPushButton::clicked, this, &MainWindow::cmdExit_Click);
  connect(ui_->mnuFileExit, &QAction::triggered, this, &MainWindow::cmdExit_Click);
  connect(ui_->mnuCreateMediaDef, &QAction::triggered, this, &MainWindow::mnuCreateMediaDef_Click);
  connect(ui_->mnuHelpContents, &QAction::triggered, this, &MainWindow::mnuHelpContents_Click);
  connect(ui_->mnuHelpAbout, &QAction::triggered, this, &MainWindow::mnuHelpAbout_Click);

  for (QWidget* field : {static_cast<QWidget*>(ui_->cmbNumOfNums), static_cast<QWidget*>(ui_->txtCSVcolumnsX),
                         static_cast<QWidget*>(ui_->txtNumOfFiles), static_cast<QWidget*>(ui_->txtStartSequence),
                         static_cast<QWidget*>(ui_->txtDestDir)})
    field->installEventFilter(this);
}

void MainWindow::ApplyDefaults() {
  // The layout that selecting the file type runs writes its own number type,
  // quantity and columns into the settings; the stored ones are put back below.
  const JobSettings stored = settings_;
  optFileType_[static_cast<size_t>(stored.FileType)]->setChecked(true);
  QRadioButton* num_type = optNumType_[static_cast<size_t>(stored.NumType)];
  if (num_type->isEnabled()) num_type->setChecked(true);

  {
    const QSignalBlocker blocker(ui_->cmbDevice);
    ui_->cmbDevice->clear();
    for (const SourceCapabilities& source : kSourceCapabilities) ui_->cmbDevice->addItem(Q(source.window_name));
    ui_->cmbDevice->setCurrentIndex(-1);
  }
  ui_->cmbDevice->setCurrentIndex(stored.DeviceIndex);
  ui_->txtNumOfFiles->setText(QString::number(settings_.NumOfFiles));
  ui_->cmbNumOfNums->setEditText(Q(stored.NumOfNumsText));
  ui_->txtCSVcolumnsX->setText(QString::number(stored.CSVcolumnsX));
  ui_->chkDisplay->setChecked(stored.DisplayOn != 0);
  ui_->txtDestDir->setText(Q(stored.DestDir));
  ui_->txtBaseFilename->setText(Q(stored.BaseFilename));
  ui_->txtStartSequence->setText(Q(stored.StartSequence));
  ui_->chkSaveLastSeq->setChecked(stored.SaveLastSeq != 0);
  ui_->chkMonochrome->setChecked(stored.MonochromeOn != 0);
}

// ---- Layout by source and file type ----

void MainWindow::LayoutForSelection() {
  // Stage 1: the source decides the indicator and the number types offered.
  const int device = settings_.DeviceIndex;
  if (device >= 0 && device < kSourceCount) {
    const bool pads = SecretSource(device);
    ui_->picQuibran->setPixmap((pads ? ui_->picQuibranGrn : ui_->picQuibranRed)->pixmap());
    Describe(ui_->picQuibran, pads ? kPadSourceMeaning : kSoftwareMeaning);
    ui_->picQuibranRed->setVisible(device == kSourceMtWh);
    for (int type = 0; type < kNumTypeCount; ++type)
      optNumType_[static_cast<size_t>(type)]->setEnabled(SourceMakes(device, type));
  }

  // Stage 2: the file type gives the fields their meaning and limits.
  switch (settings_.FileType) {
    case kFileBin:
      FillQuantityList(QuantityEntries(QuantityListLast));
      ui_->lblNumOfNums->setText("File Size in Bytes:");
      UseQuantityOnly();
      SetNumTypesEnabled(kNumByte, kNumByte, true);
      SetNumTypesEnabled(kNumInteger15, kNumColor, false);
      optNumType_[kNumByte]->setChecked(true);
      ui_->chkDisplay->setEnabled(false);
      ui_->cmbNumOfNums->setEditText(Q(QuantityList[5]));
      ui_->chkMonochrome->setEnabled(false);
      break;
    case kFileAsc:
      FillQuantityList(QuantityEntries(QuantityListLast - 2));
      DeselectNumType(kNumColor);
      SetNumTypesEnabled(kNumColor, kNumColor, false);
      ui_->lblNumOfNums->setText("Quantity of Numbers:");
      UseQuantityOnly();
      ui_->chkDisplay->setEnabled(true);
      UpdateDisplayCaption();
      optNumType_[kNumByte]->setChecked(true);
      ui_->cmbNumOfNums->setEditText(Q(QuantityList[5]));
      ui_->chkMonochrome->setEnabled(false);
      break;
    case kFileBmp:
      FillQuantityList(QuantityEntries(BitmapListLast));
      ui_->cmbNumOfNums->setEditText(Q(QuantityList[0]));
      ui_->lblNumOfNums->setText("Height in Pixels (Y):");
      ui_->txtCSVcolumnsX->setEnabled(true);
      ui_->lblCSVcolumnsX->setEnabled(true);
      ui_->lblCSVcolumnsX->setText("Width in Pixels (X):");
      SetBackground(ui_->txtCSVcolumnsX, kBitmapColour);
      SetBackground(ui_->cmbNumOfNums, kBitmapColour);
      SetBackground(ui_->txtNumOfFiles, kLockedColour);
      ui_->txtNumOfFiles->setReadOnly(true);
      ui_->txtNumOfFiles->setText("1");
      settings_.NumOfFiles = 1;
      SetNumTypesEnabled(kNumByte, kNumDouble, false);
      SetNumTypesEnabled(kNumColor, kNumColor, true);
      optNumType_[kNumColor]->setChecked(true);
      ui_->chkDisplay->setEnabled(false);
      ui_->chkMonochrome->setEnabled(true);
      ui_->txtCSVcolumnsX->setText(QString::number(kMinBitmapPixels));
      break;
    case kFileCsv: {
      SetNumTypesEnabled(kNumColor, kNumColor, false);
      QStringList rows;
      for (int row = 1; row <= kCsvRowsOffered; ++row) rows << QString::number(row);
      FillQuantityList(rows);
      DeselectNumType(kNumColor);
      ui_->lblNumOfNums->setText("Number of CSV Rows:");
      ui_->txtCSVcolumnsX->setEnabled(true);
      SetBackground(ui_->txtCSVcolumnsX, kCsvColour);
      SetBackground(ui_->cmbNumOfNums, kCsvColour);
      SetBackground(ui_->txtNumOfFiles, std::nullopt);
      ui_->txtNumOfFiles->setReadOnly(false);
      ui_->lblCSVcolumnsX->setEnabled(true);
      ui_->lblCSVcolumnsX->setText("CSV Columns:");
      ui_->chkDisplay->setEnabled(false);
      ui_->chkMonochrome->setEnabled(false);
      ui_->txtCSVcolumnsX->setText("2");
      ui_->cmbNumOfNums->setEditText("1");
      optNumType_[kNumByte]->setChecked(true);
      break;
    }
    default: break;
  }
  // The quantity list's text box is named as the list, by its caption.
  ui_->cmbNumOfNums->lineEdit()->setAccessibleName(ui_->lblNumOfNums->text());
}

// Binary and text files: no columns field, plain colours, files unlocked.
void MainWindow::UseQuantityOnly() {
  ui_->txtCSVcolumnsX->setEnabled(false);
  ui_->lblCSVcolumnsX->setEnabled(false);
  SetBackground(ui_->txtCSVcolumnsX, std::nullopt);
  SetBackground(ui_->cmbNumOfNums, std::nullopt);
  ui_->txtNumOfFiles->setReadOnly(false);
  SetBackground(ui_->txtNumOfFiles, std::nullopt);
}

// Clearing and filling the list runs no handler and leaves its text empty.
void MainWindow::FillQuantityList(const QStringList& entries) {
  const QSignalBlocker blocker(ui_->cmbNumOfNums);
  ui_->cmbNumOfNums->clear();
  ui_->cmbNumOfNums->addItems(entries);
  ui_->cmbNumOfNums->setCurrentIndex(-1);
}

void MainWindow::SetNumTypesEnabled(unsigned first, unsigned last, bool enabled) {
  for (unsigned type = first; type <= last; ++type) optNumType_[type]->setEnabled(enabled);
}

// Leaves no number type selected; deselecting runs no handler.
void MainWindow::DeselectNumType(unsigned index) {
  QRadioButton* button = optNumType_[index];
  button->setAutoExclusive(false);
  button->setChecked(false);
  button->setAutoExclusive(true);
}

void MainWindow::UpdateDisplayCaption() {
  const bool integer = settings_.NumType >= kNumByte && settings_.NumType <= kNumInteger16;
  ui_->chkDisplay->setText(integer ? "Display (up to 1024) Dec Hex Oct" : "Display (up to 1024) Decimal");
}

// No colour gives the field the system's own background back. A colour
// comes with a text colour that is readable on it in any palette.
void MainWindow::SetBackground(QWidget* field, std::optional<QColor> colour) {
  QPalette palette = QApplication::palette(field);
  if (colour) {
    palette.setColor(QPalette::Base, *colour);
    palette.setColor(QPalette::Text, ReadableTextOn(*colour, palette.color(QPalette::Text)));
  }
  field->setPalette(palette);
}

void MainWindow::RefreshFileName() { ui_->txtFileName->setText(Q(FileNamePreview(settings_))); }

// ---- Option buttons, generator list, check boxes ----

void MainWindow::cmbDevice_Click() {
  settings_.DeviceIndex = static_cast<int16_t>(ui_->cmbDevice->currentIndex());
  if (settings_.DeviceIndex == settings_.LastDeviceIndex) return;
  settings_.LastDeviceIndex = settings_.DeviceIndex;
  LayoutForSelection();
}

void MainWindow::optFileType_Click() {
  settings_.FileType = CheckedIndex(optFileType_);
  LayoutForSelection();
  RefreshFileName();
}

void MainWindow::optNumType_Click() {
  settings_.NumType = CheckedIndex(optNumType_);
  if (settings_.FileType != kFileAsc) return;
  ui_->chkDisplay->setEnabled(true);
  UpdateDisplayCaption();
}

// Also File > Exit. The unload saves the defaults once more.
void MainWindow::cmdExit_Click() {
  SaveDefaults();
  close();
  QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (bitmap_window_) bitmap_window_->CloseDiscarding();
  if (job_.running()) stop_requested_ = true;
  Form_Unload();
  QMainWindow::closeEvent(event);
}

// ---- Menus: the presets, the help and the about box ----

void MainWindow::mnuCreateMediaDef_Click() {
  OptionsDialog frmOptions(*this);
  frmOptions.exec();
}

void MainWindow::ApplyMediaPreset(const MediaPreset& preset) {
  settings_.FileType = kFileBin;
  settings_.NumType = kNumByte;
  optFileType_[kFileBin]->setChecked(true);  // lays the window out unless ".BIN" was selected
  optNumType_[kNumByte]->setChecked(true);
  settings_.BaseFilename = preset.BaseFilename;
  ui_->txtStartSequence->setText(Q(preset.StartSequence));
  // The field's leave check does not run; the presets are within its limits.
  settings_.NumOfFilesText = preset.NumOfFilesText;
  ui_->txtNumOfFiles->setText(Q(preset.NumOfFilesText));
  settings_.NumOfFiles = static_cast<int16_t>(DigitsValue(preset.NumOfFilesText));
  settings_.NumOfNumsText = preset.NumOfNumsText;
  ui_->cmbNumOfNums->setEditText(Q(preset.NumOfNumsText));  // the quantity check strips "(1 GB)"
  ui_->txtBaseFilename->setText(Q(settings_.BaseFilename));
  RefreshFileName();
}

void MainWindow::mnuHelpContents_Click() {
  if (help_ == nullptr) help_ = new HelpWindow(this);
  help_->ShowContents();
}

void MainWindow::mnuHelpAbout_Click() {
  AboutDialog frmAbout(this);
  frmAbout.exec();
}

}  // namespace quibran
