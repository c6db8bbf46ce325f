#include "talvix/ui/device/TfrmMonitor.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DeviceUiFixture.h"

namespace talvix::ui {
namespace {

using testing::DeviceUiFixture;

class MonitorTest : public DeviceUiFixture {
protected:
    void MakeMonitor()
    {
        mon_ = std::make_unique<TfrmMonitor>();
        mon_->SetSelkIO(&io_);
        td_ = mon_->findChild<QLabel*>("pnlTD");
        rd_ = mon_->findChild<QLabel*>("pnlRD");
        cerr_ = mon_->findChild<QLabel*>("pnlCErr");
        serr_ = mon_->findChild<QLabel*>("pnlSErr");
        brk_ = mon_->findChild<QCheckBox*>("cbBreak");
        send_ = mon_->findChild<QLineEdit*>("edSend");
        ASSERT_TRUE(td_ && rd_ && cerr_ && serr_ && brk_ && send_);
    }
    void OpenLine()
    {
        ASSERT_TRUE(io_.Open(1)) << registry_;
        ASSERT_TRUE(io_.Setup());
    }
    // Lets the queued notifications arrive.
    void Deliver() { QCoreApplication::processEvents(); }
    void TypeAndSend(const QString& text)
    {
        send_->setText(text);
        QTest::mouseClick(mon_->findChild<QPushButton*>("btnSend"), Qt::LeftButton);
        Deliver();
    }
    void TearDown() override
    {
        mon_.reset();
        DeviceUiFixture::TearDown();
    }

    std::unique_ptr<TfrmMonitor> mon_;
    QLabel* td_ = nullptr;
    QLabel* rd_ = nullptr;
    QLabel* cerr_ = nullptr;
    QLabel* serr_ = nullptr;
    QCheckBox* brk_ = nullptr;
    QLineEdit* send_ = nullptr;
};

TEST_F(MonitorTest, ShowsTheFramesOfEveryTransactionWhileShown)
{
    StartSim({"id=1,name=CAM"});
    OpenLine();
    MakeMonitor();
    EXPECT_EQ(td_->text(), "00:00:00:00:00:00:00:00:00:00:00:");
    EXPECT_EQ(send_->text(), "00:00:00:00:00:00:00:00:");
    EXPECT_EQ(mon_->windowTitle(), "SELK MONITOR");
    mon_->show();

    // A transaction of the device layer shows up as well as typed ones.
    ASSERT_TRUE(sys_.Ping(1));
    Deliver();
    EXPECT_EQ(td_->text(), "FF:FF:01:7C:4E:20:00:00:00:00:17:");
    EXPECT_EQ(rd_->text().left(6), "FC:FF:");
    EXPECT_EQ(serr_->text(), "00");
    EXPECT_EQ(cerr_->text(), "0000");

    TypeAndSend("01 7c 49");
    EXPECT_EQ(send_->text(), "01:7C:49:00:00:00:00:00:");
    EXPECT_EQ(td_->text().left(18), "FF:FF:01:7C:49:00:");
    EXPECT_EQ(rd_->text().left(6), "FC:FF:");

    // Hidden, it watches nothing.
    mon_->hide();
    ASSERT_TRUE(sys_.Ping(1));
    Deliver();
    EXPECT_EQ(td_->text().left(18), "FF:FF:01:7C:49:00:");
}

TEST_F(MonitorTest, AnIdOutsideTheBusIsRefusedWithResultSix)
{
    MakeMonitor();
    mon_->show();
    TypeAndSend("ff ff 1 7c 4e 20");
    EXPECT_EQ(send_->text(), "FF:FF:01:7C:4E:20:00:00:");
    EXPECT_EQ(serr_->text(), "06");
    EXPECT_EQ(td_->text().left(18), "00:00:FF:FF:01:7C:");
}

TEST_F(MonitorTest, BreakFreezesTheDisplayAndSendAndBreakShowsOneMore)
{
    StartSim({"id=1,name=CAM", "id=2,name=TWO"});
    OpenLine();
    MakeMonitor();
    mon_->show();
    TypeAndSend("01:7C:4E:20");
    const QString first = td_->text();
    brk_->setChecked(true);
    ASSERT_TRUE(sys_.Ping(2));
    Deliver();
    EXPECT_EQ(td_->text(), first);

    brk_->setChecked(false);
    send_->setText("02:7C:4E:20");
    QTest::mouseClick(mon_->findChild<QPushButton*>("btnSendBreak"), Qt::LeftButton);
    Deliver();
    EXPECT_TRUE(brk_->isChecked());
    EXPECT_EQ(td_->text().left(9), "FF:FF:02:");
    EXPECT_EQ(serr_->text(), "00");
    TypeAndSend("01:7C:49");
    EXPECT_EQ(td_->text().left(18), "FF:FF:02:7C:4E:20:");
}

TEST_F(MonitorTest, NoSendWhileAPowerCommandRuns)
{
    StartSim({"id=1,name=CAM"});
    OpenLine();
    MakeMonitor();
    mon_->show();
    systemCommandBusy.store(true);
    sim_->ClearLog();
    TypeAndSend("01:7C:4E:20");
    systemCommandBusy.store(false);
    EXPECT_EQ(Sent("7C 4E"), 0u);
    EXPECT_EQ(td_->text(), "00:00:00:00:00:00:00:00:00:00:00:");
}

}  // namespace
}  // namespace talvix::ui
