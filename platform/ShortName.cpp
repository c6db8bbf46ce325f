#include "ShortName.h"

#include <algorithm>
#include <cstring>

#include "Cp932.h"

namespace platform {

namespace {

bool IsAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A single byte an 8.3 name may hold.
bool IsShortNameByte(unsigned char c)
{
    return IsAsciiAlnum(c) || c >= 0x80 || (c != 0 && std::strchr("!#$%&'()-@^_`{}~", c) != nullptr);
}

std::string MapExtension(const std::string& ext)
{
    if (ext == "JPEG")
        return "JPG";
    if (ext == "TIFF")
        return "TIF";
    if (ext == "MPEG")
        return "MPG";
    if (ext == "HTML")
        return "HTM";
    return ext;
}

}  // namespace

bool IsValidShortName(std::string_view name)
{
    if (name == "." || name == "..")
        return true;
    size_t base = 0;
    size_t ext = 0;
    bool dot = false;
    for (size_t pos = 0; pos < name.size();) {
        const size_t n = Cp932CharLength(name, pos);
        const unsigned char c = static_cast<unsigned char>(name[pos]);
        pos += n;
        if (n == 1 && c == '.') {
            if (dot)
                return false;
            dot = true;
            continue;
        }
        if (n == 1 && !IsShortNameByte(c))
            return false;
        (dot ? ext : base) += n;
    }
    return base >= 1 && base <= 8 && (!dot || (ext >= 1 && ext <= 3));
}

std::string UpperCp932(std::string_view text)
{
    std::string out(text);
    for (size_t pos = 0; pos < out.size();) {
        const size_t n = Cp932CharLength(out, pos);
        if (n == 1 && out[pos] >= 'a' && out[pos] <= 'z')
            out[pos] = static_cast<char>(out[pos] - 'a' + 'A');
        pos += n;
    }
    return out;
}

std::string MakeShortName(std::string_view name, unsigned n)
{
    const std::string digits = std::to_string(n);
    if (n == 0 || digits.size() > 7)
        return {};
    // Characters of the cleaned name, without blanks; dots kept for now.
    std::vector<std::string> chars;
    for (size_t pos = 0; pos < name.size();) {
        const size_t len = Cp932CharLength(name, pos);
        std::string ch(name.substr(pos, len));
        pos += len;
        if (len == 1) {
            const unsigned char c = static_cast<unsigned char>(ch[0]);
            if (c == ' ')
                continue;
            if (c == '.') {
                if (chars.empty())
                    continue;  // leading dots go
            } else if (c >= 'a' && c <= 'z') {
                ch[0] = static_cast<char>(c - 'a' + 'A');
            } else if (!IsShortNameByte(c)) {
                ch[0] = '_';  // + , ; = [ ] and whatever else 8.3 cannot hold
            }
        }
        chars.push_back(std::move(ch));
    }
    const auto lastDot = std::find(chars.rbegin(), chars.rend(), ".");
    std::string base;
    std::string ext;
    const auto baseEnd = lastDot == chars.rend() ? chars.end() : std::prev(lastDot.base());
    for (auto it = chars.begin(); it != baseEnd; ++it)
        if (*it != ".")
            base += *it;
    if (baseEnd != chars.end())
        for (auto it = std::next(baseEnd); it != chars.end(); ++it)
            ext += *it;

    std::string alias(Cp932Prefix(base, 8 - 1 - digits.size()));
    alias += '~';
    alias += digits;
    ext = std::string(Cp932Prefix(MapExtension(ext), 3));
    if (!ext.empty())
        alias += '.' + ext;
    return alias;
}

ShortNameTable::ShortNameTable(std::vector<std::string> longNames)
{
    std::erase_if(longNames, [](const std::string& n) { return n.empty() || n == "." || n == ".."; });
    // Byte order: std::string compares its chars as unsigned values.
    std::sort(longNames.begin(), longNames.end());
    longNames.erase(std::unique(longNames.begin(), longNames.end()), longNames.end());

    // Names that keep themselves occupy their own 8.3 name.
    std::set<std::string> used;
    std::vector<std::pair<const std::string*, std::string>> needing;
    for (const std::string& longName : longNames) {
        std::string cp932;
        const bool clean = Utf8ToCp932(longName, cp932, "_");
        if (clean && IsValidShortName(cp932))
            used.insert(UpperCp932(cp932));
        else
            needing.emplace_back(&longName, std::move(cp932));
    }
    // Names with the same first alias share all later ones too, so the
    // search for a free number goes on where the last one of them stopped.
    std::map<std::string, unsigned> nextNumber;
    for (const auto& [longName, cp932] : needing) {
        unsigned& next = nextNumber.try_emplace(MakeShortName(cp932, 1), 1).first->second;
        for (;; ++next) {
            std::string alias = MakeShortName(cp932, next);
            if (alias.empty())
                break;  // millions of look-alikes: no alias left
            if (used.insert(alias).second) {
                nameByAlias_.emplace(alias, *longName);
                aliasByName_.emplace(*longName, std::move(alias));
                break;
            }
        }
    }
}

std::string ShortNameTable::AliasOf(const std::string& longName) const
{
    const auto it = aliasByName_.find(longName);
    return it == aliasByName_.end() ? std::string() : it->second;
}

bool ShortNameTable::LongNameOf(std::string_view cp932Alias, std::string& longName) const
{
    const auto it = nameByAlias_.find(UpperCp932(cp932Alias));
    if (it == nameByAlias_.end())
        return false;
    longName = it->second;
    return true;
}

}  // namespace platform
