#include "rolla/core/RollaCommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace rolla {

namespace {

// A decimal number as the system's text-to-number routine reads it: blanks,
// an optional sign and digits; other text is not a number here.
bool ReadDecimal(const std::string& text, int64_t& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i >= text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        if (v < (int64_t(1) << 40)) v = v * 10 + (text[i] - '0');
    }
    value = negative ? -v : v;
    return true;
}

}  // namespace

bool ParseRollaCommandLine(const std::string& line, SlideShowArgs& out) {
    out = SlideShowArgs{};
    if (line.size() < 2) return false;
    std::vector<std::string> pieces;
    size_t start = 1;
    for (;;) {
        const size_t slash = line.find('/', start);
        pieces.push_back(line.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    const std::string& indexName = pieces[0];
    if (indexName.empty()) return false;

    size_t folderEnd = pieces.size();
    int64_t mode = kDefaultMode, interval = kDefaultInterval;
    if (pieces.size() >= 4) {
        int64_t m = 0, t = 0;
        if (ReadDecimal(pieces[pieces.size() - 2], m) && ReadDecimal(pieces.back(), t)) {
            mode = m;
            interval = t;
            folderEnd = pieces.size() - 2;
        }
    }
    std::string folder;
    for (size_t i = 1; i < folderEnd; ++i) {
        if (i > 1) folder += '/';
        folder += pieces[i];
    }
    if (folder.size() > kMaxFolder) return false;
    if (!folder.empty() && folder.back() != '/') folder += '/';

    out.pictureFolder = folder;
    out.indexPath = folder + indexName;
    out.showMode = int16_t(uint16_t(uint64_t(mode)));  // kept as the 16-bit number it is read as
    // The timer takes the period as an unsigned number: a negative one is a
    // huge period, cut to the longest the system keeps.
    if (interval < 0 || interval > INT32_MAX) interval = INT32_MAX;
    if (interval < kMinimumInterval) interval = kMinimumInterval;
    out.interval = int32_t(interval);
    return true;
}

}  // namespace rolla
