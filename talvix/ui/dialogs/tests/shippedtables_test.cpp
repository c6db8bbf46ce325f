// The dialogs captioned from the tables delivered with the program: every
// control the tables name is found under its name and class.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

#include "DialogTestSupport.h"
#include "talvix/ui/dialogs/TfrmBrowse.h"
#include "talvix/ui/dialogs/TfrmCopy.h"
#include "talvix/ui/dialogs/TfrmNewFolder.h"
#include "talvix/ui/dialogs/TfrmOWDlg.h"
#include "talvix/ui/dialogs/TfrmWait.h"

namespace talvix::ui {
namespace {

using testing::App;

template <typename T>
QString Caption(QWidget& form, const char* name)
{
    auto* widget = form.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget ? widget->text() : QString();
}

TEST(ShippedTables, CaptionTheDialogsInBothLanguages)
{
    App();
    for (uint16_t language : {MLang::kEnglish, MLang::kJapanese}) {
        SCOPED_TRACE(language);
        MLang lang;
        lang.SetLanguage(language);
        ASSERT_TRUE(lang.LoadCaptionTable(SUITE_BIN_DIR "/tv10.cpt"));
        QMainWindow main;
        main.setObjectName("frmMain");

        TfrmOWDlg ow(lang, &main);
        for (const char* button : {"btnYes", "btnAll", "btnNo", "btnCancel"})
            EXPECT_FALSE(Caption<QPushButton>(ow, button).isEmpty()) << button;
        for (const char* label : {"lblExFile", "lblRepFile", "lblFolder1", "lblFolder2", "lblFolder3"})
            EXPECT_FALSE(Caption<QLabel>(ow, label).isEmpty()) << label;
        EXPECT_EQ(ow.windowTitle().toStdString(), lang.GetText("TI_OW"));

        TfrmCopy copy(lang, &main);
        EXPECT_FALSE(Caption<QPushButton>(copy, "btnCancel").isEmpty());
        EXPECT_EQ(copy.windowTitle().toStdString(), lang.GetText("TI_COPY"));

        TfrmBrowse browse(lang, &main);
        EXPECT_FALSE(Caption<QLabel>(browse, "lblWait").isEmpty());
        EXPECT_FALSE(Caption<QPushButton>(browse, "btnAbort").isEmpty());
        EXPECT_EQ(browse.windowTitle().toStdString(), lang.GetText("TI_BROWSE"));

        TfrmWait wait(lang, &main);
        EXPECT_EQ(Caption<QLabel>(wait, "lblWait").toStdString(),
                  lang.Captions()[static_cast<size_t>(lang.FindCaption({"lblWait", "TLabel", "frmWait", "frmMain"}))].text);
        EXPECT_FALSE(Caption<QPushButton>(wait, "btnAbort").isEmpty());

        TfrmNewFolder folder(lang, &main);
        EXPECT_FALSE(Caption<QPushButton>(folder, "btnOk").isEmpty());
        EXPECT_FALSE(Caption<QPushButton>(folder, "btnCancel").isEmpty());
        EXPECT_EQ(folder.windowTitle().toStdString(), lang.GetText("TI_NEW"));
        for (const char* key : {"LBL_OW1", "LBL_OWF1", "LBL_SIZE", "LBL_DATE", "LB_FROMTEXT", "LB_TOTEXT",
                                "BTN_NEW", "ED_NEW"}) {
            EXPECT_FALSE(lang.GetText(key).empty()) << key;
        }
    }
}

}  // namespace
}  // namespace talvix::ui
