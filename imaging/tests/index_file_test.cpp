#include "imaging/IndexFile.h"

#include <gtest/gtest.h>

#include "TestDir.h"

using imaging::ReadSlideIndex;
using imaging::ReadViewerIndex;
using Names = std::vector<std::string>;

TEST(ViewerIndex, LinesByTheViewersRules) {
    struct Case {
        const char* name;
        std::string text;
        Names want;
    };
    const std::vector<Case> cases = {
        {"CR LF lines", "A.BMP\r\nB.JPG\r\nC.JPG\r\n", {"A.BMP", "B.JPG", "C.JPG"}},
        {"LF only", "A.BMP\nB.JPG\n", {"A.BMP", "B.JPG"}},
        {"unfinished last line not taken", "A.BMP\r\nB.JPG\r\nC.JPG", {"A.BMP", "B.JPG"}},
        {"one-character line ends the list", "A.BMP\r\nX\r\nC.JPG\r\n", {"A.BMP"}},
        {"leading and repeated separators", "\r\n\t\r\nA.BMP\r\n\r\n\r\nB.JPG\t", {"A.BMP", "B.JPG"}},
        {"blanks and high bytes belong to the name", "MY PIC.JPG\n\x82\xA0\x82\xA2.JPG\n",
         {"MY PIC.JPG", "\x82\xA0\x82\xA2.JPG"}},
        {"two-character names are taken", "AB\n", {"AB"}},
        {"names leaving the folder are passed over", "A.BMP\n..\n../x.jpg\n/etc/passwd\nsub/B.JPG\nC.JPG\n",
         {"A.BMP", "C.JPG"}},
        {"empty file", "", {}},
    };
    TestDir dir;
    for (const Case& c : cases) {
        dir.Write("Index.TMP", c.text);
        EXPECT_EQ(ReadViewerIndex(dir.File("Index.TMP")), c.want) << c.name;
    }
    EXPECT_EQ(ReadViewerIndex(dir.File("missing.TMP")), Names{});
    EXPECT_EQ(ReadViewerIndex(dir.Path()), Names{});
}

TEST(ViewerIndex, HugeFilesStayWithinTheLimits) {
    TestDir dir;
    std::string many;
    for (int i = 0; i < 2000; ++i) many += "P" + std::to_string(i) + ".JPG\r\n";
    dir.Write("Index.TMP", many);
    Names names = ReadViewerIndex(dir.File("Index.TMP"));
    ASSERT_EQ(names.size(), imaging::kViewerMaxNames);
    EXPECT_EQ(names.back(), "P511.JPG");

    // 5000-byte lines cannot be file names: passed over, the rest is read.
    dir.Write("Index.TMP", std::string(5000, 'x') + "\r\nB.JPG\r\n" + std::string(5000, 'y') + "\r\nC.JPG\r\n");
    EXPECT_EQ(ReadViewerIndex(dir.File("Index.TMP")), (Names{"B.JPG", "C.JPG"}));
}

TEST(SlideIndex, LinesByTheSlideShowsRules) {
    struct Case {
        const char* name;
        std::string text;
        Names want;
    };
    const std::vector<Case> cases = {
        {"CR LF lines", "A.JPG\r\nB.JPG\r\n", {"/p/A.JPG", "/p/B.JPG"}},
        {"LF only is one unfinished line", "A.JPG\nB.JPG\n", {}},
        {"blanks inside names are dropped", "MY PIC.JPG\r\n", {"/p/MYPIC.JPG"}},
        {"empty lines are entries", "A.JPG\r\r\nB.JPG\r", {"/p/A.JPG", "/p/", "/p/B.JPG"}},
        {"text after the last CR is not taken", "A.JPG\r\nB.JPG", {"/p/A.JPG"}},
        {"one-character names are entries", "X\r", {"/p/X"}},
        {"control bytes anywhere are dropped", "\tA.\x01JPG\n\r", {"/p/A.JPG"}},
        {"high bytes are kept", "\x82\xA0.JPG\r", {"/p/\x82\xA0.JPG"}},
    };
    TestDir dir;
    for (const Case& c : cases) {
        dir.Write("index.TMP", c.text);
        EXPECT_EQ(ReadSlideIndex(dir.File("index.TMP"), "/p/"), c.want) << c.name;
    }
    EXPECT_EQ(ReadSlideIndex(dir.File("missing.TMP"), "/p/"), Names{});
}

TEST(SlideIndex, HugeFilesStayWithinTheLimits) {
    TestDir dir;
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "P" + std::to_string(i) + ".JPG\r\n";
    dir.Write("index.TMP", many);
    Names names = ReadSlideIndex(dir.File("index.TMP"), "/p/");
    ASSERT_EQ(names.size(), imaging::kSlideMaxEntries);
    EXPECT_EQ(names.back(), "/p/P2047.JPG");

    dir.Write("index.TMP", std::string(5000, 'x') + "\r\nB.JPG\r\n");
    EXPECT_EQ(ReadSlideIndex(dir.File("index.TMP"), "/p/"), (Names{"/p/B.JPG"}));
}
