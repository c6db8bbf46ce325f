#pragma once
#include <string>

namespace talvix {

// The question asked before a read-only card entry is deleted (UI thread,
// while the delete list is built).
class ReadOnlyAsker {
public:
    enum Answer { Cancel = 0, Yes = 1, No = 2 };

    virtual ~ReadOnlyAsker() = default;
    // `name` is the entry's card name (CP932). With `offerNo` the question has
    // Yes, No and Cancel (delete from the list); without it OK and Cancel
    // (delete from the tree), where OK answers Yes.
    virtual Answer AskReadOnlyDelete(const std::string& name, bool offerNo) = 0;
};

}  // namespace talvix
