#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "DialogTestSupport.h"
#include "talvix/ui/dialogs/CFolderDlg.h"
#include "talvix/ui/dialogs/FolderBrowser.h"
#include "talvix/ui/dialogs/TfrmNewFolder.h"

namespace fs = std::filesystem;

namespace talvix::ui {
namespace {

using testing::App;
using testing::Drive;
using testing::MakeLang;

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        char pattern[] = "/tmp/dialogs_folder_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base_ = pattern;
        main_.setObjectName("frmMain");
        main_.show();
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(base_, ec);
    }

    QApplication& app_ = App();
    std::unique_ptr<MLang> lang_ = MakeLang();
    QMainWindow main_;
    std::string base_;
};

TEST(TfrmNewFolderRules, NamesThatStayInsideTheBaseFolder)
{
    struct Case {
        std::string name;
        bool valid;
    };
    const Case cases[] = {
        {"NEW", true},
        {"New Folder", true},
        {"a/b/c", true},
        {"写真", true},
        {std::string(255, 'x'), true},
        {"", false},
        {".", false},
        {"..", false},
        {"a/../../etc", false},
        {"/abs", false},
        {"trailing/", false},
        {"a//b", false},
        {std::string(256, 'x'), false},
        {std::string("nul\0x", 5), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TfrmNewFolder::ValidName(c.name), c.valid) << c.name;
}

TEST_F(FolderTest, NewFolderDialogMakesTheFolderWithItsParents)
{
    TfrmNewFolder dlg(*lang_, &main_);
    EXPECT_EQ(dlg.objectName(), "frmNewFolder");
    EXPECT_EQ(dlg.windowTitle(), "Create New Folder");
    EXPECT_EQ(dlg.Edit()->text(), "FOLDER");  // design text until shown
    EXPECT_FALSE(dlg.Edit()->testAttribute(Qt::WA_InputMethodEnabled));

    dlg.basePath = base_;
    dlg.resultPath = "stale";
    Drive([&](QWidget* modal) {
        if (modal != &dlg)
            return false;
        EXPECT_EQ(dlg.Edit()->text(), "New Folder");
        EXPECT_EQ(dlg.resultPath, base_);
        EXPECT_EQ(dlg.focusWidget(), dlg.Edit());
        dlg.Edit()->setText("PICS/2024/Trip");
        QTest::mouseClick(dlg.findChild<QPushButton*>("btnOk"), Qt::LeftButton);
        return true;
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.resultPath, base_ + "/PICS/2024/Trip");
    EXPECT_TRUE(fs::is_directory(base_ + "/PICS/2024/Trip"));
}

TEST_F(FolderTest, NamesThatCannotBeMadeKeepTheDialogOpen)
{
    std::ofstream(base_ + "/FILE").put('x');
    TfrmNewFolder dlg(*lang_, &main_);
    dlg.basePath = base_;
    dlg.show();
    for (const char* name : {"", "..", "../outside", "FILE", "FILE/sub"}) {
        dlg.Edit()->setText(QString::fromUtf8(name));
        EXPECT_FALSE(dlg.CreateFolder()) << name;
        EXPECT_TRUE(dlg.isVisible()) << name;
        EXPECT_EQ(dlg.resultPath, base_) << name;
    }
    EXPECT_FALSE(fs::exists(fs::path(base_).parent_path() / "outside"));
    EXPECT_TRUE(fs::is_regular_file(base_ + "/FILE"));

    // An existing folder is accepted as it is.
    fs::create_directory(base_ + "/OLD");
    dlg.Edit()->setText("OLD");
    EXPECT_TRUE(dlg.CreateFolder());
    EXPECT_EQ(dlg.resultPath, base_ + "/OLD");
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(FolderTest, NewFolderDialogWithoutBaseOrCancelledMakesNothing)
{
    TfrmNewFolder dlg(*lang_, &main_);
    dlg.basePath.clear();
    dlg.show();
    dlg.Edit()->setText("NEW");
    EXPECT_FALSE(dlg.CreateFolder());
    EXPECT_TRUE(dlg.isVisible());
    dlg.close();

    dlg.basePath = base_;
    Drive([&](QWidget* modal) {
        if (modal != &dlg)
            return false;
        dlg.Edit()->setText("NEW");
        dlg.findChild<QPushButton*>("btnCancel")->click();
        return true;
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(dlg.resultPath, dlg.basePath);
    EXPECT_FALSE(fs::exists(base_ + "/NEW"));
}

TEST_F(FolderTest, PickerPreselectsThePathAndReturnsTheChoice)
{
    fs::create_directories(base_ + "/PICS/2024");
    TfrmNewFolder form(*lang_, &main_);
    CFolderDlg picker(*lang_);
    picker.SetNewFolderForm(&form);
    picker.title = "Choose the PC folder";
    picker.path = base_ + "/PICS";

    QString preselected;
    Drive([&](QWidget* modal) {
        auto* browser = qobject_cast<FolderBrowser*>(modal);
        if (browser == nullptr)
            return false;
        preselected = browser->SelectedFolder();
        EXPECT_EQ(browser->NewButton()->text(), "New Folder...");
        EXPECT_EQ(browser->windowTitle(), "Choose the PC folder");
        browser->SelectFolder(QString::fromStdString(base_ + "/PICS/2024"));
        browser->OkButton()->click();
        return true;
    });
    EXPECT_TRUE(picker.Browse(&main_));
    EXPECT_EQ(preselected.toStdString(), base_ + "/PICS");
    EXPECT_EQ(picker.path, base_ + "/PICS/2024");
    EXPECT_FALSE(picker.NewFolderMade());

    // Cancelled: false, and no new folder to browse again for.
    Drive([&](QWidget* modal) {
        auto* browser = qobject_cast<FolderBrowser*>(modal);
        if (browser == nullptr)
            return false;
        browser->CancelButton()->click();
        return true;
    });
    EXPECT_FALSE(picker.Browse(&main_));
    EXPECT_FALSE(picker.NewFolderMade());
}

TEST_F(FolderTest, BrowserSelectsTheNearestExistingFolder)
{
    fs::create_directories(base_ + "/PICS");
    FolderBrowser browser(&main_, "Title", "New", nullptr);
    EXPECT_TRUE(browser.SelectedFolder().isEmpty());
    EXPECT_FALSE(browser.OkButton()->isEnabled()) << "nothing to choose yet";
    browser.SelectFolder(QString::fromStdString(base_ + "/PICS/gone/deeper"));
    EXPECT_EQ(browser.SelectedFolder().toStdString(), base_ + "/PICS");
    EXPECT_TRUE(browser.OkButton()->isEnabled());
    browser.NewFolder();  // no new-folder dialog given: nothing happens
    EXPECT_FALSE(browser.NewFolderMade());
}

TEST_F(FolderTest, PickerWithoutPathStartsAtTheDesktop)
{
    const char* oldHome = getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", base_.c_str(), 1);
    fs::create_directory(base_ + "/Desktop");
    CFolderDlg picker(*lang_);
    QString preselected;
    Drive([&](QWidget* modal) {
        auto* browser = qobject_cast<FolderBrowser*>(modal);
        if (browser == nullptr)
            return false;
        preselected = browser->SelectedFolder();
        browser->CancelButton()->click();
        return true;
    });
    EXPECT_FALSE(picker.Browse(&main_));
    if (oldHome)
        setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(picker.path, base_ + "/Desktop");
    EXPECT_EQ(preselected.toStdString(), picker.path);
}

TEST_F(FolderTest, NewFolderClosesAndReopensThePickerOnIt)
{
    fs::create_directories(base_ + "/PICS");
    TfrmNewFolder form(*lang_, &main_);
    CFolderDlg picker(*lang_);
    picker.SetNewFolderForm(&form);
    picker.path = base_ + "/PICS";

    // First showing: New Folder..., cancel the new-folder dialog (the browser
    // stays), New Folder... again and make "NEW"; the browser closes. Second
    // showing: "NEW" is selected and chosen with OK.
    int stage = 0;
    QString reopenedWith;
    bool stayedOpen = false;
    Drive([&](QWidget* modal) {
        auto* browser = qobject_cast<FolderBrowser*>(modal);
        switch (stage) {
        case 0:
            if (browser == nullptr)
                return false;
            stage = 1;
            QTimer::singleShot(0, browser->NewButton(), &QPushButton::click);
            return false;
        case 1:
            if (modal != &form)
                return false;
            form.findChild<QPushButton*>("btnCancel")->click();
            stage = 2;
            return false;
        case 2:
            if (browser == nullptr)
                return false;
            stayedOpen = browser->isVisible();
            stage = 3;
            QTimer::singleShot(0, browser->NewButton(), &QPushButton::click);
            return false;
        case 3:
            if (modal != &form)
                return false;
            EXPECT_EQ(form.basePath, base_ + "/PICS");
            form.Edit()->setText("NEW");
            form.findChild<QPushButton*>("btnOk")->click();
            stage = 4;
            return false;
        default:
            if (browser == nullptr || !browser->NewButton()->isVisible())
                return false;
            reopenedWith = browser->SelectedFolder();
            if (reopenedWith.isEmpty())
                return false;
            browser->OkButton()->click();
            return true;
        }
    });
    EXPECT_TRUE(picker.Choose(&main_));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(reopenedWith.toStdString(), base_ + "/PICS/NEW");
    EXPECT_EQ(picker.path, base_ + "/PICS/NEW");
    EXPECT_TRUE(fs::is_directory(base_ + "/PICS/NEW"));
    EXPECT_FALSE(picker.NewFolderMade());
}

}  // namespace
}  // namespace talvix::ui
