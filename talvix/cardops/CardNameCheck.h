#pragma once
#include <string>
#include <vector>

namespace talvix {

// The check a new card file or folder name goes through before a rename or
// a new folder is sent to the card. Card names are 8.3 names in CP932.
class CardNameCheck {
public:
    enum Verdict {
        Ok,
        BadLength,  // empty or longer than 12 bytes ("MSG_WLEN")
        BadChars,   // a character or a dot the card cannot take ("MSG_WCHAR")
        Duplicate,  // the folder shows an entry of that name already ("MSG_OWN")
    };

    // The characters named in the "MSG_WCHAR" message, in its order.
    static constexpr const char* kRefusedChars = "\"*+,/:;<=>?[\\]|";

    // Judges `name` (CP932, upper-cased first) against the names shown in the
    // same folder (compared byte for byte after the upper-casing).
    static Verdict Check(const std::string& name, const std::vector<std::string>& shownNames);

    // The name as the card gets it: ASCII letters upper-cased.
    static std::string Upper(const std::string& name);
};

}  // namespace talvix
