#include "HexText.h"

namespace talvix::ui {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string HexBytes(const uint8_t* bytes, size_t count, bool colons)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(count * (colons ? 3 : 2));
    for (size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
        if (colons)
            text += ':';
    }
    return text;
}

size_t ParseHexBytes(std::string_view text, uint8_t* out, size_t room)
{
    size_t stored = 0;
    size_t pos = 0;
    while (stored < room && pos < text.size()) {
        const int high = HexValue(text[pos]);
        if (high < 0) {
            ++pos;
            continue;
        }
        const int low = pos + 1 < text.size() ? HexValue(text[pos + 1]) : -1;
        if (low < 0) {
            out[stored++] = static_cast<uint8_t>(high);
            pos += 1;
        } else {
            out[stored++] = static_cast<uint8_t>(high * 16 + low);
            pos += 2;
        }
    }
    return stored;
}

}  // namespace talvix::ui
