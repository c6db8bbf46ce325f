#include "talvix/ui/device/TfrmFileMon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "DeviceUiFixture.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/settings/CProfile.h"

namespace talvix::ui {
namespace {

using testing::DeviceUiFixture;

struct OneDevice : DeviceSelection {
    int CurrentDeviceID() const override { return 4; }
    int DeviceCount() const override { return 1; }
    int TransferRate() const override { return 115200; }
};

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 9));
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class FileMonTest : public DeviceUiFixture {
protected:
    void SetUp() override
    {
        DeviceUiFixture::SetUp();
        card_ = dir_ + "/card";
        std::filesystem::create_directories(card_);
        profile_ = std::make_unique<CProfile>(CProfile::AtPath(dir_ + "/tv10.ini", dir_));
    }
    void Start(std::vector<std::string> extra = {})
    {
        StartSim({"id=4,name=CAM,card=" + card_}, std::move(extra));
        ASSERT_TRUE(io_.Open(1));
        ASSERT_TRUE(io_.Setup());
        ope_ = std::make_unique<FileOpe>(io_, devices_);
        mon_ = std::make_unique<TfrmFileMon>(*ope_, *profile_);
        memo1_ = mon_->findChild<QPlainTextEdit*>("Memo1");
        memo2_ = mon_->findChild<QPlainTextEdit*>("Memo2");
        ASSERT_TRUE(memo1_ && memo2_);
    }
    void Click(const char* name)
    {
        auto* button = mon_->findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    template <class T>
    T* Child(const char* name)
    {
        return mon_->findChild<T*>(name);
    }
    void TearDown() override
    {
        mon_.reset();
        ope_.reset();
        DeviceUiFixture::TearDown();
    }

    std::string card_;
    OneDevice devices_;
    std::unique_ptr<CProfile> profile_;
    std::unique_ptr<FileOpe> ope_;
    std::unique_ptr<TfrmFileMon> mon_;
    QPlainTextEdit* memo1_ = nullptr;
    QPlainTextEdit* memo2_ = nullptr;
};

TEST_F(FileMonTest, AnExchangeWithoutReplyShowsTimeout)
{
    Start();
    mon_->show();
    Click("Button4");  // NOP while the device is still in SELK mode
    EXPECT_EQ(memo1_->toPlainText(), "16:00:00:00:03:19:");
    EXPECT_EQ(memo2_->toPlainText(), "TIMEOUT!");
}

TEST_F(FileMonTest, ShowsRequestAndReplyAndKeepsWorkingAfterHideAndShow)
{
    Start();
    mon_->show();
    Click("Button1");  // into file-transfer mode
    Click("Button3");  // GET STATUS
    EXPECT_EQ(memo1_->toPlainText(), "16:11:00:00:03:2A:");
    EXPECT_EQ(memo2_->toPlainText().left(6), "16:06:");  // the accepting reply

    // Hidden, nothing shows; shown again, it does.
    mon_->hide();
    ASSERT_TRUE(ope_->GetVolume());
    QCoreApplication::processEvents();
    EXPECT_EQ(memo1_->toPlainText(), "16:11:00:00:03:2A:");
    mon_->show();
    Click("Button6");  // GET VOLUME
    EXPECT_EQ(memo1_->toPlainText().left(6), "16:1C:");
    EXPECT_EQ(memo2_->toPlainText().left(6), "16:06:");

    // A long reply is shown 16 bytes a line.
    const QStringList lines = memo2_->toPlainText().split('\n');
    ASSERT_GT(lines.size(), 1);
    EXPECT_EQ(lines[0].size(), 48);

    // The display break keeps the last frames.
    Child<QCheckBox>("CheckBox2")->setChecked(true);
    Click("Button3");
    EXPECT_EQ(memo1_->toPlainText().left(6), "16:1C:");
}

TEST_F(FileMonTest, ATypedFrameIsRebuiltAndSent)
{
    Start();
    mon_->show();
    Click("Button1");
    sim_->ClearLog();
    // Start byte, checksum and end are rebuilt; the length is cut to the
    // bytes typed after it.
    memo1_->setPlainText("00 11 05 00");
    Click("Button13");
    usleep(20000);
    const auto frames = sim_->Frames("pc", "xfer");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], "16 11 00 00 03 2A");
    EXPECT_EQ(memo2_->toPlainText().left(6), "16:06:");  // the accepting reply
}

TEST_F(FileMonTest, WriteAllSendsAPcFileInPackets)
{
    Start();
    mon_->show();
    Click("Button1");
    const auto data = Pattern(5000);
    const std::string pcFile = dir_ + "/pc.bin";
    WriteFile(pcFile, data);
    ASSERT_TRUE(mon_->LoadImage(QString::fromStdString(pcFile)));
    EXPECT_EQ(Child<QSpinBox>("CSpinEdit9")->value(), 5000);
    EXPECT_EQ(Child<QSpinBox>("CSpinEdit5")->maximum(), 5000);
    EXPECT_TRUE(Child<QPushButton>("Button28")->isEnabled());

    Child<QComboBox>("ComboBox2")->setCurrentText(" 512");
    EXPECT_EQ(Child<QSpinBox>("CSpinEdit6")->value(), 512);
    Child<QLineEdit>("Edit8")->setText("M:\\NEW.BIN");
    Click("Button24");  // OPEN for writing
    ASSERT_NE(Child<QSpinBox>("CSpinEdit7")->value(), 0);
    sim_->ClearLog();
    EXPECT_TRUE(mon_->WriteAll());
    size_t packets = 0;
    for (const std::string& f : sim_->Frames("pc", "xfer"))
        packets += f.compare(0, 5, "16 C0") == 0 ? 1 : 0;
    EXPECT_EQ(packets, 10u);  // 9 x 512 + 392
    EXPECT_EQ(Child<QSpinBox>("CSpinEdit5")->value(), 0);
    EXPECT_EQ(Child<QSpinBox>("CSpinEdit6")->value(), 512);
    Click("Button26");  // CLOSE
    EXPECT_EQ(ReadFile(card_ + "/NEW.BIN"), data);

    // Empty files are refused; hiding drops the image.
    WriteFile(dir_ + "/empty.bin", {});
    EXPECT_FALSE(mon_->LoadImage(QString::fromStdString(dir_ + "/empty.bin")));
    EXPECT_EQ(mon_->imageSize(), 5000u);
    mon_->hide();
    EXPECT_EQ(mon_->imageSize(), 0u);
    EXPECT_FALSE(Child<QPushButton>("Button28")->isEnabled());
}

TEST_F(FileMonTest, WriteDataNeverReadsPastTheLoadedImage)
{
    Start();
    mon_->show();
    Click("Button1");
    const std::string pcFile = dir_ + "/small.bin";
    WriteFile(pcFile, Pattern(100));
    ASSERT_TRUE(mon_->LoadImage(QString::fromStdString(pcFile)));
    Child<QSpinBox>("CSpinEdit9")->setValue(4096);  // a total larger than the file
    Child<QSpinBox>("CSpinEdit6")->setValue(2048);
    sim_->ClearLog();
    mon_->WriteDataPacket();
    usleep(20000);
    const auto frames = sim_->Frames("pc", "xfer");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].substr(0, 11), "16 C0 6C 00");  // 8 + 100 bytes, not 8 + 2048
    EXPECT_EQ(Child<QSpinBox>("CSpinEdit5")->value(), 2048);
    sim_->ClearLog();
    EXPECT_FALSE(mon_->WriteDataPacket());  // nothing left inside the image
    usleep(20000);
    EXPECT_TRUE(sim_->Frames("pc", "xfer").empty());
}

TEST_F(FileMonTest, AttributeBoxesSetTheirBitsAndHidingSavesThePlace)
{
    Start();
    struct Case {
        const char* box;
        uint8_t bit;
    };
    for (const Case& c : {Case{"CheckBox1", 32}, Case{"CheckBox4", 4}, Case{"CheckBox5", 1}, Case{"CheckBox6", 2}}) {
        auto* box = Child<QCheckBox>(c.box);
        ASSERT_NE(box, nullptr) << c.box;
        box->setChecked(true);
        EXPECT_TRUE(mon_->attributeByte() & c.bit) << c.box;
        box->setChecked(false);
        EXPECT_FALSE(mon_->attributeByte() & c.bit) << c.box;
    }
    mon_->show();
    mon_->move(40, 50);
    mon_->hide();
    int top = -1;
    int left = -1;
    EXPECT_TRUE(profile_->ReadInt("frmFileMon", "Top", top));
    EXPECT_TRUE(profile_->ReadInt("frmFileMon", "Left", left));
    int width = 0;
    EXPECT_TRUE(profile_->ReadInt("frmFileMon", "Width", width));

    // A new monitor comes back at the stored place.
    TfrmFileMon again(*ope_, *profile_);
    EXPECT_EQ(again.frameGeometry().top(), top);
    EXPECT_EQ(again.frameGeometry().left(), left);
}

}  // namespace
}  // namespace talvix::ui

namespace talvix::ui {
namespace {

TEST_F(FileMonTest, TheRateButtonTakesOnlyNumbers)
{
    Start();
    auto* rate = Child<QComboBox>("ComboBox1");
    auto* send = Child<QPushButton>("Button5");
    ASSERT_TRUE(rate && send);
    EXPECT_EQ(rate->currentText(), "115200");
    EXPECT_TRUE(send->isEnabled());
    struct Case {
        const char* text;
        bool number;
    };
    for (const Case& c : {Case{"  9600", true}, Case{"-5", true}, Case{"+38400", true}, Case{"12a", false},
                          Case{"5-", false}, Case{"", false}, Case{"   ", false}, Case{"57 600", true}}) {
        rate->setEditText(c.text);
        EXPECT_EQ(send->isEnabled(), c.number) << '"' << c.text << '"';
    }
    // The rate goes to the device in file-transfer mode.
    mon_->show();
    Click("Button1");
    rate->setEditText(" 38400");
    sim_->ClearLog();
    Click("Button5");
    usleep(20000);
    const auto frames = sim_->Frames("pc", "xfer");
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].substr(0, 23), "16 13 04 00 00 96 00 00");  // 38400 little-endian
}

}  // namespace
}  // namespace talvix::ui

namespace talvix::ui {
namespace {

TEST_F(FileMonTest, ACommandClickedWhileAnotherWaitsIsNotSent)
{
    Start();
    mon_->show();
    Click("Button1");
    const std::string pcFile = dir_ + "/pc.bin";
    WriteFile(pcFile, Pattern(3000));
    ASSERT_TRUE(mon_->LoadImage(QString::fromStdString(pcFile)));
    Child<QLineEdit>("Edit8")->setText("M:\\GUARD.BIN");
    Click("Button24");
    sim_->ClearLog();
    // While the packets go out the event loop runs; a click on GET STATUS
    // then must wait for its turn, not cut into the transfer.
    QTimer::singleShot(0, mon_.get(), [this] { QTest::mouseClick(Child<QPushButton>("Button3"), Qt::LeftButton); });
    Click("Button28");
    usleep(20000);
    size_t status = 0;
    size_t packets = 0;
    for (const std::string& f : sim_->Frames("pc", "xfer")) {
        status += f.compare(0, 5, "16 11") == 0 ? 1 : 0;
        packets += f.compare(0, 5, "16 C0") == 0 ? 1 : 0;
    }
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(packets, 2u);  // 2048 + 952
    Click("Button26");
    EXPECT_EQ(ReadFile(card_ + "/GUARD.BIN"), Pattern(3000));
}

}  // namespace
}  // namespace talvix::ui
