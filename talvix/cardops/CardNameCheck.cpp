#include "talvix/cardops/CardNameCheck.h"

#include "platform/Cp932.h"
#include "platform/ShortName.h"

#include <cstring>

namespace talvix {

std::string CardNameCheck::Upper(const std::string& name)
{
    return platform::UpperCp932(name);
}

CardNameCheck::Verdict CardNameCheck::Check(const std::string& rawName, const std::vector<std::string>& shownNames)
{
    const std::string name = Upper(rawName);
    if (name.empty() || name.size() > 12)
        return BadLength;
    static constexpr const char refused[] = "\"*,/:;<>?\\| +=-[]";
    int dots = 0;
    size_t afterDot = 0;
    for (size_t i = 0; i < name.size();) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const size_t len = platform::Cp932CharLength(name, i);
        if (len == 1) {
            if (c == 0 || std::memchr(refused, c, sizeof refused - 1) != nullptr)
                return BadChars;
            if (c == '.') {
                if (++dots > 1)
                    return BadChars;
                afterDot = 0;
            } else if (dots == 1 && ++afterDot > 3) {
                return BadChars;
            }
        } else if (dots == 1 && (afterDot += len) > 3) {
            return BadChars;
        }
        // The ninth byte and later belong to an extension only.
        if (i >= 8 && dots != 1)
            return BadChars;
        i += len;
    }
    for (const std::string& shown : shownNames)
        if (shown == name)
            return Duplicate;
    return Ok;
}

}  // namespace talvix
