#include "talvix/serial/CComm.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Tick.h"
#include "tools/selksim/testing/RawPty.h"
#include "tools/selksim/testing/SelkSimProcess.h"

using namespace talvix;
using selksim::RawPty;
using selksim::SelkSimProcess;

namespace {

// A port map in a private registry file naming the emulator's line as COM2.
SerialPortMap MapWith(const SelkSimProcess& sim, int port, const std::string& path)
{
    SerialPortMap map(sim.tempDir() + "/machine.reg");
    EXPECT_TRUE(map.SetDevicePath(port, path));
    return map;
}

}  // namespace

TEST(CComm, PortNumbersOutsideOneToFourFailAtOnce)
{
    CComm comm;
    for (int port : {0, 5, -1}) {
        EXPECT_FALSE(comm.Open(port));
        EXPECT_EQ(comm.lastError(), 0u);
        EXPECT_EQ(comm.portNumber(), 0);
    }
}

TEST(CComm, MissingPortFailsWithErrorCode)
{
    SelkSimProcess sim;
    CComm comm;
    comm.SetPortMap(MapWith(sim, 1, sim.tempDir() + "/no-such-tty"));
    EXPECT_FALSE(comm.Open(1));
    EXPECT_EQ(comm.lastError(), static_cast<uint32_t>(ENOENT));
    EXPECT_FALSE(comm.IsOpen());
}

TEST(CComm, PortMapDefaultsToTtyS)
{
    SelkSimProcess sim;
    SerialPortMap map(sim.tempDir() + "/machine.reg");
    EXPECT_EQ(map.DevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(map.DevicePath(4), "/dev/ttyS3");
    EXPECT_EQ(map.DevicePath(5), "");
    ASSERT_TRUE(map.SetDevicePath(3, "/dev/ttyUSB0"));
    EXPECT_EQ(map.DevicePath(3), "/dev/ttyUSB0");
    EXPECT_EQ(map.DevicePath(2), "/dev/ttyS1");
}

TEST(CComm, PathThatIsNotATerminalIsRefused)
{
    SelkSimProcess sim;
    const std::string file = sim.tempDir() + "/plain";
    std::ofstream(file) << "x";
    CComm comm;
    EXPECT_FALSE(comm.OpenPath(file, 1));
    EXPECT_NE(comm.lastError(), 0u);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_FALSE(comm.OpenPath("/dev/null", 1));
}

TEST(CComm, OpensThroughThePortMapAndSetsTheLineUp)
{
    SelkSimProcess sim;
    ASSERT_TRUE(sim.Start()) << sim.startError();
    CComm comm;
    comm.SetPortMap(MapWith(sim, 2, sim.linkPath()));
    ASSERT_TRUE(comm.Open(2));
    EXPECT_EQ(comm.portNumber(), 2);
    ASSERT_TRUE(comm.Setup());
    EXPECT_EQ(comm.readTimeoutConstant(), 80);

    // What we asked for: 9600 8O1, raw, no flow control.
    const termios& want = comm.lineSettings();
    EXPECT_EQ(cfgetospeed(&want), static_cast<speed_t>(B9600));
    EXPECT_EQ(want.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(want.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_EQ(want.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(want.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(want.c_iflag & (INPCK | IXON | IXOFF), 0u);

    // What the pty holds: speed, CS8, raw, one stop bit.
    termios got{};
    ASSERT_EQ(tcgetattr(comm.fd(), &got), 0);
    EXPECT_EQ(cfgetospeed(&got), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetispeed(&got), static_cast<speed_t>(B9600));
    EXPECT_EQ(got.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(got.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(got.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(got.c_oflag & OPOST, 0u);

    // Close, reopen and set up again: the emulator keeps the settings, so the
    // second set-up asks for nothing the pty can still change.
    comm.Close();
    EXPECT_EQ(comm.portNumber(), 0);
    ASSERT_TRUE(comm.Open(2));
    EXPECT_TRUE(comm.Setup());

    ASSERT_TRUE(comm.SetBaudRate(115200));
    ASSERT_EQ(tcgetattr(comm.fd(), &got), 0);
    EXPECT_EQ(cfgetospeed(&got), static_cast<speed_t>(B115200));
    EXPECT_EQ(comm.lineSettings().c_cflag & PARENB, static_cast<tcflag_t>(PARENB));
    EXPECT_FALSE(comm.SetBaudRate(12345));
    ASSERT_EQ(tcgetattr(comm.fd(), &got), 0);
    EXPECT_EQ(cfgetospeed(&got), static_cast<speed_t>(B115200));
    EXPECT_TRUE(comm.SetReadTimeout(2000));
    EXPECT_EQ(comm.readTimeoutConstant(), 2000);
}

TEST(CComm, EveryOperationFailsOnAClosedPort)
{
    CComm comm;
    uint8_t buf[4] = {1, 2, 3, 4};
    EXPECT_FALSE(comm.Setup());
    EXPECT_FALSE(comm.SetBaudRate(9600));
    EXPECT_FALSE(comm.SetReadTimeout(80));
    EXPECT_FALSE(comm.Write(buf, 4));
    EXPECT_FALSE(comm.Read(buf, 4));
    EXPECT_EQ(comm.ReadAvailable(buf, 4), -1);
    comm.Close();  // harmless
}

class CCommRaw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(comm.OpenPath(pty.path(), 1));
        ASSERT_TRUE(comm.Setup());
    }
    RawPty pty;
    CComm comm;
};

TEST_F(CCommRaw, ShortReadFailsAfterTheReadLimitWithTheBytesThatCame)
{
    ASSERT_TRUE(pty.Write({1, 2, 3, 4, 5, 6, 7}));
    uint8_t buf[11] = {};
    const uint32_t start = platform::GetTickCount();
    EXPECT_FALSE(comm.Read(buf, 11));
    const uint32_t took = platform::TicksSince(start);
    EXPECT_EQ(comm.bytesRead(), 7);
    EXPECT_EQ(buf[6], 7);
    EXPECT_GE(took, 130u);   // 5 ms x 11 + 80
    EXPECT_LT(took, 1000u);
}

TEST_F(CCommRaw, ReadCollectsBytesArrivingInPieces)
{
    std::thread device([&] {
        pty.Write({1, 2, 3});
        usleep(20000);
        pty.Write({4, 5, 6, 7, 8, 9, 10, 11});
    });
    uint8_t buf[11] = {};
    EXPECT_TRUE(comm.Read(buf, 11));
    device.join();
    EXPECT_EQ(comm.bytesRead(), 11);
    EXPECT_EQ(buf[10], 11);
}

TEST_F(CCommRaw, WriteDiscardsWaitingInputAndSendsEveryByte)
{
    ASSERT_TRUE(pty.Write({9, 9, 9}));
    usleep(20000);
    std::vector<uint8_t> big(20000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint8_t> seen;
    std::thread device([&] { seen = pty.Read(5000, big.size()); });
    EXPECT_TRUE(comm.Write(big.data(), big.size()));
    device.join();
    EXPECT_EQ(seen, big);
    EXPECT_EQ(comm.lastError(), 0u);
    uint8_t buf[8];
    EXPECT_EQ(comm.ReadAvailable(buf, sizeof buf), 0);
}

TEST_F(CCommRaw, ReadAvailableTakesWhatWaitsUpToTheRoom)
{
    uint8_t buf[8] = {};
    EXPECT_EQ(comm.ReadAvailable(buf, sizeof buf), 0);
    EXPECT_EQ(comm.bytesRead(), 0);
    ASSERT_TRUE(pty.Write({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    ASSERT_TRUE(comm.WaitReadable(1000));
    usleep(10000);
    EXPECT_EQ(comm.ReadAvailable(buf, 4), 4);
    EXPECT_EQ(buf[3], 4);
    EXPECT_EQ(comm.ReadAvailable(buf, sizeof buf), 6);
    EXPECT_EQ(buf[5], 10);
}

TEST_F(CCommRaw, VanishedLineEndsReadsWithoutHanging)
{
    pty.Hangup();
    uint8_t buf[11];
    const uint32_t start = platform::GetTickCount();
    EXPECT_FALSE(comm.Read(buf, 11));
    EXPECT_LE(comm.ReadAvailable(buf, sizeof buf), 0);
    EXPECT_TRUE(comm.Write(buf, 11));
    EXPECT_LT(platform::TicksSince(start), 1000u);
}
