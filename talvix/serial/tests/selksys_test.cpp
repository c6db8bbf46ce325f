#include "talvix/serial/SelkSys.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "platform/Pump.h"
#include "tools/selksim/testing/SelkSimProcess.h"

using namespace talvix;
using selksim::SelkSimProcess;

namespace {

struct Bus {
    explicit Bus(std::vector<std::string> args) : sim(std::move(args)), sys(io) {}
    bool Open() { return sim.Start() && io.OpenPath(sim.linkPath(), 1) && io.Setup(); }
    // Frames the PC sent whose command bytes start with `prefix` (hex text).
    size_t Sent(const std::string& prefix)
    {
        usleep(20000);
        size_t n = 0;
        for (const std::string& f : sim.Frames("pc"))
            if (f.compare(9, prefix.size(), prefix) == 0)
                ++n;
        return n;
    }
    SelkSimProcess sim;
    CSelkIO io;
    SelkSys sys;
};

}  // namespace

TEST(SelkSys, SetIdAcceptsOneToNinetyNine)
{
    CSelkIO io;
    SelkSys sys(io);
    EXPECT_EQ(sys.currentID(), 0);
    EXPECT_TRUE(sys.SetID(12));
    for (int id : {0, 100, -3})
        EXPECT_FALSE(sys.SetID(id));
    EXPECT_EQ(sys.currentID(), 12);
    EXPECT_TRUE(sys.SetID(99));
    EXPECT_EQ(sys.currentID(), 99);
}

TEST(SelkSys, ChangeIdPutsTheExactFrameOnTheLine)
{
    Bus bus({"--device", "id=3"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    EXPECT_TRUE(bus.sys.ChangeID(3, 7));
    usleep(20000);
    const auto frames = bus.sim.Frames("pc");
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], "FF FF 03 7C 41 07 00 00 00 00 3B");
    EXPECT_TRUE(bus.sys.Ping(7));
    EXPECT_FALSE(bus.sys.Ping(3));
}

TEST(SelkSys, DeviceThatIsOnNeedsOneCommand)
{
    Bus bus({"--device", "id=4,power=on"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    EXPECT_TRUE(bus.sys.EnsurePowerOn(4));
    EXPECT_EQ(bus.sim.Frames("pc").size(), 1u);
    EXPECT_FALSE(bus.sys.EnsurePowerOn(5));  // nobody there
    EXPECT_FALSE(bus.sys.EnsurePowerOn(120));  // broadcast IDs never answer
}

TEST(SelkSys, EnsurePowerOnSwitchesADeviceOn)
{
    Bus bus({"--device", "id=4,power=off,delay=3"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    EXPECT_TRUE(bus.sys.EnsurePowerOn(4));
    EXPECT_FALSE(systemCommandBusy.load());
    EXPECT_EQ(bus.sys.currentID(), 4);
    EXPECT_EQ(bus.Sent("7C 4E 20"), 1u);
    EXPECT_EQ(bus.Sent("3E 40 70"), 1u);
    EXPECT_EQ(bus.Sent("3E 4E 20"), 1u + 4u);  // the check, then three "off" polls and one "on"
    EXPECT_TRUE(bus.sys.EnsurePowerOn(4));
}

TEST(SelkSys, SwitchOnGivesUpAfter202Polls)
{
    Bus bus({"--device", "id=4,power=off,delay=never"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    EXPECT_FALSE(bus.sys.EnsurePowerOn(4));
    EXPECT_FALSE(systemCommandBusy.load());
    EXPECT_EQ(bus.Sent("3E 4E 20"), 1u + 202u);
}

TEST(SelkSys, PowerOffAndOnWithoutWaiting)
{
    Bus bus({"--device", "id=8,power=on"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    ASSERT_TRUE(bus.sys.SetID(8));
    // Every wait inside a power command sees the flag raised.
    int waits = 0, flagged = 0;
    auto previous = platform::SetThreadPumpHook([&](int fd, short events, int ms) {
        ++waits;
        flagged += systemCommandBusy.load() ? 1 : 0;
        return platform::DefaultWait(fd, events, ms);
    });
    EXPECT_TRUE(bus.sys.Power(false, true));
    EXPECT_TRUE(bus.sys.Power(true, false));
    platform::SetThreadPumpHook(previous);
    EXPECT_GT(waits, 0);
    EXPECT_EQ(flagged, waits);
    EXPECT_EQ(bus.Sent("3E 40 60"), 1u);
    EXPECT_EQ(bus.Sent("3E 40 70"), 1u);
    ASSERT_TRUE(bus.sys.SetID(9));
    EXPECT_FALSE(bus.sys.Power(true, false));  // absent
    EXPECT_FALSE(systemCommandBusy.load());
}

TEST(SelkSys, ReadDeviceInfoNames)
{
    struct Case {
        std::string name;
        size_t nameCommands;  // "|M" sent?
    } cases[] = {{"ABC", 0}, {"ABCDEF", 1}, {"ABCDEFGHIJKL", 1}, {"ABCDEFGH", 1}};
    for (const Case& c : cases) {
        Bus bus({"--device", "id=11,ident=30:31:32:33:34:35,ident2=40:41:42:43:44:45,name=" + c.name});
        ASSERT_TRUE(bus.Open()) << bus.sim.startError();
        std::array<uint8_t, 27> record;
        record.fill(0xEE);
        record[0] = 11;
        EXPECT_TRUE(bus.sys.ReadDeviceInfo(DeviceRecord(record.data(), kDeviceRecordSize))) << c.name;
        EXPECT_EQ(record[1], 0x30);
        EXPECT_EQ(record[6], 0x35);
        EXPECT_EQ(record[7], 0x40);
        EXPECT_EQ(record[12], 0x45);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 13)), c.name);
        if (c.name.size() == 12) {
            EXPECT_EQ(record[25], 0);
        }
        EXPECT_EQ(record[26], 0xEE);  // never beyond the record
        EXPECT_EQ(bus.Sent("7C 4D"), c.nameCommands) << c.name;
    }
}

TEST(SelkSys, ReadDeviceInfoStopsAtTheFirstFailure)
{
    // "|M" (7C 4D) is never answered: the name keeps its first six characters.
    Bus bus({"--device", "id=11,name=ABCDEFGHIJ", "--fault", "drop,id=11,cmd=0x7C4D"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    std::array<uint8_t, 26> record;
    record.fill(0xEE);
    record[0] = 11;
    EXPECT_FALSE(bus.sys.ReadDeviceInfo(DeviceRecord(record.data(), kDeviceRecordSize)));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 13)), "ABCDEF");
    EXPECT_EQ(bus.Sent("7C 4D"), 5u);

    record[0] = 12;  // nobody there
    EXPECT_FALSE(bus.sys.ReadDeviceInfo(DeviceRecord(record.data(), kDeviceRecordSize)));
}

TEST(SelkSys, ReadDeviceInfoSwitchesAnOffDeviceOn)
{
    Bus bus({"--device", "id=2,power=off,delay=1,name=CAM"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    std::array<uint8_t, 26> record{};
    record[0] = 2;
    EXPECT_TRUE(bus.sys.ReadDeviceInfo(DeviceRecord(record.data(), kDeviceRecordSize)));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + 13)), "CAM");
    EXPECT_EQ(bus.Sent("3E 40 70"), 1u);
}

// Reading an off device's record, frame by frame as it goes on the line.
TEST(SelkSys, ReadDeviceInfoPutsTheseFramesOnTheLine)
{
    Bus bus({"--device", "id=4,power=off,delay=1,name=CAM"});
    ASSERT_TRUE(bus.Open()) << bus.sim.startError();
    std::array<uint8_t, 26> record{};
    record[0] = 4;
    ASSERT_TRUE(bus.sys.ReadDeviceInfo(DeviceRecord(record.data(), kDeviceRecordSize)));
    usleep(20000);
    EXPECT_EQ(bus.sim.Frames("pc"), (std::vector<std::string>{
                                        "FF FF 04 7C 4E 20 00 00 00 00 14",  // "|N ": off
                                        "FF FF 04 3E 4E 20 00 00 00 00 52",  // ">N ": off
                                        "FF FF 04 3E 40 70 00 00 00 00 10",  // ">@p"
                                        "FF FF 04 3E 4E 20 00 00 00 00 52",  // ">N ": still off
                                        "FF FF 04 3E 4E 20 00 00 00 00 52",  // ">N ": on
                                        "FF FF 04 7C 49 00 00 00 00 00 39",  // "|I"
                                        "FF FF 04 7C 45 00 00 00 00 00 3D",  // "|E"
                                        "FF FF 04 7C 4C 00 00 00 00 00 36",  // "|L": "CAM" and the end
                                    }));
}
