#include "talvix/cli/CliOptions.h"
#include "talvix/cli/ProgressBar.h"
#include "talvix/cli/TerminalAsker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace talvix;

namespace {

bool Parse(std::vector<const char*> args, CliOptions& o, std::string& error)
{
    args.insert(args.begin(), "tvcard");
    return o.Parse(static_cast<int>(args.size()), args.data(), error);
}

}  // namespace

TEST(CliOptions, OptionsBeforeTheCommand)
{
    CliOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--port", "/dev/ttyUSB0", "--id", "7", "--rate", "57600", "-y", "-q", "ls", "-R"}, o, error))
        << error;
    EXPECT_EQ(o.portPath, "/dev/ttyUSB0");
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.id, 7);
    EXPECT_EQ(o.rate, 57600);
    EXPECT_TRUE(o.yesAll);
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(o.command, "ls");
    EXPECT_TRUE(o.recursive);
    EXPECT_TRUE(o.args.empty());

    CliOptions p;
    ASSERT_TRUE(Parse({"--port", "2", "-n", "get", "/A", "/B", "out"}, p, error)) << error;
    EXPECT_EQ(p.port, 2);
    EXPECT_TRUE(p.noClobber);
    EXPECT_EQ(p.args, (std::vector<std::string>{"/A", "/B", "out"}));
}

TEST(CliOptions, UsageErrors)
{
    const std::vector<std::vector<const char*>> bad = {
        {},           {"--port"},        {"--port", "0", "ls"}, {"--id", "100", "ls"}, {"--rate", "300", "ls"},
        {"-x", "ls"}, {"get", "/A"},     {"mkdir"},             {"mv", "/A"},          {"status", "extra"},
        {"copy"},     {"-y", "-n", "ls"},
    };
    for (const auto& args : bad) {
        CliOptions o;
        std::string error;
        EXPECT_FALSE(Parse(args, o, error)) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(error.empty());
    }
}

TEST(ProgressBar, LineShowsNamePercentAndTimeLeft)
{
    EXPECT_EQ(ProgressBar::Line("\\DCIM\\P1.JPG", 25, 10.0),
              "\\DCIM\\P1.JPG                     [#####---------------]  25% 00:30 left");
    EXPECT_EQ(ProgressBar::Line("\\A", 0, 3.0).substr(33), "[--------------------]   0% --:-- left");
    const std::string longName = "\\" + std::string(40, 'X') + "\\END.JPG";
    const std::string line = ProgressBar::Line(longName, 100, 5.0);
    EXPECT_EQ(line.substr(0, 3), "...");
    EXPECT_NE(line.find("END.JPG [####################] 100% 00:00 left"), std::string::npos);
}

TEST(TerminalAsker, PoliciesAndTypedAnswers)
{
    EXPECT_EQ(TerminalAsker::PolicyFor(true, false, false), TerminalAsker::Policy::YesAll);
    EXPECT_EQ(TerminalAsker::PolicyFor(false, true, true), TerminalAsker::Policy::No);
    EXPECT_EQ(TerminalAsker::PolicyFor(false, false, false), TerminalAsker::Policy::No);
    EXPECT_EQ(TerminalAsker::PolicyFor(false, false, true), TerminalAsker::Policy::Ask);

    OverwriteQuestion q;
    q.existingName = "/tmp/x/A.TXT";
    TerminalAsker yes(TerminalAsker::Policy::YesAll, stdin, stderr);
    EXPECT_EQ(yes.AskOverwrite(q), OverwriteAsker::YesToAll);
    TerminalAsker no(TerminalAsker::Policy::No, stdin, stderr);
    EXPECT_EQ(no.AskOverwrite(q), OverwriteAsker::No);
    EXPECT_EQ(no.AskReadOnlyDelete("A.TXT", true), ReadOnlyAsker::No);
    EXPECT_EQ(no.AskReadOnlyDelete("A.TXT", false), ReadOnlyAsker::Cancel);

    // Typed answers; an unknown letter asks again; the end of input cancels.
    char typed[] = "x\ny\n a\nN\nc\n";
    std::FILE* in = fmemopen(typed, sizeof typed - 1, "r");
    std::FILE* out = std::tmpfile();
    ASSERT_NE(in, nullptr);
    TerminalAsker ask(TerminalAsker::Policy::Ask, in, out);
    EXPECT_EQ(ask.AskOverwrite(q), OverwriteAsker::Yes);
    EXPECT_EQ(ask.AskOverwrite(q), OverwriteAsker::YesToAll);
    EXPECT_EQ(ask.AskOverwrite(q), OverwriteAsker::No);
    EXPECT_EQ(ask.AskReadOnlyDelete("A.TXT", false), ReadOnlyAsker::Cancel);
    EXPECT_EQ(ask.AskOverwrite(q), OverwriteAsker::Cancel);
    std::fclose(in);
    std::fclose(out);
}
