// The window's controls and their layout by file type and source.

#include <QAction>
#include <QMenuBar>
#include <QStatusBar>
#include <array>

#include "window_fixture.h"

namespace quibran::test {
namespace {

using LayoutTest = WindowTest;

QString Caption(QWidget* w) {
  const char* property = w->property("title").isValid() ? "title" : "text";
  return w->property(property).toString();
}

TEST_F(LayoutTest, EveryControlCarriesItsNameAndCaption) {
  EXPECT_EQ(window.objectName(), "frmMain");
  EXPECT_EQ(window.windowTitle(), "Quibran - True Random Number Generator");
  EXPECT_EQ(window.size(), QSize(727, 560));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());

  const std::vector<std::pair<const char*, const char*>> captions = {
      {"fraFileType", "File Type and .EXT"},
      {"optFileType0", ".BINary"},
      {"optFileType1", ".ASCii"},
      {"optFileType2", ".BitMaP"},
      {"optFileType3", ".CSV"},
      {"fraNumType", "Number Type"},
      {"optNumType0", "Byte"},
      {"optNumType1", "Integer (15 bits)"},
      {"optNumType2", "Integer (16 bits)"},
      {"optNumType3", "Long (31 bits)"},
      {"optNumType4", "Long (32 bits)"},
      {"optNumType5", "Float (Single)"},
      {"optNumType6", "Float (Double)"},
      {"optNumType7", "Color (24 bits)"},
      {"lblDevice", "Select RN Generator:"},
      {"lblNumOfNums", "File Size in Bytes:"},
      {"lblCSVcolumnsX", "CSV Columns:"},
      {"lblNumOfFiles", "Number of Files to Generate:"},
      {"chkDisplay", "Display (up to 1024) Decimal"},
      {"chkMonochrome", "Monochrome (1 bit)"},
      {"fraOutputSection", "Output File Section"},
      {"lblDesstDir", "Enter Destination Directory:"},
      {"buttonBrowseForDir", "Browse..."},
      {"lblBaseFileName", "Enter Filename Base:"},
      {"lblSequence", "Start Seq:"},
      {"chkSaveLastSeq", "Save Seq"},
      {"lblFileName", "Output Filename:"},
      {"lblJobProgress", "Job Progress:"},
      {"lblFileProgress", "File Progress:"},
      {"cmdStart", "Start"},
      {"cmdStop", "Stop"},
      {"cmdExit", "Exit"},
  };
  for (const auto& [name, caption] : captions) EXPECT_EQ(Caption(Get(name)), caption) << name;

  for (const char* name : {"picQuibran", "picQuibranRed", "picQuibranGrn", "cmbDevice", "cmbNumOfNums",
                           "txtCSVcolumnsX", "txtNumOfFiles", "txtDestDir", "txtBaseFilename", "txtStartSequence",
                           "txtFileName", "txtDisplay1024", "pbrJobProgress", "pbrFileProgress", "sbStatusBar"})
    Get(name);
  EXPECT_EQ(window.statusBar()->objectName(), "sbStatusBar");
  EXPECT_EQ(Get<QLabel>("picQuibran")->size(), QSize(48, 48));

  QStringList devices;
  for (int i = 0; i < Get<QComboBox>("cmbDevice")->count(); ++i) devices << Get<QComboBox>("cmbDevice")->itemText(i);
  EXPECT_EQ(devices, QStringList({"PRNG (Marsenne Twister)", "PRNG (Microsoft Rnd)", "PRNG (Wichmann Hill)",
                                  "PRNG (MT and WH)", "TRNG (Araneus Alea I)"}));
}

TEST_F(LayoutTest, MenusAreThoseOfTheProgramAndOnlyExitActs) {
  struct Entry {
    const char* name;
    const char* text;
    bool enabled;
  };
  for (const Entry& e : {Entry{"mnuFileExit", "E&xit", true}, Entry{"mnuViewStatusBar", "Status &Bar", false},
                         Entry{"mnuCreateMediaDef", "&Create...", false}, Entry{"mnuHelpContents", "&Contents", false},
                         Entry{"mnuHelpAbout", "&About ", false}}) {
    auto* action = window.findChild<QAction*>(e.name);
    ASSERT_NE(action, nullptr) << e.name;
    EXPECT_EQ(action->text(), e.text);
    EXPECT_EQ(action->isEnabled(), e.enabled) << e.name;
  }
  EXPECT_TRUE(window.findChild<QAction*>("mnuViewStatusBar")->isChecked());

  QStringList titles;
  for (QAction* menu : window.menuBar()->actions()) titles << menu->text();
  EXPECT_EQ(titles, QStringList({"&File", "&View", "&Options", "&Help"}));
  const QList<QAction*> help = window.menuBar()->actions().last()->menu()->actions();
  ASSERT_EQ(help.size(), 3);
  EXPECT_TRUE(help[1]->isSeparator());

  window.findChild<QAction*>("mnuFileExit")->trigger();
  EXPECT_FALSE(window.isVisible());
}

// Every caption fits its control and every control lies inside the window,
// whatever the file type made of the captions.
TEST_F(LayoutTest, ControlsAreLegibleAndInsideTheWindowForEveryFileType) {
  for (int type = 0; type < kFileTypeCount; ++type) {
    ChooseFileType(type);
    for (QWidget* w : window.findChildren<QWidget*>()) {
      if (!w->isVisible() || w->window() != &window) continue;
      const QRect rect(w->mapTo(&window, QPoint(0, 0)), w->size());
      EXPECT_TRUE(window.rect().contains(rect)) << qPrintable(w->objectName()) << " file type " << type;
      if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
        EXPECT_GE(w->width(), w->sizeHint().width()) << qPrintable(w->objectName()) << " file type " << type;
      }
    }
  }
}

struct FileTypeLayout {
  int file_type;
  int list_count;
  const char* last_entry;
  const char* quantity;
  const char* quantity_caption;
  bool columns_enabled;
  const char* columns_caption;
  unsigned num_types_enabled;  // bit n for optNumType n, with the Mersenne Twister source
  int num_type_selected;
  bool display_enabled;
  bool monochrome_enabled;
  QColor quantity_colour;
  QColor files_colour;
  bool files_locked;
};

QColor Background(QWidget* w) { return w->palette().color(QPalette::Active, QPalette::Base); }

TEST_F(LayoutTest, EachFileTypeLaysOutTheFields) {
  const QColor plain = QApplication::palette().color(QPalette::Base);
  const QColor bitmap(255, 192, 192), locked(255, 255, 128), csv(128, 255, 128);
  const std::array<FileTypeLayout, 4> layouts = {{
      // .BIN and .ASC keep the caption of the columns field as they find it;
      // below they follow .BMP.
      {kFileBin, 16, "2147483646 (2 GB - 2)", "768", "File Size in Bytes:", false, "Width in Pixels (X):", 0x01, 0, false,
       false, plain, plain, false},
      {kFileAsc, 14, "1073741824 (1 GB)", "768", "Quantity of Numbers:", false, "Width in Pixels (X):", 0x7F, 0, true, false,
       plain, plain, false},
      {kFileBmp, 8, "1024 (1 KB)", "100", "Height in Pixels (Y):", true, "Width in Pixels (X):", 0x80, 7, false, true,
       bitmap, locked, true},
      {kFileCsv, 999, "999", "1", "Number of CSV Rows:", true, "CSV Columns:", 0x7F, 0, false, false, csv, plain,
       false},
  }};
  ChooseDevice(kSourceMersenneTwister);
  // Through .BMP first, so that every layout has to undo another one.
  for (int type : {kFileBmp, kFileBin, kFileAsc, kFileCsv, kFileBmp}) {
    const FileTypeLayout& l = layouts[static_cast<size_t>(type)];
    SCOPED_TRACE(type);
    Get<QLineEdit>("txtNumOfFiles")->setText("3");
    ChooseFileType(type);
    EXPECT_EQ(settings.FileType, type);
    EXPECT_EQ(Quantity()->count(), l.list_count);
    EXPECT_EQ(Quantity()->itemText(0), type == kFileCsv ? "1" : "100");
    EXPECT_EQ(Quantity()->itemText(Quantity()->count() - 1), l.last_entry);
    EXPECT_EQ(QuantityText(), l.quantity);
    EXPECT_EQ(settings.NumOfNumsText, l.quantity);
    EXPECT_EQ(settings.NumOfNums, QString(l.quantity).toInt());
    EXPECT_EQ(Get<QLabel>("lblNumOfNums")->text(), l.quantity_caption);
    EXPECT_EQ(Edit("txtCSVcolumnsX")->isEnabled(), l.columns_enabled);
    EXPECT_EQ(Get<QLabel>("lblCSVcolumnsX")->isEnabled(), l.columns_enabled);
    EXPECT_EQ(Get<QLabel>("lblCSVcolumnsX")->text(), l.columns_caption);
    for (int n = 0; n < 8; ++n) {
      EXPECT_EQ(NumType(n)->isEnabled(), (l.num_types_enabled >> n & 1u) != 0) << "number type " << n;
      EXPECT_EQ(NumType(n)->isChecked(), n == l.num_type_selected) << "number type " << n;
    }
    EXPECT_EQ(settings.NumType, l.num_type_selected);
    EXPECT_EQ(Get("chkDisplay")->isEnabled(), l.display_enabled);
    EXPECT_EQ(Get("chkMonochrome")->isEnabled(), l.monochrome_enabled);
    EXPECT_EQ(Background(Quantity()), l.quantity_colour);
    EXPECT_EQ(Background(Edit("txtCSVcolumnsX")), l.quantity_colour);
    EXPECT_EQ(Background(Edit("txtNumOfFiles")), l.files_colour);
    EXPECT_EQ(Edit("txtNumOfFiles")->isReadOnly(), l.files_locked);
    EXPECT_EQ(Edit("txtNumOfFiles")->text(), l.files_locked ? "1" : "3");
    EXPECT_EQ(Edit("txtFileName")->text(), QString("RAND0001") + FileExtensions[type].data());
  }
  EXPECT_EQ(settings.NumOfFiles, 1);  // the bitmap layout holds one file
  EXPECT_EQ(Edit("txtCSVcolumnsX")->text(), "100");
  EXPECT_EQ(settings.CSVcolumnsX, 100);
  EXPECT_TRUE(messages.empty());
}

TEST_F(LayoutTest, TextFilesLabelTheDisplayByNumberType) {
  ChooseDevice(kSourceMersenneTwister);
  ChooseFileType(kFileBmp);  // leaves Color (24 bits) selected
  ChooseFileType(kFileAsc);
  auto* display = Get<QCheckBox>("chkDisplay");
  EXPECT_EQ(display->text(), "Display (up to 1024) Dec Hex Oct");
  Click(NumType(kNumDouble));
  EXPECT_EQ(settings.NumType, kNumDouble);
  EXPECT_EQ(display->text(), "Display (up to 1024) Decimal");
  Click(NumType(kNumInteger16));
  EXPECT_EQ(display->text(), "Display (up to 1024) Dec Hex Oct");

  // Other file types leave the caption alone.
  ChooseFileType(kFileCsv);
  Click(NumType(kNumSingle));
  EXPECT_EQ(display->text(), "Display (up to 1024) Dec Hex Oct");
  EXPECT_FALSE(display->isEnabled());
}

TEST_F(LayoutTest, EachSourceOffersItsNumberTypes) {
  struct SourceLayout {
    int source;
    unsigned enabled_with_asc;
    bool green;
    bool second_red;
  };
  const QImage red = Get<QLabel>("picQuibranRed")->pixmap().toImage();
  const QImage green = Get<QLabel>("picQuibranGrn")->pixmap().toImage();
  ASSERT_FALSE(red.isNull());
  ASSERT_NE(red, green);
  ChooseFileType(kFileAsc);
  for (const SourceLayout& s : {SourceLayout{kSourceMersenneTwister, 0x7F, false, false},
                                SourceLayout{kSourceRnd, 0x27, false, false},
                                SourceLayout{kSourceWichmannHill, 0x6F, false, false},
                                SourceLayout{kSourceMtWh, 0x6F, false, true},
                                SourceLayout{kSourceHardware, 0x7F, true, false}}) {
    SCOPED_TRACE(s.source);
    ChooseDevice(s.source);
    EXPECT_EQ(settings.DeviceIndex, s.source);
    EXPECT_EQ(settings.LastDeviceIndex, s.source);
    for (int n = 0; n < 8; ++n)
      EXPECT_EQ(NumType(n)->isEnabled(), (s.enabled_with_asc >> n & 1u) != 0) << "number type " << n;
    EXPECT_EQ(Get<QLabel>("picQuibran")->pixmap().toImage(), s.green ? green : red);
    EXPECT_EQ(Get("picQuibranRed")->isVisible(), s.second_red);
    EXPECT_FALSE(Get("picQuibranGrn")->isVisible());
  }
  // The bitmap stage overrides the source: only the colour type is left.
  ChooseDevice(kSourceRnd);
  ChooseFileType(kFileBmp);
  for (int n = 0; n < 8; ++n) EXPECT_EQ(NumType(n)->isEnabled(), n == kNumColor) << n;
}

TEST_F(LayoutTest, SameSourceChangesNothingAndAnotherRelaysTheWindow) {
  ChooseFileType(kFileCsv);
  Type(Quantity(), "5");
  TypeAndLeave(Edit("txtCSVcolumnsX"), "7");
  Click(NumType(kNumInteger16));

  ChooseDevice(kSourceRnd);  // the source already laid out
  EXPECT_EQ(QuantityText(), "5");
  EXPECT_EQ(Edit("txtCSVcolumnsX")->text(), "7");
  EXPECT_EQ(settings.NumType, kNumInteger16);

  ChooseDevice(kSourceWichmannHill);
  EXPECT_EQ(QuantityText(), "1");
  EXPECT_EQ(settings.NumOfNums, 1);
  EXPECT_EQ(Edit("txtCSVcolumnsX")->text(), "2");
  EXPECT_EQ(settings.CSVcolumnsX, 2);
  EXPECT_EQ(settings.NumType, kNumByte);
  EXPECT_TRUE(messages.empty());
}

TEST_F(LayoutTest, CheckBoxesFeedTheSettings) {
  ChooseFileType(kFileAsc);
  Click("chkDisplay");
  Click("chkSaveLastSeq");
  EXPECT_EQ(settings.DisplayOn, 1);
  EXPECT_EQ(settings.SaveLastSeq, 1);
  EXPECT_EQ(settings.MonochromeOn, 0);
  ChooseFileType(kFileBmp);
  Get<QCheckBox>("chkMonochrome")->setChecked(true);  // from code, as the presets do
  EXPECT_EQ(settings.MonochromeOn, 1);
  Click("chkDisplay");  // disabled for bitmaps
  EXPECT_EQ(settings.DisplayOn, 1);
}

TEST_F(LayoutTest, StartsFromTheBuiltInDefaults) {
  EXPECT_TRUE(FileType(kFileBin)->isChecked());
  EXPECT_TRUE(NumType(kNumByte)->isChecked());
  EXPECT_EQ(Get<QComboBox>("cmbDevice")->currentText(), "PRNG (Microsoft Rnd)");
  EXPECT_EQ(QuantityText(), "1024");
  EXPECT_EQ(settings.NumOfNums, 1024);
  EXPECT_EQ(Edit("txtCSVcolumnsX")->text(), "2");
  EXPECT_EQ(Edit("txtNumOfFiles")->text(), "1");
  EXPECT_EQ(Edit("txtDestDir")->text().toStdString(), DefaultDestDir());
  EXPECT_EQ(Edit("txtBaseFilename")->text(), "RAND");
  EXPECT_EQ(Edit("txtStartSequence")->text(), "1");
  EXPECT_EQ(settings.StartSequence, "0001");
  EXPECT_EQ(Edit("txtFileName")->text(), "RAND0001.BIN");
  EXPECT_FALSE(Get<QCheckBox>("chkDisplay")->isChecked());
  EXPECT_FALSE(Get<QCheckBox>("chkSaveLastSeq")->isChecked());
  EXPECT_TRUE(Get("cmdStart")->isEnabled());
  EXPECT_FALSE(Get("cmdStop")->isEnabled());
  EXPECT_FALSE(Get("pbrJobProgress")->isVisible());
  EXPECT_FALSE(Get("pbrFileProgress")->isVisible());
  EXPECT_TRUE(messages.empty());
}

// Stored values that the layout of their file type would overwrite reach the
// window, and applying the same settings twice changes nothing.
TEST(ApplyDefaults, StoredSettingsReachTheWindow) {
  std::vector<Message> messages;
  MessageInterceptor interceptor(
      [&](const QString& title, const QString& text, MessageIcon icon) { messages.push_back({title, text, icon}); });
  JobSettings settings = BuiltInDefaults();
  settings.FileType = kFileCsv;
  settings.NumType = kNumDouble;
  settings.DeviceIndex = settings.LastDeviceIndex = kSourceWichmannHill;
  settings.NumOfNumsText = "40";
  settings.CSVcolumnsX = 9;
  settings.NumOfFiles = 3;
  settings.DisplayOn = 1;
  settings.SaveLastSeq = 1;
  settings.StartSequence = "0042";
  FixedClock clock(45000, 0.0f);
  RandomSources sources(clock);
  MainWindow window(settings, sources);
  window.ApplyDefaults();

  EXPECT_TRUE(window.findChild<QRadioButton*>("optFileType3")->isChecked());
  EXPECT_TRUE(window.findChild<QRadioButton*>("optNumType6")->isChecked());
  EXPECT_EQ(window.findChild<QComboBox*>("cmbDevice")->currentIndex(), kSourceWichmannHill);
  EXPECT_EQ(window.findChild<QComboBox*>("cmbNumOfNums")->currentText(), "40");
  EXPECT_EQ(window.findChild<QLineEdit*>("txtCSVcolumnsX")->text(), "9");
  EXPECT_EQ(window.findChild<QLineEdit*>("txtNumOfFiles")->text(), "3");
  EXPECT_EQ(window.findChild<QLineEdit*>("txtFileName")->text(), "RAND0042.CSV");
  EXPECT_TRUE(window.findChild<QCheckBox*>("chkDisplay")->isChecked());
  EXPECT_EQ(settings.NumType, kNumDouble);
  EXPECT_EQ(settings.NumOfNums, 40);
  EXPECT_EQ(settings.CSVcolumnsX, 9);
  EXPECT_EQ(settings.DisplayOn, 1);
  EXPECT_EQ(settings.SaveLastSeq, 1);
  EXPECT_TRUE(messages.empty());
}

// A stored number type that the file type does not offer is not selected.
TEST(ApplyDefaults, DisabledNumberTypeKeepsTheLayoutsChoice) {
  JobSettings settings = BuiltInDefaults();
  settings.NumType = kNumSingle;  // with .BIN
  FixedClock clock(45000, 0.0f);
  RandomSources sources(clock);
  MainWindow window(settings, sources);
  EXPECT_TRUE(window.findChild<QRadioButton*>("optNumType0")->isChecked());
  EXPECT_EQ(settings.NumType, kNumByte);
}

}  // namespace
}  // namespace quibran::test
