// The overwrite dialog behind the copy list builder: the whole chain from
// the card engine's question to the button the user presses.
#include <gtest/gtest.h>

#include <QMainWindow>
#include <QPushButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "DialogTestSupport.h"
#include "platform/qt/UiInvoker.h"
#include "talvix/cardops/CardCopier.h"
#include "talvix/ui/dialogs/DialogOverwriteAsker.h"
#include "talvix/ui/dialogs/TfrmOWDlg.h"

namespace fs = std::filesystem;

namespace talvix::ui {
namespace {

using testing::App;
using testing::Drive;
using testing::MakeLang;

platform::FindData CardEntry(const std::string& name, bool folder, uint32_t size = 0)
{
    platform::FindData fd;
    fd.cFileName = name;
    fd.dwFileAttributes = folder ? platform::FILE_ATTRIBUTE_DIRECTORY : platform::FILE_ATTRIBUTE_ARCHIVE;
    fd.nFileSizeLow = size;
    return fd;
}

// M: { DCIM { 100 { P1.JPG, P2.JPG, P3.JPG } } }, with P1..P3 already in the
// PC folder 100.
class CopyQuestionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/dialogs_copy_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dest_ = pattern;
        fs::create_directories(dest_ + "/100");
        for (const char* name : {"P1.JPG", "P2.JPG", "P3.JPG"})
            std::ofstream(dest_ + "/100/" + name) << "old";

        CardFolders& t = session_.folders;
        t.Create(0, 0, "M:")->Add(CardEntry("DCIM", true));
        t.Create(1, 1, "M:\\DCIM")->Add(CardEntry("100", true));
        CardFolder* hundred = t.Create(2, 2, "M:\\DCIM\\100");
        for (const char* name : {"P1.JPG", "P2.JPG", "P3.JPG"})
            hundred->Add(CardEntry(name, false, 10));
        t.CardFolderCount = 3;
        session_.overwriteAsker = &asker_;
        copier_.CopyDest = dest_ + "/";
        main_.show();
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(dest_, ec);
    }

    // Answers every showing of the dialog with the buttons in `buttons`, in
    // turn, and counts the showings.
    void Answer(std::vector<const char*> buttons)
    {
        Drive([this, buttons, next = size_t(0)](QWidget* modal) mutable {
            if (modal == &dlg_ && dlg_.isVisible()) {
                ++shown_;
                dlg_.findChild<QPushButton*>(buttons[next++])->click();
            }
            return next == buttons.size();
        });
    }

    QApplication& app_ = App();
    std::unique_ptr<MLang> lang_ = MakeLang();
    QMainWindow main_;
    TfrmOWDlg dlg_{*lang_, &main_};
    platform::UiInvoker invoker_;
    DialogOverwriteAsker asker_{dlg_, invoker_};
    CardSession session_;
    CardCopier copier_{session_};
    std::string dest_;
    int shown_ = 0;
};

TEST_F(CopyQuestionTest, YesToAllLastsForOneCommandOnly)
{
    // The folder 100 exists (first question), then Yes to all: no more questions.
    Answer({"btnYes", "btnAll"});
    ASSERT_TRUE(copier_.BuildCopyList({}, "\\DCIM\\100"));
    EXPECT_EQ(shown_, 2);
    EXPECT_EQ(copier_.CopyList.size(), 4u);
    EXPECT_FALSE(dlg_.FolderFlag());

    // A new command asks again from its first conflict.
    shown_ = 0;
    Answer({"btnNo"});
    EXPECT_TRUE(copier_.BuildCopyList({}, "\\DCIM\\100"));
    EXPECT_EQ(shown_, 1);
    EXPECT_TRUE(dlg_.FolderFlag()) << "the first conflict is the folder";
    EXPECT_TRUE(copier_.CopyList.empty());
}

TEST_F(CopyQuestionTest, CancelEndsTheCommand)
{
    Answer({"btnYes", "btnNo", "btnCancel"});
    EXPECT_FALSE(copier_.BuildCopyList({}, "\\DCIM\\100"));
    EXPECT_EQ(shown_, 3);
}

}  // namespace
}  // namespace talvix::ui
