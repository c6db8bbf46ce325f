#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// CP932 (Shift-JIS as the devices store names) and UTF-8 (everything else).
//
// Both conversions always produce a whole text: a character that cannot be
// converted (or a byte sequence that is not valid in the source encoding) is
// replaced by `replacement`, and the result is then false so the caller can
// tell a clean conversion from a lossy one.

// UTF-8 -> CP932. Default replacement "?".
bool Utf8ToCp932(std::string_view utf8, std::string& cp932, std::string_view replacement = "?");
// CP932 -> UTF-8. Default replacement U+FFFD.
bool Cp932ToUtf8(std::string_view cp932, std::string& utf8, std::string_view replacement = "\xEF\xBF\xBD");

// Shorthands that return the converted text and drop the flag.
std::string ToCp932(std::string_view utf8);
std::string ToUtf8(std::string_view cp932);

// True for a byte that starts a double-byte CP932 character (0x81-0x9F,
// 0xE0-0xFC). The byte after it belongs to the same character, whatever its
// value (it may look like "\" or "|").
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool IsLeadByte(char b) { return IsLeadByte(static_cast<unsigned char>(b)); }

// Bytes of the character that starts at `pos`: 2 for a lead byte followed by
// another byte, else 1 (0 at or past the end).
size_t Cp932CharLength(std::string_view text, size_t pos);

// The longest prefix of at most `maxBytes` bytes that does not split a
// double-byte character.
std::string_view Cp932Prefix(std::string_view text, size_t maxBytes);

// True when byte `pos` is the second byte of a double-byte character.
bool IsCp932TrailByte(std::string_view text, size_t pos);

}  // namespace platform
