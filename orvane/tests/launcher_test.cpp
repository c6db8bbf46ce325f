#include <sys/stat.h>

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "LauncherFixture.h"
#include "orvane/ui/FocusSounds.h"
#include "orvane/ui/MenuArt.h"
#include "orvane/ui/TImage.h"
#include "orvane/ui/TfrmOWM.h"
#include "platform/IniFile.h"

using namespace orvane_test;
using orvane::TfrmMain;

namespace {

void MoveMouse(QWidget* w, int x, int y)
{
    QMouseEvent ev(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

void Press(QWidget* w, int x, int y)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
}

// Counts the close requests a window gets.
struct CloseCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            ++count;
        return false;
    }
};

std::vector<int> VisibleHovers(TfrmMain& frm)
{
    std::vector<int> v;
    for (int n = 1; n <= 6; ++n)
        if (frm.hoverImage(n)->isVisible())
            v.push_back(n);
    return v;
}

TEST(PanelOrigin, CentresThePanelOnLargerScreens)
{
    EXPECT_EQ(TfrmMain::PanelOrigin(QSize(1024, 768)), QPoint(192, 144));
    EXPECT_EQ(TfrmMain::PanelOrigin(QSize(640, 480)), QPoint(0, 0));
    EXPECT_EQ(TfrmMain::PanelOrigin(QSize(800, 600)), QPoint(80, 60));
    EXPECT_EQ(TfrmMain::PanelOrigin(QSize(1025, 769)), QPoint(192, 144));  // rounds toward zero
    EXPECT_EQ(TfrmMain::PanelOrigin(QSize(600, 400)), QPoint(0, 0));
}

TEST(TfrmOWM, ButtonsSetTheResultAndAnyOtherCloseCountsAsNo)
{
    App();
    orvane::TfrmOWM owm;
    EXPECT_EQ(owm.size(), QSize(361, 88));
    EXPECT_EQ(owm.BitBtn1->text(), QStringLiteral("Yes"));
    EXPECT_EQ(owm.BitBtn2->text(), QStringLiteral("Save as New"));
    EXPECT_EQ(owm.BitBtn3->text(), QStringLiteral("No"));
    EXPECT_EQ(owm.BitBtn2->geometry(), QRect(136, 56, 89, 20));
    EXPECT_EQ(owm.Msg->pos(), QPoint(56, 16));

    struct Case {
        int action;  // 1..3: the buttons; 0: Esc
        bool overwrite;
        bool cancelled;
    };
    for (const Case c : {Case{1, true, false}, Case{2, false, false}, Case{3, false, true}, Case{0, false, true}}) {
        owm.overwrite = !c.overwrite;  // whatever was left from before
        owm.show();
        EXPECT_FALSE(owm.cancelled);
        if (c.action == 0)
            QTest::keyClick(&owm, Qt::Key_Escape);
        else
            (c.action == 1 ? owm.BitBtn1 : c.action == 2 ? owm.BitBtn2 : owm.BitBtn3)->click();
        EXPECT_FALSE(owm.isVisible()) << c.action;
        EXPECT_EQ(owm.cancelled, c.cancelled) << c.action;
        if (!c.cancelled) {
            EXPECT_EQ(owm.overwrite, c.overwrite) << c.action;
        }
    }
}

TEST_F(LauncherTest, PicturesSitWhereTheMenuNeedsThem)
{
    TfrmMain& frm = Make();
    EXPECT_EQ(frm.pnlbase->pos(), QPoint(192, 144));
    EXPECT_EQ(frm.pnlbase->size(), QSize(640, 480));
    EXPECT_EQ(frm.Image1->geometry(), QRect(0, 0, 640, 480));
    const QRect hovers[7] = {{}, {39, 98, 183, 98}, {218, 97, 181, 98}, {406, 96, 188, 105},
                             {48, 318, 90, 88}, {133, 318, 91, 87}, {252, 318, 88, 87}};
    for (int n = 1; n <= 6; ++n) {
        EXPECT_EQ(frm.hoverImage(n)->geometry(), hovers[n]) << n;
        EXPECT_EQ(frm.hoverImage(n)->picture().size(), hovers[n].size()) << n;
        EXPECT_FALSE(frm.hoverImage(n)->isVisible()) << n;
        EXPECT_EQ(frm.descriptionPicture(n).size(), QSize(231, 214)) << n;
    }
    EXPECT_EQ(frm.imgText->geometry(), QRect(384, 239, 231, 214));
    EXPECT_EQ(frm.imgText->picture().cacheKey(), frm.descriptionPicture(0).cacheKey());
    EXPECT_EQ(frm.exitPicture().size(), QSize(259, 255));
    EXPECT_EQ(frm.imgMarlo->geometry(), QRect(38, 20, 79, 32));
    EXPECT_TRUE(frm.imgMarlo->isVisible());
    EXPECT_EQ(frm.windowTitle(), QStringLiteral("Orvane"));
    EXPECT_TRUE(frm.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(frm.windowFlags() & Qt::WindowStaysOnTopHint);
    frm.resize(640, 480);
    EXPECT_EQ(frm.pnlbase->pos(), QPoint(0, 0));
}

TEST_F(LauncherTest, OemSettingHidesTheMakerLogo)
{
    Ini("[INIT]\nOEM=1\n");
    EXPECT_FALSE(Make().imgMarlo->isVisible());
}

TEST_F(LauncherTest, KeysMoveTheFocusShowHoverAndPlayOneSoundPerChange)
{
    TfrmMain& frm = Make();
    QTest::keyClick(&frm, Qt::Key_Right);
    EXPECT_EQ(frm.focusItem(), 1);
    EXPECT_EQ(VisibleHovers(frm), std::vector<int>{1});
    EXPECT_EQ(frm.imgText->picture().cacheKey(), frm.descriptionPicture(1).cacheKey());
    QTest::keyClick(&frm, Qt::Key_Down);
    EXPECT_EQ(frm.focusItem(), 4);
    EXPECT_EQ(VisibleHovers(frm), std::vector<int>{4});
    QTest::keyClick(&frm, Qt::Key_Left);
    EXPECT_EQ(frm.focusItem(), 3);
    QTest::keyClick(&frm, Qt::Key_Space);
    QTest::keyClick(&frm, Qt::Key_Space);
    QTest::keyClick(&frm, Qt::Key_Space);
    EXPECT_EQ(frm.focusItem(), 6);
    QTest::keyClick(&frm, Qt::Key_Right);
    EXPECT_EQ(frm.focusItem(), 1);
    QTest::keyClick(&frm, Qt::Key_Backspace);
    EXPECT_EQ(frm.focusItem(), 6);
    QTest::keyClick(&frm, Qt::Key_Up);
    EXPECT_EQ(frm.focusItem(), 3);
    const QStringList expected{"FOCUS1", "FOCUS2", "FOCUS1", "FOCUS2", "FOCUS2", "FOCUS2",
                               "FOCUS1", "FOCUS2", "FOCUS1"};
    EXPECT_EQ(frm.sounds().requests(), expected);
}

TEST_F(LauncherTest, LeftFromNothingShowsNothingAndEnterThenDoesNothing)
{
    TfrmMain& frm = Make();
    QTest::keyClick(&frm, Qt::Key_Left);
    EXPECT_EQ(frm.focusItem(), -1);
    EXPECT_TRUE(VisibleHovers(frm).empty());
    EXPECT_TRUE(frm.sounds().requests().isEmpty());
    EXPECT_EQ(frm.imgText->picture().cacheKey(), frm.descriptionPicture(0).cacheKey());
    QTest::keyClick(&frm, Qt::Key_Return);
    EXPECT_EQ(frm.runningItem(), 0);
    EXPECT_TRUE(frm.isVisible());
    EXPECT_TRUE(StartedPrograms().empty());
}

TEST_F(LauncherTest, AZoneEnteredTwicePlaysOnceAndMovingOnSwitchesHover)
{
    TfrmMain& frm = Make();
    MoveMouse(frm.Image1, 100, 150);
    MoveMouse(frm.Image1, 120, 160);
    EXPECT_EQ(frm.focusItem(), 1);
    EXPECT_EQ(frm.sounds().requests(), QStringList{"FOCUS1"});
    MoveMouse(frm.Image1, 300, 150);
    EXPECT_EQ(frm.focusItem(), 2);
    EXPECT_EQ(VisibleHovers(frm), std::vector<int>{2});
    EXPECT_EQ(frm.sounds().requests(), (QStringList{"FOCUS1", "FOCUS1"}));
    MoveMouse(frm.Image1, 10, 10);  // outside every zone: the focus stays
    EXPECT_EQ(frm.focusItem(), 2);
    MoveMouse(frm.Image1, 200, 350);
    EXPECT_EQ(frm.focusItem(), 5);
    EXPECT_EQ(frm.sounds().requests().last(), QStringLiteral("FOCUS2"));
}

TEST_F(LauncherTest, ExitCornerClickExamples)
{
    TfrmMain& frm = Make();
    Press(frm.imgText, 150, 150);  // panel (537, 389): sum 926, no exit
    EXPECT_FALSE(frm.exiting());
    Press(frm.Image1, 100, 100);
    EXPECT_FALSE(frm.exiting());
    QTest::qWait(50);
    EXPECT_TRUE(frm.isVisible());

    Press(frm.imgText, 200, 200);  // panel (587, 439): sum 1026, exits
    EXPECT_TRUE(frm.exiting());
    EXPECT_EQ(frm.imgText->picture().cacheKey(), frm.exitPicture().cacheKey());
    EXPECT_EQ(frm.imgText->size(), QSize(259, 255));
    EXPECT_TRUE(frm.isVisible());  // still there for the half second
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frm.isVisible(); }, 5000));
}

TEST_F(LauncherTest, NothingStartsDuringTheExitPause)
{
    TfrmMain& frm = Make();
    MoveMouse(frm.Image1, 100, 150);
    ASSERT_TRUE(frm.hoverImage(1)->isVisible());
    Press(frm.imgText, 200, 200);
    ASSERT_TRUE(frm.exiting());
    Press(frm.hoverImage(1), 20, 20);
    QTest::keyClick(&frm, Qt::Key_Return);
    EXPECT_EQ(frm.runningItem(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frm.isVisible(); }, 5000));
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(StartedPrograms().empty());
}

TEST_F(LauncherTest, APressOnAShownHoverPictureLaunchesItsItem)
{
    TfrmMain& frm = Make();
    MoveMouse(frm.Image1, 500, 150);
    ASSERT_TRUE(frm.hoverImage(3)->isVisible());
    QTest::mousePress(frm.hoverImage(3), Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(frm.runningItem(), 3);
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms()[0].name, "edvo20.exe");
    EXPECT_EQ(fs::canonical(StartedPrograms()[0].folder), fs::canonical(dir_ / "Edvo"));
    ASSERT_TRUE(StopLastAndWaitForEnd());
}

TEST_F(LauncherTest, EscClosesWhenNothingRuns)
{
    TfrmMain& frm = Make();
    QTest::keyClick(&frm, Qt::Key_Escape);
    EXPECT_FALSE(frm.isVisible());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(LauncherTest, Item2WithoutKeysStartsRekamInTheLauncherFolderAndStoresBothKeys)
{
    TfrmMain& frm = Make();
    frm.LaunchItem(2);
    EXPECT_EQ(frm.runningItem(), 2);
    EXPECT_FALSE(frm.isVisible());
    ASSERT_TRUE(WaitForStarts(1));
    const auto started = StartedPrograms();
    EXPECT_EQ(started[0].name, "rekam31.exe");
    EXPECT_EQ(fs::canonical(started[0].folder), fs::canonical(dir_));
    EXPECT_TRUE(openRequests_.empty());

    platform::IniFile ini((dir_ / "orh10.ini").string());
    std::string value;
    ASSERT_TRUE(ini.ReadString("Exefile", "PrgName2", value));
    EXPECT_EQ(value, "rekam31.exe");
    ASSERT_TRUE(ini.ReadString("Exefile", "PathName2", value));
    EXPECT_EQ(value, dir_.string());

    frm.LaunchItem(3);  // refused while one runs
    EXPECT_EQ(frm.runningItem(), 2);

    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_EQ(frm.runningItem(), 0);
    EXPECT_TRUE(frm.isVisible());
    EXPECT_EQ(StartedPrograms().size(), 1u);
}

TEST_F(LauncherTest, ComingBackAfterAProgramShowsTheWelcomePictureAndKeepsTheFocus)
{
    TfrmMain& frm = Make();
    QTest::keyClick(&frm, Qt::Key_Right);
    QTest::keyClick(&frm, Qt::Key_Right);
    ASSERT_EQ(frm.focusItem(), 2);
    ASSERT_EQ(frm.imgText->picture().cacheKey(), frm.descriptionPicture(2).cacheKey());
    QTest::keyClick(&frm, Qt::Key_Return);
    ASSERT_EQ(frm.runningItem(), 2);
    ASSERT_TRUE(WaitForStarts(1));
    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_TRUE(frm.isVisible());
    EXPECT_EQ(frm.imgText->picture().cacheKey(), frm.descriptionPicture(0).cacheKey());
    EXPECT_EQ(frm.focusItem(), 2);
    EXPECT_EQ(VisibleHovers(frm), std::vector<int>{2});
    // Moving within the focused zone changes nothing; another item shows its own picture.
    MoveMouse(frm.Image1, 300, 150);
    EXPECT_EQ(frm.imgText->picture().cacheKey(), frm.descriptionPicture(0).cacheKey());
    QTest::keyClick(&frm, Qt::Key_Right);
    EXPECT_EQ(frm.imgText->picture().cacheKey(), frm.descriptionPicture(3).cacheKey());
}

TEST_F(LauncherTest, KeysWaitingWhileAStartHidesTheMenuAreDropped)
{
    TfrmMain& frm = Make();
    QTest::keyClick(&frm, Qt::Key_Right);
    QTest::keyClick(&frm, Qt::Key_Right);
    ASSERT_EQ(frm.focusItem(), 2);
    // Keys typed ahead are still waiting when Enter starts the program; the
    // start handles pending events once the menu is hidden. None of them may
    // start a second program, move the focus or close the menu.
    for (const int key : {Qt::Key_Return, Qt::Key_Right, Qt::Key_Escape})
        QCoreApplication::postEvent(&frm, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    CloseCounter closes;
    frm.installEventFilter(&closes);
    frm.LaunchItem(2);
    ASSERT_EQ(frm.runningItem(), 2);
    QTest::qWait(300);
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms().size(), 1u);
    EXPECT_EQ(frm.focusItem(), 2);
    EXPECT_EQ(closes.count, 0);
    EXPECT_TRUE(messages_.empty());
    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_EQ(frm.runningItem(), 0);
    EXPECT_TRUE(frm.isVisible());
    EXPECT_TRUE(frm.close());  // nothing else happened to the menu meanwhile
}

TEST_F(LauncherTest, StoredKeysChooseTheProgramAndFolder)
{
    fs::create_directories(dir_ / "Other");
    fs::copy_file(dir_ / "Edvo" / "edvo20.exe", dir_ / "Other" / "cut.exe");
    Ini("[Exefile]\nPrgName3=cut.exe\nPathName3=" + (dir_ / "Other").string() + "\n");
    TfrmMain& frm = Make();
    QTest::keyClick(&frm, Qt::Key_Up);  // from nothing to item 3
    QTest::keyClick(&frm, Qt::Key_Return);
    EXPECT_EQ(frm.runningItem(), 3);
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(StartedPrograms()[0].name, "edvo20.exe");  // the stand-in under its new name
    EXPECT_EQ(fs::canonical(StartedPrograms()[0].folder), fs::canonical(dir_ / "Other"));
    ASSERT_TRUE(StopLastAndWaitForEnd());
}

TEST_F(LauncherTest, FailedStartAsksForTheProgramAndStoresThePick)
{
    fs::remove(dir_ / "rekam31.exe");
    fs::create_directories(dir_ / "Tools");
    fs::copy_file(World() / "rekam31.exe", dir_ / "Tools" / "cap.exe");
    openAnswers_ = {QString::fromStdString((dir_ / "Tools" / "cap.exe").string())};
    TfrmMain& frm = Make();
    frm.LaunchItem(2);
    ASSERT_EQ(openRequests_.size(), 1u);
    EXPECT_EQ(openRequests_[0].fileName, QStringLiteral("rekam31.exe"));
    EXPECT_EQ(openRequests_[0].initialFolder, QString::fromStdString(dir_.string()));
    EXPECT_EQ(openRequests_[0].filter, QStringLiteral("*.exe"));
    EXPECT_EQ(openRequests_[0].defaultExt, QStringLiteral("*.exe"));
    EXPECT_EQ(frm.runningItem(), 2);
    EXPECT_EQ(frm.programFile(), "cap.exe");
    EXPECT_EQ(frm.workFolder(), (dir_ / "Tools").string());
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(fs::canonical(StartedPrograms()[0].folder), fs::canonical(dir_ / "Tools"));
    platform::IniFile ini((dir_ / "orh10.ini").string());
    std::string value;
    ASSERT_TRUE(ini.ReadString("Exefile", "PrgName2", value));
    EXPECT_EQ(value, "cap.exe");
    ASSERT_TRUE(ini.ReadString("Exefile", "PathName2", value));
    EXPECT_EQ(value, (dir_ / "Tools").string());
    ASSERT_TRUE(StopLastAndWaitForEnd());
}

TEST_F(LauncherTest, TheDialogIsAskedAgainUntilAStartWorksOrItIsCancelled)
{
    fs::remove(dir_ / "rekam31.exe");
    std::ofstream(dir_ / "broken.exe") << "#!/no/such/interpreter\n";
    ::chmod((dir_ / "broken.exe").c_str(), 0755);
    openAnswers_ = {QString::fromStdString((dir_ / "broken.exe").string()), QString()};
    TfrmMain& frm = Make();
    frm.LaunchItem(2);
    EXPECT_EQ(openRequests_.size(), 2u);
    EXPECT_EQ(openRequests_[1].fileName, QStringLiteral("broken.exe"));
    EXPECT_EQ(frm.runningItem(), 0);
    EXPECT_TRUE(frm.isVisible());
    EXPECT_FALSE(fs::exists(dir_ / "orh10.ini"));  // nothing stored after a cancel
}

TEST_F(LauncherTest, ClosingWhileAProgramRunsIsRefused)
{
    TfrmMain& frm = Make();
    frm.LaunchItem(2);
    ASSERT_EQ(frm.runningItem(), 2);
    EXPECT_FALSE(frm.close());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, QStringLiteral("Rekam is running.\n It isn't possible to exit."));
    EXPECT_EQ(messages_[0].caption, QStringLiteral("Orvane"));
    EXPECT_EQ(messages_[0].icon, QMessageBox::Critical);
    EXPECT_EQ(messages_[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    ASSERT_TRUE(WaitForStarts(1));
    ASSERT_TRUE(StopLastAndWaitForEnd());
    EXPECT_TRUE(frm.close());
    EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(LauncherTest, TheWindowThreadKeepsRunningWhileTheProgramRuns)
{
    TfrmMain& frm = Make();
    frm.LaunchItem(1);
    ASSERT_EQ(frm.runningItem(), 1);
    // Timers still fire: the wait happens on the other thread.
    bool fired = false;
    QTimer::singleShot(10, [&] { fired = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired; }, 5000));
    EXPECT_EQ(frm.runningItem(), 1);
    ASSERT_TRUE(WaitForStarts(1));
    ASSERT_TRUE(StopLastAndWaitForEnd());
}

}  // namespace
