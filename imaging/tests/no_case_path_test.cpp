#include "imaging/NoCasePath.h"

#include <gtest/gtest.h>

#include "TestDir.h"

using imaging::FindExistingPath;

TEST(NoCasePath, ExactNameWinsElseTheOtherCaseIsFound) {
    TestDir dir;
    dir.Write("Index.TMP", std::string("x"));
    dir.Write("IMG0001.tbm", std::string("x"));
    dir.Write("pic.JPG", std::string("a"));
    dir.Write("pic.jpg", std::string("b"));

    EXPECT_EQ(FindExistingPath(dir.File("Index.TMP")), dir.File("Index.TMP"));
    EXPECT_EQ(FindExistingPath(dir.File("index.TMP")), dir.File("Index.TMP"));
    EXPECT_EQ(FindExistingPath(dir.File("IMG0001.TBM")), dir.File("IMG0001.tbm"));
    // Both spellings exist: the exact one is taken; another spelling takes the
    // first in byte order.
    EXPECT_EQ(FindExistingPath(dir.File("pic.jpg")), dir.File("pic.jpg"));
    EXPECT_EQ(FindExistingPath(dir.File("PIC.jpg")), dir.File("pic.JPG"));
    // Nothing matches: the path comes back as it was.
    EXPECT_EQ(FindExistingPath(dir.File("none.jpg")), dir.File("none.jpg"));
    EXPECT_EQ(FindExistingPath(dir.File("nofolder/a.jpg")), dir.File("nofolder/a.jpg"));
    EXPECT_EQ(FindExistingPath(""), "");
}

TEST(NoCasePath, OnlyAsciiLettersFoldTheirCase) {
    EXPECT_TRUE(imaging::EqualsNoCase("abc.JPG", "ABC.jpg"));
    EXPECT_FALSE(imaging::EqualsNoCase("abc", "abd"));
    EXPECT_FALSE(imaging::EqualsNoCase("\xC3\xA4", "\xC3\x84"));  // a-umlaut against A-umlaut
    EXPECT_FALSE(imaging::EqualsNoCase("a", "ab"));
}
