#include "platform/Cp932.h"

#include <gtest/gtest.h>
#include <string>

using namespace platform;

TEST(Cp932, RoundTrips)
{
    struct Case {
        const char* what;
        std::string utf8;
        std::string cp932;
    } cases[] = {
        {"ASCII", "IMG0001.JPG", "IMG0001.JPG"},
        {"kanji and kana", "\xE5\x86\x99\xE7\x9C\x9F\xE3\x81\x82", "\x8E\xCA\x90\x5E\x82\xA0"},  // 写真あ
        {"half-width katakana", "\xEF\xBD\xB6\xEF\xBE\x9E", "\xB6\xDE"},                          // ｶﾞ
        {"trail byte that looks like a backslash", "\xE3\x82\xBD", "\x83\x5C"},                  // ソ
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        std::string cp932;
        EXPECT_TRUE(Utf8ToCp932(c.utf8, cp932)) << c.what;
        EXPECT_EQ(cp932, c.cp932) << c.what;
        std::string utf8;
        EXPECT_TRUE(Cp932ToUtf8(cp932, utf8)) << c.what;
        EXPECT_EQ(utf8, c.utf8) << c.what;
        EXPECT_EQ(ToUtf8(ToCp932(c.utf8)), c.utf8) << c.what;
    }
}

TEST(Cp932, LongTextCrossesTheWorkBuffer)
{
    std::string utf8;
    std::string cp932;
    for (int i = 0; i < 500; ++i) {
        utf8 += "a\xE3\x81\x82";  // aあ
        cp932 += "a\x82\xA0";
    }
    std::string out;
    EXPECT_TRUE(Utf8ToCp932(utf8, out));
    EXPECT_EQ(out, cp932);
    EXPECT_TRUE(Cp932ToUtf8(cp932, out));
    EXPECT_EQ(out, utf8);
}

TEST(Cp932, UnconvertibleInputIsReplacedAndReported)
{
    std::string out;
    // An emoji has no CP932 form; the text around it survives.
    EXPECT_FALSE(Utf8ToCp932("a\xF0\x9F\x98\x80" "b", out, "_"));
    EXPECT_EQ(out, "a_b");
    // Broken UTF-8: a stray continuation byte and a cut sequence at the end.
    EXPECT_FALSE(Utf8ToCp932("x\x80y\xE3\x81", out));
    EXPECT_EQ(out, "x?y?");
    // CP932: a lead byte followed by a byte that cannot end it, an unused
    // byte, and a lead byte cut off at the end.
    EXPECT_FALSE(Cp932ToUtf8("A\x81\x20" "B\xFF" "C\x82", out, "?"));
    EXPECT_EQ(out, "A? B?C?");
    EXPECT_FALSE(Cp932ToUtf8("\xFD", out));
    EXPECT_EQ(out, "\xEF\xBF\xBD");
}

TEST(Cp932, DoubleByteHelpers)
{
    for (int b = 0; b < 256; ++b) {
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(IsLeadByte(static_cast<unsigned char>(b)), lead) << b;
    }
    const std::string text = "A\x83\x5C" "B";  // A ソ B
    EXPECT_EQ(Cp932CharLength(text, 0), 1u);
    EXPECT_EQ(Cp932CharLength(text, 1), 2u);
    EXPECT_EQ(Cp932CharLength(text, 4), 0u);
    EXPECT_EQ(Cp932CharLength("\x83", 0), 1u);  // a lead byte at the very end
    EXPECT_TRUE(IsCp932TrailByte(text, 2));
    EXPECT_FALSE(IsCp932TrailByte(text, 1));
    EXPECT_FALSE(IsCp932TrailByte(text, 3));
    EXPECT_EQ(Cp932Prefix(text, 2), "A");
    EXPECT_EQ(Cp932Prefix(text, 3), "A\x83\x5C");
    EXPECT_EQ(Cp932Prefix(text, 10), text);
}
