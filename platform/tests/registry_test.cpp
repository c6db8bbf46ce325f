#include "platform/Registry.h"
#include "platform/tests/ReplaceCounter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

const std::string kInit = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/registry_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/machine.reg";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteFile(const std::string& text)
    {
        std::ofstream(path_, std::ios::binary) << text;
    }
    std::string ReadFile() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::string dir_;
    std::string path_;
};

std::vector<uint8_t> Pattern(size_t size, uint8_t seed)
{
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

}  // namespace

TEST_F(RegistryTest, EmptyStoreHasNothing)
{
    Registry reg(path_);
    EXPECT_FALSE(reg.KeyExists(kInit));
    EXPECT_FALSE(reg.GetDword(kInit, "COM").has_value());
    EXPECT_TRUE(reg.ValueNames(kInit).empty());
    EXPECT_TRUE(reg.DeleteValue(kInit, "COM"));
    EXPECT_TRUE(reg.DeleteKey(kInit));
    // Removing what is not there leaves no file behind.
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_FALSE(fs::exists(path_ + ".lock"));
}

TEST_F(RegistryTest, WritesRegedit4LayoutAndReadsBack)
{
    Registry reg(path_);
    ASSERT_TRUE(reg.SetDword(kInit, "COM", 10));
    ASSERT_TRUE(reg.SetString(kInit, "Name", "a \"quoted\" C:\\path"));
    EXPECT_EQ(ReadFile(),
              "REGEDIT4\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT]\n"
              "\"COM\"=dword:0000000a\n"
              "\"Name\"=\"a \\\"quoted\\\" C:\\\\path\"\n");
    EXPECT_EQ(reg.GetDword(kInit, "COM"), 10u);
    EXPECT_EQ(reg.GetString(kInit, "Name"), "a \"quoted\" C:\\path");
    ASSERT_TRUE(reg.SetDword(kInit, "COM", 0xFFFFFFFFu));
    EXPECT_EQ(reg.GetDword(kInit, "COM"), 0xFFFFFFFFu);
    EXPECT_EQ(reg.ValueNames(kInit), (std::vector<std::string>{"COM", "Name"}));
}

TEST_F(RegistryTest, KeysAndValueNamesIgnoreCase)
{
    Registry reg(path_);
    ASSERT_TRUE(reg.SetDword(kInit, "CurID", 5));
    EXPECT_EQ(reg.GetDword("hkey_local_machine\\SOFTWARE\\marlo\\selk\\init", "curid"), 5u);
    ASSERT_TRUE(reg.SetDword("HKEY_LOCAL_MACHINE\\software\\MARLO\\Selk\\Init\\", "CURID", 7));
    EXPECT_EQ(reg.GetDword(kInit, "CurID"), 7u);
    EXPECT_EQ(reg.ValueNames(kInit).size(), 1u);
    EXPECT_TRUE(reg.KeyExists("HKEY_LOCAL_MACHINE\\Software\\MARLO"));
    EXPECT_FALSE(reg.KeyExists("HKEY_LOCAL_MACHINE\\Software\\Marl"));
}

TEST_F(RegistryTest, ReadsHandWrittenFile)
{
    WriteFile("\xEF\xBB\xBFREGEDIT4\r\n"
              "\r\n"
              "; written by hand\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT]\r\n"
              "\"COM\"=dword:2\r\n"
              "  \"DEVICES\" = dword:00000003  \r\n"
              "@=\"default\"\r\n"
              "\"Blob\"=hex:01,02,03,\\\r\n"
              "  04,05\r\n"
              "\"Other\"=hex(4):78,56,34,12\r\n"
              "\"Text4\"=\"abc\"\r\n"
              "\"Multi\"=hex(7):41,00,00\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\Ports]\r\n"
              "\"COM1\"=\"/dev/ttyUSB0\"\r\n");
    Registry reg(path_);
    EXPECT_EQ(reg.GetDword(kInit, "COM"), 2u);
    EXPECT_EQ(reg.GetDword(kInit, "DEVICES"), 3u);
    EXPECT_EQ(reg.GetString(kInit, ""), "default");
    const auto blob = reg.GetValue(kInit, "Blob");
    ASSERT_TRUE(blob.has_value());
    EXPECT_EQ(blob->type, REG_BINARY);
    EXPECT_EQ(blob->data, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    // A value of another type is read as its 4 bytes.
    EXPECT_EQ(reg.GetDword(kInit, "Other"), 0x12345678u);
    EXPECT_EQ(reg.GetDword(kInit, "Text4"), 0x00636261u);
    EXPECT_FALSE(reg.GetDword(kInit, "Blob").has_value());
    EXPECT_EQ(reg.GetValue(kInit, "Multi")->type, 7u);
    EXPECT_EQ(reg.GetString("HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\Ports", "COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(reg.SubKeys("HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK"),
              (std::vector<std::string>{"INIT", "Ports"}));

    // A rewrite keeps the comment, the line ends and the other lines as they were.
    ASSERT_TRUE(reg.SetDword(kInit, "COM", 4));
    const std::string text = ReadFile();
    EXPECT_NE(text.find("; written by hand\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"COM\"=dword:00000004\r\n  \"DEVICES\" = dword:00000003  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Blob\"=hex:01,02,03,\\\r\n  04,05\r\n"), std::string::npos);
    EXPECT_EQ(reg.GetDword(kInit, "DEVICES"), 3u);
}

TEST_F(RegistryTest, MalformedLinesAreSkippedAndKept)
{
    const std::vector<std::string> bad = {
        "\"Unclosed=dword:1",
        "\"Bad1\"=dword:123456789",
        "\"Bad2\"=dword:xyz",
        "\"Bad3\"=hex:1,2,zz",
        "\"Bad4\"=hex(:01",
        "\"Bad5\"=hex(12345678912):01",
        "\"Bad6\"=\"text\" trailing",
        "\"Bad7\"=-",
        "\"Bad8\"",
        "[",
        "[]",
        "garbage line without meaning",
        "\"Bad9\"=hex:01,\\",
    };
    std::string text = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT]\n\"Good\"=dword:00000001\n";
    for (const std::string& line : bad)
        text += line + "\n";
    WriteFile(text + "[HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\INIT]\n\"Late\"=dword:00000002\n");
    Registry reg(path_);
    EXPECT_EQ(reg.GetDword(kInit, "Good"), 1u);
    for (int i = 1; i <= 9; ++i)
        EXPECT_FALSE(reg.GetValue(kInit, "Bad" + std::to_string(i)).has_value()) << i;
    EXPECT_EQ(reg.GetDword(kInit, "Late"), 2u);

    ASSERT_TRUE(reg.SetDword(kInit, "Good", 9));
    const std::string after = ReadFile();
    for (const std::string& line : bad)
        EXPECT_NE(after.find(line + "\n"), std::string::npos) << line;
    EXPECT_EQ(reg.GetDword(kInit, "Good"), 9u);
    EXPECT_EQ(reg.GetDword(kInit, "Late"), 2u);
}

TEST_F(RegistryTest, BinaryValuesRoundTripAcrossLines)
{
    Registry reg(path_);
    RegValue big{REG_BINARY, Pattern(300, 3)};
    RegValue typed{0x2a, {1, 2}};
    RegValue ctrl{REG_SZ, {'a', '\n', 'b', 0}};
    RegValue empty{REG_BINARY, {}};
    ASSERT_TRUE(reg.SetValue(kInit, "Big", big));
    ASSERT_TRUE(reg.SetValue(kInit, "Typed", typed));
    ASSERT_TRUE(reg.SetValue(kInit, "Ctrl", ctrl));
    ASSERT_TRUE(reg.SetValue(kInit, "Empty", empty));
    for (const auto& [name, v] : std::vector<std::pair<std::string, RegValue>>{
             {"Big", big}, {"Typed", typed}, {"Ctrl", ctrl}, {"Empty", empty}}) {
        const auto got = reg.GetValue(kInit, name);
        ASSERT_TRUE(got.has_value()) << name;
        EXPECT_EQ(got->type, v.type) << name;
        EXPECT_EQ(got->data, v.data) << name;
    }
    std::istringstream lines(ReadFile());
    std::string line;
    while (std::getline(lines, line))
        EXPECT_LE(line.size(), 80u);
    EXPECT_NE(ReadFile().find("\"Typed\"=hex(2a):01,02\n"), std::string::npos);
}

TEST_F(RegistryTest, DeleteValueAndKeyWithSubkeys)
{
    Registry reg(path_);
    const std::string selk = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK";
    ASSERT_TRUE(reg.SetDword(kInit, "ID0", 1));
    ASSERT_TRUE(reg.SetDword(kInit, "ID1", 2));
    ASSERT_TRUE(reg.SetDword(selk + "\\INIT\\Deeper", "X", 3));
    ASSERT_TRUE(reg.SetDword("HKEY_LOCAL_MACHINE\\Software\\Other", "Y", 4));
    ASSERT_TRUE(reg.SetDword(selk + "X", "Z", 5));  // a sibling whose name starts the same

    ASSERT_TRUE(reg.DeleteValue(kInit, "id0"));
    EXPECT_FALSE(reg.GetDword(kInit, "ID0").has_value());
    EXPECT_EQ(reg.GetDword(kInit, "ID1"), 2u);

    ASSERT_TRUE(reg.DeleteKey(kInit));
    EXPECT_FALSE(reg.KeyExists(kInit));
    EXPECT_FALSE(reg.KeyExists(kInit + "\\Deeper"));
    EXPECT_FALSE(reg.GetDword(kInit, "ID1").has_value());
    EXPECT_EQ(reg.GetDword("HKEY_LOCAL_MACHINE\\Software\\Other", "Y"), 4u);
    EXPECT_EQ(reg.GetDword(selk + "X", "Z"), 5u);

    ASSERT_TRUE(reg.CreateKey(kInit));
    EXPECT_TRUE(reg.KeyExists(kInit));
    EXPECT_TRUE(reg.ValueNames(kInit).empty());
}

TEST_F(RegistryTest, UnusableFilesAndKeysFail)
{
    fs::create_directory(path_);  // a folder where the file should be
    Registry folder(path_);
    EXPECT_FALSE(folder.GetDword(kInit, "COM").has_value());
    EXPECT_FALSE(folder.SetDword(kInit, "COM", 1));
    EXPECT_FALSE(folder.KeyExists(kInit));

    const std::string blocker = dir_ + "/plainfile";
    std::ofstream(blocker) << "x";
    Registry underFile(blocker + "/sub/machine.reg");
    EXPECT_FALSE(underFile.SetDword(kInit, "COM", 1));
    EXPECT_FALSE(underFile.CreateKey(kInit));
    EXPECT_FALSE(folder.DeleteValue(kInit, "COM"));
    EXPECT_FALSE(folder.DeleteKey(kInit));

    Registry reg(dir_ + "/ok.reg");
    EXPECT_FALSE(reg.SetDword("", "COM", 1));
    EXPECT_FALSE(reg.SetDword("HKEY_LOCAL_MACHINE\\\\Software", "COM", 1));
    EXPECT_FALSE(reg.SetDword("HKEY_LOCAL_MACHINE\\Soft\nware", "COM", 1));
    EXPECT_FALSE(reg.SetString(kInit, "Bad\nName", "x"));
}

TEST_F(RegistryTest, PathFromEnvironmentAndFolderCreated)
{
    const std::string nested = dir_ + "/a/b/c.reg";
    setenv("MARLO_REGISTRY", nested.c_str(), 1);
    EXPECT_EQ(Registry::DefaultPath(), nested);
    Registry reg;
    EXPECT_EQ(reg.path(), nested);
    ASSERT_TRUE(reg.SetDword(kInit, "COM", 1));
    EXPECT_TRUE(fs::is_regular_file(nested));

    setenv("MARLO_REGISTRY", "", 1);
    setenv("XDG_CONFIG_HOME", (dir_ + "/cfg").c_str(), 1);
    EXPECT_EQ(Registry::DefaultPath(), dir_ + "/cfg/marlo/machine.reg");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", dir_.c_str(), 1);
    EXPECT_EQ(Registry::DefaultPath(), dir_ + "/.config/marlo/machine.reg");
    unsetenv("MARLO_REGISTRY");
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kValues = 60;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            Registry reg(path_);
            bool ok = true;
            for (int i = 0; i < kValues; ++i)
                ok = reg.SetDword(kInit, std::string(1, static_cast<char>('A' + c)) + std::to_string(i),
                                  static_cast<uint32_t>(c * 1000 + i)) && ok;
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Registry reg(path_);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kValues; ++i)
            EXPECT_EQ(reg.GetDword(kInit, std::string(1, static_cast<char>('A' + c)) + std::to_string(i)),
                      static_cast<uint32_t>(c * 1000 + i));
    EXPECT_EQ(reg.ValueNames(kInit).size(), 2u * kValues);
}

TEST_F(RegistryTest, KilledWriterLeavesOldOrNewFile)
{
    const RegValue first{REG_BINARY, Pattern(40000, 1)};
    const RegValue second{REG_BINARY, Pattern(40000, 2)};
    Registry reg(path_);
    ASSERT_TRUE(reg.SetValue(kInit, "Blob", first));
    ASSERT_TRUE(reg.SetDword(kInit, "Keep", 42));
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Registry writer(path_);
            for (int i = 0;; ++i)
                writer.SetValue(kInit, "Blob", i % 2 ? first : second);
        }
        usleep(static_cast<useconds_t>(3000 + round * 1700));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const auto blob = reg.GetValue(kInit, "Blob");
        ASSERT_TRUE(blob.has_value()) << "round " << round;
        EXPECT_TRUE(blob->data == first.data || blob->data == second.data) << "round " << round;
        EXPECT_EQ(reg.GetDword(kInit, "Keep"), 42u);
    }
    // The store still takes changes after a writer died holding the lock.
    EXPECT_TRUE(reg.SetDword(kInit, "Keep", 43));
    EXPECT_EQ(reg.GetDword(kInit, "Keep"), 43u);
}

TEST_F(RegistryTest, SymbolicLinkToTheStoreIsKept)
{
    const std::string real = dir_ + "/real.reg";
    std::ofstream(real) << "REGEDIT4\n";
    fs::create_symlink(real, path_);
    Registry reg(path_);
    ASSERT_TRUE(reg.SetDword(kInit, "COM", 3));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(Registry(real).GetDword(kInit, "COM"), 3u);
}

namespace {

std::string TextOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The same change through the single calls.
bool ApplyAlone(Registry& reg, const RegChange& c)
{
    switch (c.kind) {
    case RegChange::Kind::CreateKey: return reg.CreateKey(c.key);
    case RegChange::Kind::DeleteKey: return reg.DeleteKey(c.key);
    case RegChange::Kind::SetValue: return reg.SetValue(c.key, c.name, c.value);
    case RegChange::Kind::DeleteValue: return reg.DeleteValue(c.key, c.name);
    }
    return false;
}

struct RegBatchCase {
    const char* what;
    const char* start;  // nullptr: no file yet
    std::vector<RegChange> changes;
};

const std::string kPorts = "HKEY_LOCAL_MACHINE\\Software\\Marlo\\SELK\\Ports";
const std::string kAlbum = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro\\Album";

}  // namespace

TEST_F(RegistryTest, ApplyLeavesWhatTheSingleCallsLeaveInOneRewrite)
{
    using C = RegChange;
    const std::vector<RegBatchCase> cases = {
        {"no file yet", nullptr,
         {C::SetDword(kInit, "COM", 1), C::SetString(kPorts, "COM1", "/dev/ttyS0"), C::CreateKey(kAlbum + "\\Album0"),
          C::SetValue(kAlbum + "\\Album1", "Cover Title", RegValue{REG_SZ, {'a', 'b'}})}},
        {"hand-written file, CR LF, other cases",
         "REGEDIT4\r\n\r\n; kept\r\n[hkey_local_machine\\software\\marlo\\selk\\init]\r\n\"COM\"=dword:00000002\r\n"
         "\"Old\"=\"x\"\r\nnot understood\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro\\Album\\Album3]\r\n"
         "\"Cover Dir\"=\"d\"\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro\\Album\\Album3\\Sub]\r\n\"v\"=dword:1\r\n",
         {C::SetDword(kInit, "com", 3), C::DeleteValue(kInit, "OLD"), C::DeleteKey(kAlbum + "\\ALBUM3"),
          C::SetValue(kAlbum + "\\Album3", "Blob", RegValue{REG_BINARY, Pattern(90, 3)}),
          C::SetString(kInit, "Name", "a \"quoted\" \\ text")}},
        {"duplicates, then a value removed and set again",
         "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:1\n\"v\"=dword:2\n\"w\"=\"1\"\n",
         {C::SetDword("HKEY_LOCAL_MACHINE\\a\\", "V", 5), C::DeleteValue("HKEY_LOCAL_MACHINE\\A", "w"),
          C::SetString("HKEY_LOCAL_MACHINE\\A", "w", "2"), C::DeleteKey("HKEY_LOCAL_MACHINE\\A\\None")}},
        {"nothing to change", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:00000001\n",
         {C::CreateKey("HKEY_LOCAL_MACHINE\\A"), C::DeleteKey("HKEY_LOCAL_MACHINE\\B"),
          C::DeleteValue("HKEY_LOCAL_MACHINE\\A", "missing")}},
    };
    const std::string one = dir_ + "/one.reg";
    const std::string many = dir_ + "/many.reg";
    for (const RegBatchCase& c : cases) {
        for (const std::string& f : {one, many, one + ".lock", many + ".lock"})
            fs::remove(f);
        if (c.start != nullptr) {
            std::ofstream(one, std::ios::binary) << c.start;
            std::ofstream(many, std::ios::binary) << c.start;
        }
        Registry single(one);
        for (const RegChange& change : c.changes)
            ASSERT_TRUE(ApplyAlone(single, change)) << c.what;
        const bool changed = c.start == nullptr || TextOf(one) != c.start;

        platform_test::ReplaceCounter rewrites(dir_, "many.reg");
        ASSERT_TRUE(rewrites.ok());
        ASSERT_TRUE(Registry(many).Apply(c.changes)) << c.what;
        EXPECT_EQ(TextOf(many), TextOf(one)) << c.what;
        EXPECT_EQ(rewrites.Count(), changed ? 1 : 0) << c.what;
        // A batch that changes nothing does not even take the lock.
        EXPECT_EQ(fs::exists(many + ".lock"), changed) << c.what;
    }
}

TEST_F(RegistryTest, ARefusedChangeLeavesTheStoreAsItWas)
{
    const std::string start = "REGEDIT4\n\n[" + kInit + "]\n\"COM\"=dword:00000001\n";
    const std::vector<RegChange> refused = {
        RegChange::SetString("", "n", "v"),
        RegChange::SetString("HKEY_LOCAL_MACHINE\\A\\\\B", "n", "v"),
        RegChange::SetString(kInit, "two\nlines", "v"),
        RegChange::SetDword(kInit, std::string("a\0b", 3), 1),
        RegChange::DeleteKey("\\\\"),
        RegChange::CreateKey("HKEY_LOCAL_MACHINE\\A\x01B"),
        RegChange::DeleteValue("", "COM"),
    };
    for (size_t i = 0; i < refused.size(); ++i) {
        WriteFile(start);
        struct stat before {};
        ASSERT_EQ(::stat(path_.c_str(), &before), 0);
        EXPECT_FALSE(Registry(path_).Apply(
            {RegChange::SetDword(kInit, "COM", 2), refused[i], RegChange::DeleteKey(kInit)}))
            << "change " << i;
        EXPECT_EQ(ReadFile(), start) << "change " << i;
        struct stat after {};
        ASSERT_EQ(::stat(path_.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "change " << i << ": the file was rewritten";
    }
    fs::remove(path_);
    EXPECT_FALSE(Registry(path_).Apply({RegChange::SetDword(kInit, "COM", 2), refused[0]}));
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(RegistryTest, TwoProcessesApplyingBatchesAtOnceLoseNothing)
{
    constexpr int kRounds = 15;
    constexpr int kPerBatch = 4;
    const std::string gone = "HKEY_LOCAL_MACHINE\\Gone";
    ASSERT_TRUE(Registry(path_).SetDword(gone + "A", "x", 1));
    ASSERT_TRUE(Registry(path_).SetDword(gone + "B", "x", 1));
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            Registry reg(path_);
            const std::string tag(1, static_cast<char>('A' + c));
            bool ok = true;
            for (int round = 0; round < kRounds; ++round) {
                std::vector<RegChange> batch;
                for (int i = 0; i < kPerBatch; ++i) {
                    const int n = round * kPerBatch + i;
                    batch.push_back(RegChange::SetDword(kInit, tag + std::to_string(n), static_cast<uint32_t>(c * 1000 + n)));
                    batch.push_back(RegChange::SetString(kAlbum + tag + std::to_string(round), "N" + std::to_string(i), tag));
                }
                batch.push_back(RegChange::DeleteKey(gone + tag));
                ok = reg.Apply(batch) && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Registry reg(path_);
    for (int c = 0; c < 2; ++c) {
        const std::string tag(1, static_cast<char>('A' + c));
        for (int n = 0; n < kRounds * kPerBatch; ++n)
            EXPECT_EQ(reg.GetDword(kInit, tag + std::to_string(n)), static_cast<uint32_t>(c * 1000 + n));
        for (int round = 0; round < kRounds; ++round)
            EXPECT_EQ(reg.ValueNames(kAlbum + tag + std::to_string(round)).size(), size_t(kPerBatch));
        EXPECT_FALSE(reg.KeyExists(gone + tag));
    }
    EXPECT_EQ(reg.ValueNames(kInit).size(), 2u * kRounds * kPerBatch);
}
