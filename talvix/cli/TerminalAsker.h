#pragma once
#include "talvix/cardops/OverwriteAsker.h"
#include "talvix/cardops/ReadOnlyAsker.h"

#include <cstdio>

namespace talvix {

// tvcard's answers to the questions of the card operations: Yes to all with
// -y, No with -n; otherwise the user is asked on the terminal when stdin is
// one, and the answer is No when it is not.
class TerminalAsker : public OverwriteAsker, public ReadOnlyAsker {
public:
    enum class Policy { YesAll, No, Ask };

    TerminalAsker(Policy policy, std::FILE* in, std::FILE* out) : policy_(policy), in_(in), out_(out) {}

    // The policy for the options given and whether stdin is a terminal.
    static Policy PolicyFor(bool yesAll, bool noClobber, bool stdinIsTerminal);

    OverwriteAsker::Answer AskOverwrite(const OverwriteQuestion& question) override;
    ReadOnlyAsker::Answer AskReadOnlyDelete(const std::string& name, bool offerNo) override;

private:
    // Reads one answer letter; 0 at the end of input.
    char ReadLetter();

    Policy policy_;
    std::FILE* in_;
    std::FILE* out_;
};

}  // namespace talvix
