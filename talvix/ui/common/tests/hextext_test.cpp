#include "talvix/ui/common/HexText.h"

#include <gtest/gtest.h>

#include <vector>

namespace talvix::ui {
namespace {

TEST(HexText, BytesWithAndWithoutColons)
{
    const uint8_t frame[] = {0xFF, 0xFF, 0x01, 0x7C, 0x4E, 0x20, 0x00, 0x00, 0x00, 0x00, 0x17};
    EXPECT_EQ(HexBytes(frame, sizeof frame), "FF:FF:01:7C:4E:20:00:00:00:00:17:");
    EXPECT_EQ(HexBytes(frame, 3, false), "FFFF01");
    EXPECT_EQ(HexBytes(frame, 0), "");
}

TEST(HexText, TypedTextIsReadAsPairsAndSingleDigits)
{
    struct Case {
        const char* text;
        size_t room;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"ff ff 1 7c 4e 20", 8, {0xFF, 0xFF, 0x01, 0x7C, 0x4E, 0x20}},
        {"FF:FF:01:7C:4E:20:00:00:", 8, {0xFF, 0xFF, 0x01, 0x7C, 0x4E, 0x20, 0, 0}},
        {"123", 8, {0x12, 0x03}},         // a pair, then a single digit
        {"1a2B3c", 8, {0x1A, 0x2B, 0x3C}},  // no separators needed
        {"zz g1 ,", 8, {0x01}},            // anything else separates
        {"01 02 03 04", 2, {0x01, 0x02}},  // stops when the room is full
        {"", 8, {}},
    };
    for (const Case& c : cases) {
        uint8_t out[16] = {};
        const size_t n = ParseHexBytes(c.text, out, c.room);
        EXPECT_EQ(std::vector<uint8_t>(out, out + n), c.bytes) << c.text;
    }
}

}  // namespace
}  // namespace talvix::ui
