// SPDX-License-Identifier: GPL-3.0-or-later
// The window's controls and their layout by file type and source.

#include <QAccessible>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <array>
#include <functional>

#include "app/about_dialog.h"
#include "app/readable_colours.h"
#include "window_fixture.h"

namespace quibran::test {
namespace {

class LayoutTest : public WindowTest {
 protected:
  // Bit n stands for optNumType n, set where `state` holds.
  unsigned NumTypes(bool (QAbstractButton::*state)() const) {
    unsigned bits = 0;
    for (int n = 0; n < kNumTypeCount; ++n) bits |= unsigned{(NumType(n)->*state)()} << n;
    return bits;
  }
};

TEST_F(LayoutTest, StartsWithItsControlsMenusAndTheBuiltInDefaults) {
  EXPECT_EQ(window.objectName() + ": " + window.windowTitle(), "frmMain: Quibran - True Random Number Generator");
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_EQ(window.statusBar()->objectName(), "sbStatusBar");
  EXPECT_EQ(Get("picQuibran")->size(), QSize(48, 48));
  EXPECT_EQ(Captions(window, QString("fraFileType optFileType0 optFileType1 optFileType2 optFileType3 fraNumType "
                                     "optNumType0 optNumType1 optNumType2 optNumType3 optNumType4 optNumType5 "
                                     "optNumType6 optNumType7 lblDevice lblNumOfNums lblCSVcolumnsX lblNumOfFiles "
                                     "chkDisplay chkMonochrome fraOutputSection lblDesstDir buttonBrowseForDir "
                                     "lblBaseFileName lblSequence chkSaveLastSeq lblFileName lblJobProgress "
                                     "lblFileProgress cmdStart cmdStop cmdExit")
                                 .split(' ')),
            QStringList({"File Type and .EXT",
                         ".BINary",
                         ".ASCii",
                         ".BitMaP",
                         ".CSV",
                         "Number Type",
                         "Byte",
                         "Integer (15 bits)",
                         "Integer (16 bits)",
                         "Long (31 bits)",
                         "Long (32 bits)",
                         "Float (Single)",
                         "Float (Double)",
                         "Color (24 bits)",
                         "Select RN Generator:",
                         "File Size in Bytes:",
                         "CSV Columns:",
                         "Number of Files to Generate:",
                         "Display (up to 1024) Decimal",
                         "Monochrome (1 bit)",
                         "Output File Section",
                         "Enter Destination Directory:",
                         "Browse...",
                         "Enter Filename Base:",
                         "Start Seq:",
                         "Save Seq",
                         "Output Filename:",
                         "Job Progress:",
                         "File Progress:",
                         "Start",
                         "Stop",
                         "Exit"}));
  QStringList devices;
  for (int i = 0; i < Get<QComboBox>("cmbDevice")->count(); ++i) devices << Get<QComboBox>("cmbDevice")->itemText(i);
  EXPECT_EQ(devices, QStringList({"PRNG (Marsenne Twister)", "PRNG (Microsoft Rnd)", "PRNG (Wichmann Hill)",
                                  "PRNG (MT and WH)", "TRNG (Araneus Alea I)", "CSPRNG (Linux kernel)"}));
  QStringList menus;
  for (QAction* menu : window.menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, QStringList({"&File", "&View", "&Options", "&Help"}));
  QStringList actions;
  for (const char* name : {"mnuFileExit", "mnuViewStatusBar", "mnuCreateMediaDef", "mnuHelpContents", "mnuHelpAbout"})
    actions << Captions(window, {name}) << (Get<QAction>(name)->isEnabled() ? "on" : "off");
  EXPECT_EQ(actions.join(' '), "E&xit on Status &Bar off &Create... on &Contents on &About  on");
  EXPECT_TRUE(Get<QAction>("mnuViewStatusBar")->isChecked());
  const QList<QAction*> help = window.menuBar()->actions().last()->menu()->actions();
  ASSERT_EQ(help.size(), 3);
  EXPECT_TRUE(help[1]->isSeparator());

  // The built-in defaults.
  EXPECT_EQ(Text("cmbDevice") + " " + Text("cmbNumOfNums") + " " + Text("txtFileName"),
            "PRNG (Microsoft Rnd) 1024 RAND0001.BIN");
  EXPECT_EQ(Text("txtDestDir").toStdString(), DefaultDestDir());
  for (const char* name : {"pbrJobProgress", "pbrFileProgress"}) EXPECT_FALSE(Get(name)->isVisible());
  EXPECT_FALSE(Get("cmdStop")->isEnabled());
  EXPECT_TRUE(messages.empty());
}

TEST_F(LayoutTest, EachFileTypeLaysOutTheFields) {
  const QColor plain = QApplication::palette().color(QPalette::Base);
  const QColor bitmap(255, 192, 192), locked(255, 255, 128), csv(128, 255, 128);
  struct {
    const char *list, *quantity, *quantity_caption, *columns_caption;
    QStringList enabled;         // of the columns field and its caption, chkDisplay and chkMonochrome
    unsigned num_types_enabled;  // with the Mersenne Twister source
    int num_type;
    QColor colour;  // of the quantity and columns fields
    bool files_locked;
    const char* file_name;
  } const layouts[] = {
      // .BIN and .ASC keep the caption of the columns field as .BMP left it.
      {"16: 100 .. 2147483646 (2 GB - 2)",
       "768",
       "File Size in Bytes:",
       "Width in Pixels (X):",
       {},
       0x01,
       kNumByte,
       plain,
       false,
       "RAND0001.BIN"},
      {"14: 100 .. 1073741824 (1 GB)",
       "768",
       "Quantity of Numbers:",
       "Width in Pixels (X):",
       {"chkDisplay"},
       0x7F,
       kNumByte,
       plain,
       false,
       "RAND0001.ASC"},
      {"8: 100 .. 1024 (1 KB)",
       "100",
       "Height in Pixels (Y):",
       "Width in Pixels (X):",
       {"txtCSVcolumnsX", "lblCSVcolumnsX", "chkMonochrome"},
       0x80,
       kNumColor,
       bitmap,
       true,
       "RAND0001.BMP"},
      {"999: 1 .. 999",
       "1",
       "Number of CSV Rows:",
       "CSV Columns:",
       {"txtCSVcolumnsX", "lblCSVcolumnsX"},
       0x7F,
       kNumByte,
       csv,
       false,
       "RAND0001.CSV"},
  };
  auto background = [](QWidget* w) { return w->palette().color(QPalette::Active, QPalette::Base); };
  ChooseDevice(kSourceMersenneTwister);
  // Through .BMP first, so that every layout has to undo another one.
  for (int type : {kFileBmp, kFileBin, kFileAsc, kFileCsv, kFileBmp}) {
    const auto& l = layouts[type];
    SCOPED_TRACE(type);
    Edit("txtNumOfFiles")->setText("3");
    ChooseFileType(type);
    EXPECT_EQ(settings.FileType, type);
    EXPECT_EQ(QString("%1: %2 .. %3")
                  .arg(Quantity()->count())
                  .arg(Quantity()->itemText(0), Quantity()->itemText(Quantity()->count() - 1)),
              l.list);
    EXPECT_EQ(QStringList({Text("cmbNumOfNums"), Q(settings.NumOfNumsText), QString::number(settings.NumOfNums)}),
              QStringList(3, l.quantity));
    EXPECT_EQ(Get<QLabel>("lblNumOfNums")->text() + " | " + Get<QLabel>("lblCSVcolumnsX")->text(),
              QString(l.quantity_caption) + " | " + l.columns_caption);
    QStringList enabled;
    for (const char* name : {"txtCSVcolumnsX", "lblCSVcolumnsX", "chkDisplay", "chkMonochrome"})
      if (Get(name)->isEnabled()) enabled << name;
    EXPECT_EQ(enabled, l.enabled);
    EXPECT_EQ(NumTypes(&QAbstractButton::isEnabled), l.num_types_enabled);
    EXPECT_EQ(NumTypes(&QAbstractButton::isChecked), 1u << l.num_type);
    EXPECT_EQ(settings.NumType, l.num_type);
    // Tab from the file type lands on the number type that the layout selected.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), NumType(l.num_type));
    EXPECT_EQ(background(Quantity()), l.colour);
    EXPECT_EQ(background(Edit("txtCSVcolumnsX")), l.colour);
    EXPECT_EQ(background(Edit("txtNumOfFiles")), l.files_locked ? locked : plain);
    EXPECT_EQ(Edit("txtNumOfFiles")->isReadOnly(), l.files_locked);
    EXPECT_EQ(Text("txtNumOfFiles") + " " + Text("txtFileName"), (l.files_locked ? "1 " : "3 ") + QString(l.file_name));
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

// Choosing another source lays the window out anew.
TEST_F(LayoutTest, EachSourceOffersItsNumberTypesAndRelaysTheWindow) {
  const QImage red = Get<QLabel>("picQuibranRed")->pixmap().toImage();
  const QImage green = Get<QLabel>("picQuibranGrn")->pixmap().toImage();
  ASSERT_FALSE(red.isNull());
  ASSERT_NE(red, green);
  ChooseFileType(kFileAsc);
  // The source, the number types it offers (but Color, which .ASC leaves out)
  // and whether its indicator is green: the sources for one-time pads.
  for (const auto& [source, enabled, pads] : {std::tuple{kSourceMersenneTwister, 0x7Fu, false},
                                              {kSourceRnd, 0x27u, false},
                                              {kSourceWichmannHill, 0x6Fu, false},
                                              {kSourceMtWh, 0x6Fu, false},
                                              {kSourceHardware, 0x7Fu, true},
                                              {kSourceOs, 0x7Fu, true}}) {
    SCOPED_TRACE(source);
    ChooseDevice(source);
    EXPECT_EQ(settings.DeviceIndex, source);
    EXPECT_EQ(settings.LastDeviceIndex, source);
    EXPECT_EQ(NumTypes(&QAbstractButton::isEnabled), enabled);
    for (int type = 0; type < kFileTypeCount; ++type) EXPECT_TRUE(Get(QString("optFileType%1").arg(type))->isEnabled());
    EXPECT_EQ(Get<QLabel>("picQuibran")->pixmap().toImage(), pads ? green : red);
    EXPECT_EQ(Get("picQuibranRed")->isVisible(), source == kSourceMtWh);
    EXPECT_FALSE(Get("picQuibranGrn")->isVisible());
  }
  ChooseDevice(kSourceRnd);
  ChooseFileType(kFileBmp);  // the file type overrides the source
  EXPECT_EQ(NumTypes(&QAbstractButton::isEnabled), 0x80u);

  ChooseFileType(kFileCsv);
  Type(Quantity(), "5");
  TypeAndLeave(Edit("txtCSVcolumnsX"), "7");
  Click(NumType(kNumInteger16));
  EXPECT_EQ(Text("cmbNumOfNums") + Text("txtCSVcolumnsX"), "57");
  EXPECT_EQ(settings.NumType, kNumInteger16);
  ChooseDevice(kSourceWichmannHill);
  EXPECT_EQ(Text("cmbNumOfNums") + Text("txtCSVcolumnsX"), "12");
  EXPECT_EQ((std::array{settings.NumOfNums, int{settings.CSVcolumnsX}, int{settings.NumType}}),
            (std::array{1, 2, int{kNumByte}}));
  EXPECT_TRUE(messages.empty());
}

// Each coloured field sets a text colour readable on it, in the light palette
// and in a dark one (whose white text the light colours would hide).
TEST_F(LayoutTest, ColouredFieldsStayReadableInAnyPalette) {
  ASSERT_EQ(QApplication::style()->name(), "fusion");
  const QPalette light = QApplication::palette(), dark(QColor(45, 45, 45));
  ASSERT_LT(ContrastRatio(dark.color(QPalette::Text), QColor(255, 255, 128)), kReadableContrast);
  for (const auto& [palette, shade] : {std::pair{light, "light"}, {dark, "dark"}}) {
    QApplication::setPalette(palette);
    for (int type : {kFileBmp, kFileCsv}) {
      ChooseFileType(type);
      for (const char* name : {"cmbNumOfNums", "txtCSVcolumnsX", "txtNumOfFiles"}) {
        const QPalette& field = Get(name)->palette();
        EXPECT_GE(ContrastRatio(field.color(QPalette::Base), field.color(QPalette::Text)), kReadableContrast)
            << name << ' ' << type << ' ' << shade;
      }
    }
  }
  QApplication::setPalette(light);
}

// Assistive technology finds a name, not a value, on every control that takes
// the focus or shows something; the indicator says what its colour means.
TEST_F(LayoutTest, EveryControlIsNamedForAssistiveTechnology) {
  ChooseDevice(kSourceMtWh);  // shows the second indicator
  ChooseFileType(kFileBmp);
  for (const char* bar : {"pbrFileProgress", "pbrJobProgress"}) window.findChild<QWidget*>(bar)->show();
  AboutDialog about(&window);
  about.show();
  QStringList unnamed;
  const std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
    if (node->state().invisible) return;
    const QString name = node->text(QAccessible::Name);
    if ((node->state().focusable ||
         QList{QAccessible::StaticText, QAccessible::Graphic, QAccessible::ProgressBar}.contains(node->role())) &&
        (name.isEmpty() || name == node->text(QAccessible::Value)))
      unnamed << node->object()->objectName() + " " + node->object()->metaObject()->className();
    for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
  };
  for (QWidget* top : std::initializer_list<QWidget*>{&window, &about})
    walk(QAccessible::queryAccessibleInterface(top));
  EXPECT_EQ(unnamed, QStringList());
  for (const auto& [source, meaning] :
       {std::pair{kSourceRnd, "a software generator"}, {kSourceOs, "a source fit for one-time pads"}}) {
    ChooseDevice(source);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(Get("picQuibran"))->text(QAccessible::Description), meaning);
    EXPECT_EQ(Get("picQuibran")->toolTip(), meaning);
  }
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
  EXPECT_TRUE(Get<QRadioButton>("optFileType3")->isChecked() && NumType(kNumDouble)->isChecked());
  QStringList texts;
  for (const char* name : {"cmbDevice", "cmbNumOfNums", "txtCSVcolumnsX", "txtNumOfFiles", "txtFileName"})
    texts << Text(name);
  EXPECT_EQ(texts, QStringList({"PRNG (Wichmann Hill)", "40", "9", "3", "RAND0042.CSV"}));
  EXPECT_TRUE(Get<QCheckBox>("chkDisplay")->isChecked() && Get<QCheckBox>("chkSaveLastSeq")->isChecked());
  EXPECT_EQ((std::array{int{settings.NumType}, settings.NumOfNums, int{settings.CSVcolumnsX}}),
            (std::array{int{kNumDouble}, 40, 9}));
  EXPECT_TRUE(messages.empty());

  settings.FileType = kFileBin;
  settings.NumType = kNumSingle;
  window.ApplyDefaults();
  EXPECT_TRUE(NumType(kNumByte)->isChecked());
  EXPECT_EQ(settings.NumType, kNumByte);
}

}  // namespace
}  // namespace quibran::test
