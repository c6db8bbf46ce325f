#include "talvix/ui/dialogs/TfrmOWDlg.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "DialogTestSupport.h"
#include "platform/Cp932.h"
#include "platform/qt/UiInvoker.h"
#include "talvix/ui/dialogs/DialogOverwriteAsker.h"
#include "talvix/ui/dialogs/DialogTexts.h"

namespace talvix::ui {
namespace {

using testing::App;
using testing::Drive;
using testing::MakeLang;
using testing::RunUntil;

platform::FindData Entry(uint32_t attributes, uint32_t size, const platform::SystemTime& when)
{
    platform::FindData fd;
    fd.dwFileAttributes = attributes;
    fd.nFileSizeLow = size;
    EXPECT_TRUE(platform::SystemTimeToFileTime(when, fd.ftLastWriteTime));
    return fd;
}

QString LabelText(const QDialog& dialog, const char* name)
{
    auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(label, nullptr) << name;
    return label ? label->text() : QString();
}

bool Shown(const QDialog& dialog, const char* name)
{
    auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget != nullptr && widget->isVisibleTo(&dialog);
}

class OwDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        setenv("TZ", "JST-9", 1);  // nine hours ahead of UTC, no summer time
        tzset();
        main_.setObjectName("frmMain");
        main_.setGeometry(100, 100, 640, 480);
        main_.show();
    }
    void TearDown() override
    {
        unsetenv("TZ");
        tzset();
    }

    QApplication& app_ = App();
    std::unique_ptr<MLang> lang_ = MakeLang();
    QMainWindow main_;
};

TEST(DialogTexts, SizeTextLikeTheFileList)
{
    struct Case {
        uint32_t high;
        uint32_t low;
        const char* text;
    };
    const Case cases[] = {
        {0, 0, "0B"},           {0, 1023, "1023B"},          {0, 1024, "1KB"},
        {0, 10240, "10KB"},     {0, 1048575, "1024KB"},      {0, 1048576, "1MB"},
        {0, 1610612735, "???GB"}, {1, 1073741824, "???GB"},  {1, 5, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dialogtexts::FormatSize(c.high, c.low), c.text) << c.high << ":" << c.low;
}

TEST(DialogTexts, LastComponentOfCardAndPcPaths)
{
    EXPECT_EQ(dialogtexts::LastComponent("\\DCIM\\100"), "100");
    EXPECT_EQ(dialogtexts::LastComponent("/home/me/PICS/"), "PICS");
    EXPECT_EQ(dialogtexts::LastComponent("PICS"), "PICS");
    EXPECT_EQ(dialogtexts::LastComponent("/"), "/");
    EXPECT_EQ(dialogtexts::LastComponent(""), "");
}

TEST(DialogTexts, LongDateHasNoZoneName)
{
    App();
    platform::FileTime time;
    ASSERT_TRUE(platform::SystemTimeToFileTime({2024, 3, 0, 5, 10, 2, 3, 0}, time));
    QString date;
    QString clock;
    const QLocale locale(QLocale::English, QLocale::UnitedKingdom);
    ASSERT_TRUE(dialogtexts::LongDateAndTime(time, locale, date, clock));
    EXPECT_EQ(date, locale.toString(QDate(2024, 3, 5), QLocale::LongFormat));
    EXPECT_EQ(clock, "10:02:03");
}

TEST_F(OwDlgTest, FileEntryShowsBothEntriesWithSizesAndDates)
{
    TfrmOWDlg dlg(*lang_, &main_);
    EXPECT_EQ(dlg.objectName(), "frmOWDlg");
    EXPECT_EQ(dlg.windowTitle(), "Confirm File Replace");
    EXPECT_EQ(LabelText(dlg, "lblExFile"), "Existing file:");  // captioned from the table

    // Copy from the card: the existing entry is the PC file (UTC time), the
    // replacement the card file (the card's local time, shown unchanged).
    const auto existing = Entry(platform::FILE_ATTRIBUTE_ARCHIVE, 10240, {2024, 3, 0, 5, 1, 2, 3, 0});
    const auto replacement = Entry(platform::FILE_ATTRIBUTE_ARCHIVE, 2 * 1048576, {2023, 12, 0, 24, 18, 30, 0, 0});
    dlg.ShowExisting("/home/me/PICS/IMG0001.JPG", existing, TfrmOWDlg::Side::Pc);
    dlg.ShowIcon("/home/me/PICS/IMG0001.JPG");
    dlg.ShowReplacement("/home/me/PICS/IMG0001.JPG", replacement, TfrmOWDlg::Side::Card);

    EXPECT_FALSE(dlg.FolderFlag());
    EXPECT_EQ(dlg.FormHeight(), 240);
    EXPECT_EQ(dlg.height(), 210);
    EXPECT_EQ(LabelText(dlg, "lblMsg"), "A file named 'IMG0001.JPG' exists.");
    EXPECT_EQ(LabelText(dlg, "lblExSize"), "Size: 10KB");
    EXPECT_EQ(LabelText(dlg, "lblRepSize"), "Size: 2MB");
    const QLocale locale = QLocale::system();
    // PC time 01:02:03 UTC is 10:02:03 in this zone.
    EXPECT_TRUE(LabelText(dlg, "lblExDate").startsWith("Modified: " +
                                                        locale.toString(QDate(2024, 3, 5), QLocale::LongFormat) + ", "));
    EXPECT_TRUE(LabelText(dlg, "lblExDate").contains("10:02:03")) << LabelText(dlg, "lblExDate").toStdString();
    EXPECT_TRUE(LabelText(dlg, "lblRepDate").startsWith("Modified: " +
                                                         locale.toString(QDate(2023, 12, 24), QLocale::LongFormat)));
    EXPECT_TRUE(LabelText(dlg, "lblRepDate").contains("18:30:00"));
    for (const char* name : {"imgIcon1", "imgIcon2", "lblExFile", "lblExSize", "lblExDate", "lblRepFile",
                             "lblRepSize", "lblRepDate"}) {
        EXPECT_TRUE(Shown(dlg, name)) << name;
    }
    for (const char* name : {"lblFolder1", "lblFolder2", "lblFolder3", "imgFile", "imgFolder"})
        EXPECT_FALSE(Shown(dlg, name)) << name;
    EXPECT_FALSE(dlg.findChild<QLabel*>("imgIcon1")->pixmap().isNull());
    EXPECT_FALSE(dlg.findChild<QLabel*>("imgIcon2")->pixmap().isNull());
    EXPECT_EQ(dlg.findChild<QLabel*>("imgIcon")->pixmap().toImage(),
              dlg.findChild<QLabel*>("imgFile")->pixmap().toImage());
    for (const char* name : {"btnYes", "btnAll", "btnNo", "btnCancel"})
        EXPECT_EQ(dlg.findChild<QPushButton*>(name)->y(), 180) << name;
}

TEST_F(OwDlgTest, FolderEntryShowsTheShortFormWithoutDetails)
{
    TfrmOWDlg dlg(*lang_, &main_);
    // A write to the card: the existing entry is a card folder (CP932 path).
    const std::string cardPath = "\\DCIM\\" + platform::ToCp932("写真");
    const auto folder = Entry(platform::FILE_ATTRIBUTE_DIRECTORY, 0, {2024, 1, 0, 2, 3, 4, 6, 0});
    dlg.ShowExisting(cardPath, folder, TfrmOWDlg::Side::Card);
    dlg.ShowReplacement(cardPath, folder, TfrmOWDlg::Side::Pc);

    EXPECT_TRUE(dlg.FolderFlag());
    EXPECT_EQ(dlg.FormHeight(), 153);
    EXPECT_EQ(dlg.windowTitle(), "Confirm Folder Replace");
    EXPECT_EQ(LabelText(dlg, "lblMsg"), QString::fromUtf8("A folder named '写真' exists."));
    for (const char* name : {"lblFolder1", "lblFolder2", "lblFolder3"})
        EXPECT_TRUE(Shown(dlg, name)) << name;
    EXPECT_EQ(LabelText(dlg, "lblFolder1"), "Folder line one");
    for (const char* name : {"imgIcon1", "imgIcon2", "lblExFile", "lblExSize", "lblExDate", "lblRepFile",
                             "lblRepSize", "lblRepDate"}) {
        EXPECT_FALSE(Shown(dlg, name)) << name;
    }
    EXPECT_EQ(dlg.findChild<QLabel*>("imgIcon")->pixmap().toImage(),
              dlg.findChild<QLabel*>("imgFolder")->pixmap().toImage());
    for (const char* name : {"btnYes", "btnAll", "btnNo", "btnCancel"})
        EXPECT_EQ(dlg.findChild<QPushButton*>(name)->y(), 93) << name;

    // The next question about a file brings the long form back.
    dlg.ShowExisting("/tmp/A.JPG", Entry(0x20, 1, {2024, 1, 0, 2, 3, 4, 6, 0}), TfrmOWDlg::Side::Pc);
    EXPECT_EQ(dlg.FormHeight(), 240);
    EXPECT_TRUE(Shown(dlg, "lblExSize"));
    EXPECT_FALSE(Shown(dlg, "lblFolder1"));
    EXPECT_EQ(dlg.windowTitle(), "Confirm File Replace");
}

TEST_F(OwDlgTest, EachButtonGivesItsAnswer)
{
    struct Case {
        const char* button;
        int answer;
    };
    const Case cases[] = {{"btnYes", 1}, {"btnAll", 2}, {"btnNo", 3}, {"btnCancel", 0}};
    TfrmOWDlg dlg(*lang_, &main_);
    dlg.ShowExisting("/tmp/A.JPG", Entry(0x20, 100, {2024, 1, 0, 2, 3, 4, 6, 0}), TfrmOWDlg::Side::Pc);
    for (const Case& c : cases) {
        dlg.OverwriteAnswer = 1;
        int answerWhileShown = -1;
        Drive([&](QWidget* modal) {
            if (modal != &dlg)
                return false;
            answerWhileShown = dlg.OverwriteAnswer;
            QTest::mouseClick(dlg.findChild<QPushButton*>(c.button), Qt::LeftButton);
            return true;
        });
        EXPECT_EQ(dlg.ShowModal(), c.answer) << c.button;
        EXPECT_EQ(dlg.OverwriteAnswer, c.answer) << c.button;
        EXPECT_EQ(answerWhileShown, 0) << "the showing resets the answer";
        EXPECT_FALSE(dlg.isVisible());
    }
}

TEST_F(OwDlgTest, EscapeAnswersCancelAndTheDialogIsCentredOnTheMainWindow)
{
    TfrmOWDlg dlg(*lang_, &main_);
    dlg.ShowExisting("/tmp/A.JPG", Entry(0x20, 100, {2024, 1, 0, 2, 3, 4, 6, 0}), TfrmOWDlg::Side::Pc);
    QRect where;
    Drive([&](QWidget* modal) {
        if (modal != &dlg)
            return false;
        where = dlg.frameGeometry();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        return true;
    });
    dlg.OverwriteAnswer = 2;
    EXPECT_EQ(dlg.ShowModal(), 0);
    const QRect owner = main_.frameGeometry();
    EXPECT_EQ(where.left(), owner.left() + (owner.width() - where.width()) / 2);
    EXPECT_EQ(where.top(), owner.top() + (owner.height() - where.height()) / 2);
}

TEST_F(OwDlgTest, AdapterAsksOnTheUiThreadForAWorker)
{
    TfrmOWDlg dlg(*lang_, &main_);
    platform::UiInvoker invoker;
    DialogOverwriteAsker asker(dlg, invoker);

    OverwriteQuestion q;
    q.toCard = true;
    q.existingName = "\\DCIM\\IMG0001.JPG";
    q.existing = Entry(0x20, 5000, {2024, 1, 0, 2, 3, 4, 6, 0});
    q.iconPath = "/tmp/IMG0001.JPG";
    q.replacement = Entry(0x20, 6000, {2024, 2, 0, 2, 3, 4, 6, 0});

    QThread* shownOn = nullptr;
    QString message;
    Drive([&](QWidget* modal) {
        if (modal != &dlg)
            return false;
        shownOn = QThread::currentThread();
        message = LabelText(dlg, "lblMsg");
        dlg.findChild<QPushButton*>("btnNo")->click();
        return true;
    });
    std::atomic<bool> done{false};
    OverwriteAsker::Answer answer = OverwriteAsker::Yes;
    std::thread worker([&] {
        answer = asker.AskOverwrite(q);
        done = true;
    });
    const bool finished = RunUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(answer, OverwriteAsker::No);
    EXPECT_EQ(shownOn, App().thread());
    EXPECT_EQ(message, "A file named 'IMG0001.JPG' exists.");

    // On the UI thread itself the dialog is asked directly.
    Drive([&](QWidget* modal) {
        if (modal != &dlg)
            return false;
        dlg.findChild<QPushButton*>("btnAll")->click();
        return true;
    });
    EXPECT_EQ(asker.AskOverwrite(q), OverwriteAsker::YesToAll);
}

}  // namespace
}  // namespace talvix::ui
