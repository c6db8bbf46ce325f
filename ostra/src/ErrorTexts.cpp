#include "ErrorTexts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace ostra {

ErrorTexts ErrorTexts::FromEnvironment()
{
    const char* name = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') {
            name = value;
            break;
        }
    }
    return ForLocale(name);
}

ErrorTexts ErrorTexts::ForLocale(const char* localeName)
{
    ErrorTexts texts;
    if (localeName != nullptr && std::strncmp(localeName, "ja", 2) == 0) {
        texts.memory_ = "メモリが足りません";
        texts.format_ = "未対応のＢＭＰファイルです";
    } else {
        texts.memory_ = "Not enough memory.";
        texts.format_ = "No support fileformat.";
    }
    return texts;
}

void ErrorTexts::Show(const char* text)
{
    // One write, so that the line is not torn by other output.
    std::string line(text);
    line += '\n';
    size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += size_t(n);
    }
}

}  // namespace ostra
