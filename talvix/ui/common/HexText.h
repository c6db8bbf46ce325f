#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace talvix::ui {

// Bytes as two upper-case hexadecimal digits each, followed by ":" when
// `colons` is set ("FF:FF:01:" or "FFFF01").
std::string HexBytes(const uint8_t* bytes, size_t count, bool colons = true);

// Reads typed hexadecimal: pairs of hexadecimal digits (either case) make
// bytes, any other character separates, a single digit between separators is
// a byte of its own. Stops at the end of the text or after `room` bytes.
// Returns the number of bytes stored.
size_t ParseHexBytes(std::string_view text, uint8_t* out, size_t room);

}  // namespace talvix::ui
