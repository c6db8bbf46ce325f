#include "talvix/cardops/CardPath.h"

#include "platform/Cp932.h"
#include "platform/FindData.h"
#include "platform/ShortName.h"

namespace talvix::cardpath {

namespace {

using platform::IsLeadByte;

// Calls `part(begin, end)` for every component between separators.
template <typename F>
void ForEachComponent(const std::string& path, bool slashToo, F part)
{
    size_t start = 0;
    size_t i = 0;
    while (i < path.size()) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (c == '\\' || (slashToo && c == '/')) {
            if (i > start)
                part(start, i);
            start = i + 1;
        }
        ++i;
    }
    if (path.size() > start)
        part(start, path.size());
}

}  // namespace

std::vector<std::string> Split(const std::string& path)
{
    std::vector<std::string> parts;
    ForEachComponent(path, false, [&](size_t b, size_t e) { parts.push_back(path.substr(b, e - b)); });
    return parts;
}

std::string LastComponents(const std::string& path, int n)
{
    if (n <= 0)
        return {};
    const std::vector<std::string> parts = Split(path);
    size_t first = parts.size() > static_cast<size_t>(n) ? parts.size() - static_cast<size_t>(n) : 0;
    std::string out;
    for (size_t i = first; i < parts.size(); ++i)
        out += "\\" + parts[i];
    return out;
}

std::string LastComponent(const std::string& path)
{
    const std::vector<std::string> parts = Split(path);
    return parts.empty() ? std::string() : parts.back();
}

std::string Parent(const std::string& path)
{
    std::vector<std::string> parts = Split(path);
    if (!parts.empty())
        parts.pop_back();
    std::string out;
    for (const std::string& p : parts)
        out += "\\" + p;
    return out;
}

int Depth(const std::string& path)
{
    return static_cast<int>(Split(path).size());
}

std::string Upper(const std::string& text)
{
    return platform::UpperCp932(text);
}

std::string Full(const std::string& relative)
{
    return kDrive + relative;
}

std::string Normalize(const std::string& text)
{
    std::string body = text;
    if (body.size() >= 2 && (body[0] == 'M' || body[0] == 'm') && body[1] == ':')
        body = body.substr(2);
    std::string out;
    ForEachComponent(body, true, [&](size_t b, size_t e) {
        out += '\\';
        out.append(body, b, e - b);
    });
    return out;
}

bool IsUnsafeName(const std::string& name)
{
    // A name that fills the find record's name field may be the cut front of
    // a longer one: sent back, it would name another entry (or none).
    if (name.empty() || name == "." || name == ".." || name.size() >= platform::kMaxPath - 1)
        return true;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == 0 || c == '/' || c == '\\')
            return true;
        if (IsLeadByte(c)) {
            // A NUL cannot hide as a second byte either.
            if (i + 1 < name.size() && name[i + 1] == '\0')
                return true;
            ++i;
        }
    }
    return false;
}

bool ToPcName(const std::string& cardName, std::string& pcName)
{
    if (IsUnsafeName(cardName))
        return false;
    std::string utf8 = platform::ToUtf8(cardName);
    if (utf8.empty() || utf8 == "." || utf8 == ".." || utf8.size() > 255 ||
        utf8.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
        return false;
    pcName = std::move(utf8);
    return true;
}

}  // namespace talvix::cardpath
