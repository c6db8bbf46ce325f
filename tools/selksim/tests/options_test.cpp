#include "SimOptions.h"

#include <gtest/gtest.h>

using namespace selksim;

TEST(SimOptions, DeviceSetups)
{
    DeviceSetup d;
    std::string error;
    ASSERT_TRUE(ParseDevice("id=7,cat=0x31,name=PRINTER,ident2=01:02:03,power=off,delay=4,notyet=2", d, error))
        << error;
    EXPECT_EQ(d.id, 7);
    EXPECT_EQ(d.identity1[0], 0x31);
    EXPECT_EQ(d.name, "PRINTER");
    EXPECT_EQ(d.identity2[2], 0x03);
    EXPECT_EQ(d.identity2[3], 0x00);
    EXPECT_FALSE(d.poweredOn);
    EXPECT_EQ(d.switchOnDelay, 4);
    EXPECT_EQ(d.notYetPolls, 2);

    const char* bad[] = {"id=0", "id=128", "name=THIRTEENCHARS", "power=maybe", "ident=0102030405060708",
                         "delay=-5", "cat=300", "speed=9", "id"};
    for (const char* text : bad) {
        DeviceSetup x;
        EXPECT_FALSE(ParseDevice(text, x, error)) << text;
    }
    DeviceSetup never;
    ASSERT_TRUE(ParseDevice("delay=never", never, error));
    EXPECT_EQ(never.switchOnDelay, -1);
}

TEST(SimOptions, FaultSetups)
{
    struct Case {
        const char* text;
        FaultKind kind;
        int id, command, nth, count, arg;
    } cases[] = {
        {"short,id=5,arg=7", FaultKind::Cut, 5, -1, 1, 0, 7},
        {"badsum,nth=3", FaultKind::BadChecksum, -1, -1, 3, 1, 0},
        {"drop,cmd=0x3F,nth=2,count=4", FaultKind::Drop, -1, 0x3F, 2, 4, 0},
        {"delay,arg=300", FaultKind::Delay, -1, -1, 1, 0, 300},
        {"refuse,arg=5,nth=1", FaultKind::Refuse, -1, -1, 1, 1, 5},
    };
    for (const Case& c : cases) {
        FaultSetup f;
        std::string error;
        ASSERT_TRUE(ParseFault(c.text, f, error)) << c.text << ": " << error;
        EXPECT_EQ(f.kind, c.kind) << c.text;
        EXPECT_EQ(f.id, c.id) << c.text;
        EXPECT_EQ(f.command, c.command) << c.text;
        EXPECT_EQ(f.nth, c.nth) << c.text;
        EXPECT_EQ(f.count, c.count) << c.text;
        EXPECT_EQ(f.arg, c.arg) << c.text;
    }
    FaultSetup f;
    std::string error;
    for (const char* bad : {"explode", "drop,id=x", "drop,nth=0", "drop,when=1", "drop,id"})
        EXPECT_FALSE(ParseFault(bad, f, error)) << bad;
}

TEST(SimOptions, CommandLineNeedsALink)
{
    Options o;
    std::string error;
    const char* argv1[] = {"selksim", "--device", "id=3"};
    EXPECT_FALSE(ParseOptions(3, const_cast<char**>(argv1), o, error));
    Options o2;
    const char* argv2[] = {"selksim", "--link", "/tmp/x", "--no-pacing", "--device", "id=3", "--fault", "drop"};
    ASSERT_TRUE(ParseOptions(8, const_cast<char**>(argv2), o2, error)) << error;
    EXPECT_FALSE(o2.pacing);
    EXPECT_EQ(o2.devices.size(), 1u);
    EXPECT_EQ(o2.faults.size(), 1u);
    Options o3;
    const char* argv3[] = {"selksim", "--link"};
    EXPECT_FALSE(ParseOptions(2, const_cast<char**>(argv3), o3, error));
}
