#include "talvix/ui/device/TfrmSelkDev.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <fstream>
#include <sstream>

#include "DeviceUiFixture.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/common/WaitView.h"

namespace talvix::ui {
namespace {

using testing::DeviceUiFixture;

// Records what the scan shows in the wait window.
struct RecordingWait : WaitView {
    void ShowWait(QWidget* over, const QString& text, bool progress, bool stop) override
    {
        shownOver = over;
        title = text;
        withProgress = progress;
        withStop = stop;
        visible = true;
    }
    void SetProgress(int percent) override { steps.push_back(percent); }
    bool Aborted() const override { return false; }
    void CloseIfVisible() override { visible = false; }

    QWidget* shownOver = nullptr;
    QString title;
    bool withProgress = false;
    bool withStop = true;
    bool visible = false;
    std::vector<int> steps;
};

class SelkDevTest : public DeviceUiFixture {
protected:
    void MakeDialog()
    {
        dlg_ = std::make_unique<TfrmSelkDev>(lang_, io_, sys_, *reg_);
        cbCom_ = dlg_->findChild<QComboBox*>("cbCom");
        cbRate_ = dlg_->findChild<QComboBox*>("cbRate");
        grid_ = dlg_->findChild<QTableWidget*>("SG1");
        label_ = dlg_->findChild<QLabel*>("lblSelP");
        scan_ = dlg_->findChild<QPushButton*>("btnScan");
        ok_ = dlg_->findChild<QPushButton*>("btnOk");
        ASSERT_TRUE(cbCom_ && cbRate_ && grid_ && label_ && scan_ && ok_);
    }
    void TearDown() override
    {
        dlg_.reset();
        DeviceUiFixture::TearDown();
    }

    // A committed list of these IDs on COM1 with `current` as current device.
    void Committed(const std::vector<int>& ids, int current)
    {
        SetValue("COM", 1);
        SetValue("CurID", current);
        SetValue("DEVICES", static_cast<int>(ids.size()));
        for (size_t n = 0; n < ids.size(); ++n)
            SetValue("ID" + std::to_string(n), ids[n]);
    }

    // Grid row (1 = no device, 2.. devices) as text "id|category|name".
    std::string Row(int row)
    {
        auto cell = [&](int c) {
            QTableWidgetItem* item = grid_->item(row - 1, c);
            return item ? item->text().toStdString() : std::string();
        };
        return cell(1) + "|" + cell(2) + "|" + cell(3);
    }
    int GridRows() { return grid_->rowCount() + 1; }

    QLineEdit* Editor()
    {
        return qobject_cast<QLineEdit*>(grid_->indexWidget(grid_->model()->index(dlg_->FocusedRow() - 1, 1)));
    }

    std::unique_ptr<TfrmSelkDev> dlg_;
    QComboBox* cbCom_ = nullptr;
    QComboBox* cbRate_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel* label_ = nullptr;
    QPushButton* scan_ = nullptr;
    QPushButton* ok_ = nullptr;
};

TEST_F(SelkDevTest, EveryComponentOfTheFormListIsThereWithItsClass)
{
    MakeDialog();
    std::ifstream list(std::string(SUITE_SOURCE_DIR) + "/talvix/data/forms.txt");
    ASSERT_TRUE(list.good());
    std::string line;
    int found = 0;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        std::string form, name, cls;
        if (!(fields >> form >> name >> cls) || form != "frmSelkDev")
            continue;
        const QObject* object = dlg_->findChild<QObject*>(QString::fromStdString(name));
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(TableClassName(object), cls) << name;
        ++found;
    }
    EXPECT_EQ(found, 14);
}

TEST_F(SelkDevTest, FirstStartShowsNoPortNoDeviceAndTheDefaultRate)
{
    MakeDialog();
    dlg_->show();
    EXPECT_EQ(dlg_->windowTitle(), "SELK Device");
    EXPECT_EQ(dlg_->findChild<QLabel*>("Label1")->text(), "Serial port");  // captioned from the tables
    EXPECT_EQ(scan_->text(), "&Scan");
    EXPECT_EQ(cbCom_->currentIndex(), 0);
    EXPECT_EQ(cbCom_->itemText(0), "Not used");
    EXPECT_FALSE(scan_->isEnabled());
    EXPECT_EQ(GridRows(), 2);
    EXPECT_EQ(Row(1), "||(No device)");
    EXPECT_EQ(grid_->horizontalHeaderItem(2)->text(), "Type");
    EXPECT_EQ(grid_->horizontalHeaderItem(3)->text(), "Name");
    EXPECT_EQ(label_->text(), "No device selected");
    EXPECT_EQ(cbRate_->currentIndex(), 0);
    EXPECT_EQ(dlg_->TransferRate(), 115200);
    EXPECT_FALSE(dlg_->PortOpen());
    EXPECT_EQ(dlg_->CurrentDeviceID(), 0);
    EXPECT_EQ(dlg_->DeviceCount(), 0);
    dlg_->reject();
    EXPECT_EQ(Value("COM"), 0);
    EXPECT_EQ(Value("CurID"), 0);
    EXPECT_EQ(Value("BAUDRATE"), 115200);
    EXPECT_EQ(Value("DEVICES"), -1);  // only OK writes the list
}

TEST_F(SelkDevTest, ShowingChecksTheCommittedDevicesAndMarksTheCurrentOne)
{
    StartSim({"id=3,cat=7,name=CAMERA", "id=12,cat=34,name=PRINTER,power=off,delay=2"});
    Committed({3, 12, 40}, 12);  // 40 is not on the bus
    SetValue("BAUDRATE", 38400);
    MakeDialog();
    dlg_->show();
    EXPECT_TRUE(dlg_->PortOpen());
    EXPECT_EQ(cbCom_->currentIndex(), 1);
    EXPECT_TRUE(scan_->isEnabled());
    EXPECT_EQ(cbRate_->currentIndex(), 2);
    ASSERT_EQ(GridRows(), 4);  // the absent device is not listed
    EXPECT_EQ(Row(2), "03|Camcorder|CAMERA");
    EXPECT_EQ(Row(3), "12|Printer|PRINTER");
    EXPECT_EQ(grid_->item(2, 0)->text(), "2");  // position in the list
    EXPECT_EQ(dlg_->CurrentDeviceID(), 12);
    EXPECT_EQ(dlg_->FocusedRow(), 3);
    EXPECT_EQ(label_->text(), "ID:12 PRINTER");
    ASSERT_EQ(dlg_->WorkingEntries().size(), 3u);
    EXPECT_EQ(dlg_->WorkingEntries()[2].answered, 0);
    EXPECT_EQ(dlg_->IndexOfID(40), 2);
    EXPECT_EQ(dlg_->IndexOfID(5), -1);
    EXPECT_GE(Sent("3E 40 70"), 1u);  // the printer was switched on

    // Clicking the "no device" row leaves no device current.
    dlg_->ClickRow(1);
    EXPECT_EQ(dlg_->CurrentDeviceID(), 0);
    EXPECT_EQ(label_->text(), "No device selected");
    dlg_->ClickRow(2);
    EXPECT_EQ(dlg_->CurrentDeviceID(), 3);
    cbRate_->setCurrentIndex(4);
    dlg_->accept();
    EXPECT_EQ(Value("CurID"), 3);
    EXPECT_EQ(Value("COM"), 1);
    EXPECT_EQ(Value("BAUDRATE"), 9600);
    EXPECT_EQ(Value("Category"), 7);
    EXPECT_EQ(dlg_->TransferRate(), 9600);
    EXPECT_EQ(dlg_->CurrentIndex(), 0);
    EXPECT_FALSE(dlg_->Cancelled());
}

TEST_F(SelkDevTest, LoadDevicesForTheMainWindowOpensThePortAndChecksEveryDevice)
{
    StartSim({"id=4,name=CAM", "id=9,power=off,delay=1"});
    Committed({4, 9, 60}, 4);
    MakeDialog();
    EXPECT_TRUE(dlg_->LoadDevices());  // the dialog stays hidden
    EXPECT_TRUE(dlg_->PortOpen());
    EXPECT_EQ(dlg_->CurrentDeviceID(), 4);
    EXPECT_EQ(dlg_->DeviceCount(), 3);
    const auto committed = dlg_->CommittedEntries();
    ASSERT_EQ(committed.size(), 3u);
    EXPECT_EQ(committed[0].answered, 1);
    EXPECT_EQ(committed[0].name(), "CAM");
    EXPECT_EQ(committed[1].answered, 1);
    EXPECT_EQ(committed[2].answered, 0);
    EXPECT_EQ(dlg_->IndexOfID(4), 0);

    // Without a saved port nothing is open.
    SetValue("COM", 0);
    EXPECT_FALSE(dlg_->LoadDevices());
    EXPECT_FALSE(dlg_->PortOpen());
}

TEST_F(SelkDevTest, ScanFindsThePlayedDevicesAndOkReplacesTheStoredList)
{
    StartSim({"id=2,cat=1,name=DECK", "id=50,cat=9,name=VCP50,power=off,delay=2", "id=99,cat=77,name=LAST"});
    Committed({7, 8, 9, 10, 11}, 8);  // five old entries, none on the bus
    MakeDialog();
    dlg_->show();
    EXPECT_EQ(GridRows(), 2);
    EXPECT_EQ(dlg_->CurrentDeviceID(), 0);

    QTest::mouseClick(scan_, Qt::LeftButton);
    ASSERT_EQ(GridRows(), 5);
    EXPECT_EQ(Row(2), "02|VCR|DECK");
    EXPECT_EQ(Row(3), "50|VCP|VCP50");
    EXPECT_EQ(Row(4), "99|Unknown|LAST");
    EXPECT_EQ(dlg_->CurrentDeviceID(), 0);  // several found: none chosen yet
    EXPECT_EQ(label_->text(), "No device selected");
    EXPECT_TRUE(dlg_->isEnabled());

    dlg_->ClickRow(3);
    EXPECT_EQ(dlg_->CurrentDeviceID(), 50);
    dlg_->accept();
    EXPECT_EQ(Value("DEVICES"), 3);
    EXPECT_EQ(Value("ID0"), 2);
    EXPECT_EQ(Value("ID1"), 50);
    EXPECT_EQ(Value("ID2"), 99);
    EXPECT_EQ(Value("ID3"), -1);
    EXPECT_EQ(Value("ID4"), -1);
    EXPECT_EQ(Value("CurID"), 50);
    EXPECT_EQ(Value("Category"), 9);
    EXPECT_EQ(dlg_->DeviceCount(), 3);
}

TEST_F(SelkDevTest, ScanThatFindsOneDeviceMakesItCurrentAndCancelKeepsTheOldList)
{
    StartSim({"id=21,cat=7,name=SOLO"});
    Committed({5}, 5);
    MakeDialog();
    RecordingWait wait;
    dlg_->SetWaitView(&wait);
    dlg_->show();
    dlg_->Scan();
    EXPECT_EQ(wait.shownOver, dlg_.get());
    EXPECT_EQ(wait.title, "Searching for devices...");
    EXPECT_TRUE(wait.withProgress);
    EXPECT_FALSE(wait.withStop);
    EXPECT_FALSE(wait.visible);
    EXPECT_EQ(wait.steps, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    ASSERT_EQ(GridRows(), 3);
    EXPECT_EQ(dlg_->CurrentDeviceID(), 21);
    EXPECT_EQ(label_->text(), "ID:21 SOLO");

    // Choosing the port again re-checks the committed list; the scan is not
    // mixed into it.
    cbCom_->setCurrentIndex(1);
    emit cbCom_->activated(1);
    ASSERT_EQ(dlg_->WorkingEntries().size(), 1u);
    EXPECT_EQ(dlg_->WorkingEntries()[0].id(), 5);
    EXPECT_EQ(GridRows(), 2);  // device 5 does not answer
    dlg_->reject();
    EXPECT_TRUE(dlg_->Cancelled());
    EXPECT_EQ(dlg_->CurrentDeviceID(), 5);
    EXPECT_EQ(dlg_->DeviceCount(), 1);
    EXPECT_EQ(Value("ID0"), 5);
    EXPECT_EQ(Value("DEVICES"), 1);
    EXPECT_EQ(Value("CurID"), 5);
}

TEST_F(SelkDevTest, CancelAfterChoosingNoPortReopensTheEarlierPort)
{
    StartSim({"id=3,name=CAM"});
    Committed({3}, 3);
    MakeDialog();
    dlg_->show();
    ASSERT_TRUE(dlg_->PortOpen());
    cbCom_->setCurrentIndex(0);
    emit cbCom_->activated(0);
    EXPECT_FALSE(dlg_->PortOpen());
    EXPECT_FALSE(scan_->isEnabled());
    EXPECT_EQ(GridRows(), 2);
    dlg_->reject();
    EXPECT_TRUE(dlg_->PortOpen());
    EXPECT_EQ(io_.portNumber(), 1);
    EXPECT_EQ(Value("COM"), 1);
    EXPECT_EQ(Value("CurID"), 3);
    EXPECT_EQ(dlg_->WorkingEntries().size(), 1u);
}

TEST_F(SelkDevTest, CancelKeepsTheStoredPortWhenItCannotBeReopened)
{
    StartSim({"id=3,name=CAM"});
    Committed({3}, 3);
    MakeDialog();
    dlg_->show();
    cbCom_->setCurrentIndex(0);
    emit cbCom_->activated(0);
    sim_->Kill();  // the line goes away meanwhile
    dlg_->reject();
    EXPECT_FALSE(dlg_->PortOpen());
    EXPECT_EQ(Value("COM"), 1);
    EXPECT_EQ(Value("CurID"), 3);
}

TEST_F(SelkDevTest, APortThatDoesNotOpenFallsBackToTheOpenOne)
{
    StartSim({"id=3,name=CAM"});
    ASSERT_TRUE(SerialPortMap(registry_).SetDevicePath(2, dir_ + "/no-such-tty"));
    Committed({3}, 3);
    MakeDialog();
    dlg_->show();
    cbCom_->setCurrentIndex(2);
    emit cbCom_->activated(2);
    EXPECT_EQ(cbCom_->currentIndex(), 1);
    EXPECT_TRUE(dlg_->PortOpen());
    EXPECT_EQ(io_.portNumber(), 1);
    EXPECT_EQ(Row(2), "03|Unknown|CAM");
    dlg_->accept();
    EXPECT_EQ(Value("COM"), 1);
}

TEST_F(SelkDevTest, IdEditingKeepsTwoDigitsAndRefusesATakenId)
{
    StartSim({"id=3,name=CAM", "id=5,name=OTHER"});
    Committed({3, 5}, 3);
    MakeDialog();
    dlg_->show();
    dlg_->ClickRow(2);
    ASSERT_TRUE(dlg_->BeginChangeId());
    EXPECT_FALSE(ok_->isEnabled());
    EXPECT_FALSE(scan_->isEnabled());
    EXPECT_FALSE(cbCom_->isEnabled());
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);

    struct Case {
        const char* typed;
        const char* kept;
    };
    for (const Case& c : {Case{"7a", "7"}, Case{"123", "12"}, Case{"x", ""}}) {
        editor->clear();
        QTest::keyClicks(editor, c.typed);
        EXPECT_EQ(editor->text().toStdString(), c.kept) << c.typed;
    }

    // An empty or zero ID does nothing; editing goes on.
    editor->clear();
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(dlg_->EditingId());

    // ID 5 is taken: the cell shows 03 again and nothing is sent.
    sim_->ClearLog();
    QTest::keyClicks(editor, "05");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(dlg_->EditingId());
    EXPECT_EQ(Row(2), "03|Unknown|CAM");
    EXPECT_EQ(Sent("7C 41"), 0u);
    EXPECT_TRUE(ok_->isEnabled());
    EXPECT_TRUE(scan_->isEnabled());
    EXPECT_TRUE(cbCom_->isEnabled());
    EXPECT_EQ(Value("ID0"), 3);

    // Escape ends editing with the old text.
    ASSERT_TRUE(dlg_->BeginChangeId());
    QTest::keyClicks(Editor(), "44");
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_FALSE(dlg_->EditingId());
    EXPECT_TRUE(dlg_->isVisible());
    EXPECT_EQ(Row(2), "03|Unknown|CAM");

    // A click into the grid ends editing and focuses the clicked row.
    ASSERT_TRUE(dlg_->BeginChangeId());
    QTest::keyClicks(Editor(), "9");
    const QRect noDevice = grid_->visualRect(grid_->model()->index(0, 3));
    QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, noDevice.center());
    EXPECT_FALSE(dlg_->EditingId());
    EXPECT_EQ(Row(2), "03|Unknown|CAM");
    EXPECT_EQ(dlg_->FocusedRow(), 1);
    EXPECT_EQ(dlg_->CurrentDeviceID(), 0);

    // The "no device" row has no ID to change; the menu says so too.
    auto* menu = dlg_->findChild<QMenu*>("PopupMenu1");
    auto* change = dlg_->findChild<QAction*>("mnuChID");
    ASSERT_TRUE(menu && change);
    emit menu->aboutToShow();
    EXPECT_FALSE(change->isEnabled());
    EXPECT_FALSE(dlg_->BeginChangeId());
    dlg_->ClickRow(3);
    emit menu->aboutToShow();
    EXPECT_TRUE(change->isEnabled());
    EXPECT_EQ(change->text(), "Change &ID");
}

TEST_F(SelkDevTest, IdChangeReachesTheDeviceAndTheRegistryAtOnce)
{
    StartSim({"id=3,name=CAM", "id=5,name=OTHER"});
    Committed({3, 5}, 3);
    MakeDialog();
    dlg_->show();
    dlg_->ClickRow(2);
    ASSERT_TRUE(dlg_->BeginChangeId());
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, "7");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(dlg_->EditingId());
    EXPECT_EQ(Row(2), "07|Unknown|CAM");
    EXPECT_EQ(dlg_->CurrentDeviceID(), 7);
    EXPECT_EQ(label_->text(), "ID:07 CAM");
    EXPECT_EQ(Value("ID0"), 7);
    EXPECT_EQ(Value("CurID"), 7);
    EXPECT_TRUE(sys_.Ping(7));
    EXPECT_FALSE(sys_.Ping(3));

    // Cancel does not undo it: the device has its new ID.
    dlg_->reject();
    EXPECT_EQ(Value("ID0"), 7);
    EXPECT_EQ(Value("CurID"), 7);
    EXPECT_EQ(dlg_->CurrentDeviceID(), 7);
    ASSERT_EQ(dlg_->CommittedEntries().size(), 2u);
    EXPECT_EQ(dlg_->CommittedEntries()[0].id(), 7);
}

TEST_F(SelkDevTest, AFailedIdChangeLeavesEverythingAsItWas)
{
    // No reply ever comes to the "|A" command.
    StartSim({"id=3,name=CAM"}, {"--fault", "drop,proto=selk,cmd=0x7C41"});
    Committed({3}, 3);
    MakeDialog();
    dlg_->show();
    dlg_->ClickRow(2);
    ASSERT_TRUE(dlg_->BeginChangeId());
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, "8");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_FALSE(dlg_->EditingId());
    EXPECT_EQ(Row(2), "03|Unknown|CAM");
    EXPECT_EQ(Value("ID0"), 3);
    EXPECT_EQ(dlg_->IndexOfID(3), 0);
    EXPECT_EQ(Sent("7C 41"), 5u);
}

}  // namespace
}  // namespace talvix::ui
