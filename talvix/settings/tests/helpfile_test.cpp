#include "talvix/settings/HelpFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace talvix {
namespace {

const char kSample[] =
    "<!DOCTYPE html>\r\n"
    "<html><head><title>Help</title></head><body>\r\n"
    "<p>outside any topic</p>\r\n"
    "<section id=\"copy\" data-title=\"Copying &amp; saving\" data-keywords=\"copy; PC folder;;\">\r\n"
    "<h1>Copying</h1>\r\n"
    "<p>Choose <b>Copy</b>.</p>\r\n"
    "</section>\r\n"
    "  <section id=\"device\" data-title=\"Devices\" data-keywords=\"device;Copy ;serial port\">\n"
    "<p>Devices</p>\n"
    "</section>\n"
    "<section id=\"open\" data-title=\"Not closed\" data-keywords=\"カード; card\">\n"
    "<p>runs to the end</p>\n"
    "</body></html>\n";

TEST(HelpFile, ParsesTopicsTitlesKeywordsAndBodies) {
  HelpFile help;
  help.Parse(kSample);
  ASSERT_EQ(help.Topics().size(), 3u);
  const HelpTopic& copy = help.Topics()[0];
  EXPECT_EQ(copy.id, "copy");
  EXPECT_EQ(copy.title, "Copying & saving");
  EXPECT_EQ(copy.keywords, (std::vector<std::string>{"copy", "PC folder"}));
  EXPECT_EQ(copy.html, "<h1>Copying</h1>\n<p>Choose <b>Copy</b>.</p>\n");
  EXPECT_EQ(help.Topics()[1].keywords,
            (std::vector<std::string>{"device", "Copy", "serial port"}));
  // A topic left open runs to the end of the file.
  EXPECT_NE(help.Topics()[2].html.find("runs to the end"), std::string::npos);
  EXPECT_EQ(help.Topics()[0].html.find("outside"), std::string::npos);
}

TEST(HelpFile, FindsTopicsByKeywordWithoutCase) {
  HelpFile help;
  help.Parse(kSample);
  const auto copy = help.TopicsForKeyword("COPY");
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_EQ(copy[0]->id, "copy");
  EXPECT_EQ(copy[1]->id, "device");
  ASSERT_EQ(help.TopicsForKeyword(" serial port ").size(), 1u);
  ASSERT_EQ(help.TopicsForKeyword("カード").size(), 1u);
  EXPECT_TRUE(help.TopicsForKeyword("serial").empty());  // whole keywords only
  EXPECT_EQ(help.TopicById("device")->title, "Devices");
  EXPECT_EQ(help.TopicById("none"), nullptr);
}

TEST(HelpFile, IndexListsEveryKeywordOnceSorted) {
  HelpFile help;
  help.Parse(kSample);
  EXPECT_EQ(help.Keywords(), (std::vector<std::string>{"card", "copy", "device", "PC folder",
                                                       "serial port", "カード"}));
  EXPECT_EQ(help.KeywordsStartingWith("c"), (std::vector<std::string>{"card", "copy"}));
  EXPECT_EQ(help.KeywordsStartingWith("").size(), 6u);
  EXPECT_TRUE(help.KeywordsStartingWith("zz").empty());
}

TEST(HelpFile, LoadFromFileAndMissingFile) {
  const std::string dir = std::filesystem::temp_directory_path().string();
  const std::string path = dir + "/helpfile_test_" + std::to_string(::getpid()) + ".hlp";
  std::ofstream(path, std::ios::binary) << kSample;
  HelpFile help;
  EXPECT_TRUE(help.Load(path));
  EXPECT_EQ(help.Topics().size(), 3u);
  std::filesystem::remove(path);
  EXPECT_FALSE(help.Load(path));
  EXPECT_TRUE(help.Topics().empty());
  EXPECT_FALSE(help.Load(dir));  // a folder is no help file
}

TEST(HelpFile, MalformedTagsGiveNoCrash) {
  HelpFile help;
  help.Parse("<section id=\"x data-keywords=\"a\">\n</section>\n<section >\n<section\n");
  // Unterminated attribute values come back empty; nothing runs past the text.
  for (const HelpTopic& topic : help.Topics()) {
    EXPECT_LE(topic.keywords.size(), 1u);
  }
  help.Parse("");
  EXPECT_TRUE(help.Topics().empty());
}

TEST(HelpFile, FileNameByLanguage) {
  EXPECT_STREQ(HelpFile::FileNameFor(17), "tv10j.hlp");
  EXPECT_STREQ(HelpFile::FileNameFor(9), "tv10e.hlp");
  EXPECT_STREQ(HelpFile::FileNameFor(12), "tv10e.hlp");
}

}  // namespace
}  // namespace talvix
