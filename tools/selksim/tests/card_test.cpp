// The emulated card on its own: requests in, replies out, host folder behind.
#include "SimCard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "FrameLog.h"
#include "platform/Cp932.h"

namespace fs = std::filesystem;
using namespace selksim;

namespace {

class CardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/simcard-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override { fs::remove_all(dir); }

    void Touch(const std::string& name, const std::string& content = "x")
    {
        std::ofstream(dir + "/" + name) << content;
    }

    SimCard& Card(const std::string& device = "")
    {
        DeviceSetup setup;
        std::string error;
        EXPECT_TRUE(ParseDevice("card=" + dir + (device.empty() ? "" : "," + device), setup, error)) << error;
        card = std::make_unique<SimCard>(setup, log);
        EXPECT_TRUE(card->Load(error)) << error;
        return *card;
    }

    std::vector<uint8_t> Ask(uint8_t command, const std::string& payload, uint8_t expectCode = kXferAccepted)
    {
        uint8_t code = 0;
        std::vector<uint8_t> reply;
        card->Handle(command, reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), code, reply);
        EXPECT_EQ(code, expectCode) << int(command) << " " << payload;
        return reply;
    }

    // Names listed by FIND FIRST / NEXT for a pattern.
    std::vector<std::string> Names(const std::string& pattern)
    {
        std::vector<std::string> names;
        auto r = Ask(0x4E, std::string(1, '\0') + pattern);
        if (r.empty() || r[0] == 0)
            return names;
        const uint8_t handle = r[0];
        while (!r.empty() && r[0] != 0) {
            names.emplace_back(r.begin() + 18, r.end());
            r = Ask(0x4F, std::string(1, static_cast<char>(handle)));
        }
        Ask(0x50, std::string(1, static_cast<char>(handle)));
        return names;
    }

    std::string dir;
    FrameLog log;
    std::unique_ptr<SimCard> card;
};

}  // namespace

TEST_F(CardTest, LongNamesGetNumberedAliases)
{
    Touch("My Photo 1.jpeg");
    Touch("My Photo 2.jpeg");
    Touch("readme.txt");
    Card();
    const auto names = Names("M:\\*.*");
    EXPECT_EQ(names, (std::vector<std::string>{"SIMCARD", "MYPHOT~1.JPG", "MYPHOT~2.JPG", "README.TXT"}));
    EXPECT_EQ(Names("M:\\*.TXT"), (std::vector<std::string>{"README.TXT"}));
    // Names are found without regard to case.
    auto open = Ask(0x3D, std::string("\0\x80M:\\myphot~2.jpg", 17));
    ASSERT_EQ(open.size(), 5u);
    EXPECT_EQ(open[0], 0);
}

TEST_F(CardTest, DoubleByteNamesWithABackslashTrailByte)
{
    // U+8868 is 0x95 0x5C in CP932: its second byte looks like "\".
    const std::string cp = platform::ToCp932("\u8868");
    ASSERT_EQ(cp, std::string("\x95\x5C"));
    fs::create_directories(dir + "/\u8868");
    Touch("\u8868/a.jpg", "hello");
    Card();
    EXPECT_EQ(Names("M:\\" + cp + "\\*.*"), (std::vector<std::string>{".", "..", "A.JPG"}));
    auto open = Ask(0x3D, std::string("\0\x80", 2) + "M:\\" + cp + "\\A.JPG");
    ASSERT_EQ(open.size(), 5u);
    EXPECT_EQ(open[0], 0);
    const std::string handle(open.begin() + 1, open.end());
    auto read = Ask(0x3F, handle + std::string("\0\0\0\0\x10\0\0\0", 8));
    ASSERT_EQ(read.size(), 8u + 5u);
    EXPECT_EQ(std::string(read.begin() + 8, read.end()), "hello");
}

TEST_F(CardTest, PathsNeverLeaveTheCard)
{
    Card();
    for (const std::string& path : {std::string("M:\\..\\X"), std::string("M:\\.\\X"), std::string("M:\\A/B"),
                                    std::string("C:\\X"), std::string("M:X"), std::string("M:\\A\0B", 6)})
        Ask(0x39, path, kXferRefused);
    EXPECT_TRUE(fs::is_empty(dir));
    auto open = Ask(0x3D, std::string("\0\x40", 2) + "M:\\..\\EVIL.TXT");
    ASSERT_EQ(open.size(), 5u);
    EXPECT_NE(open[0], 0);
    EXPECT_FALSE(fs::exists(fs::path(dir).parent_path() / "EVIL.TXT"));
}

TEST_F(CardTest, AttributesAndReadOnly)
{
    Touch("a.txt");
    Card();
    Ask(0x43, std::string("\x01M:\\A.TXT"));
    struct stat st {};
    ASSERT_EQ(stat((dir + "/a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
    Ask(0x41, "M:\\A.TXT", kXferRefused);  // read-only
    auto open = Ask(0x3D, std::string("\0\x40M:\\A.TXT", 10));
    EXPECT_EQ(open[0], 5);
    Ask(0x43, std::string("\x22M:\\A.TXT"));  // hidden + archive
    auto find = Ask(0x4E, std::string("\0M:\\A.TXT", 9));
    ASSERT_GE(find.size(), 2u);
    EXPECT_EQ(find[1], 0x22);
    Ask(0x41, "M:\\A.TXT");
    EXPECT_FALSE(fs::exists(dir + "/a.txt"));
}

TEST_F(CardTest, NoCardAndLockedCard)
{
    Card("status=00000001");
    Ask(0x4E, std::string("\0M:\\*.*", 7), kXferRefused);
    auto status = Ask(0x11, "");
    EXPECT_EQ(status, (std::vector<uint8_t>{0, 0, 0, 1}));
    Card("status=00050001");
    Names("M:\\*.*");
    Ask(0x39, "M:\\NEW", kXferRefused);
    Ask(0x1F, "", kXferRefused);
}

TEST_F(CardTest, BadRequestsAreRefused)
{
    Card();
    Ask(0x3E, "\x01", kXferRefused);               // short CLOSE
    Ask(0x3E, std::string("\x09\0\0\0", 4), kXferRefused);  // unknown handle
    Ask(0x3F, std::string("\x09\0\0\0\0\0\0\0\0\0\0\0", 12), kXferRefused);
    Ask(0xC0, std::string("\0\0\0\0\x10\0\0\0", 8), kXferRefused);  // no WRITE before
    Ask(0x4F, "\x07", kXferRefused);
    Ask(0x77, "", kXferRefused);
    auto none = Ask(0x4E, std::string("\0M:\\NOSUCH\\*.*", 14));
    ASSERT_FALSE(none.empty());
    EXPECT_EQ(none[0], 0);
}

// Requests of every command with arbitrary payloads: each is answered or
// refused, and the emulator never reads or writes outside them.
TEST_F(CardTest, ArbitraryRequestsAreAnsweredOrRefused)
{
    Touch("a.txt", "hello");
    fs::create_directories(dir + "/sub");
    Card();
    const uint8_t commands[] = {0x00, 0x11, 0x1C, 0x36, 0x39, 0x3D, 0x3E, 0x3F, 0x40, 0xC0, 0x41,
                                0x43, 0x4E, 0x4F, 0x50, 0x56, 0x57, 0x9C, 0x1F, 0xEE};
    uint32_t seed = 77;
    auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<uint8_t>(seed >> 16);
    };
    const std::string prefixes[] = {"", "M:\\", "M:\\A.TXT", "M:\\SUB\\", std::string("\0\x80M:\\A.TXT", 10)};
    for (int round = 0; round < 400; ++round) {
        const uint8_t command = commands[next() % sizeof commands];
        std::string payload = prefixes[next() % 5];
        const size_t extra = next() % 24;
        for (size_t i = 0; i < extra; ++i)
            payload += static_cast<char>(next());
        uint8_t code = 0;
        std::vector<uint8_t> reply;
        card->Handle(command, reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), code, reply);
        EXPECT_TRUE(code == kXferAccepted || code == kXferRefused) << int(command);
        EXPECT_LE(reply.size(), 65535u);
    }
}
