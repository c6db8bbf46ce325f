#include "talvix/cli/TerminalAsker.h"

#include "platform/Cp932.h"
#include "platform/FileTime.h"

#include <cctype>
#include <string>

namespace talvix {

namespace {

std::string Describe(const platform::FindData& e, bool cardTime)
{
    if (e.IsDirectory())
        return "folder";
    // Card times are local already; PC times are UTC.
    platform::FileTime shown = e.ftLastWriteTime;
    if (!cardTime)
        platform::FileTimeToLocalFileTime(e.ftLastWriteTime, shown);
    platform::SystemTime t;
    char when[64] = "";
    if (platform::FileTimeToSystemTime(shown, t))
        std::snprintf(when, sizeof when, ", %04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                      t.wMinute, t.wSecond);
    return std::to_string(e.FileSize()) + " bytes" + when;
}

}  // namespace

TerminalAsker::Policy TerminalAsker::PolicyFor(bool yesAll, bool noClobber, bool stdinIsTerminal)
{
    if (yesAll)
        return Policy::YesAll;
    if (noClobber || !stdinIsTerminal)
        return Policy::No;
    return Policy::Ask;
}

char TerminalAsker::ReadLetter()
{
    std::fflush(out_);
    int c = std::fgetc(in_);
    while (c == ' ' || c == '\t')
        c = std::fgetc(in_);
    int rest = c;
    while (rest != '\n' && rest != EOF)
        rest = std::fgetc(in_);
    return c == EOF ? 0 : static_cast<char>(std::tolower(c));
}

OverwriteAsker::Answer TerminalAsker::AskOverwrite(const OverwriteQuestion& q)
{
    if (policy_ == Policy::YesAll)
        return OverwriteAsker::YesToAll;
    if (policy_ == Policy::No)
        return OverwriteAsker::No;
    const std::string name = q.toCard ? platform::ToUtf8(q.existingName) : q.existingName;
    for (;;) {
        std::fprintf(out_, "%s exists (%s); replace it with %s? [y]es, [a]ll, [n]o, [c]ancel: ", name.c_str(),
                     Describe(q.existing, q.toCard).c_str(), Describe(q.replacement, !q.toCard).c_str());
        switch (ReadLetter()) {
        case 'y': return OverwriteAsker::Yes;
        case 'a': return OverwriteAsker::YesToAll;
        case 'n': return OverwriteAsker::No;
        case 'c':
        case 0: return OverwriteAsker::Cancel;
        default: break;
        }
    }
}

ReadOnlyAsker::Answer TerminalAsker::AskReadOnlyDelete(const std::string& name, bool offerNo)
{
    if (policy_ == Policy::YesAll)
        return ReadOnlyAsker::Yes;
    if (policy_ == Policy::No)
        return offerNo ? ReadOnlyAsker::No : ReadOnlyAsker::Cancel;
    const std::string shown = platform::ToUtf8(name);
    for (;;) {
        std::fprintf(out_, "%s is read-only; go on? %s: ", shown.c_str(),
                     offerNo ? "[y]es, [n]o, [c]ancel" : "[y]es, [c]ancel");
        switch (ReadLetter()) {
        case 'y': return ReadOnlyAsker::Yes;
        case 'n':
            if (offerNo)
                return ReadOnlyAsker::No;
            break;
        case 'c':
        case 0: return ReadOnlyAsker::Cancel;
        default: break;
        }
    }
}

}  // namespace talvix
