#include "talvix/ui/CaptionForm.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "talvix/settings/MLang.h"

namespace talvix::ui {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "captionform_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
  return app;
}

class CaptionFormTest : public ::testing::Test {
 protected:
  void SetUp() override { App(); }
};

const char kStyles[] =
    "HEAD\tHeading Face\t30\ttrue\r\n"
    "BIG\tTalvix Test Face\t14\ttrue\r\n"
    "SMALL\t$$\t9\tfalse\r\n"
    "KEEP\t$$\t$$\t$$\r\n";

const char kCaptions[] =
    "frmTest\tlblA\tLabel A\tBIG\tEtiquette\t\tラベルA\tSMALL\r\n"
    "frmTest\tbtnOk\tOK now\tSMALL\t\t\tOKです\tSMALL\r\n"
    "frmTest\tbtnHelp\tShows help\tHINT\t\t\tヘルプ\tHINT\r\n"
    "frmTest\ttbUp\tUp one folder\tHINT\t\t\t上へ\tHINT\r\n"
    "frmTest\ttbGo\tGo\tBIG\t\t\t行く\tBIG\r\n"
    "frmTest\tmnuFile\t&File\t\t\t\tファイル(&F)\t\r\n"
    "frmTest\tmnuExit\tE&xit\t\t\t\t終了(&X)\t\r\n"
    "frmTest\tpmList\tNot shown\t\t\t\t出ない\t\r\n"
    "frmTest\tcbWrite\tWrite\tBIG\t\t\t書く\tBIG\r\n"
    "frmTest\trbOne\tOne\tKEEP\t\t\t一\tKEEP\r\n"
    "frmTest\tgbBox\tBox\tHEAD\t\t\t箱\tHEAD\r\n"
    "frmTest\ttsFirst\tFirst page\t\t\t\t最初\t\r\n"
    "frmTest\tcbCom\tIgnored text\tBIG\t\t\t無視\tBIG\r\n"
    "frmTest\tstNote\tNot for static texts\t\t\t\t静的\t\r\n"
    "frmHost\tlblHosted\tFrom the host\t\t\t\tホスト\t\r\n"
    "frmInner\tlblInner\tInner label\t\t\t\t内側\t\r\n"
    "frmTest\tlblInner\tWrong owner\t\t\t\t違う\t\r\n"
    "PrgLevel\tTI_MAIN\tTalvix\t\t\t\tTalvix\t\r\n"
    "\r\n"
    "frmTest\tlblLate\tAfter the empty line\t\t\t\t後\t\r\n";

template <typename T>
T* Named(QWidget* parent, const char* name) {
  auto* widget = new T(parent);
  widget->setObjectName(name);
  return widget;
}

struct TestForm {
  QMainWindow host;
  QDialog* form;
  QLabel* lblA;
  QPushButton* btnOk;
  QPushButton* btnHelp;
  QToolButton* tbUp;
  QToolButton* tbGo;
  QMenu* mnuFile;
  QAction* mnuExit;
  QMenu* pmList;
  QCheckBox* cbWrite;
  QRadioButton* rbOne;
  QGroupBox* gbBox;
  QTabWidget* pages;
  QWidget* tsFirst;
  QComboBox* cbCom;
  QLabel* stNote;
  QLabel* lblHosted;
  QLabel* lblLate;
  QDialog* inner;
  QLabel* innerLabel;

  TestForm() {
    host.setObjectName("frmHost");
    form = new QDialog(&host);
    form->setObjectName("frmTest");
    auto* layout = new QVBoxLayout(form);
    auto* bar = new QMenuBar(form);
    layout->setMenuBar(bar);
    mnuFile = Named<QMenu>(form, "mnuFile");
    mnuFile->setTitle("design");
    bar->addMenu(mnuFile);
    mnuExit = new QAction("design", mnuFile);
    mnuExit->setObjectName("mnuExit");
    mnuFile->addAction(mnuExit);
    pmList = Named<QMenu>(form, "pmList");
    pmList->setTitle("popup");
    gbBox = Named<QGroupBox>(form, "gbBox");
    auto* boxLayout = new QVBoxLayout(gbBox);
    lblA = Named<QLabel>(gbBox, "lblA");  // nested: still owned by the form
    lblA->setText("design");
    boxLayout->addWidget(lblA);
    rbOne = Named<QRadioButton>(gbBox, "rbOne");
    boxLayout->addWidget(rbOne);
    layout->addWidget(gbBox);
    btnOk = Named<QPushButton>(form, "btnOk");
    btnHelp = Named<QPushButton>(form, "btnHelp");
    btnHelp->setText("Help");
    tbUp = Named<QToolButton>(form, "tbUp");
    tbUp->setText("Up");
    tbGo = Named<QToolButton>(form, "tbGo");
    cbWrite = Named<QCheckBox>(form, "cbWrite");
    pages = Named<QTabWidget>(form, "pages");
    tsFirst = new QWidget;
    tsFirst->setObjectName("tsFirst");
    pages->addTab(tsFirst, "design tab");
    cbCom = Named<QComboBox>(form, "cbCom");
    cbCom->addItem("Not Use");
    stNote = Named<QLabel>(form, "stNote");
    stNote->setText("static");
    stNote->setProperty("talvixClass", "TStaticText");
    lblHosted = Named<QLabel>(form, "lblHosted");
    lblLate = Named<QLabel>(form, "lblLate");
    lblLate->setText("late design");
    inner = Named<QDialog>(form, "frmInner");
    innerLabel = Named<QLabel>(inner, "lblInner");
    innerLabel->setText("inner design");
    for (QWidget* w : std::initializer_list<QWidget*>{btnOk, btnHelp, tbUp, tbGo, cbWrite, pages,
                                                      cbCom, stNote, lblHosted, lblLate}) {
      layout->addWidget(w);
    }
  }
};

MLang Tables(uint16_t language) {
  MLang lang;
  lang.SetLanguage(language);
  lang.ParseStyleTable(kStyles);
  lang.ParseCaptionTable(kCaptions);
  return lang;
}

TEST_F(CaptionFormTest, CaptionsHintsAndStylesByClass) {
  TestForm t;
  const QFont designFont = t.cbWrite->font();
  const MLang lang = Tables(MLang::kEnglish);
  CaptionForm(lang, t.form, 96);

  EXPECT_EQ(t.lblA->text(), "Label A");
  EXPECT_EQ(t.lblA->font().family(), "Talvix Test Face");
  EXPECT_EQ(t.lblA->font().pointSize(), 14);
  EXPECT_TRUE(t.lblA->font().bold());

  EXPECT_EQ(t.btnOk->text(), "OK now");
  EXPECT_EQ(t.btnOk->font().pointSize(), 9);
  EXPECT_FALSE(t.btnOk->font().bold());

  EXPECT_EQ(t.btnHelp->text(), "Help");  // a hint leaves the caption alone
  EXPECT_EQ(t.btnHelp->toolTip(), "Shows help");
  EXPECT_EQ(t.tbUp->text(), "Up");
  EXPECT_EQ(t.tbUp->toolTip(), "Up one folder");
  EXPECT_EQ(t.tbGo->text(), "Go");
  EXPECT_EQ(t.tbGo->font().family(), designFont.family());  // tool buttons take no style

  EXPECT_EQ(t.mnuFile->title(), "&File");
  EXPECT_EQ(t.mnuExit->text(), "E&xit");
  EXPECT_EQ(t.pmList->title(), "popup");  // a popup menu takes no caption

  EXPECT_EQ(t.cbWrite->text(), "Write");
  EXPECT_TRUE(t.cbWrite->font().bold());
  EXPECT_EQ(t.rbOne->text(), "One");
  EXPECT_EQ(t.rbOne->font(), t.form->font());  // "$$" everywhere changes nothing

  EXPECT_EQ(t.gbBox->title(), "Box");
  EXPECT_NE(t.gbBox->font().family(), "Heading Face");  // the heading style is never applied
  EXPECT_EQ(t.pages->tabText(0), "First page");

  EXPECT_EQ(t.cbCom->itemText(0), "Not Use");  // style only
  EXPECT_EQ(t.cbCom->font().pointSize(), 14);

  EXPECT_EQ(t.stNote->text(), "static");  // its own class name: nothing to do
  EXPECT_EQ(t.lblHosted->text(), "From the host");  // the owner's owner's line
  EXPECT_EQ(t.lblLate->text(), "late design");      // after the empty line
  EXPECT_EQ(t.innerLabel->text(), "inner design");  // belongs to the inner form
}

TEST_F(CaptionFormTest, InnerFormCaptionsItsOwnControls) {
  TestForm t;
  const MLang lang = Tables(MLang::kEnglish);
  CaptionForm(lang, t.inner, 96);
  EXPECT_EQ(t.innerLabel->text(), "Inner label");
  EXPECT_EQ(t.lblA->text(), "design");
}

TEST_F(CaptionFormTest, LargeFontsTakeOnePointOff) {
  TestForm t;
  const MLang lang = Tables(MLang::kEnglish);
  CaptionForm(lang, t.form, 120);
  EXPECT_EQ(t.lblA->font().pointSize(), 13);
  EXPECT_EQ(t.btnOk->font().pointSize(), 8);
}

TEST_F(CaptionFormTest, JapaneseColumns) {
  TestForm t;
  const MLang lang = Tables(MLang::kJapanese);
  CaptionForm(lang, t.form, 96);
  EXPECT_EQ(t.lblA->text(), QString::fromUtf8("ラベルA"));
  EXPECT_EQ(t.lblA->font().pointSize(), 9);  // the Japanese style key
  EXPECT_EQ(t.mnuFile->title(), QString::fromUtf8("ファイル(&F)"));
  EXPECT_EQ(t.tbUp->toolTip(), QString::fromUtf8("上へ"));
}

TEST_F(CaptionFormTest, EmptyTablesChangeNothing) {
  TestForm t;
  MLang lang;
  CaptionForm(lang, t.form);
  EXPECT_EQ(t.lblA->text(), "design");
  EXPECT_EQ(t.mnuFile->title(), "design");
  CaptionForm(lang, nullptr);
}

TEST_F(CaptionFormTest, TableClassNames) {
  QMainWindow window;
  auto* bar = window.menuBar();
  auto* sub = new QMenu("sub", &window);
  bar->addMenu(sub);
  auto* popup = new QMenu(&window);
  auto* action = new QAction(&window);
  auto* toolAction = new QAction(&window);
  toolAction->setProperty("talvixClass", "TToolButton");
  auto* tabs = new QTabWidget(&window);
  auto* page = new QWidget;
  tabs->addTab(page, "p");
  QTimer timer;
  const std::pair<QObject*, const char*> cases[] = {
      {&window, "TForm"},
      {sub, "TMenuItem"},
      {popup, "TPopupMenu"},
      {bar, "TMainMenu"},
      {action, "TMenuItem"},
      {toolAction, "TToolButton"},
      {new QToolButton(&window), "TToolButton"},
      {new QPushButton(&window), "TButton"},
      {new QCheckBox(&window), "TCheckBox"},
      {new QRadioButton(&window), "TRadioButton"},
      {new QLabel(&window), "TLabel"},
      {new QGroupBox(&window), "TGroupBox"},
      {tabs, "TPageControl"},
      {page, "TTabSheet"},
      {new QComboBox(&window), "TComboBox"},
      {new QLineEdit(&window), "TEdit"},
      {new QListWidget(&window), "TListBox"},
      {new QTableWidget(&window), "TStringGrid"},
      {new QTreeWidget(&window), "TTreeView"},
      {window.statusBar(), "TStatusBar"},
      {new QToolBar(&window), "TToolBar"},
      {&timer, "TTimer"},
      {new QWidget(&window), ""},
      {nullptr, ""},
  };
  for (const auto& [object, expected] : cases) {
    EXPECT_EQ(TableClassName(object), expected)
        << (object ? object->metaObject()->className() : "null");
  }
}

// Builds every form of forms.txt from widgets of the matching Qt classes and
// captions it with the shipped tables: each control gets its table text.
TEST_F(CaptionFormTest, ShippedTablesCaptionEveryFormOfTheList) {
  std::ifstream list(std::string(SUITE_SOURCE_DIR) + "/talvix/data/forms.txt");
  ASSERT_TRUE(list.good());
  struct Control {
    std::string component, className, note;
    QObject* object;
  };
  std::map<std::string, std::vector<Control>> forms;
  std::map<std::string, std::unique_ptr<QDialog>> windows;
  std::string line;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string form, component, cls, note;
    std::getline(in, form, '\t');
    std::getline(in, component, '\t');
    std::getline(in, cls, '\t');
    std::getline(in, note, '\t');
    auto& window = windows[form];
    if (!window) {
      window = std::make_unique<QDialog>();
      window->setObjectName(QString::fromStdString(form));
    }
    QObject* object;
    if (cls == "TMenuItem") {
      object = new QAction(window.get());
    } else if (cls == "TToolButton") {
      object = new QToolButton(window.get());
    } else if (cls == "TButton") {
      object = new QPushButton(window.get());
    } else if (cls == "TLabel") {
      object = new QLabel(window.get());
    } else if (cls == "TComboBox") {
      object = new QComboBox(window.get());
    } else if (cls == "TEdit") {
      object = new QLineEdit(window.get());
    } else if (cls == "TStringGrid") {
      object = new QTableWidget(window.get());
    } else {
      object = new QWidget(window.get());
      object->setProperty("talvixClass", QString::fromStdString(cls));
    }
    object->setObjectName(QString::fromStdString(component));
    object->setProperty("design", "design");
    forms[form].push_back({component, cls, note, object});
  }
  ASSERT_EQ(forms.size(), 8u);

  for (uint16_t language : {MLang::kEnglish, MLang::kJapanese}) {
    MLang lang;
    lang.SetLanguage(language);
    ASSERT_TRUE(lang.LoadStyleTable(std::string(SUITE_BIN_DIR) + "/tv10.sty"));
    ASSERT_TRUE(lang.LoadCaptionTable(std::string(SUITE_BIN_DIR) + "/tv10.cpt"));
    std::map<std::pair<std::string, std::string>, const CaptionEntry*> lines;
    for (const CaptionEntry& e : lang.Captions()) lines.emplace(std::pair{e.formName, e.componentName}, &e);

    for (auto& [form, controls] : forms) {
      CaptionForm(lang, windows[form].get(), 96);
      for (const Control& c : controls) {
        const auto it = lines.find({form, c.component});
        QString shown;
        if (auto* action = qobject_cast<QAction*>(c.object)) {
          shown = action->text();
        } else if (auto* tool = qobject_cast<QToolButton*>(c.object)) {
          shown = tool->toolTip().isEmpty() ? tool->text() : tool->toolTip();
        } else if (auto* button = qobject_cast<QPushButton*>(c.object)) {
          shown = button->toolTip().isEmpty() ? button->text() : button->toolTip();
        } else if (auto* label = qobject_cast<QLabel*>(c.object)) {
          shown = label->text();
        } else {
          continue;  // style only, or nothing at all
        }
        if (!c.note.empty()) {
          EXPECT_TRUE(shown.isEmpty()) << form << " " << c.component;
          continue;
        }
        ASSERT_NE(it, lines.end()) << form << " " << c.component;
        EXPECT_EQ(shown.toStdString(), it->second->text) << form << " " << c.component;
        EXPECT_FALSE(shown.isEmpty()) << form << " " << c.component << " in " << language;
      }
    }
  }
}

}  // namespace
}  // namespace talvix::ui
