#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <filesystem>
#include <thread>

#include "talvix/settings/CProfile.h"
#include "talvix/ui/common/UiNotify.h"
#include "talvix/ui/common/WidgetPlacement.h"

namespace talvix::ui {
namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "ui_common_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // lives until exit
    return *app;
}

class QtGlueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        char tmpl[] = "/tmp/uicommon-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string dir_;
};

TEST_F(QtGlueTest, ObserverCallsArriveOnTheUiThreadAndStopWithTheReceiver)
{
    auto receiver = std::make_unique<QObject>();
    std::vector<std::pair<uint32_t, int32_t>> seen;
    Qt::HANDLE seenOn = nullptr;
    NotifyObserver observer = MakeUiObserver(receiver.get(), [&](uint32_t w, int32_t l) {
        seen.emplace_back(w, l);
        seenOn = QThread::currentThreadId();
    });
    SelkNotifier notifier;
    notifier.Set(observer);

    std::thread worker([&] { notifier.Post(5, 3); });
    worker.join();
    EXPECT_TRUE(seen.empty());  // queued, like a posted message
    QCoreApplication::processEvents();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(5u, 3));
    EXPECT_EQ(seenOn, QThread::currentThreadId());

    notifier.Post(1, 2);
    receiver.reset();  // the window goes before the queued call runs
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(QtGlueTest, PlacementIsStoredAndRestored)
{
    CProfile profile = CProfile::AtPath(dir_ + "/tv10.ini", dir_);
    QDialog form;
    form.setObjectName("frmTest");
    form.resize(200, 100);

    // Nothing stored: centred on the screen.
    RestoreWidgetPlacement(profile, &form, false);
    const QRect screen = form.screen()->geometry();
    EXPECT_EQ(form.frameGeometry().left(), (screen.width() - form.frameGeometry().width()) / 2);
    EXPECT_EQ(form.frameGeometry().top(), (screen.height() - form.frameGeometry().height()) / 2);

    form.move(30, 40);
    ASSERT_TRUE(SaveWidgetPlacement(profile, &form));
    int value = 0;
    ASSERT_TRUE(profile.ReadInt("frmTest", "Left", value));
    EXPECT_EQ(value, 30);
    ASSERT_TRUE(profile.ReadInt("frmTest", "Top", value));
    EXPECT_EQ(value, 40);
    ASSERT_TRUE(profile.ReadInt("frmTest", "Width", value));
    EXPECT_EQ(value, form.frameGeometry().width());

    QDialog again;
    again.setObjectName("frmTest");
    again.resize(200, 100);
    RestoreWidgetPlacement(profile, &again, false);
    EXPECT_EQ(again.frameGeometry().topLeft(), QPoint(30, 40));

    // A sizeable form takes the stored size too.
    ASSERT_TRUE(profile.WriteInt("frmTest", "Width", 320));
    ASSERT_TRUE(profile.WriteInt("frmTest", "Height", 240));
    QDialog sized;
    sized.setObjectName("frmTest");
    RestoreWidgetPlacement(profile, &sized, true);
    EXPECT_EQ(sized.frameGeometry().size(), QSize(320, 240));
}

TEST_F(QtGlueTest, CentreOverAWindowStaysOnTheScreen)
{
    QDialog owner;
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    QDialog dialog;
    dialog.resize(100, 50);
    CentreOver(&dialog, &owner);
    const QRect over = owner.frameGeometry();
    EXPECT_EQ(dialog.frameGeometry().center().x() / 2, over.center().x() / 2);
    EXPECT_EQ(dialog.frameGeometry().center().y() / 2, over.center().y() / 2);

    owner.move(-350, -250);  // mostly off the screen
    CentreOver(&dialog, &owner);
    const QRect avail = dialog.screen()->availableGeometry();
    EXPECT_GE(dialog.frameGeometry().left(), avail.left());
    EXPECT_GE(dialog.frameGeometry().top(), avail.top());
}

}  // namespace
}  // namespace talvix::ui
