#include "talvix/settings/MLang.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace talvix {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "mlang_test_XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

MLang English(const std::string& captions) {
  MLang lang;
  lang.SetLanguage(MLang::kEnglish);
  lang.ParseCaptionTable(captions);
  return lang;
}

ComponentRef Control(std::string_view name, std::string_view form, std::string_view cls = "TLabel",
                     std::string_view ownerOwner = "") {
  return ComponentRef{name, cls, form, ownerOwner};
}

TEST(MLangLanguage, JapaneseOnlyForAJaLocale) {
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    uint16_t expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, "ja_JP.UTF-8", 17},
      {nullptr, "ja_JP.UTF-8", "en_US.UTF-8", 17},
      {"ja_JP.eucJP", nullptr, "C", 17},
      {"", "", "ja", 17},
      {nullptr, nullptr, "en_GB.UTF-8", 9},
      {nullptr, nullptr, "fr_FR.UTF-8", 9},  // any other language is English
      {nullptr, nullptr, "de_DE", 9},
      {"C", nullptr, "ja_JP.UTF-8", 9},       // LC_ALL rules over LANG
      {nullptr, "en_US", "ja_JP.UTF-8", 9},  // LC_MESSAGES rules over LANG
      {nullptr, nullptr, nullptr, 9},
      {nullptr, nullptr, "POSIX", 9},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MLang::LanguageFromLocale(c.lcAll, c.lcMessages, c.lang), c.expected)
        << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " "
        << (c.lang ? c.lang : "-");
  }
}

TEST(MLangLanguage, SelectLanguageReadsTheEnvironment) {
  const char* saved[3] = {std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG")};
  const std::string keep[3] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "",
                               saved[2] ? saved[2] : ""};
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::setenv("LANG", "ja_JP.UTF-8", 1);
  MLang lang;
  EXPECT_EQ(lang.SelectLanguage(), 17);
  EXPECT_EQ(lang.LanguageId(), 17);
  ::setenv("LANG", "it_IT.UTF-8", 1);
  EXPECT_EQ(lang.SelectLanguage(), 9);
  const char* names[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  for (int i = 0; i < 3; ++i) {
    if (saved[i]) {
      ::setenv(names[i], keep[i].c_str(), 1);
    } else {
      ::unsetenv(names[i]);
    }
  }
}

TEST(MLangCaptions, ColumnsOfTheChosenLanguageOnly) {
  const std::string table =
      "frmA\tlblOne\tOne\tSTD\tUn\tSTDF\tイチ\tSTDJ\r\n"
      "frmA\tlblTwo\t\t\t\t\tニ\tSTDJ\r\n";
  MLang en = English(table);
  ASSERT_EQ(en.Captions().size(), 2u);
  EXPECT_EQ(en.Captions()[0].text, "One");
  EXPECT_EQ(en.Captions()[0].styleKey, "STD");
  // Only the Japanese column is filled: English still uses its own (empty) one.
  EXPECT_EQ(en.Captions()[1].text, "");

  MLang ja;
  ja.SetLanguage(MLang::kJapanese);
  ja.ParseCaptionTable(table);
  EXPECT_EQ(ja.Captions()[0].text, "イチ");
  EXPECT_EQ(ja.Captions()[0].styleKey, "STDJ");
  EXPECT_EQ(ja.Captions()[1].text, "ニ");
}

TEST(MLangCaptions, LineAndFieldRules) {
  struct Case {
    const char* what;
    std::string table;
    std::size_t entries;
    std::string form;  // of the last entry
    std::string component;
    std::string text;
    std::string style;
  };
  const Case cases[] = {
      {"CR LF keeps every field", "frmA\tlblA\tHello\tSTD\r\n", 1, "frmA", "lblA", "Hello", "STD"},
      {"bare LF loses the last field", "frmA\tlblA\tHello\tSTD\n", 1, "frmA", "lblA", "Hello", ""},
      {"bare LF with names only keeps no text", "frmA\tlblA\tHello\n", 1, "frmA", "lblA", "", ""},
      {"final line without LF is not read", "frmA\tlblA\tOne\t\r\nfrmA\tlblB\tTwo\t\r", 1, "frmA",
       "lblA", "One", ""},
      {"$$ comment is skipped", "$$ frmX\tlblX\tNo\t\r\nfrmA\tlblA\tYes\t\r\n", 1, "frmA", "lblA",
       "Yes", ""},
      {"a single $ is no comment", "$frm\tlblA\tYes\t\r\n", 1, "$frm", "lblA", "Yes", ""},
      {"an empty line is an entry", "frmA\tlblA\tYes\t\r\n\n", 2, "", "", "", ""},
      {"a CR alone ends a field too", "frmA\rlblA\rYes\r\r\n", 1, "frmA", "lblA", "Yes", ""},
      {"fields past the eighth are ignored", "f\tc\tT\tS\t5\t6\t7\t8\t9\t10\r\n", 1, "f", "c", "T",
       "S"},
      {"text after the last separator is dropped", "frmA\tlblA\tYes\r\t tail\n", 1, "frmA",
       "lblA", "Yes", ""},
  };
  for (const Case& c : cases) {
    MLang lang = English(c.table);
    ASSERT_EQ(lang.Captions().size(), c.entries) << c.what;
    const CaptionEntry& e = lang.Captions().back();
    EXPECT_EQ(e.formName, c.form) << c.what;
    EXPECT_EQ(e.componentName, c.component) << c.what;
    EXPECT_EQ(e.text, c.text) << c.what;
    EXPECT_EQ(e.styleKey, c.style) << c.what;
  }
}

TEST(MLangCaptions, FieldLimitsStoreOverLongFieldsEmpty) {
  const std::string text199(199, 'a');
  const std::string text200(200, 'b');
  const std::string name99(99, 'n');
  const std::string name100(100, 'm');
  const std::string style19(19, 's');
  const std::string style20(20, 't');
  MLang lang = English("frmA\t" + name99 + "\t" + text199 + "\t" + style19 + "\r\n" + name100 +
                       "\tlblB\t" + text200 + "\t" + style20 + "\r\n");
  ASSERT_EQ(lang.Captions().size(), 2u);
  EXPECT_EQ(lang.Captions()[0].componentName, name99);
  EXPECT_EQ(lang.Captions()[0].text, text199);
  EXPECT_EQ(lang.Captions()[0].styleKey, style19);
  EXPECT_EQ(lang.Captions()[1].formName, "");
  EXPECT_EQ(lang.Captions()[1].componentName, "lblB");
  EXPECT_EQ(lang.Captions()[1].text, "");
  EXPECT_EQ(lang.Captions()[1].styleKey, "");
}

TEST(MLangCaptions, LimitCountsUtf8Bytes) {
  // 66 three-byte characters are 198 bytes, 67 are 201.
  std::string fits, tooLong;
  for (int i = 0; i < 66; ++i) fits += "あ";
  tooLong = fits + "あ";
  MLang lang = English("PrgLevel\tA\t" + fits + "\t\r\nPrgLevel\tB\t" + tooLong + "\t\r\n");
  EXPECT_EQ(lang.GetText("A"), fits);
  EXPECT_EQ(lang.GetText("B"), "");
}

TEST(MLangCaptions, CapacityIs500Entries) {
  std::string table;
  for (int i = 0; i < 501; ++i) {
    table += "PrgLevel\tK" + std::to_string(i) + "\tT" + std::to_string(i) + "\t\r\n";
    if (i == 10) table += "$$ comments do not count\r\n";
  }
  MLang lang = English(table);
  EXPECT_EQ(lang.Captions().size(), 500u);
  EXPECT_EQ(lang.GetText("K499"), "T499");
  EXPECT_EQ(lang.GetText("K500"), "");
}

TEST(MLangCaptions, FindCaptionByOwnerOwnersOwnerOrOwnName) {
  MLang lang = English(
      "frmA\tlblA\tA\t\r\n"
      "frmHost\tlblB\tB\t\r\n"
      "pnlC\tanything\tC\t\r\n"
      "frmA\tlblD\tD1\t\r\n"
      "frmA\tlblD\tD2\t\r\n");
  EXPECT_EQ(lang.FindCaption(Control("lblA", "frmA")), 0);
  EXPECT_EQ(lang.FindCaption(Control("lblA", "frmOther")), -1);  // another form's control
  EXPECT_EQ(lang.FindCaption(Control("lblB", "frmA", "TLabel", "frmHost")), 1);
  EXPECT_EQ(lang.FindCaption(Control("pnlC", "frmA")), 2);  // the line is named after it
  EXPECT_EQ(lang.FindCaption(Control("lblD", "frmA")), 3);  // the first match wins
  EXPECT_EQ(lang.FindCaption(Control("lbld", "frmA")), -1);  // byte for byte
}

TEST(MLangCaptions, EmptyLineEndsFindCaptionButNotGetText) {
  MLang lang = English(
      "frmA\tlblA\tBefore\t\r\n"
      "PrgLevel\tMSG_A\tFirst\t\r\n"
      "\r\n"
      "frmA\tlblB\tAfter\t\r\n"
      "PrgLevel\tMSG_B\tSecond\t\r\n");
  EXPECT_EQ(lang.FindCaption(Control("lblA", "frmA")), 0);
  EXPECT_EQ(lang.FindCaption(Control("lblB", "frmA")), -1);
  EXPECT_EQ(lang.GetText("MSG_A"), "First");
  EXPECT_EQ(lang.GetText("MSG_B"), "Second");
  EXPECT_EQ(lang.GetText("MSG_C"), "");
  EXPECT_EQ(lang.GetText("lblA"), "");  // only program-text lines count
}

TEST(MLangStyles, FirstLineIsAHeadingAndNeverApplied) {
  MLang lang;
  lang.ParseStyleTable(
      "HEAD\tFace\t12\ttrue\r\n"
      "BIG\tSans\t14\tTRUE\tignored\r\n"
      "$$ a comment\r\n"
      "KEEP\t$$\t$$\t$$\r\n"
      "THIN\tSerif\t 9\tno\r\n");
  ASSERT_EQ(lang.Styles().size(), 4u);
  EXPECT_EQ(lang.FindStyle("HEAD"), 0);
  EXPECT_EQ(lang.FindStyle("BIG"), 1);
  EXPECT_EQ(lang.FindStyle("THIN"), 3);
  EXPECT_EQ(lang.FindStyle("none"), 0);

  const FontChange heading = lang.StyleFont(lang.FindStyle("HEAD"), 0);
  EXPECT_FALSE(heading.setFace || heading.setSize || heading.setBold);

  const FontChange big = lang.StyleFont(1, 0);
  EXPECT_TRUE(big.setFace);
  EXPECT_EQ(big.face, "Sans");
  EXPECT_EQ(big.charset, MLang::kCharsetAnsi);
  EXPECT_TRUE(big.setSize);
  EXPECT_EQ(big.size, 14);
  EXPECT_TRUE(big.setBold);
  EXPECT_TRUE(big.bold);

  const FontChange keep = lang.StyleFont(2, 1);
  EXPECT_FALSE(keep.setFace || keep.setSize || keep.setBold);

  const FontChange thin = lang.StyleFont(3, 1);  // 120 dpi: one point less
  EXPECT_EQ(thin.size, 8);
  EXPECT_TRUE(thin.setBold);
  EXPECT_FALSE(thin.bold);
  EXPECT_FALSE(lang.StyleFont(4, 0).setFace);  // out of range
}

TEST(MLangStyles, JapaneseFacesGetTheShiftJisCharset) {
  MLang lang;
  lang.SetLanguage(MLang::kJapanese);
  lang.ParseStyleTable("HEAD\t\t\t\r\nJ\tIPAGothic\t9\t$$\r\n");
  EXPECT_EQ(lang.StyleFont(1, 0).charset, MLang::kCharsetShiftJis);
}

TEST(MLangStyles, EmptyKeyFindsAnEmptyLineUnlessItIsFirst) {
  MLang lang;
  lang.ParseStyleTable("HEAD\t$$\t$$\t$$\r\n\n");
  const int index = lang.FindStyle("");
  EXPECT_EQ(index, 1);
  const FontChange change = lang.StyleFont(index, 0);
  EXPECT_TRUE(change.setFace);
  EXPECT_EQ(change.face, "");
  EXPECT_TRUE(change.setSize);
  EXPECT_EQ(change.size, 0);

  MLang first;
  first.ParseStyleTable("\nHEAD\t$$\t$$\t$$\r\n");
  EXPECT_EQ(first.FindStyle(""), 0);  // the heading line is never a style
}

TEST(MLangStyles, StyleFieldLimits) {
  MLang lang;
  lang.ParseStyleTable("HEAD\r\n" + std::string(19, 'k') + "\t" + std::string(59, 'f') +
                       "\t10\ttrue\r\n" + std::string(20, 'k') + "\t" + std::string(60, 'f') +
                       "\t100\tfalse!\r\n");
  ASSERT_EQ(lang.Styles().size(), 3u);
  EXPECT_EQ(lang.Styles()[1].key, std::string(19, 'k'));
  EXPECT_EQ(lang.Styles()[1].fontName, std::string(59, 'f'));
  EXPECT_EQ(lang.Styles()[1].fontSize, "10");
  EXPECT_EQ(lang.Styles()[2].key, "");
  EXPECT_EQ(lang.Styles()[2].fontName, "");
  EXPECT_EQ(lang.Styles()[2].fontSize, "");
  EXPECT_EQ(lang.Styles()[2].bold, "");
}

TEST(MLangStyles, CapacityIs50Entries) {
  std::string table;
  for (int i = 0; i < 60; ++i) table += "S" + std::to_string(i) + "\t$$\t$$\t$$\r\n";
  MLang lang;
  lang.ParseStyleTable(table);
  EXPECT_EQ(lang.Styles().size(), 50u);
  EXPECT_EQ(lang.FindStyle("S49"), 49);
  EXPECT_EQ(lang.FindStyle("S50"), 0);
}

TEST(MLangStyles, ReadDecimalLikeTheSizeField) {
  const std::pair<const char*, int> cases[] = {{"9", 9},   {" 9", 9}, {"+8", 8}, {"-2", -2},
                                               {"1x", 1},  {"x1", 0}, {"", 0},   {"  ", 0},
                                               {"-", 0},   {"99", 99}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(ReadDecimal(text), value) << "'" << text << "'";
  }
  EXPECT_EQ(ReadDecimal(std::string(40, '9')), 2147483647);  // saturates, no overflow
}

TEST(MLangStyles, LargeFontsAbove108Dpi) {
  EXPECT_EQ(MLang::LargeFontsFor(96), 0);
  EXPECT_EQ(MLang::LargeFontsFor(108), 0);
  EXPECT_EQ(MLang::LargeFontsFor(109), 1);
  EXPECT_EQ(MLang::LargeFontsFor(120), 1);
}

TEST(MLangDispatch, ActionByClass) {
  struct Case {
    const char* cls;
    const char* style;
    CaptionUse use;
  };
  const Case cases[] = {
      {"TMenuItem", "STD", {true, false, false}},
      {"TMenuItem", "HINT", {true, false, false}},
      {"TToolButton", "HINT", {false, true, false}},
      {"TToolButton", "STD", {true, false, false}},
      {"TButton", "HINT", {false, true, false}},
      {"TBitBtn", "STD", {true, false, true}},
      {"TLabel", "STD", {true, false, true}},
      {"TLabel", "HINT", {true, false, true}},
      {"TRadioGroup", "", {true, false, true}},
      {"TTabSheet", "", {true, false, true}},
      {"TCheckBox", "", {true, false, true}},
      {"TComboBox", "STD", {false, false, true}},
      {"TStringGrid", "STD", {false, false, true}},
      {"TEdit", "STD", {false, false, true}},
      {"TPanel", "STD", {false, false, false}},
      {"TStaticText", "STD", {false, false, false}},
      {"TForm", "STD", {false, false, false}},
      {"tlabel", "STD", {false, false, false}},
  };
  for (const Case& c : cases) {
    const CaptionUse use = MLang::UseFor(c.cls, c.style);
    EXPECT_EQ(use.setCaption, c.use.setCaption) << c.cls << " " << c.style;
    EXPECT_EQ(use.setHint, c.use.setHint) << c.cls << " " << c.style;
    EXPECT_EQ(use.applyStyle, c.use.applyStyle) << c.cls << " " << c.style;
  }
}

TEST(MLangFiles, LoadReplacesTablesAndAMissingFileLeavesThem) {
  TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  MLang lang;
  lang.SetLanguage(MLang::kEnglish);
  const std::string cpt = dir.Write("tv10.cpt", "PrgLevel\tTI_MAIN\tTalvix\t\r\n");
  const std::string sty = dir.Write("tv10.sty", "HEAD\t\t\t\r\nSTD\tSans\t9\ttrue\r\n");
  EXPECT_TRUE(lang.LoadCaptionTable(cpt));
  EXPECT_TRUE(lang.LoadStyleTable(sty));
  EXPECT_EQ(lang.GetText("TI_MAIN"), "Talvix");
  EXPECT_EQ(lang.FindStyle("STD"), 1);

  EXPECT_FALSE(lang.LoadCaptionTable(dir.Path() + "/missing.cpt"));
  EXPECT_FALSE(lang.LoadStyleTable(dir.Path()));  // a folder is no table
  EXPECT_EQ(lang.GetText("TI_MAIN"), "Talvix");
  EXPECT_EQ(lang.FindStyle("STD"), 1);

  dir.Write("tv10.cpt", "PrgLevel\tTI_OTHER\tOther\t\r\n");
  EXPECT_TRUE(lang.LoadCaptionTable(cpt));
  EXPECT_EQ(lang.GetText("TI_MAIN"), "");
  EXPECT_EQ(lang.GetText("TI_OTHER"), "Other");
}

TEST(MLangFiles, NewObjectHasEmptyTables) {
  MLang lang;
  EXPECT_TRUE(lang.Captions().empty());
  EXPECT_TRUE(lang.Styles().empty());
  EXPECT_EQ(lang.GetText("TI_MAIN"), "");
  EXPECT_EQ(lang.FindCaption(Control("lblA", "frmA")), -1);
  EXPECT_EQ(lang.FindStyle("STD"), 0);
}

TEST(MLangFiles, BinaryGarbageDoesNotCrash) {
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 131 + 7) % 256);
  MLang lang;
  lang.ParseCaptionTable(junk);
  lang.ParseStyleTable(junk);
  EXPECT_LE(lang.Captions().size(), MLang::kMaxCaptions);
  EXPECT_LE(lang.Styles().size(), MLang::kMaxStyles);
}

}  // namespace
}  // namespace talvix
