// The emulator seen from the PC side of the line, through raw bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "testing/SelkSimProcess.h"

using selksim::SelkSimProcess;

namespace {

uint8_t Sum(const std::vector<uint8_t>& f)
{
    unsigned s = 0;
    for (int i = 0; i < 10; ++i)
        s += f[i];
    return static_cast<uint8_t>((0u - s) & 0x7F);
}

std::vector<uint8_t> Frame(int id, std::vector<uint8_t> cmd)
{
    std::vector<uint8_t> f = {0xFF, 0xFF, static_cast<uint8_t>(id)};
    cmd.resize(7);
    f.insert(f.end(), cmd.begin(), cmd.end());
    f.push_back(Sum(f));
    return f;
}

// A bare PC side: opens the link raw and exchanges bytes.
struct Pc {
    explicit Pc(const std::string& path)
    {
        fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            termios t{};
            tcgetattr(fd, &t);
            cfmakeraw(&t);
            cfsetspeed(&t, B9600);
            tcsetattr(fd, TCSANOW, &t);
        }
    }
    ~Pc()
    {
        if (fd >= 0)
            close(fd);
    }
    void Send(const std::vector<uint8_t>& bytes) { ASSERT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    std::vector<uint8_t> Receive(size_t want, int timeoutMs)
    {
        std::vector<uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (out.size() < want) {
            uint8_t buf[64];
            const ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) {
                out.insert(out.end(), buf, buf + n);
                continue;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                break;
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, static_cast<int>(left));
        }
        return out;
    }
    int fd = -1;
};

}  // namespace

TEST(SelkSimBus, AnswersItsDevicesAndNothingElse)
{
    SelkSimProcess sim({"--device", "id=5,name=CAM", "--device", "id=6,power=off"});
    ASSERT_TRUE(sim.Start()) << sim.startError();
    Pc pc(sim.linkPath());
    ASSERT_GE(pc.fd, 0);

    pc.Send(Frame(5, {0x7C, 0x4E, 0x20}));
    auto reply = pc.Receive(11, 1000);
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[0], 0xFC);
    EXPECT_EQ(reply[2], 5);
    EXPECT_EQ(reply[3], 0x03);
    EXPECT_EQ(reply[4], 1);  // on
    EXPECT_EQ(reply[10], Sum(reply));

    pc.Send(Frame(6, {0x7C, 0x4E, 0x20}));
    reply = pc.Receive(11, 1000);
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[4], 0);  // off

    // Unknown command: refused with status 1.
    pc.Send(Frame(5, {0x12, 0x34}));
    reply = pc.Receive(11, 1000);
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[3], 0x01);

    // Absent IDs and broadcasts get no answer.
    for (int id : {9, 100, 127}) {
        pc.Send(Frame(id, {0x7C, 0x4E, 0x20}));
        EXPECT_TRUE(pc.Receive(1, 150).empty()) << id;
    }
}

TEST(SelkSimBus, SkipsGarbageAndFindsTheNextFrame)
{
    SelkSimProcess sim({"--device", "id=5"});
    ASSERT_TRUE(sim.Start()) << sim.startError();
    Pc pc(sim.linkPath());
    std::vector<uint8_t> bytes = {0x01, 0xFF, 0x02, 0xFF, 0xFF, 0x05};  // noise and a half frame
    auto good = Frame(5, {0x7C, 0x49});
    bytes.insert(bytes.end(), good.begin(), good.end());
    pc.Send(bytes);
    auto reply = pc.Receive(11, 1000);
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[2], 5);
    EXPECT_EQ(reply[3], 0x03);
    // A frame with a wrong checksum is ignored.
    auto bad = Frame(5, {0x7C, 0x49});
    bad[10] ^= 1;
    pc.Send(bad);
    EXPECT_TRUE(pc.Receive(1, 150).empty());
}

TEST(SelkSimBus, ChangesItsIdAndKeepsTheLineAcrossReopen)
{
    SelkSimProcess sim({"--device", "id=3"});
    ASSERT_TRUE(sim.Start()) << sim.startError();
    {
        Pc pc(sim.linkPath());
        pc.Send(Frame(3, {0x7C, 0x41, 0x07}));
        ASSERT_EQ(pc.Receive(11, 1000).size(), 11u);
        termios t{};
        tcgetattr(pc.fd, &t);
        cfsetspeed(&t, B19200);
        tcsetattr(pc.fd, TCSANOW, &t);
    }
    // The emulator holds the line: a second open sees the settings left.
    int fd = open(sim.linkPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios t{};
    tcgetattr(fd, &t);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    close(fd);
    Pc pc(sim.linkPath());
    pc.Send(Frame(7, {0x7C, 0x4E, 0x20}));
    auto reply = pc.Receive(11, 1000);
    ASSERT_EQ(reply.size(), 11u);
    EXPECT_EQ(reply[2], 7);
}

TEST(SelkSimBus, LogsBothDirectionsAsJsonLines)
{
    SelkSimProcess sim({"--device", "id=1"});
    ASSERT_TRUE(sim.Start()) << sim.startError();
    Pc pc(sim.linkPath());
    pc.Send(Frame(1, {0x7C, 0x4E, 0x20}));
    ASSERT_EQ(pc.Receive(11, 1000).size(), 11u);
    usleep(20000);
    const auto sent = sim.Frames("pc", "selk");
    const auto answered = sim.Frames("dev", "selk");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "FF FF 01 7C 4E 20 00 00 00 00 17");
    ASSERT_EQ(answered.size(), 1u);
    EXPECT_EQ(answered[0], "FC FF 01 03 01 00 00 00 00 00 00");
}

TEST(SelkSimBus, PacesRepliesAtTheLineRate)
{
    SelkSimProcess sim({"--device", "id=1"}, /*pacing=*/true);
    ASSERT_TRUE(sim.Start()) << sim.startError();
    Pc pc(sim.linkPath());
    const auto start = std::chrono::steady_clock::now();
    pc.Send(Frame(1, {0x7C, 0x4E, 0x20}));
    ASSERT_EQ(pc.Receive(11, 1000).size(), 11u);
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    // 11 bytes in and 11 out at 9600 bit/s, 11 bits a byte: about 25 ms.
    EXPECT_GE(took, 23);
}

TEST(SelkSimBus, CloseFaultEndsTheLine)
{
    SelkSimProcess sim({"--device", "id=1", "--fault", "close,nth=2"});
    ASSERT_TRUE(sim.Start()) << sim.startError();
    Pc pc(sim.linkPath());
    pc.Send(Frame(1, {0x7C, 0x4E, 0x20}));
    ASSERT_EQ(pc.Receive(11, 1000).size(), 11u);
    pc.Send(Frame(1, {0x7C, 0x4E, 0x20}));
    EXPECT_TRUE(pc.Receive(11, 300).empty());
    for (int i = 0; i < 100 && !sim.Exited(); ++i)
        usleep(10000);
    EXPECT_TRUE(sim.Exited());
    EXPECT_FALSE(std::filesystem::exists(sim.linkPath()));
}

TEST(SelkSimBus, IgnoresAPcAtAnotherSpeed)
{
    SelkSimProcess sim({"--device", "id=1"});
    ASSERT_TRUE(sim.Start()) << sim.startError();
    Pc pc(sim.linkPath());
    termios t{};
    tcgetattr(pc.fd, &t);
    cfsetspeed(&t, B115200);
    tcsetattr(pc.fd, TCSANOW, &t);
    pc.Send(Frame(1, {0x7C, 0x4E, 0x20}));
    EXPECT_TRUE(pc.Receive(1, 200).empty());
}

TEST(SelkSimBus, BadCommandLineIsReported)
{
    SelkSimProcess sim({"--device", "id=500"});
    EXPECT_FALSE(sim.Start());
    EXPECT_NE(sim.startError().find("bad device option"), std::string::npos) << sim.startError();
}

namespace {

std::vector<uint8_t> Hex(const std::string& text)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < text.size(); i += 3)
        out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return out;
}

void SetSpeed(int fd, speed_t speed)
{
    termios t{};
    tcgetattr(fd, &t);
    cfsetspeed(&t, speed);
    tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

// The device side of the mode switch and of the file-transfer frames, byte
// for byte, with frames written out by hand rather than by any client code.
TEST(SelkSimBus, PlaysTheModeSwitchAndTransferFramesByteForByte)
{
    char tmpl[] = "/tmp/simswitch-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string card = tmpl;
    {
        SelkSimProcess sim({"--device", "id=4,card=" + card});
        ASSERT_TRUE(sim.Start()) << sim.startError();
        Pc pc(sim.linkPath());
        ASSERT_GE(pc.fd, 0);

        // "|p" before the device was prepared: refused.
        pc.Send(Hex("FF FF 04 7C 70 53 58 46 50 31 20"));
        auto reply = pc.Receive(11, 1000);
        ASSERT_EQ(reply.size(), 11u);
        EXPECT_EQ(reply[3], 0x01);

        pc.Send(Hex("FF FF 04 7C 56 70 00 00 00 00 3C"));  // "|Vp"
        reply = pc.Receive(11, 1000);
        ASSERT_EQ(reply.size(), 11u);
        EXPECT_EQ(reply[3], 0x03);
        pc.Send(Hex("FF FF 7F 7C 4F 03 00 00 00 00 35"));  // "|O" 03 to everyone
        EXPECT_TRUE(pc.Receive(1, 150).empty());
        pc.Send(Hex("FF FF 04 7C 70 53 58 46 50 31 20"));  // "|p" SXFP1
        reply = pc.Receive(11, 1000);
        ASSERT_EQ(reply.size(), 11u);
        EXPECT_EQ(reply[3], 0x03);

        // File-transfer frames at 9600 bit/s.
        pc.Send(Hex("16 00 00 00 03 19"));  // NOP
        EXPECT_EQ(pc.Receive(6, 1000), Hex("16 06 00 00 03 1F"));
        pc.Send(Hex("16 11 00 00 03 2A"));  // GET STATUS
        EXPECT_EQ(pc.Receive(10, 1000), Hex("16 06 04 00 00 01 00 01 03 25"));
        pc.Send(Hex("16 11 00 00 03 2B"));  // wrong sum: ignored
        EXPECT_TRUE(pc.Receive(1, 700).empty());
        pc.Send(Hex("16 13 04 00 00 C2 01 00 03 F3"));  // SET RATE 115200, answered at 9600
        EXPECT_EQ(pc.Receive(6, 1000), Hex("16 06 00 00 03 1F"));
        SetSpeed(pc.fd, B115200);
        pc.Send(Hex("16 00 00 00 03 19"));
        EXPECT_EQ(pc.Receive(6, 1000), Hex("16 06 00 00 03 1F"));
        pc.Send(Hex("16 1B 00 00 03 34"));  // END
        EXPECT_EQ(pc.Receive(6, 1000), Hex("16 06 00 00 03 1F"));

        // Back in device-control mode at 9600 bit/s.
        SetSpeed(pc.fd, B9600);
        pc.Send(Hex("FF FF 04 7C 4E 20 00 00 00 00 14"));  // "|N "
        EXPECT_EQ(pc.Receive(11, 1000), Hex("FC FF 04 03 01 00 00 00 00 00 7D"));
    }
    std::filesystem::remove_all(card);
}

// The link path may hold a stale link from an earlier run, which is replaced;
// anything else there is left alone and the emulator does not start.
TEST(SelkSimBus, ReplacesAStaleLinkButNeverAFile)
{
    {
        SelkSimProcess sim({"--device", "id=1"});
        { std::ofstream(sim.linkPath()) << "keep me"; }
        EXPECT_FALSE(sim.Start());
        EXPECT_NE(sim.startError().find("not a link"), std::string::npos) << sim.startError();
        std::ifstream in(sim.linkPath());
        std::string text;
        std::getline(in, text);
        EXPECT_EQ(text, "keep me");
    }
    {
        SelkSimProcess sim({"--device", "id=1"});
        ASSERT_EQ(symlink("/nonexistent/pts/99", sim.linkPath().c_str()), 0);
        ASSERT_TRUE(sim.Start()) << sim.startError();
        Pc pc(sim.linkPath());
        pc.Send(Frame(1, {0x7C, 0x4E, 0x20}));
        EXPECT_EQ(pc.Receive(11, 1000).size(), 11u);
    }
}
