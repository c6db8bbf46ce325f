// The two error texts of the library, in the language of the user's locale,
// and the way they are shown: the library has no display, so a text becomes
// one line on standard error.
#pragma once

namespace ostra {

class ErrorTexts {
public:
    // Japanese when the first set of LC_ALL, LC_MESSAGES and LANG starts
    // with "ja", English otherwise.
    static ErrorTexts FromEnvironment();
    static ErrorTexts ForLocale(const char* localeName);

    const char* memoryMessage() const { return memory_; }
    const char* formatMessage() const { return format_; }

    // Writes text and a line end to standard error.
    static void Show(const char* text);

private:
    const char* memory_ = nullptr;
    const char* format_ = nullptr;
};

}  // namespace ostra
