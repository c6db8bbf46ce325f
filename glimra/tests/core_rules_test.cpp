#include <gtest/gtest.h>

#include "glimra/core/CommandLine.h"
#include "glimra/core/ProgramLauncher.h"
#include "glimra/core/ScrollMath.h"
#include "glimra/core/ViewerSettings.h"
#include "glimra/core/ViewerState.h"
#include "imaging/tests/TestDir.h"
#include "platform/Registry.h"

#include <sys/stat.h>

using namespace glimra;

TEST(GlimraCommandLine, FileThenEverythingAfterTheNextSlashIsTheFolder) {
    struct Case {
        std::string line;
        bool ok;
        std::string file, folder;
    };
    const std::vector<Case> cases = {
        {"/IMG0001.JPG//home/me/Pict", true, "IMG0001.JPG", "/home/me/Pict"},
        {"/A.BMP/pics", true, "A.BMP", "pics"},
        {"/A.BMP", true, "A.BMP", ""},
        {"/A.BMP//home/me/My Pictures/", true, "A.BMP", "/home/me/My Pictures/"},
        {"", false, "", ""},
        {"/", false, "", ""},
        {"//home/me", false, "", ""},
        {"/" + std::string(600, 'x') + ".JPG//tmp", false, "", ""},
        {"/A.JPG/" + std::string(3000, 'd'), false, "", ""},
    };
    for (const Case& c : cases) {
        std::string file = "old", folder = "old";
        EXPECT_EQ(ParseGlimraCommandLine(c.line, file, folder), c.ok) << c.line.substr(0, 40);
        EXPECT_EQ(file, c.file);
        EXPECT_EQ(folder, c.folder);
    }
    const char* argv[] = {"glimra", "/A.JPG//home/me/My", "Pictures"};
    EXPECT_EQ(JoinArguments(3, argv), "/A.JPG//home/me/My Pictures");
    EXPECT_EQ(JoinArguments(1, argv), "");
}

TEST(GlimraState, NeighbourPictureWrapsBothWays) {
    const std::vector<std::string> names = {"A.BMP", "B.JPG", "C.JPG"};
    EXPECT_EQ(NeighbourPicture(names, "A.BMP", 1), "B.JPG");
    EXPECT_EQ(NeighbourPicture(names, "B.JPG", 1), "C.JPG");
    EXPECT_EQ(NeighbourPicture(names, "C.JPG", 1), "A.BMP");
    EXPECT_EQ(NeighbourPicture(names, "A.BMP", -1), "C.JPG");
    EXPECT_EQ(NeighbourPicture(names, "B.JPG", 0), "B.JPG");
    EXPECT_EQ(NeighbourPicture(names, "a.bmp", 1), "a.bmp");  // compared byte for byte
    EXPECT_EQ(NeighbourPicture({}, "A.BMP", 1), "A.BMP");
    EXPECT_EQ(NeighbourPicture({"ONLY.JPG"}, "ONLY.JPG", -1), "ONLY.JPG");

    ViewerState s;
    s.pictureFolder = "/p";
    s.currentFile = "A.BMP";
    EXPECT_EQ(s.PicturePath(), "/p/A.BMP");
    s.pictureFolder = "/p/";
    EXPECT_EQ(s.PicturePath(), "/p/A.BMP");
}

TEST(GlimraScroll, LinePageAndThumbSteps) {
    struct Case {
        ScrollCode code;
        int32_t cur, max, thumb, want;
    };
    const std::vector<Case> cases = {
        {ScrollCode::kLineDown, 3, 6, 0, 6},  // 3 is not below 6 - 5
        {ScrollCode::kLineDown, 0, 100, 0, 5},
        {ScrollCode::kLineUp, 3, 100, 0, 0},
        {ScrollCode::kLineUp, 6, 100, 0, 1},
        {ScrollCode::kPageUp, 50, 400, 0, 0},  // 50 is not above 50
        {ScrollCode::kPageUp, 51, 400, 0, 1},
        {ScrollCode::kPageDown, 0, 400, 0, 50},
        {ScrollCode::kPageDown, 360, 400, 0, 400},
        {ScrollCode::kThumbPosition, 0, 400, 123, 123},
        {ScrollCode::kThumbPosition, 0, 400, 401, 400},
        {ScrollCode::kThumbPosition, 0, 400, -1, 400},  // unsigned: a negative position is past the end
    };
    for (const Case& c : cases) {
        int32_t target = -99;
        ASSERT_TRUE(ScrollTarget(c.code, c.cur, c.max, c.thumb, target));
        EXPECT_EQ(target, c.want) << int(c.code) << " at " << c.cur;
    }
    int32_t target = 7;
    EXPECT_FALSE(ScrollTarget(ScrollCode::kOther, 3, 6, 0, target));
    EXPECT_EQ(target, 7);
    EXPECT_EQ(ScrollMaximum(1200, 700), 500);
    EXPECT_EQ(ScrollMaximum(300, 700), 0);
}

TEST(GlimraFrameFit, ClientFollowsThePictureUpToTheDesktopEdge) {
    FrameGeometry g;
    g.frameLeft = 10;
    g.frameTop = 10;
    g.frameWidth = 400;  // 20 of border, toolbar and so on around a 380x300 client
    g.frameHeight = 360;
    g.clientWidth = 380;
    g.clientHeight = 300;
    g.desktopWidth = 1920;
    g.desktopHeight = 1080;
    int32_t cw = 0, ch = 0;
    FitClientSize(g, 600, 400, cw, ch);  // 300x200 at 200 %
    EXPECT_EQ(cw, 600);
    EXPECT_EQ(ch, 400);

    g.desktopWidth = 800;
    g.desktopHeight = 600;
    FitClientSize(g, 1200, 800, cw, ch);  // at 400 %: the client ends at the desktop's edges
    EXPECT_EQ(cw, 800 - 10 - 20);
    EXPECT_EQ(ch, 600 - 10 - 60);
}

TEST(GlimraFrameFit, BarsShowWhereThePictureIsLarger) {
    FrameGeometry g;
    g.frameWidth = 640;
    g.frameHeight = 520;
    g.clientWidth = 600;
    g.clientHeight = 400;
    BarLayout b = LayoutBars(g, 600, 400);
    EXPECT_FALSE(b.horizontal);
    EXPECT_FALSE(b.vertical);
    EXPECT_TRUE(b.resizeFrame);
    EXPECT_EQ(b.frameWidth, 640);
    EXPECT_EQ(b.frameHeight, 520);

    b = LayoutBars(g, 1200, 800);  // larger both ways: both bars, nothing else changes
    EXPECT_TRUE(b.horizontal);
    EXPECT_TRUE(b.vertical);
    EXPECT_FALSE(b.resizeFrame);

    b = LayoutBars(g, 1200, 300);  // wider only: the frame's height shrinks to the picture
    EXPECT_TRUE(b.horizontal);
    EXPECT_FALSE(b.vertical);
    EXPECT_TRUE(b.resizeFrame);
    EXPECT_EQ(b.frameWidth, 640);
    EXPECT_EQ(b.frameHeight, 420);
}

TEST(GlimraSettings, ValuesFromTheOrganisersKeyOrTheCallersDefaults) {
    TestDir dir;
    const std::string reg = dir.File("machine.reg");
    ViewerSettings settings(reg);
    int32_t mode = 0, time = 1000, port = 0;
    std::string tool;
    settings.ReadViewerSettings(mode, time, port);  // no file, no key: defaults stay
    settings.ReadEditToolName(tool);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(time, 1000);
    EXPECT_EQ(port, 0);
    EXPECT_EQ(tool, "");

    platform::Registry r(reg);
    ASSERT_TRUE(r.SetDword("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro", "Slide Show Mode", 1));
    ASSERT_TRUE(r.SetDword("HKEY_LOCAL_MACHINE\\Software\\vendra\\PICTARO", "Port Class", 1));
    ASSERT_TRUE(r.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro", "Edit Tool Name", "gimp -n"));
    settings.ReadViewerSettings(mode, time, port);
    settings.ReadEditToolName(tool);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(time, 1000);  // still missing: unchanged
    EXPECT_EQ(port, 1);
    EXPECT_EQ(tool, "gimp -n");

    // A name too long for its place is not taken, not even in part.
    const std::string longName = "/opt/" + std::string(ViewerSettings::kMaxEditToolName, 'e');
    ASSERT_TRUE(r.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro", "Edit Tool Name", longName));
    tool.clear();
    settings.ReadEditToolName(tool);
    EXPECT_EQ(tool, "");
    const std::string longest = "/" + std::string(ViewerSettings::kMaxEditToolName - 1, 'e');
    ASSERT_TRUE(r.SetString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro", "Edit Tool Name", longest));
    settings.ReadEditToolName(tool);
    EXPECT_EQ(tool, longest);
}

TEST(GlimraLauncher, CommandLinesSplitTheWindowsWay) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("rolla.mod /index.TMP//p/0/1000"), (V{"rolla.mod", "/index.TMP//p/0/1000"}));
    EXPECT_EQ(SplitCommandLine("  tool   /p/My Pic.JPG "), (V{"tool", "/p/My", "Pic.JPG"}));
    EXPECT_EQ(SplitCommandLine("\"/opt/my tool/t\" -x \"a \"\"b\"\"\""), (V{"/opt/my tool/t", "-x", "a \"b\""}));
    EXPECT_EQ(SplitCommandLine("a\\\"b"), (V{"a\"b"}));
    EXPECT_EQ(SplitCommandLine(""), V{});
}

TEST(GlimraLauncher, ProgramsBesideTheCallerComeBeforePath) {
    TestDir dir;
    std::filesystem::create_directories(dir.File("bin"));
    dir.Write("bin/rolla.mod", std::string("#!/bin/sh\n"));
    ::chmod(dir.File("bin/rolla.mod").c_str(), 0755);
    dir.Write("bin/plain", std::string("not executable"));
    EXPECT_EQ(FindProgram("rolla.mod", dir.File("bin")), dir.File("bin/rolla.mod"));
    EXPECT_EQ(FindProgram("plain", dir.File("bin")), "");
    EXPECT_EQ(FindProgram("sh", dir.File("nothing")).empty(), false);  // from PATH
    EXPECT_EQ(FindProgram("no-such-program-here", dir.File("bin")), "");
    EXPECT_EQ(FindProgram(dir.File("bin/rolla.mod"), ""), dir.File("bin/rolla.mod"));
}
