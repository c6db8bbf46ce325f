#include "ToolRunner.h"
#include "talvix/serial/CSelkReg.h"
#include "talvix/serial/SerialPortMap.h"
#include "talvix/settings/MLang.h"
#include "tools/selksim/testing/SelkSimProcess.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace talvix;
using clitest::RunTool;

namespace {

std::string English(const char* key)
{
    MLang t;
    t.SetLanguage(MLang::kEnglish);
    t.LoadCaptionTable(std::string(SUITE_BIN_DIR) + "/tv10.cpt");
    return t.GetText(key);
}

// Sets TZ for the test and the programs it starts; restores it afterwards.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* tz)
    {
        if (const char* old = std::getenv("TZ")) {
            had_ = true;
            old_ = old;
        }
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ZoneGuard()
    {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
    bool had_ = false;
    std::string old_;
};

class Tvcard : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tvcardXXXXXX").string();
        dir_ = mkdtemp(tmpl.data());
        registry = dir_ + "/machine.reg";
        card = dir_ + "/card";
        pc = dir_ + "/pc";
        std::filesystem::create_directories(card);
        std::filesystem::create_directories(pc);
    }
    void TearDown() override
    {
        sim.reset();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // Starts the emulator with device 1 and stores it as the current device on port 1.
    void StartSim(const std::string& device = "id=1,cat=7,name=CAMERA", std::vector<std::string> more = {})
    {
        std::vector<std::string> args = {"--device", device + ",card=" + card};
        args.insert(args.end(), more.begin(), more.end());
        sim = std::make_unique<selksim::SelkSimProcess>(args);
        ASSERT_TRUE(sim->Start()) << sim->startError();
        SerialPortMap(registry).SetDevicePath(1, sim->linkPath());
        CSelkReg reg(registry);
        reg.WriteValue("INIT", "COM", 1);
        reg.WriteValue("INIT", "CurID", 1);
        reg.WriteValue("INIT", "DEVICES", 1);
        reg.WriteValue("INIT", "ID0", 1);
    }

    static void Write(const std::string& path, const std::string& bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void Stamp(const std::string& path)
    {
        tm t{};
        t.tm_year = 124;
        t.tm_mon = 2;
        t.tm_mday = 5;
        t.tm_hour = 10;
        t.tm_isdst = -1;
        const time_t when = mktime(&t);
        timespec times[2] = {{when, 0}, {when, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
    }

    std::string dir_, registry, card, pc;
    std::unique_ptr<selksim::SelkSimProcess> sim;
};

}  // namespace

TEST_F(Tvcard, UsageErrorsAndNoDevice)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"frobnicate"}, {"--port", "7", "ls"}, {"mv", "A"}, {"-y", "-n", "ls"},
          {"--rate", "1234", "ls"}}) {
        const auto r = RunTool(registry, args);
        EXPECT_EQ(r.status, 1) << (args.empty() ? "" : args[0]);
        EXPECT_NE(r.err.find("usage: tvcard"), std::string::npos);
    }
    // Asking for help is no error: the usage text on standard output, status 0.
    for (const char* help : {"--help", "-h"}) {
        const auto h = RunTool(registry, {"ls", help});
        EXPECT_EQ(h.status, 0) << help;
        EXPECT_NE(h.out.find("usage: tvcard"), std::string::npos) << help;
        EXPECT_TRUE(h.err.empty()) << help;
    }
    // Nothing stored: no port, no device.
    const auto r = RunTool(registry, {"ls"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(English("MSG_NODEV1")), std::string::npos);
}

TEST_F(Tvcard, ListsFoldersAndTheWholeCard)
{
    // Nine hours east of UTC: card times are shown as the card's local
    // wall-clock time, without any conversion, whatever the zone.
    ZoneGuard zone("JST-9");
    Write(card + "/DCIM/100/P1.JPG", "12345");
    Write(card + "/A.TXT", "abc");
    Stamp(card + "/A.TXT");
    Stamp(card + "/DCIM/100/P1.JPG");
    Stamp(card + "/DCIM/100");
    Stamp(card + "/DCIM");
    StartSim();

    auto r = RunTool(registry, {"ls", "/"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "-\t3\t2024-03-05 10:00:00\tA.TXT\n"
                     "d\t0\t2024-03-05 10:00:00\tDCIM\n");

    r = RunTool(registry, {"ls", "M:\\dcim\\100"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "-\t5\t2024-03-05 10:00:00\tP1.JPG\n");

    r = RunTool(registry, {"ls", "-R"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "M:\\:\n"
                     "-\t3\t2024-03-05 10:00:00\tA.TXT\n"
                     "d\t0\t2024-03-05 10:00:00\tDCIM\n"
                     "M:\\DCIM:\n"
                     "d\t0\t2024-03-05 10:00:00\t100\n"
                     "M:\\DCIM\\100:\n"
                     "-\t5\t2024-03-05 10:00:00\tP1.JPG\n");

    r = RunTool(registry, {"ls", "/NOPE"});
    EXPECT_EQ(r.status, 1);
}

TEST_F(Tvcard, GetAndPutCopyBothWays)
{
    Write(card + "/DCIM/100/P1.JPG", "card photo");
    Write(card + "/A.TXT", "card a");
    StartSim();

    auto r = RunTool(registry, {"get", "/DCIM/100", "\\A.TXT", pc});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(pc + "/100/P1.JPG"), "card photo");
    EXPECT_EQ(Read(pc + "/A.TXT"), "card a");
    EXPECT_TRUE(r.out.empty());

    // An existing PC file: without a terminal the answer is No; -y replaces it.
    Write(pc + "/A.TXT", "mine");
    r = RunTool(registry, {"get", "/A.TXT", pc});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(pc + "/A.TXT"), "mine");
    r = RunTool(registry, {"-y", "get", "/A.TXT", pc});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(pc + "/A.TXT"), "card a");

    Write(pc + "/up/My Photo.jpeg", "pc photo");
    r = RunTool(registry, {"put", pc + "/up", "/DCIM"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(card + "/DCIM/up/MYPHOT~1.JPG"), "pc photo");
    r = RunTool(registry, {"ls", "/DCIM/UP"});
    EXPECT_NE(r.out.find("\tMYPHOT~1.JPG\n"), std::string::npos);

    r = RunTool(registry, {"get", "/NOPE", pc});
    EXPECT_EQ(r.status, 1);
    r = RunTool(registry, {"put", pc + "/missing", "/"});
    EXPECT_EQ(r.status, 1);
}

TEST_F(Tvcard, EditCommands)
{
    Write(card + "/D/X.TXT", "x");
    Write(card + "/OLD.TXT", "o");
    StartSim();

    auto r = RunTool(registry, {"mkdir", "/NEWDIR"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_directory(card + "/NEWDIR"));

    r = RunTool(registry, {"mv", "/OLD.TXT", "new.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Read(card + "/NEW.TXT"), "o");

    r = RunTool(registry, {"mv", "/NEW.TXT", "a+b.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(English("MSG_WCHAR")), std::string::npos);
    r = RunTool(registry, {"mkdir", "/D"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(English("MSG_OWN")), std::string::npos);

    r = RunTool(registry, {"rm", "/D", "/NEW.TXT"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(card + "/D"));
    EXPECT_FALSE(std::filesystem::exists(card + "/NEW.TXT"));
    EXPECT_TRUE(std::filesystem::exists(card + "/NEWDIR"));
}

TEST_F(Tvcard, StatusAndCardErrors)
{
    Write(card + "/A.TXT", "abc");
    StartSim("id=1,status=00010028,label=HOLIDAY,free=100:8:512", {"--fault", "refuse,proto=xfer,cmd=0x3F,arg=5"});
    auto r = RunTool(registry, {"status"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "status\t00 01 00 28\nlocked\tno\nblock size\t1024\nlabel\tHOLIDAY\nfree\t409600\n");

    r = RunTool(registry, {"get", "/A.TXT", pc});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "error 0x3F01: " + English("MSG_COMERR") + " [3F]\n");
    EXPECT_FALSE(std::filesystem::exists(pc + "/A.TXT"));
}

TEST_F(Tvcard, UnformattedCardIsReported)
{
    StartSim("id=1,status=00010101");
    const auto r = RunTool(registry, {"ls"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "error 0x0007: " + English("MSG_NOFORMAT") + "\n");
}

TEST_F(Tvcard, ScanStoresWhatItFindsAndDevicesRechecks)
{
    StartSim("id=5,cat=7,name=CAMERA");
    CSelkReg reg(registry);
    reg.WriteValue("INIT", "COM", 0);
    reg.WriteValue("INIT", "ID3", 9);  // a stale entry
    auto r = RunTool(registry, {"--port", "1", "scan"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "05\t" + English("SG_MOVIE") + "\tCAMERA\n");
    uint32_t v = 0;
    ASSERT_TRUE(reg.ReadValue("INIT", "DEVICES", v));
    EXPECT_EQ(v, 1u);
    ASSERT_TRUE(reg.ReadValue("INIT", "CurID", v));
    EXPECT_EQ(v, 5u);
    ASSERT_TRUE(reg.ReadValue("INIT", "COM", v));
    EXPECT_EQ(v, 1u);
    ASSERT_TRUE(reg.ReadValue("INIT", "ID0", v));
    EXPECT_EQ(v, 5u);
    EXPECT_FALSE(reg.ReadValue("INIT", "ID3", v));

    r = RunTool(registry, {"devices"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "05\t" + English("SG_MOVIE") + "\tCAMERA\tyes\n");
}

TEST_F(Tvcard, InterruptStopsACopyAndLeavesNoPartFile)
{
    Write(card + "/A.TXT", "first");
    Write(card + "/B.TXT", std::string(5000, 'b'));
    // The READs of B.TXT answer slowly: time to press Ctrl-C meanwhile.
    StartSim("id=1,status=00010002", {"--fault", "delay,proto=xfer,cmd=0x3F,arg=100"});
    Write(pc + "/B.TXT", "old b");
    const auto r = RunTool(registry, {"-y", "get", "/A.TXT", "/B.TXT", pc}, 1200);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "error 0x00FF: " + English("MSG_ABORT") + "\n");
    EXPECT_EQ(Read(pc + "/B.TXT"), "old b");
    EXPECT_EQ(Read(pc + "/A.TXT"), "first");
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(pc)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2u);  // no temporary file left behind
}

TEST_F(Tvcard, GetFromAHostileCardCopiesTheRestAndFails)
{
    Write(card + "/GOOD.TXT", "good file");
    Write(card + "/SUB/IN.TXT", "inner");
    // Raw entries: "..", "A/B" and a 300-byte name in the root, "A\B" in SUB.
    std::string x300;
    for (int i = 0; i < 300; ++i)
        x300 += "58";
    Write(dir_ + "/raw", "\\\t2E2E\t32\t4\n"
                         "\\\t412F42\t32\t4\n"
                         "\\\t" + x300 + "\t32\t4\n"
                         "\\SUB\t415C42\t32\t4\n");
    StartSim("id=1,cat=7,name=CAMERA,raw=" + dir_ + "/raw");
    Write(pc + "/l1/NEAR.TXT", "mine");

    struct Case {
        std::vector<std::string> from;
        int status;
        std::vector<std::string> arrived, skipped;
    };
    const Case cases[] = {
        {{"/"}, 3, {"GOOD.TXT", "SUB/IN.TXT"}, {"\\A/B", "\\" + std::string(259, 'X'), "\\SUB\\A\\B"}},
        {{"/SUB"}, 3, {"SUB/IN.TXT"}, {"\\SUB\\A\\B"}},
        {{"/GOOD.TXT"}, 0, {"GOOD.TXT"}, {}},
    };
    for (const Case& c : cases) {
        const std::string dest = pc + "/l1/dest";
        std::filesystem::remove_all(dest);
        std::filesystem::create_directories(dest);
        std::vector<std::string> args = {"get"};
        args.insert(args.end(), c.from.begin(), c.from.end());
        args.push_back(dest);
        const auto r = RunTool(registry, args);
        EXPECT_EQ(r.status, c.status) << c.from[0] << r.err;
        for (const std::string& name : c.arrived)
            EXPECT_EQ(Read(dest + "/" + name), name == "GOOD.TXT" ? "good file" : "inner") << name;
        size_t files = 0;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dest))
            files += e.is_regular_file() ? 1 : 0;
        EXPECT_EQ(files, c.arrived.size()) << c.from[0];
        for (const std::string& path : c.skipped)
            EXPECT_NE(r.err.find("not copied, the name cannot be a PC file name: " + path + "\n"), std::string::npos)
                << path;
        EXPECT_EQ(r.err.find("error 0x0009: ") != std::string::npos, c.status == 3) << r.err;
        // Nothing beside the destination was touched.
        std::vector<std::string> outside;
        for (const auto& e : std::filesystem::recursive_directory_iterator(pc)) {
            const std::string p = e.path().string();
            if (p.rfind(dest + "/", 0) != 0)
                outside.push_back(p.substr(pc.size()));
        }
        std::sort(outside.begin(), outside.end());
        EXPECT_EQ(outside, (std::vector<std::string>{"/l1", "/l1/NEAR.TXT", "/l1/dest"}));
        EXPECT_EQ(Read(pc + "/l1/NEAR.TXT"), "mine");
    }
    // The usage text tells scripts about it.
    const auto r = RunTool(registry, {});
    EXPECT_NE(r.err.find("exit status is then 3 with error 0x0009"), std::string::npos);
}
