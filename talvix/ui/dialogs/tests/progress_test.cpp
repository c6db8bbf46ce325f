#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#include "DialogTestSupport.h"
#include "platform/Cp932.h"
#include "platform/qt/UiInvoker.h"
#include "talvix/cardops/StopFlags.h"
#include "talvix/ui/dialogs/AnimationView.h"
#include "talvix/ui/dialogs/DialogArt.h"
#include "talvix/ui/dialogs/DialogProgressSink.h"
#include "talvix/ui/dialogs/TfrmBrowse.h"
#include "talvix/ui/dialogs/TfrmCopy.h"
#include "talvix/ui/dialogs/TfrmWait.h"

namespace talvix::ui {
namespace {

using testing::App;
using testing::MakeLang;
using testing::RunUntil;

class ProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        main_.setObjectName("frmMain");
        main_.setGeometry(100, 100, 640, 480);
        main_.show();
    }

    QApplication& app_ = App();
    std::unique_ptr<MLang> lang_ = MakeLang();
    QMainWindow main_;
};

QPushButton* Button(QWidget& form, const char* name)
{
    auto* button = form.findChild<QPushButton*>(QString::fromLatin1(name));
    EXPECT_NE(button, nullptr) << name;
    return button;
}

TEST(AnimationView, PlaysTheFramesFromStartToStopRepeating)
{
    App();
    AnimationView view;
    view.Play(1, 5);  // nothing loaded: nothing happens
    EXPECT_FALSE(view.Active());
    EXPECT_EQ(view.CurrentFrame(), 0);

    view.Load(dialogart::CopyFrames(false), dialogart::kCopyFrameMs);
    EXPECT_EQ(view.FrameCount(), 10);
    EXPECT_EQ(view.IntervalMs(), 167);
    view.Play(2, 4);
    EXPECT_TRUE(view.Active());
    int seen[6];
    for (int& frame : seen) {
        frame = view.CurrentFrame();
        view.Step();
    }
    EXPECT_EQ(std::vector<int>(seen, seen + 6), (std::vector<int>{2, 3, 4, 2, 3, 4}));
    view.Play(0, 99);  // clamped to the frames there are
    EXPECT_EQ(view.CurrentFrame(), 1);
    for (int i = 0; i < 9; ++i)
        view.Step();
    EXPECT_EQ(view.CurrentFrame(), 10);
    view.Step();
    EXPECT_EQ(view.CurrentFrame(), 1);
    view.Stop();
    EXPECT_FALSE(view.Active());
}

TEST(DialogArt, FramesHaveTheGivenSizesAndMove)
{
    App();
    for (bool toCard : {false, true}) {
        const auto frames = dialogart::CopyFrames(toCard);
        ASSERT_EQ(frames.size(), 10u);
        for (const QPixmap& frame : frames)
            EXPECT_EQ(frame.size(), QSize(252, 49));
        EXPECT_NE(frames.front().toImage(), frames.back().toImage());
    }
    EXPECT_NE(dialogart::CopyFrames(false).front().toImage(), dialogart::CopyFrames(true).front().toImage());
    const auto search = dialogart::SearchFrames();
    ASSERT_EQ(search.size(), 29u);
    EXPECT_EQ(search.front().size(), QSize(48, 50));
    EXPECT_NE(search[0].toImage(), search[10].toImage());
}

TEST_F(ProgressTest, FolderLineOrderFollowsTheLanguage)
{
    struct Case {
        uint16_t language;
        const char* line;
    };
    const Case cases[] = {
        {MLang::kEnglish, "From '100' to 'PICS' "},
        {MLang::kJapanese, " '100' から 'PICS' へ"},
    };
    for (const Case& c : cases) {
        auto lang = MakeLang(c.language);
        TfrmCopy dlg(*lang, &main_);
        EXPECT_EQ(dlg.objectName(), "frmCopy");
        dlg.ShowFolders("\\DCIM\\100", "/home/me/PICS");
        EXPECT_EQ(dlg.FolderLine(), QString::fromUtf8(c.line));
    }

    // A write passes no source: the name shown before stays.
    TfrmCopy dlg(*lang_, &main_);
    EXPECT_EQ(dlg.windowTitle(), "Copying");
    EXPECT_TRUE(dlg.FolderLine().isEmpty());
    dlg.ShowFolders("\\DCIM\\100", "/home/me/PICS");
    dlg.ShowFolders("", "\\DCIM\\101");
    EXPECT_EQ(dlg.FolderLine(), "From '100' to '101' ");
}

TEST_F(ProgressTest, CopyDialogDisablesTheMainWindowAndCancelSetsTheFlag)
{
    StopFlags flags;
    flags.copyCancel = true;  // left over from the last operation
    TfrmCopy dlg(*lang_, &main_);
    dlg.BindCancelFlag(flags.copyCancel);
    EXPECT_EQ(Button(dlg, "btnCancel")->text(), "Cancel copy");

    dlg.direction = 1;
    dlg.show();
    EXPECT_FALSE(main_.isEnabled());
    EXPECT_TRUE(dlg.isEnabled());
    EXPECT_FALSE(flags.copyCancel);
    EXPECT_EQ(dlg.Percent(), 0);
    EXPECT_TRUE(dlg.Animation()->Active());
    EXPECT_EQ(dlg.Animation()->FrameCount(), 10);
    EXPECT_EQ(dlg.Animation()->IntervalMs(), 167);
    const QImage reverseFrame = dlg.Animation()->grab().toImage();

    QTest::mouseClick(Button(dlg, "btnCancel"), Qt::LeftButton);
    EXPECT_TRUE(flags.copyCancel);
    EXPECT_FALSE(Button(dlg, "btnCancel")->isEnabled());
    flags.copyCancel = false;
    QTest::mouseClick(Button(dlg, "btnCancel"), Qt::LeftButton);  // disabled: nothing happens
    EXPECT_FALSE(flags.copyCancel);
    EXPECT_TRUE(dlg.isVisible()) << "the caller closes the dialog";

    dlg.close();
    EXPECT_TRUE(main_.isEnabled());
    EXPECT_FALSE(dlg.Animation()->Active());
    EXPECT_TRUE(flags.copyCancel);

    // The next showing, copying from the card, starts afresh with the other clip.
    dlg.direction = 0;
    dlg.show();
    EXPECT_FALSE(flags.copyCancel);
    EXPECT_TRUE(Button(dlg, "btnCancel")->isEnabled());
    EXPECT_NE(dlg.Animation()->grab().toImage(), reverseFrame);
    dlg.close();
}

TEST_F(ProgressTest, EscapeStopsTheCopyButKeepsTheDialog)
{
    TfrmCopy dlg(*lang_, &main_);
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.CancelFlag());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_FALSE(main_.isEnabled());
    dlg.close();
    EXPECT_TRUE(main_.isEnabled());
}

TEST_F(ProgressTest, WorkerProgressReachesTheDialogUntilCancelled)
{
    StopFlags flags;
    TfrmCopy dlg(*lang_, &main_);
    dlg.BindCancelFlag(flags.copyCancel);
    platform::UiInvoker invoker;
    DialogProgressSink sink(dlg, invoker);
    dlg.ShowFolders("\\DCIM", "/tmp/PICS");
    dlg.show();

    const std::string cardName = "\\DCIM\\" + platform::ToCp932("表示.JPG");  // trail byte 0x5C
    std::atomic<bool> done{false};
    std::atomic<int> sent{0};
    std::thread worker([&] {
        // Like the copy thread: report, then look at the flag.
        for (int percent = 0; !flags.copyCancel.load(); percent = (percent + 7) % 101) {
            sink.CopyProgress(cardName, percent);
            ++sent;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        sink.CopyProgress(cardName, 150);
        done = true;
    });
    ASSERT_TRUE(RunUntil([&] { return sent.load() >= 3; }));
    EXPECT_EQ(dlg.FileLine(), QString::fromUtf8("\\DCIM\\表示.JPG"));
    EXPECT_EQ(dlg.FolderLine(), "From 'DCIM' to 'PICS' ");
    Button(dlg, "btnCancel")->click();
    const bool finished = RunUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    EXPECT_EQ(dlg.Percent(), 100);
    dlg.close();
}

TEST_F(ProgressTest, ListingDialogAbortAndReshow)
{
    StopFlags flags;
    TfrmBrowse dlg(*lang_, &main_);
    dlg.BindAbortFlag(flags.listingAbort);
    EXPECT_EQ(dlg.objectName(), "frmBrowse");
    EXPECT_EQ(dlg.windowTitle(), "Reading the Card");
    EXPECT_EQ(dlg.findChild<QLabel*>("lblWait")->text(), "Reading the card...");
    EXPECT_EQ(dlg.size(), QSize(192, 86));

    flags.listingAbort = true;
    dlg.show();
    EXPECT_FALSE(flags.listingAbort);
    EXPECT_FALSE(main_.isEnabled());
    EXPECT_TRUE(dlg.Animation()->Active());
    EXPECT_EQ(dlg.Animation()->FrameCount(), TfrmBrowse::kStopFrame);

    QTest::mouseClick(Button(dlg, "btnAbort"), Qt::LeftButton);
    EXPECT_TRUE(flags.listingAbort);
    EXPECT_FALSE(Button(dlg, "btnAbort")->isEnabled());
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());

    dlg.close();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(main_.isEnabled());
    EXPECT_FALSE(dlg.Animation()->Active());
    EXPECT_TRUE(flags.listingAbort) << "the flag keeps its last value";

    dlg.show();
    EXPECT_FALSE(flags.listingAbort);
    EXPECT_TRUE(Button(dlg, "btnAbort")->isEnabled());
    dlg.close();
}

TEST_F(ProgressTest, WaitDialogWithStopForMakeFolder)
{
    QApplication::setApplicationDisplayName("Talvix");
    QDialog device(&main_);
    device.setObjectName("frmSelkDev");
    StopFlags flags;
    TfrmWait dlg(*lang_, &main_);
    dlg.SetDeviceDialog(&device);
    dlg.BindAbortFlag(flags.waitAbort);
    EXPECT_EQ(dlg.objectName(), "frmWait");
    flags.waitAbort = true;

    dlg.ShowWait("", false, true);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.windowTitle(), "Talvix") << "an empty text keeps the application title";
    EXPECT_FALSE(dlg.PB1()->isVisibleTo(&dlg));
    EXPECT_TRUE(Button(dlg, "btnAbort")->isVisibleTo(&dlg));
    EXPECT_FALSE(flags.waitAbort);
    EXPECT_FALSE(main_.isEnabled());
    EXPECT_FALSE(device.isEnabled());
    EXPECT_TRUE(dlg.isEnabled());
    EXPECT_FALSE(dlg.findChild<QLabel*>("Image1")->pixmap().isNull());

    QTest::mouseClick(Button(dlg, "btnAbort"), Qt::LeftButton);
    EXPECT_TRUE(flags.waitAbort);
    EXPECT_TRUE(dlg.Aborted());
    EXPECT_FALSE(Button(dlg, "btnAbort")->isEnabled());

    QApplication::setOverrideCursor(Qt::WaitCursor);
    dlg.CloseIfVisible();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(main_.isEnabled());
    EXPECT_TRUE(device.isEnabled());
    EXPECT_TRUE(Button(dlg, "btnAbort")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    dlg.CloseIfVisible();  // not shown: nothing happens
    EXPECT_TRUE(main_.isEnabled());
}

TEST_F(ProgressTest, WaitDialogForTheScanKeepsStatesAndHasNoStop)
{
    QDialog device(&main_);
    device.setEnabled(false);  // disabled before: stays so
    TfrmWait dlg(*lang_, &main_);
    dlg.SetDeviceDialog(&device);
    WaitView& view = dlg;
    view.ShowWait(&main_, "Searching for devices...", true, false);
    EXPECT_EQ(dlg.windowTitle(), "Searching for devices...");
    EXPECT_TRUE(dlg.PB1()->isVisibleTo(&dlg));
    EXPECT_FALSE(Button(dlg, "btnAbort")->isVisibleTo(&dlg));
    view.SetProgress(40);
    EXPECT_EQ(dlg.PB1()->value(), 40);
    view.SetProgress(140);
    EXPECT_EQ(dlg.PB1()->value(), 100);
    QTest::keyClick(&dlg, Qt::Key_Escape);  // no Stop button: no way to stop
    EXPECT_FALSE(view.Aborted());
    EXPECT_TRUE(dlg.isVisible());
    view.CloseIfVisible();
    EXPECT_TRUE(main_.isEnabled());
    EXPECT_FALSE(device.isEnabled());
}

}  // namespace
}  // namespace talvix::ui
