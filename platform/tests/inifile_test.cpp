#include "platform/IniFile.h"
#include "platform/tests/ReplaceCounter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform;
namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/inifile_test.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/tv10.ini";
    }
    void TearDown() override { fs::remove_all(dir_); }

    void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
    std::string ReadFile() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string Read(const std::string& section, const std::string& key, bool* found = nullptr) const
    {
        std::string value;
        const bool ok = IniFile(path_).ReadString(section, key, value);
        if (found)
            *found = ok;
        return value;
    }

    std::string dir_;
    std::string path_;
};

}  // namespace

TEST_F(IniFileTest, ReadsWithoutCaseAndTrimsBlanks)
{
    WriteFile("; settings\r\n"
              "[INIT]\r\n"
              "  DEBUG =  1  \r\n"
              "Icon=\r\n"
              "SaveFolder = /home/me/My Pictures\r\n"
              "\r\n"
              "[ frmMain ]\r\n"
              "Top=-40\r\n"
              "[init]\r\n"
              "DEBUG=2\r\n");
    bool found = false;
    EXPECT_EQ(Read("init", "debug", &found), "1");  // the first section and key win
    EXPECT_TRUE(found);
    EXPECT_EQ(Read("INIT", "SAVEFOLDER"), "/home/me/My Pictures");
    EXPECT_EQ(Read("FRMMAIN", "top"), "-40");
    EXPECT_EQ(Read("INIT", "ICON", &found), "");
    EXPECT_TRUE(found);  // present with an empty value
    Read("INIT", "WRITE", &found);
    EXPECT_FALSE(found);
    Read("Nothing", "Top", &found);
    EXPECT_FALSE(found);
    EXPECT_EQ(IniFile(path_).Sections(), (std::vector<std::string>{"INIT", "frmMain"}));
    EXPECT_EQ(IniFile(path_).Keys("Init"), (std::vector<std::string>{"DEBUG", "Icon", "SaveFolder"}));
}

TEST_F(IniFileTest, ValuesAreCutToTheBuffer)
{
    const std::string longValue(300, 'x');
    ASSERT_TRUE(IniFile(path_).WriteString("INIT", "SAVEFOLDER", longValue));
    EXPECT_EQ(Read("INIT", "SAVEFOLDER"), std::string(254, 'x'));
    // The whole value stays in the file.
    EXPECT_NE(ReadFile().find(longValue), std::string::npos);

    // A cut never splits a UTF-8 character: 253 ASCII bytes and then a
    // two-byte character leave only the ASCII bytes.
    ASSERT_TRUE(IniFile(path_).WriteString("INIT", "U", std::string(253, 'a') + "\xC3\xA9" + "z"));
    EXPECT_EQ(Read("INIT", "U"), std::string(253, 'a'));
    std::string small;
    ASSERT_TRUE(IniFile(path_).ReadString("INIT", "U", small, 4));
    EXPECT_EQ(small, "aaa");
}

TEST_F(IniFileTest, WritingCreatesFileSectionAndKey)
{
    const std::string nested = dir_ + "/sub/dir/orh10.ini";
    IniFile ini(nested);
    ASSERT_TRUE(ini.WriteString("INIT", "ICON", "2"));
    ASSERT_TRUE(ini.WriteString("frmMain", "Top", "10"));
    ASSERT_TRUE(ini.WriteString("INIT", "SAVEFOLDER", ""));
    std::ifstream in(nested);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "[INIT]\nICON=2\nSAVEFOLDER=\n\n[frmMain]\nTop=10\n");
}

TEST_F(IniFileTest, RewriteKeepsOtherLines)
{
    const std::string original = "; comment line\r\n"
                                 "garbage without equals\r\n"
                                 "[INIT]\r\n"
                                 "WRITE = 1   ; not a comment for the reader\r\n"
                                 "ICON=1\r\n"
                                 "=no name\r\n"
                                 "[broken\r\n"
                                 "\r\n"
                                 "[frmMain]\r\n"
                                 "Top=5\r\n";
    WriteFile(original);
    IniFile ini(path_);
    ASSERT_TRUE(ini.WriteString("init", "icon", "3"));
    ASSERT_TRUE(ini.WriteString("INIT", "SAVEFOLDER", "/tmp"));
    ASSERT_TRUE(ini.WriteString("FRMMAIN", "Left", "7"));
    EXPECT_EQ(ReadFile(), "; comment line\r\n"
                          "garbage without equals\r\n"
                          "[INIT]\r\n"
                          "WRITE = 1   ; not a comment for the reader\r\n"
                          "icon=3\r\n"
                          "=no name\r\n"
                          "[broken\r\n"
                          "SAVEFOLDER=/tmp\r\n"
                          "\r\n"
                          "[frmMain]\r\n"
                          "Top=5\r\n"
                          "Left=7\r\n");
    EXPECT_EQ(Read("INIT", "WRITE"), "1   ; not a comment for the reader");
    EXPECT_EQ(Read("INIT", "ICON"), "3");
}

TEST_F(IniFileTest, DeletesKeysAndSections)
{
    WriteFile("[A]\nx=1\ny=2\n[B]\nz=3\n");
    IniFile ini(path_);
    ASSERT_TRUE(ini.DeleteKey("a", "X"));
    ASSERT_TRUE(ini.DeleteKey("a", "missing"));
    ASSERT_TRUE(ini.DeleteSection("b"));
    EXPECT_EQ(ReadFile(), "[A]\ny=2\n");
}

TEST_F(IniFileTest, RefusesWhatTheLayoutCannotHold)
{
    IniFile ini(path_);
    EXPECT_FALSE(ini.WriteString("INIT", "", "1"));
    EXPECT_FALSE(ini.WriteString("", "KEY", "1"));
    EXPECT_FALSE(ini.WriteString("INIT", "A=B", "1"));
    EXPECT_FALSE(ini.WriteString("IN]IT", "A", "1"));
    EXPECT_FALSE(ini.WriteString("INIT", "A", "two\nlines"));
    EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, UnreadableOrUnwritableFails)
{
    fs::create_directory(path_);
    IniFile folder(path_);
    bool found = true;
    Read("INIT", "ICON", &found);
    EXPECT_FALSE(found);
    EXPECT_FALSE(folder.WriteString("INIT", "ICON", "1"));

    const std::string file = dir_ + "/plain";
    std::ofstream(file) << "x";
    EXPECT_FALSE(IniFile(file + "/tv10.ini").WriteString("INIT", "ICON", "1"));
}

TEST_F(IniFileTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kKeys = 40;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            IniFile ini(path_);
            bool ok = true;
            for (int i = 0; i < kKeys; ++i)
                ok = ini.WriteString("S", std::to_string(c) + "_" + std::to_string(i), std::to_string(i)) && ok;
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(IniFile(path_).Keys("S").size(), 2u * kKeys);
}

namespace {

std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

ino_t InodeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// The same change through the single calls.
bool ApplyAlone(IniFile& ini, const IniChange& c)
{
    switch (c.kind) {
    case IniChange::Kind::Write: return ini.WriteString(c.section, c.key, c.value);
    case IniChange::Kind::DeleteKey: return ini.DeleteKey(c.section, c.key);
    case IniChange::Kind::DeleteSection: return ini.DeleteSection(c.section);
    }
    return false;
}

struct BatchCase {
    const char* what;
    const char* start;  // nullptr: no file yet
    std::vector<IniChange> changes;
};

}  // namespace

TEST_F(IniFileTest, WriteManyLeavesWhatTheSingleCallsLeaveInOneRewrite)
{
    using C = IniChange;
    const std::vector<BatchCase> cases = {
        {"no file yet", nullptr, {C::Write("INIT", "DEBUG", "1"), C::Write("frmMain", "Top", "-40"), C::Write("init", "Icon", "")}},
        {"CR LF, comments, names in other cases",
         "; settings\r\n[INIT]\r\n  DEBUG = 0 \r\n\r\n[frmMain]\r\nTop=1\r\n# end\r\n",
         {C::Write("init", "debug", "2"), C::Write("FRMMAIN", "Left", "5"), C::Write(" New ", " K ", " v "),
          C::DeleteKey("frmmain", "TOP")}},
        {"section removed and written again", "[A]\nx=1\ny=2\n\n[B]\nz=3\n",
         {C::DeleteSection("a"), C::Write("b", "z", "3"), C::Write("A", "x", "9")}},
        {"one key written twice, removed, another added", "[S]\nk=0\n",
         {C::Write("S", "k", "1"), C::Write("s", "K", "2"), C::DeleteKey("S", "k"), C::Write("S", "n", "x")}},
        {"lines that are not keys stay", "\xEF\xBB\xBFgarbage\n[S]\n=novalue\n[broken\nk=1",
         {C::Write("S", "k", "1"), C::Write("T", "a", "b"), C::DeleteKey("broken", "k")}},
        {"nothing to change", "[S]\nk=1\n",
         {C::Write("S", "k", "1"), C::DeleteKey("S", "missing"), C::DeleteSection("none")}},
    };
    const std::string one = dir_ + "/one.ini";
    const std::string many = dir_ + "/many.ini";
    for (const BatchCase& c : cases) {
        fs::remove(one);
        fs::remove(many);
        if (c.start != nullptr) {
            std::ofstream(one, std::ios::binary) << c.start;
            std::ofstream(many, std::ios::binary) << c.start;
        }
        IniFile single(one);
        for (const IniChange& change : c.changes)
            ASSERT_TRUE(ApplyAlone(single, change)) << c.what;
        const bool changed = c.start == nullptr || FileText(one) != c.start;

        platform_test::ReplaceCounter rewrites(dir_, "many.ini");
        ASSERT_TRUE(rewrites.ok());
        ASSERT_TRUE(IniFile(many).WriteMany(c.changes)) << c.what;
        EXPECT_EQ(FileText(many), FileText(one)) << c.what;
        EXPECT_EQ(rewrites.Count(), changed ? 1 : 0) << c.what;
    }
}

TEST_F(IniFileTest, ARefusedChangeLeavesTheFileAsItWas)
{
    const std::string start = "[S]\r\nk=old\r\n[T]\r\nx=1\r\n";
    const std::vector<IniChange> refused = {
        IniChange::Write("S", "a=b", "v"),   IniChange::Write("S", "k", "two\nlines"),
        IniChange::Write("S", "k", "a\rb"), IniChange::Write("", "k", "v"),
        IniChange::Write("S]", "k", "v"),    IniChange::Write("S", "  ", "v"),
        IniChange::Write("S", ";k", "v"),    IniChange::Write("S", "k", std::string("a\0b", 3)),
    };
    for (const IniChange& bad : refused) {
        EXPECT_FALSE(IniFile::Storable(bad)) << bad.section << "/" << bad.key;
        WriteFile(start);
        const ino_t before = InodeOf(path_);
        EXPECT_FALSE(IniFile(path_).WriteMany(
            {IniChange::Write("S", "k", "new"), bad, IniChange::DeleteSection("T")}))
            << bad.section << "/" << bad.key;
        EXPECT_EQ(ReadFile(), start) << bad.section << "/" << bad.key;
        EXPECT_EQ(InodeOf(path_), before) << "the file was rewritten";
    }
    // Nor is a missing file created.
    fs::remove(path_);
    EXPECT_FALSE(IniFile(path_).WriteMany({IniChange::Write("S", "k", "v"), refused[0]}));
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_TRUE(IniFile::Storable(IniChange::Write(" S ", " k ", " any value = ; [x] ")));
}

TEST_F(IniFileTest, TwoProcessesWritingBatchesAtOnceLoseNothing)
{
    constexpr int kRounds = 15;
    constexpr int kPerBatch = 4;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            IniFile ini(path_);
            bool ok = true;
            for (int round = 0; round < kRounds; ++round) {
                std::vector<IniChange> batch;
                for (int i = 0; i < kPerBatch; ++i) {
                    const std::string n = std::to_string(round * kPerBatch + i);
                    // Both write their own keys, each in its own section and in a shared one.
                    batch.push_back(IniChange::Write("Shared", std::string(1, char('A' + c)) + n, n));
                    batch.push_back(IniChange::Write(std::string("Own") + char('A' + c), "K" + n, n));
                }
                ok = ini.WriteMany(batch) && ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int c = 0; c < 2; ++c) {
        for (int n = 0; n < kRounds * kPerBatch; ++n) {
            EXPECT_EQ(Read("Shared", std::string(1, char('A' + c)) + std::to_string(n)), std::to_string(n));
            EXPECT_EQ(Read(std::string("Own") + char('A' + c), "K" + std::to_string(n)), std::to_string(n));
        }
    }
    EXPECT_EQ(IniFile(path_).Keys("Shared").size(), 2u * kRounds * kPerBatch);
}
