#include "talvix/cardops/CardPath.h"

#include <gtest/gtest.h>

using namespace talvix;

TEST(CardPath, SplitsAndJoinsComponents)
{
    EXPECT_EQ(cardpath::Split("\\DCIM\\100"), (std::vector<std::string>{"DCIM", "100"}));
    EXPECT_TRUE(cardpath::Split("").empty());
    EXPECT_EQ(cardpath::LastComponents("M:\\DCIM\\100", 2), "\\DCIM\\100");
    EXPECT_EQ(cardpath::LastComponents("M:\\DCIM\\100", 1), "\\100");
    EXPECT_EQ(cardpath::LastComponents("M:\\DCIM\\100", 0), "");
    EXPECT_EQ(cardpath::LastComponent("\\DCIM\\P1.JPG"), "P1.JPG");
    EXPECT_EQ(cardpath::Parent("\\DCIM\\P1.JPG"), "\\DCIM");
    EXPECT_EQ(cardpath::Parent("\\P1.JPG"), "");
    EXPECT_EQ(cardpath::Depth("\\A\\B\\C"), 3);
    EXPECT_EQ(cardpath::Full("\\A"), "M:\\A");
}

TEST(CardPath, DoubleByteTrailBytesAreNotSeparatorsOrLetters)
{
    // 0x83 0x5C is one character whose second byte looks like "\"; 0x82 0x61
    // is one whose second byte looks like "a".
    const std::string so = "\x83\x5C";
    const std::string path = "\\A" + so + "\\B";
    EXPECT_EQ(cardpath::Split(path), (std::vector<std::string>{"A" + so, "B"}));
    EXPECT_EQ(cardpath::Upper("ab\x82\x61" "c"), "AB\x82\x61" "C");
    EXPECT_FALSE(cardpath::IsUnsafeName("X" + so));
}

TEST(CardPath, NormalizesEveryWrittenForm)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"\\DCIM\\100", "\\DCIM\\100"}, {"M:\\DCIM\\100", "\\DCIM\\100"}, {"m:\\DCIM", "\\DCIM"},
        {"/DCIM/100", "\\DCIM\\100"},   {"DCIM/100/", "\\DCIM\\100"},     {"\\", ""},
        {"M:\\", ""},                   {"/", ""},                        {"M:", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cardpath::Normalize(c.in), c.out) << c.in;
}

TEST(CardPath, UnsafeNames)
{
    for (const std::string& bad : {std::string(), std::string("."), std::string(".."), std::string("A/B"),
                                   std::string("A\\B"), std::string("A\0B", 3), std::string(259, 'X'),
                                   std::string(300, 'X')})
        EXPECT_TRUE(cardpath::IsUnsafeName(bad)) << bad;
    for (const std::string& good : {std::string("P1.JPG"), std::string("..."), std::string("..A"), std::string(".X"),
                                    std::string(258, 'X')})
        EXPECT_FALSE(cardpath::IsUnsafeName(good)) << good;
}
