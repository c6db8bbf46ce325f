// Raw card entries: names no host file could have, listed, opened and read
// beside the host entries, and never changed by any command.
#include "RawEntries.h"
#include "SimCard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FrameLog.h"

namespace fs = std::filesystem;
using namespace selksim;

namespace {

TEST(RawEntriesFile, LinesAndMistakes)
{
    RawEntries raw;
    std::string error;
    ASSERT_TRUE(raw.Parse("# comment\n\n\\\t2E2E\t0x10\t0\n"
                          "dcim\\100\t412F42\t32\t7\t3\r\n"
                          "\\DCIM\t41004200\t0x20\t0x10\n",
                          error))
        << error;
    ASSERT_EQ(raw.In("").size(), 1u);
    EXPECT_EQ(raw.In("")[0]->name, "..");
    EXPECT_EQ(raw.In("")[0]->attributes, 0x10);
    ASSERT_EQ(raw.In("\\DCIM\\100").size(), 1u);
    const RawEntries::Entry& ab = *raw.In("\\DCIM\\100")[0];
    EXPECT_EQ(ab.name, "A/B");
    EXPECT_EQ(ab.size, 7u);
    EXPECT_EQ(ab.position, 3);
    const RawEntries::Entry* nul = raw.At(RawEntries::Key("\\dcim\\") + "\\" + std::string("A\0B\0", 4));
    ASSERT_NE(nul, nullptr);
    EXPECT_EQ(nul->size, 16u);
    EXPECT_EQ(nul->position, -1);
    // Paths that are, lie below or hold a raw entry.
    EXPECT_TRUE(raw.Meets("\\.."));
    EXPECT_TRUE(raw.Meets("\\DCIM"));
    EXPECT_TRUE(raw.Meets("\\DCIM\\100\\A/B\\X"));
    EXPECT_FALSE(raw.Meets("\\DCIM\\101"));
    EXPECT_FALSE(raw.Meets("\\DCIMX"));

    const char* bad[] = {
        "\\\t2E2E\t16\n",          // a field short
        "\\\t2E2\t16\t0\n",        // odd hex
        "\\\t2G\t16\t0\n",         // not hex
        "\\\t\t16\t0\n",           // no name
        "\\\t41\t256\t0\n",        // attribute out of range
        "\\\t41\t32\t-1\n",        // negative size
        "\\\t41\t32\t1\tX\n",      // bad position
        "\t41\t32\t1\n",           // no folder
        "\\\t41\t32\t1\t2\t3\n",   // a field too many
    };
    for (const char* line : bad) {
        error.clear();
        EXPECT_FALSE(raw.Parse(line, error)) << line;
        EXPECT_NE(error.find("line 1"), std::string::npos) << error;
        EXPECT_TRUE(raw.empty());
    }
}

class RawCardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/simraw-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        fs::create_directories(dir + "/card/sub");
        std::ofstream(dir + "/card/a.txt") << "hello";
        std::ofstream(dir + "/card/sub/b.txt") << "world";
        ASSERT_TRUE(log.Open(dir + "/log"));
    }
    void TearDown() override { fs::remove_all(dir); }

    void Card(const std::string& rawLines)
    {
        std::ofstream(dir + "/raw") << rawLines;
        DeviceSetup setup;
        std::string error;
        ASSERT_TRUE(ParseDevice("card=" + dir + "/card,raw=" + dir + "/raw", setup, error)) << error;
        card = std::make_unique<SimCard>(setup, log);
        ASSERT_TRUE(card->Load(error)) << error;
    }

    std::vector<uint8_t> Ask(uint8_t command, const std::string& payload, uint8_t expectCode = kXferAccepted)
    {
        uint8_t code = 0;
        std::vector<uint8_t> reply;
        card->Handle(command, reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), code, reply);
        EXPECT_EQ(code, expectCode) << int(command);
        return reply;
    }

    // Every FIND reply payload for a pattern.
    std::vector<std::vector<uint8_t>> Find(const std::string& pattern)
    {
        std::vector<std::vector<uint8_t>> out;
        auto r = Ask(0x4E, std::string(1, '\0') + pattern);
        if (r.empty() || r[0] == 0)
            return out;
        const uint8_t handle = r[0];
        while (!r.empty() && r[0] != 0) {
            out.push_back(r);
            r = Ask(0x4F, std::string(1, static_cast<char>(handle)));
        }
        Ask(0x50, std::string(1, static_cast<char>(handle)));
        return out;
    }

    std::vector<std::string> Names(const std::string& pattern)
    {
        std::vector<std::string> names;
        for (const auto& r : Find(pattern))
            names.emplace_back(r.begin() + 18, r.end());
        return names;
    }

    std::string Log() const
    {
        std::ifstream in(dir + "/log");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir;
    FrameLog log;
    std::unique_ptr<SimCard> card;
};

TEST_F(RawCardTest, ListedWhereAskedWithTheirExactBytes)
{
    std::string hex300;
    for (int i = 0; i < 300; ++i)
        hex300 += "58";
    Card("\\\t2E2E\t16\t0\n"
         "\\\t412F42\t32\t5\t1\n"
         "\\\t" + hex300 + "\t32\t9\n"
         "\\SUB\t41004200\t32\t3\t0\n");
    const auto root = Names("M:\\*.*");
    const std::string x300 = std::string(300, 'X');
    EXPECT_EQ(root, (std::vector<std::string>{"SIMCARD", "A/B", "A.TXT", "SUB", "..", x300}));
    // The 300-byte name makes a reply far longer than a client takes.
    const auto replies = Find("M:\\*.*");
    ASSERT_EQ(replies.size(), 6u);
    EXPECT_EQ(replies[5].size(), 18u + 300u);
    EXPECT_EQ(replies[1][1], 32);
    EXPECT_EQ(replies[1][14], 5);
    EXPECT_EQ(replies[4][1], 16);
    EXPECT_EQ(Names("M:\\sub\\*.*"), (std::vector<std::string>{std::string("A\0B\0", 4), ".", "..", "B.TXT"}));
    // The folder pattern narrows raw entries as it does host ones.
    EXPECT_EQ(Names("M:\\*.TXT"), (std::vector<std::string>{"A.TXT"}));
}

TEST_F(RawCardTest, RawFilesReadTheirPatternAndRawFoldersListTheirEntries)
{
    Card("\\\t412F42\t32\t30\n"
         "\\\t2E2E\t16\t0\n"
         "\\..\t2E\t32\t4\n"
         "\\..\t2F\t16\t0\n");
    auto open = Ask(0x3D, std::string("\0\x80M:\\a/b", 8));
    ASSERT_EQ(open.size(), 5u);
    EXPECT_EQ(open[0], 0);
    const std::string handle(open.begin() + 1, open.end());
    auto read = Ask(0x3F, handle + std::string("\x19\0\0\0\x10\0\0\0", 8));  // 16 bytes from 25
    ASSERT_EQ(read.size(), 8u + 5u);
    EXPECT_EQ(std::string(read.begin() + 8, read.end()), "ZABCD");
    EXPECT_EQ(RawEntries::PatternByte(25), 'Z');
    Ask(0x3E, handle);
    // ".." on this card is a folder of its own, not the parent.
    EXPECT_EQ(Names("M:\\..\\*.*"), (std::vector<std::string>{".", "/"}));
    EXPECT_TRUE(Names("M:\\..\\/\\*.*").empty());
    EXPECT_TRUE(Names("M:\\A/B\\*.*").empty());  // a file holds nothing
    open = Ask(0x3D, std::string("\0\x80M:\\..", 7));
    EXPECT_EQ(open[0], 3);  // a folder does not open
    open = Ask(0x3D, std::string("\0\x40M:\\A/B", 8));
    EXPECT_NE(open[0], 0);  // nor does a raw file for writing
    EXPECT_NE(Log().find("raw entry met: OPEN for writing"), std::string::npos);
}

TEST_F(RawCardTest, ChangesMeetingRawEntriesAreRefusedAndLogged)
{
    Card("\\\t2E2E\t16\t0\n"
         "\\SUB\t412F42\t32\t1\n");
    struct Case {
        uint8_t command;
        std::string payload;
        const char* event;
    };
    const Case cases[] = {
        {0x41, "M:\\..", "DELETE 4D 3A 5C 2E 2E"},
        {0x41, "M:\\SUB\\A/B", "DELETE"},
        {0x41, "M:\\SUB", "DELETE 4D 3A 5C 53 55 42"},  // holds a raw entry
        {0x56, std::string("M:\\SUB\\A/B\0M:\\SUB\\C", 19), "RENAME"},
        {0x56, std::string("M:\\A.TXT\0M:\\..", 14), "RENAME 4D 3A 5C 2E 2E"},
        {0x39, "M:\\..\\NEW", "MAKE DIR"},
        {0x43, std::string("\x01M:\\..", 6), "SET ATTRIBUTES"},
        {0x57, std::string(12, '\x21') + "M:\\SUB\\A/B", "SET DATE-TIME"},
    };
    for (const Case& c : cases) {
        Ask(c.command, c.payload, kXferRefused);
        EXPECT_NE(Log().find(std::string("raw entry met: ") + c.event), std::string::npos) << c.event;
    }
    EXPECT_TRUE(fs::exists(dir + "/card/sub"));
    EXPECT_TRUE(fs::exists(dir + "/card/a.txt"));
    // What meets no raw entry works as before.
    Ask(0x41, "M:\\SUB\\B.TXT");
    EXPECT_FALSE(fs::exists(dir + "/card/sub/b.txt"));
    Ask(0x56, std::string("M:\\A.TXT\0M:\\C.TXT", 17));
    EXPECT_TRUE(fs::exists(dir + "/card/C.TXT"));
}

TEST_F(RawCardTest, AMissingRawFileStopsTheCard)
{
    DeviceSetup setup;
    std::string error;
    ASSERT_TRUE(ParseDevice("card=" + dir + "/card,raw=" + dir + "/none", setup, error)) << error;
    SimCard missing(setup, log);
    EXPECT_FALSE(missing.Load(error));
    EXPECT_NE(error.find("raw"), std::string::npos);
}

}  // namespace
