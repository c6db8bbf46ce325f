// Whole card sessions through the emulator at 115200 bit/s.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <termios.h>

#include "platform/Cp932.h"
#include "platform/FileTime.h"
#include "platform/Tick.h"
#include "talvix/filexfer/FileOpe.h"
#include "talvix/filexfer/RegistryDeviceSelection.h"
#include "talvix/serial/CSelkReg.h"
#include "tools/selksim/testing/SelkSimProcess.h"

namespace fs = std::filesystem;
using namespace talvix;
using selksim::SelkSimProcess;

namespace {

struct Selection : DeviceSelection {
    int id = 4, count = 1, rate = 115200;
    int CurrentDeviceID() const override { return id; }
    int DeviceCount() const override { return count; }
    int TransferRate() const override { return rate; }
};

std::vector<uint8_t> Pattern(size_t size, int seed)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 131 + seed) ^ (i >> 8));
    return bytes;
}

void WriteHostFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// An emulator with one card device (ID 4) whose card is a fresh folder.
class Session : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/cardsession-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        top = tmpl;
        card = top + "/card";
    }
    void TearDown() override
    {
        selk.Close();
        sim.reset();
        fs::remove_all(top);
    }

    void Start(std::vector<std::string> extra = {}, const std::string& device = "id=4,name=CAM")
    {
        selk.Close();
        sim.reset();
        fs::remove_all(card);
        fs::create_directories(card + "/DCIM/100CAM");
        WriteHostFile(card + "/DCIM/100CAM/IMG_0001.JPG", Pattern(10000, 1));
        WriteHostFile(card + "/DCIM/100CAM/IMG_0002.JPG", Pattern(4096 * 3, 2));
        WriteHostFile(card + "/My Photo.jpeg", Pattern(777, 3));
        WriteHostFile(card + "/.hidden", Pattern(5, 4));
        WriteHostFile(card + "/IO.SYS", Pattern(5, 5));
        WriteHostFile(card + "/\u5199\u771F.jpg", Pattern(33, 6));  // a Japanese 8.3 name
        std::vector<std::string> args = {"--device", device + ",card=" + card};
        args.insert(args.end(), extra.begin(), extra.end());
        sim = std::make_unique<SelkSimProcess>(args);
        ASSERT_TRUE(sim->Start()) << sim->startError();
        ASSERT_TRUE(selk.OpenPath(sim->linkPath(), 1));
        ASSERT_TRUE(selk.Setup());
    }

    bool Enter()
    {
        return ope.EnterTransferMode() && ope.SetTransferRate(devices.rate) && ope.GetStatus();
    }

    // Every entry of a folder, as (name, attributes, size).
    std::vector<platform::FindData> List(const std::string& folder)
    {
        std::vector<platform::FindData> out;
        platform::FindData fd;
        const int h = ope.FindFirst(0, folder + "\\*.*", &fd);
        if (h == 0)
            return out;
        out.push_back(fd);
        for (;;) {
            const int r = ope.FindNext(h, &fd);
            if (r != 1)
                break;
            out.push_back(fd);
        }
        ope.FindClose(h);
        return out;
    }

    std::vector<uint8_t> ReadCardFile(const std::string& path, uint32_t size, uint32_t block)
    {
        uint8_t error = 0;
        const uint32_t h = ope.Open(path, kOpenRead, error);
        if (h == 0)
            return {};
        std::vector<uint8_t> image(size + block);
        uint32_t at = 0;
        while (at < size) {
            uint32_t n = 0;
            if (!ope.Read(h, image.data(), at, block, n) || n == 0)
                break;
            at += n;
        }
        ope.Close(h);
        image.resize(at);
        return image;
    }

    std::unique_ptr<SelkSimProcess> sim;
    std::string top, card;
    Selection devices;
    CSelkIO selk;
    FileOpe ope{selk, devices};
};

}  // namespace

TEST_F(Session, EndToEndAt115200)
{
    Start();
    ASSERT_TRUE(ope.EnterTransferMode());
    EXPECT_EQ(selk.readTimeoutConstant(), 2000);
    ASSERT_TRUE(ope.SetTransferRate(115200));
    termios t{};
    ASSERT_EQ(tcgetattr(selk.fd(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
    ASSERT_TRUE(ope.GetStatus());
    EXPECT_NE(ope.status()[1] & 0x03, 0);
    EXPECT_EQ(FileOpe::BlockSizeFromStatus(ope.status()[3]), 4096);
    ASSERT_TRUE(ope.GetVolume());
    EXPECT_EQ(ope.VolumeLabel(), "SIMCARD");

    // The root: the label, hidden and system entries, 8.3 names.
    auto root = List("M:");
    std::map<std::string, uint32_t> attrs;
    for (const auto& e : root)
        attrs[e.cFileName] = e.dwFileAttributes;
    EXPECT_EQ(attrs["SIMCARD"], 0x08u);
    EXPECT_EQ(attrs["DCIM"], 0x10u);
    EXPECT_EQ(attrs["MYPHOT~1.JPG"], 0x20u);
    EXPECT_EQ(attrs["IO.SYS"] & 0x04, 0x04u);
    bool hiddenSeen = false;
    for (const auto& [name, a] : attrs)
        hiddenSeen |= (a & 0x02) != 0;
    EXPECT_TRUE(hiddenSeen);
    EXPECT_EQ(attrs.count("."), 0u);

    // A subfolder starts with "." and "..".
    auto sub = List("M:\\DCIM\\100CAM");
    ASSERT_EQ(sub.size(), 4u);
    EXPECT_EQ(sub[0].cFileName, ".");
    EXPECT_EQ(sub[1].cFileName, "..");
    EXPECT_EQ(sub[2].cFileName, "IMG_0001.JPG");
    EXPECT_EQ(sub[2].nFileSizeLow, 10000u);
    // Its time is the host file's, as local time.
    struct stat st {};
    ASSERT_EQ(stat((card + "/DCIM/100CAM/IMG_0001.JPG").c_str(), &st), 0);
    platform::FileTime utc, local;
    ASSERT_TRUE(platform::TimespecToFileTime(st.st_mtim, utc));
    ASSERT_TRUE(platform::FileTimeToLocalFileTime(utc, local));
    EXPECT_LE(local.ticks - sub[2].ftLastWriteTime.ticks, 2 * platform::kFileTimeTicksPerSecond);

    // Read at several block sizes.
    for (uint32_t block : {64u, 512u, 2048u, 4096u})
        EXPECT_EQ(ReadCardFile("M:\\DCIM\\100CAM\\IMG_0001.JPG", 10000, block), Pattern(10000, 1)) << block;
    EXPECT_EQ(ReadCardFile("M:\\MYPHOT~1.JPG", 777, 4096), Pattern(777, 3));

    // Write a file in 2048-byte blocks and date it.
    const auto data = Pattern(5000, 9);
    uint8_t error = 0;
    const uint32_t h = ope.Open("M:\\DCIM\\NEW.JPG", kOpenWrite, error);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(ope.WriteBegin(h, 0, static_cast<uint32_t>(data.size())));
    for (uint32_t at = 0; at < data.size(); at += 2048) {
        const uint32_t n = std::min<uint32_t>(2048, static_cast<uint32_t>(data.size()) - at);
        ASSERT_TRUE(ope.WriteData(at, n, data.data() + at));
    }
    ASSERT_TRUE(ope.Close(h));
    const DosDateTime when{static_cast<uint16_t>((43 << 9) | (2 << 5) | 14), static_cast<uint16_t>((12 << 11) | (30 << 5))};
    ASSERT_TRUE(ope.SetDateTime("M:\\DCIM\\NEW.JPG", when, when, when));
    EXPECT_EQ(ReadHostFile(card + "/DCIM/NEW.JPG"), data);
    for (const auto& e : List("M:\\DCIM"))
        if (e.cFileName == "NEW.JPG") {
            platform::SystemTime s;
            ASSERT_TRUE(platform::FileTimeToSystemTime(e.ftLastWriteTime, s));
            EXPECT_EQ(s.wYear, 2023);
            EXPECT_EQ(s.wMonth, 2);
            EXPECT_EQ(s.wDay, 14);
            EXPECT_EQ(s.wHour, 12);
            EXPECT_EQ(s.wMinute, 30);
        }

    // Rename, attributes, delete, make a folder.
    ASSERT_TRUE(ope.Rename("M:\\DCIM\\NEW.JPG", "M:\\DCIM\\OLD.JPG"));
    EXPECT_TRUE(fs::exists(card + "/DCIM/OLD.JPG"));
    ASSERT_TRUE(ope.SetAttributes(0x01, "M:\\DCIM\\OLD.JPG"));
    EXPECT_FALSE(ope.Delete("M:\\DCIM\\OLD.JPG"));  // read-only
    ASSERT_TRUE(ope.SetAttributes(0x20, "M:\\DCIM\\OLD.JPG"));
    ASSERT_TRUE(ope.Delete("M:\\DCIM\\OLD.JPG"));
    EXPECT_FALSE(fs::exists(card + "/DCIM/OLD.JPG"));
    ASSERT_TRUE(ope.MakeDir("M:\\NEWDIR"));
    EXPECT_TRUE(fs::is_directory(card + "/NEWDIR"));
    EXPECT_FALSE(ope.MakeDir("M:\\NEWDIR"));
    EXPECT_FALSE(ope.Delete("M:\\DCIM"));  // not empty
    uint32_t free[4];
    ASSERT_TRUE(ope.GetFreeSpace(free));
    EXPECT_EQ(FileOpe::FreeBytes(free), 1000u * 8u * 512u);

    // Japanese names travel as CP932 bytes both ways.
    const std::string photo = platform::ToCp932("\u5199\u771F") + ".JPG";
    bool photoSeen = false;
    for (const auto& e : root)
        photoSeen |= e.cFileName == photo;
    EXPECT_TRUE(photoSeen);
    EXPECT_EQ(ReadCardFile("M:\\" + photo, 33, 4096), Pattern(33, 6));
    const std::string fresh = platform::ToCp932("\u65B0\u898F") + ".TXT";
    const uint32_t h2 = ope.Open("M:\\" + fresh, kOpenWrite, error);
    ASSERT_NE(h2, 0u);
    ASSERT_TRUE(ope.Close(h2));
    EXPECT_TRUE(fs::exists(card + "/\u65B0\u898F.TXT"));

    // Paths that would leave the card are refused.
    EXPECT_FALSE(ope.MakeDir("M:\\..\\ESCAPE"));
    EXPECT_FALSE(fs::exists(top + "/ESCAPE"));

    ASSERT_TRUE(ope.LeaveTransferMode());
    ASSERT_EQ(tcgetattr(selk.fd(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    EXPECT_EQ(selk.readTimeoutConstant(), 80);
    // Back in SELK mode: the device answers device commands again.
    const uint8_t sense[7] = {0x7C, 0x4E, 0x20, 0, 0, 0, 0};
    selk.SetCommand(4, sense);
    EXPECT_TRUE(selk.TransactRetry(2));
    usleep(20000);
    EXPECT_TRUE(sim->Frames("pc", "garbage").empty());
    EXPECT_TRUE(sim->Frames("pc", "noise").empty());
}

// The switch into file-transfer mode and back, as bytes on the line and with
// its spacing: the broadcast holds the next command back 80 ms, and the first
// file-transfer request follows "|p" only after the 50 ms settling wait.
TEST_F(Session, ModeSwitchPutsTheseBytesOnTheLine)
{
    Start();
    ASSERT_TRUE(Enter());
    ASSERT_TRUE(ope.LeaveTransferMode());
    usleep(20000);
    EXPECT_EQ(sim->Frames("pc", "selk"), (std::vector<std::string>{"FF FF 04 7C 56 70 00 00 00 00 3C",
                                                                   "FF FF 7F 7C 4F 03 00 00 00 00 35",
                                                                   "FF FF 04 7C 70 53 58 46 50 31 20"}));
    EXPECT_EQ(sim->Frames("pc", "xfer"),
              (std::vector<std::string>{"16 13 04 00 00 C2 01 00 03 F3", "16 11 00 00 03 2A", "16 1B 00 00 03 34"}));
    std::vector<long long> times;
    for (const auto& e : sim->ReadLog())
        if (e.dir == "pc")
            times.push_back(e.t);
    ASSERT_EQ(times.size(), 6u);
    // Lower bounds with room for a busy machine; without the waits these
    // gaps are a few milliseconds.
    EXPECT_GE(times[2] - times[1], 60);  // after the broadcast: 80 ms
    EXPECT_GE(times[3] - times[2], 35);  // after "|p": 50 ms
    // Nothing else went out: no stray byte, nothing at the wrong speed.
    EXPECT_TRUE(sim->Frames("pc", "garbage").empty());
    EXPECT_TRUE(sim->Frames("pc", "noise").empty());
}

TEST_F(Session, EnterFailsForADeviceWithoutCard)
{
    Start({"--device", "id=6"});
    devices.id = 6;
    EXPECT_FALSE(ope.EnterTransferMode());
    EXPECT_EQ(selk.readTimeoutConstant(), 80);
    devices.id = 9;  // nobody
    EXPECT_FALSE(ope.EnterTransferMode());
}

TEST_F(Session, LeavingWithTwoDevicesWaitsSixSeconds)
{
    Start({"--device", "id=6"});
    devices.count = 2;
    ASSERT_TRUE(Enter());
    const uint32_t start = platform::GetTickCount();
    EXPECT_TRUE(ope.LeaveTransferMode());
    EXPECT_GE(platform::TicksSince(start), 6000u);
}

TEST_F(Session, CardStatesFromTheStatusBytes)
{
    struct Case {
        const char* status;
        bool cardUsable;
        int block;
    } cases[] = {{"00000028", false, 1024}, {"00010029", true, 4096}, {"00050041", true, 4096},
                 {"00010006", true, 128},   {"00010000", true, 0},     {"00010101", true, 4096}};
    for (const Case& c : cases) {
        Start({}, std::string("id=4,status=") + c.status);
        ASSERT_TRUE(Enter()) << c.status;
        EXPECT_EQ((ope.status()[1] & 0x03) != 0, c.cardUsable) << c.status;
        EXPECT_EQ(FileOpe::BlockSizeFromStatus(ope.status()[3]), c.block) << c.status;
        if (!c.cardUsable) {
            platform::FindData fd;
            EXPECT_EQ(ope.FindFirst(0, "M:\\*.*", &fd), 0);
        }
        if (ope.status()[2] != 0) {  // unformatted: nothing to list until formatted
            platform::FindData fd;
            EXPECT_EQ(ope.FindFirst(0, "M:\\*.*", &fd), 0);
            EXPECT_TRUE(ope.Format());
            EXPECT_TRUE(ope.GetStatus());
            EXPECT_EQ(ope.status()[2], 0);
            EXPECT_TRUE(fs::is_empty(card));
        }
        if (ope.status()[1] & 0x04) {  // locked
            EXPECT_FALSE(ope.MakeDir("M:\\X"));
        }
        EXPECT_TRUE(ope.LeaveTransferMode());
        selk.Close();
    }
}

TEST_F(Session, InjectedFaultsAreSurvivedThroughTheRetries)
{
    // Each fault hits the 2nd READ reply once; the read still completes.
    const char* faults[] = {"corrupt,cmd=0x3F,nth=2", "drop,cmd=0x3F,nth=2", "cut,cmd=0x3F,nth=2,arg=100",
                            "refuse,cmd=0x3F,nth=2,arg=1", "long,cmd=0x3F,nth=2,arg=3", "badheader,cmd=0x3F,nth=2"};
    for (const char* fault : faults) {
        Start({"--fault", fault});
        ASSERT_TRUE(Enter()) << fault;
        EXPECT_EQ(ReadCardFile("M:\\DCIM\\100CAM\\IMG_0002.JPG", 4096 * 3, 4096), Pattern(4096 * 3, 2)) << fault;
        EXPECT_TRUE(ope.LeaveTransferMode()) << fault;
        selk.Close();
    }
}

TEST_F(Session, FinalRefusalAndAClosedLineEndOperations)
{
    {
        Start({"--fault", "refuse,cmd=0x3D,arg=5"});
        ASSERT_TRUE(Enter());
        uint8_t error = 0;
        const uint32_t start = platform::GetTickCount();
        EXPECT_EQ(ope.Open("M:\\DCIM\\100CAM\\IMG_0001.JPG", kOpenRead, error), 0u);
        EXPECT_EQ(error, 0xFF);
        EXPECT_LT(platform::TicksSince(start), 1000u);  // no retries
        EXPECT_TRUE(ope.LeaveTransferMode());
        selk.Close();
    }
    {
        Start({"--fault", "close,cmd=0x11"});
        ASSERT_TRUE(ope.EnterTransferMode());
        ASSERT_TRUE(ope.SetTransferRate(115200));
        const uint32_t start = platform::GetTickCount();
        EXPECT_FALSE(ope.GetStatus());
        EXPECT_NE(ope.fileIO().lastResult(), XFER_OK);
        EXPECT_LT(platform::TicksSince(start), 8000u);
    }
}

// The emulator is killed in the middle of a card session: every operation
// fails with a result code, within the retry and recovery limits.
TEST_F(Session, VanishedDeviceMidSessionGivesFailuresWithoutHanging)
{
    Start();
    ASSERT_TRUE(Enter());
    ope.SetAttemptCount(1);
    sim->Kill();
    const uint32_t start = platform::GetTickCount();
    EXPECT_FALSE(ope.GetStatus());
    EXPECT_NE(ope.fileIO().lastResult(), XFER_OK);
    EXPECT_EQ(ope.status(), (std::array<uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_FALSE(ope.LeaveTransferMode());  // END goes unanswered three times
    EXPECT_LT(platform::TicksSince(start), 9000u);
    EXPECT_EQ(selk.readTimeoutConstant(), 80);
    const uint8_t sense[7] = {0x7C, 0x4E, 0x20, 0, 0, 0, 0};
    selk.SetCommand(4, sense);
    const int result = selk.Transact();
    EXPECT_TRUE(result == SELK_ERR_NOREPLY || result == SELK_ERR_WRITE) << result;
}

TEST(RegistryDeviceSelection, ReadsTheDialogsValues)
{
    SelkSimProcess tmp;
    const std::string reg = tmp.tempDir() + "/machine.reg";
    RegistryDeviceSelection sel(reg);
    EXPECT_EQ(sel.CurrentDeviceID(), 0);
    EXPECT_EQ(sel.DeviceCount(), 0);
    EXPECT_EQ(sel.TransferRate(), 115200);
    CSelkReg r(reg);
    ASSERT_TRUE(r.WriteValue("INIT", "CurID", 12));
    ASSERT_TRUE(r.WriteValue("INIT", "DEVICES", 2));
    ASSERT_TRUE(r.WriteValue("INIT", "BAUDRATE", 38400));
    EXPECT_EQ(sel.CurrentDeviceID(), 12);
    EXPECT_EQ(sel.DeviceCount(), 2);
    EXPECT_EQ(sel.TransferRate(), 38400);
    ASSERT_TRUE(r.WriteValue("INIT", "BAUDRATE", 1234));
    EXPECT_EQ(sel.TransferRate(), 115200);
}
