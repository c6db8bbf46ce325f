#include "imaging/PictureNames.h"

#include <gtest/gtest.h>

#include "TestDir.h"

using namespace imaging;

TEST(PictureNames, PicturePathJoinsWithOneSlash) {
    EXPECT_EQ(PicturePath("/home/me/Pict", "A.JPG"), "/home/me/Pict/A.JPG");
    EXPECT_EQ(PicturePath("/home/me/Pict/", "A.JPG"), "/home/me/Pict/A.JPG");
    EXPECT_EQ(PicturePath("", "A.JPG"), "A.JPG");
}

TEST(PictureNames, ThumbnailReplacesTheExtension) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/p/IMG0001.JPG", "/p/IMG0001.TBM"},
        {"/p/notes.txt", "/p/notes.TBM"},
        {"/p/photo.jpeg", "/p/photo.TBM"},
        {"/p/a.b.JPG", "/p/a.b.TBM"},
        {"/p/noext", "/p/noext.TBM"},
        {"/p.d/noext", "/p.d/noext.TBM"},  // a dot in the folder is not an extension
        {"/p/longname.extension", "/p/longname.extension.TBM"},
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(ThumbnailPath(in), want) << in;
}

TEST(PictureNames, DeleteThumbnailFindsEitherCase) {
    TestDir dir;
    dir.Write("notes.TBM", std::string("t"));
    dir.Write("IMG1.tbm", std::string("t"));
    EXPECT_TRUE(DeleteThumbnail(dir.File("notes.txt")));
    EXPECT_FALSE(dir.Exists("notes.TBM"));
    EXPECT_TRUE(DeleteThumbnail(dir.File("IMG1.JPG")));
    EXPECT_FALSE(dir.Exists("IMG1.tbm"));
    EXPECT_TRUE(DeleteThumbnail(dir.File("absent.JPG")));

    // A picture named like a thumbnail is not deleted as its own thumbnail.
    dir.Write("IMG2.TBM", std::string("t"));
    dir.Write("IMG3.tbm", std::string("t"));
    EXPECT_TRUE(DeleteThumbnail(dir.File("IMG2.TBM")));
    EXPECT_TRUE(DeleteThumbnail(dir.File("IMG3.TBM")));
    EXPECT_TRUE(dir.Exists("IMG2.TBM"));
    EXPECT_TRUE(dir.Exists("IMG3.tbm"));
}

TEST(PictureNames, TransferNameFillsTheTemplate) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"IMG0001.JPG", "IMG0001_.UPF"},
        {"ABCDEFGHIJ.JPG", "ABCDEFGH.UPF"},
        {"ABCDEFGH.JPG", "ABCDEFGH.UPF"},
        {"A.B.JPG", "A_______.UPF"},
        {".JPG", "________.UPF"},
        {"noext", "noext___.UPF"},
        // Two-byte characters: "あい" is 4 CP932 bytes.
        {"\xE3\x81\x82\xE3\x81\x84.JPG", "\x82\xA0\x82\xA2____.UPF"},
        // Seven single bytes then a two-byte character: its lead byte would
        // be the eighth, so an underscore stays there.
        {"ABCDEFG\xE3\x81\x82.JPG", "ABCDEFG_.UPF"},
        {"ABCDEF\xE3\x81\x82.JPG", "ABCDEF\x82\xA0.UPF"},
    };
    for (const auto& [in, want] : cases) EXPECT_EQ(TransferName(in), want) << in;
}
