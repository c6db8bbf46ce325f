#pragma once
#include <string>
#include <string_view>

namespace platform {

// Letter-case rules of the Windows design: only ASCII letters have a case;
// bytes >= 0x80 (UTF-8 or CP932) compare as they are.

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string AsciiLowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

// True when the two texts are equal without regard to ASCII letter case.
inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text without leading and trailing blanks and tabs.
inline std::string_view TrimBlanks(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

}  // namespace platform
