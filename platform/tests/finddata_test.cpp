#include "platform/FindData.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace platform;

namespace {

class FindDataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/finddata_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override
    {
        // Read-only entries must not stop the clean-up.
        std::error_code ec;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir_, ec))
            chmod(e.path().c_str(), 0700);
        std::filesystem::remove_all(dir_, ec);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    void MakeFile(const std::string& name, const std::string& content = "", mode_t mode = 0644)
    {
        const int fd = open(Path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
        ASSERT_GE(fd, 0) << name;
        ASSERT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        close(fd);
        ASSERT_EQ(chmod(Path(name).c_str(), mode), 0);
    }

    void MakeFolder(const std::string& name, mode_t mode = 0755)
    {
        ASSERT_EQ(mkdir(Path(name).c_str(), 0755), 0);
        ASSERT_EQ(chmod(Path(name).c_str(), mode), 0);
    }

    // Names of the folder in raw readdir order.
    std::vector<std::string> ReaddirOrder() const
    {
        std::vector<std::string> names;
        DIR* d = opendir(dir_.c_str());
        while (const dirent* e = readdir(d))
            names.emplace_back(e->d_name);
        closedir(d);
        return names;
    }

    std::vector<std::string> Find(const std::string& pattern, bool withDots = false) const
    {
        std::vector<std::string> names;
        FindFile find;
        FindData fd;
        for (bool more = find.First(Path(pattern), fd); more; more = find.Next(fd))
            if (withDots || (fd.cFileName != "." && fd.cFileName != ".."))
                names.push_back(fd.cFileName);
        return names;
    }

    std::string dir_;
};

FileTime Stamp(uint16_t y, uint16_t mo, uint16_t d, uint16_t h, uint16_t mi, uint16_t s)
{
    FileTime ft;
    EXPECT_TRUE(SystemTimeToFileTime(SystemTime{y, mo, 0, d, h, mi, s, 0}, ft));
    return ft;
}

}  // namespace

TEST_F(FindDataTest, AttributesOfFilesAndFolders)
{
    MakeFile("plain.txt", "hello");
    MakeFile("locked.txt", "x", 0444);
    MakeFile("group-writable-only.txt", "x", 0464);
    MakeFile(".hidden", "x");
    MakeFolder("folder");
    MakeFolder("locked-folder", 0555);
    MakeFolder(".hidden-folder");
    ASSERT_EQ(mkfifo(Path("pipe").c_str(), 0644), 0);

    struct Case {
        const char* name;
        uint32_t attributes;
    } cases[] = {
        {"plain.txt", FILE_ATTRIBUTE_ARCHIVE},
        {"locked.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {"group-writable-only.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY},
        {".hidden", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
        {"folder", FILE_ATTRIBUTE_DIRECTORY},
        {"locked-folder", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY},
        {".hidden-folder", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN},
        {"pipe", FILE_ATTRIBUTE_NORMAL},
    };
    for (const auto& c : cases) {
        FindData fd;
        ASSERT_TRUE(GetFindData(Path(c.name), fd)) << c.name;
        EXPECT_EQ(fd.dwFileAttributes, c.attributes) << c.name;
        EXPECT_EQ(fd.cFileName, c.name);
        EXPECT_EQ(GetFileAttributes(Path(c.name)), c.attributes) << c.name;
    }
    FindData fd;
    ASSERT_TRUE(GetFindData(Path("plain.txt"), fd));
    EXPECT_EQ(fd.nFileSizeLow, 5u);
    EXPECT_EQ(fd.nFileSizeHigh, 0u);
    EXPECT_EQ(fd.cAlternateFileName, "");
    ASSERT_TRUE(GetFindData(Path("folder") + "/", fd));
    EXPECT_EQ(fd.cFileName, "folder");
    EXPECT_TRUE(fd.IsDirectory());

    EXPECT_FALSE(GetFindData(Path("missing"), fd));
    EXPECT_EQ(GetFileAttributes(Path("missing")), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FindDataTest, SizeAbove4GiBUsesTheHighWord)
{
    MakeFile("big.bin");
    ASSERT_EQ(truncate(Path("big.bin").c_str(), (5ll << 30) + 7), 0);  // sparse
    FindData fd;
    ASSERT_TRUE(GetFindData(Path("big.bin"), fd));
    EXPECT_EQ(fd.nFileSizeHigh, 1u);
    EXPECT_EQ(fd.nFileSizeLow, (1u << 30) + 7);
    EXPECT_EQ(fd.FileSize(), (5ull << 30) + 7);
}

TEST_F(FindDataTest, TimesAndCreationTimeRule)
{
    MakeFile("a.jpg", "data");
    const FileTime written = Stamp(2001, 2, 3, 4, 5, 6);
    const FileTime accessed = Stamp(2002, 3, 4, 5, 6, 7);
    ASSERT_TRUE(SetFileTime(Path("a.jpg"), nullptr, &accessed, &written));
    FindData fd;
    ASSERT_TRUE(GetFindData(Path("a.jpg"), fd));
    EXPECT_EQ(fd.ftLastWriteTime, written);
    EXPECT_EQ(fd.ftLastAccessTime, accessed);

    // Only the last-write time: the access time stays; a creation time is
    // accepted but cannot be set.
    const FileTime written2 = Stamp(2010, 1, 1, 0, 0, 0);
    const FileTime created = Stamp(1999, 1, 1, 0, 0, 0);
    ASSERT_TRUE(SetFileTime(Path("a.jpg"), &created, nullptr, &written2));
    ASSERT_TRUE(GetFindData(Path("a.jpg"), fd));
    EXPECT_EQ(fd.ftLastWriteTime, written2);
    EXPECT_EQ(fd.ftLastAccessTime, accessed);

    struct statx st{};
    ASSERT_EQ(statx(AT_FDCWD, Path("a.jpg").c_str(), 0, STATX_BTIME, &st), 0);
    if (st.stx_mask & STATX_BTIME) {
        // Birth time: made just now, not the time set above.
        const FileTime now = GetSystemTimeAsFileTime();
        EXPECT_NE(fd.ftCreationTime, written2);
        EXPECT_LE(fd.ftCreationTime, now);
        EXPECT_GT(fd.ftCreationTime.ticks + 600 * kFileTimeTicksPerSecond, now.ticks);
    } else {
        EXPECT_EQ(fd.ftCreationTime, written2);
    }

    EXPECT_FALSE(SetFileTime(Path("missing"), nullptr, nullptr, &written));
}

TEST_F(FindDataTest, ReadOnlyFlagAndNormalAttribute)
{
    MakeFile("f.txt", "x", 0664);
    ASSERT_TRUE(SetReadOnly(Path("f.txt"), true));
    struct stat st{};
    ASSERT_EQ(stat(Path("f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(GetFileAttributes(Path("f.txt")), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);

    ASSERT_TRUE(SetFileAttributes(Path("f.txt"), FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(stat(Path("f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(GetFileAttributes(Path("f.txt")), FILE_ATTRIBUTE_ARCHIVE);

    ASSERT_TRUE(SetFileAttributes(Path("f.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributes(Path("f.txt")), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);

    EXPECT_FALSE(SetFileAttributes(Path("missing"), FILE_ATTRIBUTE_NORMAL));
    EXPECT_FALSE(SetReadOnly(Path("missing"), true));
}

TEST_F(FindDataTest, EnumerationFollowsTheFileSystemOrder)
{
    for (int i = 0; i < 40; ++i)
        MakeFile("file" + std::to_string(i) + ".dat");
    MakeFolder("sub");
    MakeFile(".hidden");
    EXPECT_EQ(Find("*", true), ReaddirOrder());
    EXPECT_EQ(Find("*.*", true), ReaddirOrder());
}

TEST_F(FindDataTest, PatternsMatchWithoutCase)
{
    for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "d.txt", "noext", ".hidden", "x.jpg.txt"})
        MakeFile(name);
    MakeFolder("pics.JpG");

    auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    EXPECT_EQ(sorted(Find("*.jpg")), (std::vector<std::string>{"B.JPG", "a.jpg", "pics.JpG"}));
    EXPECT_EQ(sorted(Find("*.*")).size(), 8u);
    EXPECT_EQ(sorted(Find("*.")), (std::vector<std::string>{"noext"}));
    EXPECT_EQ(sorted(Find("?.JPG")), (std::vector<std::string>{"B.JPG", "a.jpg"}));

    FindFile find;
    FindData fd;
    EXPECT_FALSE(find.First(Path("*.gif"), fd));
    EXPECT_FALSE(find.IsOpen());
    EXPECT_FALSE(find.First(dir_ + "/missing/*.*", fd));
    EXPECT_FALSE(find.Next(fd));
    EXPECT_FALSE(find.First(dir_ + "/", fd));

    // A name that holds a wildcard character but exists is that file alone.
    MakeFile("a?.jpg", "12");
    MakeFile("ab.jpg", "123");
    ASSERT_TRUE(find.First(Path("a?.jpg"), fd));
    EXPECT_EQ(fd.cFileName, "a?.jpg");
    EXPECT_EQ(fd.nFileSizeLow, 2u);
    EXPECT_FALSE(find.Next(fd));

    // The folder entry of the listing carries its attributes.
    ASSERT_TRUE(find.First(Path("pics.*"), fd));
    EXPECT_EQ(fd.cFileName, "pics.JpG");
    EXPECT_EQ(fd.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(find.Next(fd));
}

TEST(FindDataPattern, WindowsRules)
{
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*", "anything.at.all", true}, {"*.*", "noext", true},     {"*.jpg", "A.JPG", true},
        {"*.jpg", "a.jpeg", false},     {"*.jpg", "a.jpg.bak", false}, {"IMG?.JPG", "img1.jpg", true},
        {"IMG?.JPG", "img12.jpg", false}, {"*.", "noext", true},    {"*.", "a.b", false},
        {"abc.*", "abc", true},         {"abc.*", "ABC.def", true}, {"a*b*c", "aXXbYYc", true},
        {"a*b", "ab c", false},         {"frame*.jpg", "FRAME000.jpg", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchFilePattern(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

TEST_F(FindDataTest, AliasesAndLookupsByAlias)
{
    MakeFile("My Photo.jpeg", "1");
    MakeFile("My Photo 2.jpeg", "22");
    MakeFile("IMG0001.JPG", "333");

    std::set<std::pair<std::string, std::string>> seen;
    FindFile find;
    FindData fd;
    for (bool more = find.First(Path("*.*"), fd); more; more = find.Next(fd))
        if (fd.cFileName != "." && fd.cFileName != "..")
            seen.emplace(fd.cFileName, fd.cAlternateFileName);
    EXPECT_EQ(seen, (std::set<std::pair<std::string, std::string>>{
                        {"My Photo 2.jpeg", "MYPHOT~1.JPG"}, {"My Photo.jpeg", "MYPHOT~2.JPG"}, {"IMG0001.JPG", ""}}));

    // One named entry: exact, without case, or by its alias, as Windows finds it.
    ASSERT_TRUE(GetFindData(Path("My Photo.jpeg"), fd));
    EXPECT_EQ(fd.cAlternateFileName, "MYPHOT~2.JPG");
    ASSERT_TRUE(find.First(Path("myphot~2.jpg"), fd));
    EXPECT_EQ(fd.cFileName, "My Photo.jpeg");
    EXPECT_EQ(fd.nFileSizeLow, 1u);
    EXPECT_FALSE(find.Next(fd));
    ASSERT_TRUE(find.First(Path("img0001.jpg"), fd));
    EXPECT_EQ(fd.cFileName, "IMG0001.JPG");
    EXPECT_FALSE(find.First(Path("MYPHOT~3.JPG"), fd));

    std::string longName;
    ASSERT_TRUE(ResolvePcName(dir_, "MYPHOT~1.JPG", longName));
    EXPECT_EQ(longName, "My Photo 2.jpeg");
    ASSERT_TRUE(ResolvePcName(dir_, "IMG0001.JPG", longName));
    EXPECT_EQ(longName, "IMG0001.JPG");
    EXPECT_FALSE(ResolvePcName(dir_, "nothing", longName));
    EXPECT_FALSE(ResolvePcName(dir_, "../x", longName));

    // With two names equal but for case, the exact one wins.
    MakeFile("index.TMP");
    MakeFile("Index.TMP");
    ASSERT_TRUE(ResolvePcName(dir_, "index.TMP", longName));
    EXPECT_EQ(longName, "index.TMP");
    ASSERT_TRUE(ResolvePcName(dir_, "INDEX.tmp", longName));
    EXPECT_EQ(longName, "Index.TMP");  // first in byte order
}
