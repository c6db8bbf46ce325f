#include "platform/Cp932.h"
#include "platform/ShortName.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace platform;

namespace {

// 写 and 真 in UTF-8 and CP932.
const std::string kSha = "\xE5\x86\x99";
const std::string kShin = "\xE7\x9C\x9F";
const std::string kShaSj = "\x8E\xCA";
const std::string kShinSj = "\x90\x5E";

std::string AliasIn(const std::vector<std::string>& folder, const std::string& name)
{
    return ShortNameTable(folder).AliasOf(name);
}

std::string Alias(const std::string& name) { return AliasIn({name}, name); }

}  // namespace

TEST(ShortName, ValidShortNamesInAnyCaseGetNoAlias)
{
    const std::string kept[] = {"IMG0001.JPG", "img0001.jpg", "ReadMe.Txt", "a", "ABCDEFGH.ABC", "x.y",
                                "a~1.jpg", "!#$%&'()", "-@^_`{}~.txt", "1", kSha + kShin + ".jpg",
                                "\xEF\xBD\xB6\xEF\xBE\x9E.bmp"};
    for (const std::string& name : kept) {
        std::string cp932;
        ASSERT_TRUE(Utf8ToCp932(name, cp932)) << name;
        EXPECT_TRUE(IsValidShortName(cp932)) << name;
        EXPECT_EQ(Alias(name), "") << name;
    }
    EXPECT_TRUE(IsValidShortName("."));
    EXPECT_TRUE(IsValidShortName(".."));
}

TEST(ShortName, AliasesOfLongNames)
{
    struct Case {
        std::string name;
        std::string alias;
    } cases[] = {
        {"My Photo.jpeg", "MYPHOT~1.JPG"},
        {"longfilename.txt", "LONGFI~1.TXT"},
        {"scan.tiff", "SCAN~1.TIF"},
        {"clip.mpeg", "CLIP~1.MPG"},
        {"index.html", "INDEX~1.HTM"},
        {"notes.jpeg2", "NOTES~1.JPE"},
        {"archive.tar.gz", "ARCHIV~1.GZ"},
        {".profile", "PROFIL~1"},
        {"..a b.c", "AB~1.C"},
        {"a+b,c;d=e[f]g.txt", "A_B_C_~1.TXT"},
        {"what?.txt", "WHAT_~1.TXT"},
        {"a\\b.c", "A_B~1.C"},
        {"trailing.", "TRAILI~1"},
        {"x\xF0\x9F\x98\x80.png", "X_~1.PNG"},  // an emoji has no CP932 form
        {"two words", "TWOWOR~1"},
    };
    for (const auto& c : cases) {
        std::string cp932;
        Utf8ToCp932(c.name, cp932, "_");
        EXPECT_EQ(MakeShortName(cp932, 1), c.alias) << c.name;
        EXPECT_EQ(Alias(c.name), c.alias) << c.name;
    }
}

TEST(ShortName, NumberedAliasesCutTheBase)
{
    EXPECT_EQ(MakeShortName("My Photo.jpeg", 9), "MYPHOT~9.JPG");
    EXPECT_EQ(MakeShortName("My Photo.jpeg", 10), "MYPHO~10.JPG");
    EXPECT_EQ(MakeShortName("My Photo.jpeg", 99), "MYPHO~99.JPG");
    EXPECT_EQ(MakeShortName("My Photo.jpeg", 100), "MYPH~100.JPG");
    EXPECT_EQ(MakeShortName("My Photo.jpeg", 1000), "MYP~1000.JPG");
    EXPECT_EQ(MakeShortName("ab.c", 12), "AB~12.C");
    EXPECT_EQ(MakeShortName("ab.c", 0), "");
    EXPECT_EQ(MakeShortName("ab.c", 99999999), "");
}

TEST(ShortName, DoubleByteCharactersAreNeverSplit)
{
    // "a写真写真.jpg": 9 bytes in CP932, so it needs an alias; the 6-byte base
    // would end inside the third character.
    const std::string name = "a" + kShaSj + kShinSj + kShaSj + kShinSj + ".jpg";
    EXPECT_FALSE(IsValidShortName(name));
    EXPECT_EQ(MakeShortName(name, 1), "A" + kShaSj + kShinSj + "~1.JPG");
    EXPECT_EQ(MakeShortName(name, 10), "A" + kShaSj + kShinSj + "~10.JPG");
    EXPECT_EQ(MakeShortName(name, 100), "A" + kShaSj + "~100.JPG");
    // In the extension too.
    EXPECT_EQ(MakeShortName("ab c." + kShaSj + kShinSj, 1), "ABC~1." + kShaSj);

    // A second byte that looks like a lower-case letter or a backslash is
    // neither upper-cased nor replaced.
    const std::string parallel = "\x81\x61";  // ∥
    const std::string so = "\x83\x5C";        // ソ
    EXPECT_EQ(UpperCp932("a" + parallel + "b"), "A" + parallel + "B");
    EXPECT_EQ(MakeShortName("x y" + parallel + so, 1), "XY" + parallel + so + "~1");
    EXPECT_TRUE(IsValidShortName(parallel + so + ".a"));

    // From UTF-8 names as the PC gives them.
    EXPECT_EQ(Alias(kSha + kShin + kSha + kShin + kSha + ".jpg"), kShaSj + kShinSj + kShaSj + "~1.JPG");
}

TEST(ShortName, SiblingsTakeNumbersInByteOrder)
{
    // Given in any order; assigned in byte order of the long names.
    const std::vector<std::string> folder = {"My Photo.jpeg", "My Photo 2.jpeg", "my photo.jpeg", "IMG1.JPG"};
    const ShortNameTable table(folder);
    EXPECT_EQ(table.AliasOf("My Photo 2.jpeg"), "MYPHOT~1.JPG");
    EXPECT_EQ(table.AliasOf("My Photo.jpeg"), "MYPHOT~2.JPG");
    EXPECT_EQ(table.AliasOf("my photo.jpeg"), "MYPHOT~3.JPG");
    EXPECT_EQ(table.AliasOf("IMG1.JPG"), "");
    EXPECT_EQ(table.AliasOf("not there.jpeg"), "");

    // A sibling whose own name is the alias keeps it, in any case.
    EXPECT_EQ(AliasIn({"myphot~1.jpg", "My Photo.jpeg"}, "My Photo.jpeg"), "MYPHOT~2.JPG");
}

TEST(ShortName, TenthAndHundredthSibling)
{
    std::vector<std::string> folder;
    for (int i = 0; i < 120; ++i) {
        char name[32];
        snprintf(name, sizeof name, "Photograph %03d.jpeg", i);
        folder.push_back(name);
    }
    const ShortNameTable table(folder);
    EXPECT_EQ(table.AliasOf("Photograph 000.jpeg"), "PHOTOG~1.JPG");
    EXPECT_EQ(table.AliasOf("Photograph 001.jpeg"), "PHOTOG~2.JPG");
    EXPECT_EQ(table.AliasOf("Photograph 008.jpeg"), "PHOTOG~9.JPG");
    EXPECT_EQ(table.AliasOf("Photograph 009.jpeg"), "PHOTO~10.JPG");
    EXPECT_EQ(table.AliasOf("Photograph 098.jpeg"), "PHOTO~99.JPG");
    EXPECT_EQ(table.AliasOf("Photograph 099.jpeg"), "PHOT~100.JPG");
    EXPECT_EQ(table.AliasOf("Photograph 119.jpeg"), "PHOT~120.JPG");

    // A name that would take ~10 but finds it used by a sibling's own name.
    folder = {"ABCDE~10.TXT"};
    for (int i = 0; i < 10; ++i)
        folder.push_back("abcdefgh " + std::to_string(i) + ".txt");
    EXPECT_EQ(AliasIn(folder, "abcdefgh 9.txt"), "ABCDE~11.TXT");
}

TEST(ShortName, AliasLeadsBackToTheLongName)
{
    const ShortNameTable table({"My Photo.jpeg", "IMG1.JPG", "Another one.txt"});
    std::string longName;
    ASSERT_TRUE(table.LongNameOf("myphot~1.jpg", longName));
    EXPECT_EQ(longName, "My Photo.jpeg");
    ASSERT_TRUE(table.LongNameOf("ANOTHE~1.TXT", longName));
    EXPECT_EQ(longName, "Another one.txt");
    EXPECT_FALSE(table.LongNameOf("IMG1.JPG", longName));  // not an alias
    EXPECT_FALSE(table.LongNameOf("MYPHOT~2.JPG", longName));
}
