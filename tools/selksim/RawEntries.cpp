#include "RawEntries.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/Cp932.h"
#include "platform/ShortName.h"

namespace selksim {

namespace {

bool Number(const std::string& text, long long low, long long high, long long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == nullptr || *end != '\0' || v < low || v > high)
        return false;
    out = v;
    return true;
}

bool Hex(const std::string& text, std::string& out)
{
    if (text.empty() || text.size() % 2 != 0)
        return false;
    out.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int v = 0;
        for (size_t k = i; k < i + 2; ++k) {
            const char c = text[k];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            v = v * 16 + d;
        }
        out += static_cast<char>(v);
    }
    return true;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return out;
        start = tab + 1;
    }
}

}  // namespace

std::string RawEntries::Key(const std::string& relative)
{
    std::string out, part;
    auto flush = [&] {
        if (!part.empty())
            out += "\\" + platform::UpperCp932(part);
        part.clear();
    };
    for (size_t i = 0; i < relative.size();) {
        const size_t len = platform::Cp932CharLength(relative, i);
        if (len == 1 && relative[i] == '\\')
            flush();
        else
            part.append(relative, i, len);
        i += len;
    }
    flush();
    return out;
}

bool RawEntries::Load(const std::string& file, std::string& error)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "raw entry file missing: " + file;
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Parse(text, error);
}

bool RawEntries::Parse(const std::string& text, std::string& error)
{
    entries_.clear();
    size_t start = 0;
    int lineNo = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = Fields(line);
        Entry e;
        long long attr = 0, size = 0, pos = -1;
        if ((f.size() != 4 && f.size() != 5) || f[0].empty() || !Hex(f[1], e.name) ||
            !Number(f[2], 0, 255, attr) || !Number(f[3], 0, 0xFFFFFFFFLL, size) ||
            (f.size() == 5 && !Number(f[4], 0, 0xFFFF, pos))) {
            error = "raw entry line " + std::to_string(lineNo) +
                    ": want FOLDER<TAB>HEXNAME<TAB>ATTR<TAB>SIZE[<TAB>POS]";
            entries_.clear();
            return false;
        }
        e.folder = Key(f[0]);
        e.attributes = static_cast<uint8_t>(attr);
        e.size = static_cast<uint32_t>(size);
        e.position = static_cast<int>(pos);
        e.path = e.folder + "\\" + platform::UpperCp932(e.name);
        entries_.push_back(std::move(e));
    }
    return true;
}

std::vector<const RawEntries::Entry*> RawEntries::In(const std::string& folderKey) const
{
    std::vector<const Entry*> out;
    for (const Entry& e : entries_)
        if (e.folder == folderKey)
            out.push_back(&e);
    return out;
}

const RawEntries::Entry* RawEntries::At(const std::string& key) const
{
    for (const Entry& e : entries_)
        if (e.path == key)
            return &e;
    return nullptr;
}

bool RawEntries::Meets(const std::string& key) const
{
    auto within = [](const std::string& path, const std::string& folder) {
        return path == folder || folder.empty() ||
               (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
                path[folder.size()] == '\\');
    };
    for (const Entry& e : entries_)
        if (within(key, e.path) || within(e.path, key))
            return true;
    return false;
}

}  // namespace selksim
