// The window's controls and their layout by file type and source.

#include <QAction>
#include <QMenuBar>
#include <QStatusBar>
#include <array>

#include "window_fixture.h"

namespace quibran::test {
namespace {

using LayoutTest = WindowTest;

// Bit n of `enabled` stands for optNumType n.
void ExpectNumTypesEnabled(const QWidget& window, unsigned enabled) {
  for (int n = 0; n < kNumTypeCount; ++n) {
    auto* button = window.findChild<QRadioButton*>(QString("optNumType%1").arg(n));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->isEnabled(), (enabled >> n & 1u) != 0) << n;
  }
}

TEST_F(LayoutTest, StartsWithItsControlsAndTheBuiltInDefaults) {
  EXPECT_EQ(window.objectName() + ": " + window.windowTitle(), "frmMain: Quibran - True Random Number Generator");
  EXPECT_EQ(window.size(), QSize(727, 560));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_EQ(window.statusBar()->objectName(), "sbStatusBar");
  EXPECT_EQ(Get("picQuibran")->size(), QSize(48, 48));
  QStringList captions;
  for (const QString& name :
       QString("fraFileType optFileType0 optFileType1 optFileType2 optFileType3 fraNumType optNumType0 optNumType1 "
               "optNumType2 optNumType3 optNumType4 optNumType5 optNumType6 optNumType7 lblDevice lblNumOfNums "
               "lblCSVcolumnsX lblNumOfFiles chkDisplay chkMonochrome fraOutputSection lblDesstDir buttonBrowseForDir "
               "lblBaseFileName lblSequence chkSaveLastSeq lblFileName lblJobProgress lblFileProgress cmdStart cmdStop "
               "cmdExit")
           .split(' ')) {
    QWidget* w = Get(name);
    captions << (w ? w->property(w->property("title").isValid() ? "title" : "text").toString() : "missing " + name);
  }
  EXPECT_EQ(captions, QStringList({"File Type and .EXT", ".BINary", ".ASCii", ".BitMaP", ".CSV", "Number Type", "Byte",
                                   "Integer (15 bits)", "Integer (16 bits)", "Long (31 bits)", "Long (32 bits)",
                                   "Float (Single)", "Float (Double)", "Color (24 bits)", "Select RN Generator:",
                                   "File Size in Bytes:", "CSV Columns:", "Number of Files to Generate:",
                                   "Display (up to 1024) Decimal", "Monochrome (1 bit)", "Output File Section",
                                   "Enter Destination Directory:", "Browse...", "Enter Filename Base:", "Start Seq:",
                                   "Save Seq", "Output Filename:", "Job Progress:", "File Progress:", "Start", "Stop",
                                   "Exit"}));
  auto* device = Get<QComboBox>("cmbDevice");
  QStringList devices;
  for (int i = 0; i < device->count(); ++i) devices << device->itemText(i);
  EXPECT_EQ(devices, QStringList({"PRNG (Marsenne Twister)", "PRNG (Microsoft Rnd)", "PRNG (Wichmann Hill)",
                                  "PRNG (MT and WH)", "TRNG (Araneus Alea I)"}));

  // The built-in defaults, on the measured screen.
  EXPECT_EQ(QSize(settings.ScreenWidthPixels, settings.ScreenHeightPixels), window.screen()->geometry().size());
  EXPECT_EQ(device->currentText(), "PRNG (Microsoft Rnd)");
  EXPECT_EQ(Text("cmbNumOfNums") + " " + Text("txtFileName"), "1024 RAND0001.BIN");
  EXPECT_EQ(Text("txtDestDir").toStdString(), DefaultDestDir());
  for (const char* name : {"pbrJobProgress", "pbrFileProgress", "picQuibranGrn"}) EXPECT_FALSE(Get(name)->isVisible());
  EXPECT_FALSE(Get("cmdStop")->isEnabled());
  EXPECT_TRUE(messages.empty());
}

TEST_F(LayoutTest, MenusAreThoseOfTheProgramAndOnlyStatusBarIsDisabled) {
  QStringList menus;
  for (QAction* menu : window.menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, QStringList({"&File", "&View", "&Options", "&Help"}));
  QStringList actions;
  for (const char* name : {"mnuFileExit", "mnuViewStatusBar", "mnuCreateMediaDef", "mnuHelpContents", "mnuHelpAbout"}) {
    auto* action = window.findChild<QAction*>(name);
    actions << (action ? action->text() + (action->isEnabled() ? " on" : " off") : QString("missing ") + name);
  }
  EXPECT_EQ(actions, QStringList({"E&xit on", "Status &Bar off", "&Create... on", "&Contents on", "&About  on"}));
  EXPECT_TRUE(window.findChild<QAction*>("mnuViewStatusBar")->isChecked());
  const QList<QAction*> help = window.menuBar()->actions().last()->menu()->actions();
  ASSERT_EQ(help.size(), 3);
  EXPECT_TRUE(help[1]->isSeparator());
  window.findChild<QAction*>("mnuFileExit")->trigger();
  EXPECT_FALSE(window.isVisible());
}

struct FileTypeLayout {
  int list_count;
  const char *last_entry, *quantity, *quantity_caption;
  bool columns_enabled;
  const char* columns_caption;
  unsigned num_types_enabled;  // with the Mersenne Twister source
  int num_type_selected;
  bool display_enabled, monochrome_enabled;
  QColor quantity_colour, files_colour;
  bool files_locked;
  const char* file_name;
};

TEST_F(LayoutTest, EachFileTypeLaysOutTheFields) {
  const QColor plain = QApplication::palette().color(QPalette::Base);
  const QColor bitmap(255, 192, 192), locked(255, 255, 128), csv(128, 255, 128);
  // .BIN and .ASC keep the caption of the columns field as .BMP left it.
  const FileTypeLayout layouts[] = {
      {16, "2147483646 (2 GB - 2)", "768", "File Size in Bytes:", false, "Width in Pixels (X):", 0x01, kNumByte, false,
       false, plain, plain, false, "RAND0001.BIN"},
      {14, "1073741824 (1 GB)", "768", "Quantity of Numbers:", false, "Width in Pixels (X):", 0x7F, kNumByte, true,
       false, plain, plain, false, "RAND0001.ASC"},
      {8, "1024 (1 KB)", "100", "Height in Pixels (Y):", true, "Width in Pixels (X):", 0x80, kNumColor, false, true,
       bitmap, locked, true, "RAND0001.BMP"},
      {999, "999", "1", "Number of CSV Rows:", true, "CSV Columns:", 0x7F, kNumByte, false, false, csv, plain, false,
       "RAND0001.CSV"},
  };
  auto background = [](QWidget* w) { return w->palette().color(QPalette::Active, QPalette::Base); };
  ChooseDevice(kSourceMersenneTwister);
  // Through .BMP first, so that every layout has to undo another one.
  for (int type : {kFileBmp, kFileBin, kFileAsc, kFileCsv, kFileBmp}) {
    const FileTypeLayout& l = layouts[type];
    SCOPED_TRACE(type);
    Edit("txtNumOfFiles")->setText("3");
    ChooseFileType(type);
    EXPECT_EQ(settings.FileType, type);
    EXPECT_EQ(Quantity()->count(), l.list_count);
    EXPECT_EQ(Quantity()->itemText(0), type == kFileCsv ? "1" : "100");
    EXPECT_EQ(Quantity()->itemText(l.list_count - 1), l.last_entry);
    EXPECT_EQ(Text("cmbNumOfNums"), l.quantity);
    EXPECT_EQ(settings.NumOfNumsText, l.quantity);
    EXPECT_EQ(settings.NumOfNums, QString(l.quantity).toInt());
    EXPECT_EQ(Get<QLabel>("lblNumOfNums")->text(), l.quantity_caption);
    EXPECT_EQ(Edit("txtCSVcolumnsX")->isEnabled(), l.columns_enabled);
    EXPECT_EQ(Get("lblCSVcolumnsX")->isEnabled(), l.columns_enabled);
    EXPECT_EQ(Get<QLabel>("lblCSVcolumnsX")->text(), l.columns_caption);
    ExpectNumTypesEnabled(window, l.num_types_enabled);
    for (int n = 0; n < kNumTypeCount; ++n) EXPECT_EQ(NumType(n)->isChecked(), n == l.num_type_selected) << n;
    EXPECT_EQ(settings.NumType, l.num_type_selected);
    EXPECT_EQ(Get("chkDisplay")->isEnabled(), l.display_enabled);
    EXPECT_EQ(Get("chkMonochrome")->isEnabled(), l.monochrome_enabled);
    EXPECT_EQ(background(Quantity()), l.quantity_colour);
    EXPECT_EQ(background(Edit("txtCSVcolumnsX")), l.quantity_colour);
    EXPECT_EQ(background(Edit("txtNumOfFiles")), l.files_colour);
    EXPECT_EQ(Edit("txtNumOfFiles")->isReadOnly(), l.files_locked);
    EXPECT_EQ(Text("txtNumOfFiles"), l.files_locked ? "1" : "3");
    EXPECT_EQ(Text("txtFileName"), l.file_name);
    // Every caption fits its control and every control lies inside the window.
    for (QWidget* w : window.findChildren<QWidget*>()) {
      if (!w->isVisible() || w->window() != &window) continue;
      EXPECT_TRUE(window.rect().contains(QRect(w->mapTo(&window, QPoint()), w->size()))) << qPrintable(w->objectName());
      if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
        EXPECT_GE(w->width(), w->sizeHint().width()) << qPrintable(w->objectName());
      }
    }
  }
  EXPECT_EQ(settings.NumOfFiles, 1);  // the bitmap layout holds one file
  EXPECT_EQ(Text("txtCSVcolumnsX"), "100");
  EXPECT_EQ(settings.CSVcolumnsX, 100);
  EXPECT_TRUE(messages.empty());
}

TEST_F(LayoutTest, EachSourceOffersItsNumberTypes) {
  const QImage red = Get<QLabel>("picQuibranRed")->pixmap().toImage();
  const QImage green = Get<QLabel>("picQuibranGrn")->pixmap().toImage();
  ASSERT_FALSE(red.isNull());
  ASSERT_NE(red, green);
  ChooseFileType(kFileAsc);
  struct Source {
    int source;
    unsigned enabled_with_asc;
    bool green, second_red;
  };
  for (const Source& s : {Source{kSourceMersenneTwister, 0x7F, false, false}, Source{kSourceRnd, 0x27, false, false},
                          Source{kSourceWichmannHill, 0x6F, false, false}, Source{kSourceMtWh, 0x6F, false, true},
                          Source{kSourceHardware, 0x7F, true, false}}) {
    SCOPED_TRACE(s.source);
    ChooseDevice(s.source);
    EXPECT_EQ(settings.DeviceIndex, s.source);
    EXPECT_EQ(settings.LastDeviceIndex, s.source);
    ExpectNumTypesEnabled(window, s.enabled_with_asc);
    EXPECT_EQ(Get<QLabel>("picQuibran")->pixmap().toImage(), s.green ? green : red);
    EXPECT_EQ(Get("picQuibranRed")->isVisible(), s.second_red);
    EXPECT_FALSE(Get("picQuibranGrn")->isVisible());
  }
  ChooseDevice(kSourceRnd);
  ChooseFileType(kFileBmp);  // the file type overrides the source
  ExpectNumTypesEnabled(window, 0x80);
}

TEST_F(LayoutTest, SameSourceChangesNothingAndAnotherRelaysTheWindow) {
  ChooseFileType(kFileCsv);
  Type(Quantity(), "5");
  TypeAndLeave(Edit("txtCSVcolumnsX"), "7");
  Click(NumType(kNumInteger16));
  ChooseDevice(kSourceRnd);  // the source already laid out
  EXPECT_EQ(Text("cmbNumOfNums") + Text("txtCSVcolumnsX"), "57");
  EXPECT_EQ(settings.NumType, kNumInteger16);
  ChooseDevice(kSourceWichmannHill);
  EXPECT_EQ(Text("cmbNumOfNums") + Text("txtCSVcolumnsX"), "12");
  EXPECT_EQ(settings.NumOfNums, 1);
  EXPECT_EQ(settings.CSVcolumnsX, 2);
  EXPECT_EQ(settings.NumType, kNumByte);
  EXPECT_TRUE(messages.empty());
}

// The display caption follows the number type of text files only.
TEST_F(LayoutTest, CheckBoxesFeedTheSettingsAndTheDisplayCaption) {
  using Boxes = std::array<int16_t, 3>;
  ChooseDevice(kSourceMersenneTwister);
  ChooseFileType(kFileBmp);  // leaves Color (24 bits) selected
  ChooseFileType(kFileAsc);
  auto* display = Get<QCheckBox>("chkDisplay");
  const QString integers = "Display (up to 1024) Dec Hex Oct";
  EXPECT_EQ(display->text(), integers);
  Click(NumType(kNumDouble));
  EXPECT_EQ(display->text(), "Display (up to 1024) Decimal");
  Click(NumType(kNumInteger16));
  EXPECT_EQ(display->text(), integers);
  Click(display);
  Click("chkSaveLastSeq");
  EXPECT_EQ((Boxes{settings.DisplayOn, settings.SaveLastSeq, settings.MonochromeOn}), (Boxes{1, 1, 0}));
  ChooseFileType(kFileCsv);
  Click(NumType(kNumSingle));
  EXPECT_EQ(display->text(), integers);
  ChooseFileType(kFileBmp);
  Get<QCheckBox>("chkMonochrome")->setChecked(true);  // from code, as the presets do
  Click(display);                                     // disabled for bitmaps
  EXPECT_EQ((Boxes{settings.DisplayOn, settings.SaveLastSeq, settings.MonochromeOn}), (Boxes{1, 1, 1}));
}

// Stored settings reach the window, also where the layout of their file type
// would overwrite them, and applying them twice changes nothing; a stored
// number type that the file type does not offer is not selected.
TEST_F(LayoutTest, AppliedSettingsReachTheWindow) {
  settings.FileType = kFileCsv;
  settings.NumType = kNumDouble;
  settings.DeviceIndex = settings.LastDeviceIndex = kSourceWichmannHill;
  settings.NumOfNumsText = "40";
  settings.CSVcolumnsX = 9;
  settings.NumOfFiles = 3;
  settings.DisplayOn = settings.SaveLastSeq = 1;
  settings.StartSequence = "0042";
  window.ApplyDefaults();
  window.ApplyDefaults();
  EXPECT_TRUE(Get<QRadioButton>("optFileType3")->isChecked());
  EXPECT_TRUE(NumType(kNumDouble)->isChecked());
  EXPECT_EQ(Get<QComboBox>("cmbDevice")->currentIndex(), kSourceWichmannHill);
  QStringList texts;
  for (const char* name : {"cmbNumOfNums", "txtCSVcolumnsX", "txtNumOfFiles", "txtFileName"}) texts << Text(name);
  EXPECT_EQ(texts, QStringList({"40", "9", "3", "RAND0042.CSV"}));
  EXPECT_TRUE(Get<QCheckBox>("chkDisplay")->isChecked() && Get<QCheckBox>("chkSaveLastSeq")->isChecked());
  EXPECT_EQ(settings.NumType, kNumDouble);
  EXPECT_EQ(settings.NumOfNums, 40);
  EXPECT_EQ(settings.CSVcolumnsX, 9);
  EXPECT_TRUE(messages.empty());

  settings.FileType = kFileBin;
  settings.NumType = kNumSingle;
  window.ApplyDefaults();
  EXPECT_TRUE(NumType(kNumByte)->isChecked());
  EXPECT_EQ(settings.NumType, kNumByte);
}

}  // namespace
}  // namespace quibran::test
