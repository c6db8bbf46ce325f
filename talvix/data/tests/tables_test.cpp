// Checks the tables and help files that ship with Talvix, as copied next to
// the program, against the list of the forms' components (forms.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "talvix/settings/HelpFile.h"
#include "talvix/settings/MLang.h"

namespace talvix {
namespace {

const std::string kBin = SUITE_BIN_DIR;
const std::string kData = std::string(SUITE_SOURCE_DIR) + "/talvix/data";

// Every key the program asks GetText for.
const char* const kProgramKeys[] = {
    "TI_MAIN",    "TI_ABOUT",    "LB_SELFLDR", "MSG_COMERR",  "MSG_NODEV1",   "MSG_NODEV2",
    "MSG_NOSPACE", "MSG_SAVEOW1", "MSG_SAVEOW2", "MSG_NOSUPORT", "MSG_NOCARD", "MSG_NOFORMAT",
    "MSG_ABORT",  "LV_NAME",     "LV_SIZE",    "LV_TYPE",     "LV_DATE",      "STS_OBJ",
    "STS_SEL",    "STS_BYTE",    "MSG_WLEN",   "MSG_WCHAR",   "MSG_OWN",      "MSG_RODEL1",
    "MSG_ROREN2", "MSG_DEL1",    "MSG_DEL2",   "MSG_DELOBJ1", "MSG_DELOBJ2",  "MSG_RODEL2",
    "TI_DEVSEL",  "CB_NOUSE",    "LB_CAT",     "LB_NAME",     "LB_NOTCONN",   "MNU_SCAN",
    "MNU_IDCH",   "TX_NODEV",    "MB_TI_SCAN", "SG_MOVIE",    "SG_PRINTER",   "SG_UNKNOWN",
    "TI_OW",      "TI_OWF",      "LBL_OW1",    "LBL_OW2",     "LBL_OWF1",     "LBL_OWF2",
    "LBL_SIZE",   "LBL_DATE",    "LBL_SEP",    "TI_COPY",     "LB_FROMTEXT",  "LB_TOTEXT",
    "TI_BROWSE",  "BTN_NEW",     "ED_NEW",     "TI_NEW"};

const char* const kForms[] = {"frmMain",  "frmAbout", "frmSelkDev", "frmWait",
                              "frmCopy",  "frmBrowse", "frmOWDlg",  "frmNewFolder"};

struct FormComponent {
  std::string form;
  std::string component;
  std::string className;
  std::string note;  // "code": text set by the program; "sep": a menu separator
};

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<FormComponent> ReadForms() {
  std::vector<FormComponent> list;
  std::istringstream in(ReadBytes(kData + "/forms.txt"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream fieldsIn(line);
    std::string field;
    while (std::getline(fieldsIn, field, '\t')) fields.push_back(field);
    fields.resize(4);
    list.push_back({fields[0], fields[1], fields[2], fields[3]});
  }
  return list;
}

MLang LoadTables(uint16_t language) {
  MLang lang;
  lang.SetLanguage(language);
  EXPECT_TRUE(lang.LoadStyleTable(kBin + "/tv10.sty"));
  EXPECT_TRUE(lang.LoadCaptionTable(kBin + "/tv10.cpt"));
  return lang;
}

bool IsValidUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t extra;
    if (c < 0x80) {
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

class ShippedTables : public ::testing::TestWithParam<uint16_t> {};

TEST(ShippedFiles, TablesAreUtf8WithCrLfLineEnds) {
  for (const char* name : {"tv10.cpt", "tv10.sty"}) {
    const std::string bytes = ReadBytes(kBin + "/" + name);
    ASSERT_FALSE(bytes.empty()) << name << " was not copied next to the program";
    EXPECT_EQ(bytes, ReadBytes(kData + "/" + name)) << name << " copy is out of date";
    EXPECT_TRUE(IsValidUtf8(bytes)) << name;
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << name << ": the last line would be lost";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') {
        ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << ": bare LF at byte " << i;
      } else if (bytes[i] == '\r') {
        ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << name << ": lone CR at " << i;
      }
    }
  }
}

TEST_P(ShippedTables, EveryProgramTextIsThere) {
  const MLang lang = LoadTables(GetParam());
  for (const char* key : kProgramKeys) {
    EXPECT_FALSE(lang.GetText(key).empty()) << key << " in language " << GetParam();
  }
}

TEST_P(ShippedTables, EveryCaptionLineNamesAKnownComponentAndStyle) {
  const MLang lang = LoadTables(GetParam());
  std::map<std::pair<std::string, std::string>, FormComponent> known;
  for (const FormComponent& c : ReadForms()) known[{c.form, c.component}] = c;
  ASSERT_FALSE(known.empty());
  const std::set<std::string> forms(std::begin(kForms), std::end(kForms));

  for (const CaptionEntry& e : lang.Captions()) {
    if (e.formName == MLang::kProgramTextForm) continue;
    ASSERT_FALSE(e.formName.empty()) << "an empty line among the caption lines";
    EXPECT_TRUE(forms.count(e.formName)) << e.formName;
    const auto it = known.find({e.formName, e.componentName});
    ASSERT_TRUE(it != known.end()) << e.formName << " " << e.componentName << " not in forms.txt";
    const FormComponent& c = it->second;
    EXPECT_TRUE(c.note.empty()) << c.component << " gets its text from the program";
    const CaptionUse use = MLang::UseFor(c.className, e.styleKey);
    EXPECT_TRUE(use.setCaption || use.setHint || use.applyStyle)
        << c.component << " (" << c.className << ") takes nothing from its line";
    if (use.setCaption || use.setHint) {
      EXPECT_FALSE(e.text.empty()) << c.form << " " << c.component;
    }
    if (use.applyStyle) {
      EXPECT_GT(lang.FindStyle(e.styleKey), 0)
          << c.form << " " << c.component << ": style '" << e.styleKey << "' is missing";
    }
    if (e.styleKey == MLang::kHintStyle) {
      EXPECT_TRUE(use.setHint) << c.component << ": only buttons take hints";
    }
  }
}

TEST_P(ShippedTables, EveryCaptionedComponentIsCaptioned) {
  const MLang lang = LoadTables(GetParam());
  for (const FormComponent& c : ReadForms()) {
    if (!c.note.empty()) continue;
    const CaptionUse use = MLang::UseFor(c.className, "");
    if (!use.setCaption) continue;
    const ComponentRef ref{c.component, c.className, c.form, ""};
    const int index = lang.FindCaption(ref);
    ASSERT_GE(index, 0) << c.form << " " << c.component << " has no caption line";
    const CaptionEntry& e = lang.Captions()[static_cast<std::size_t>(index)];
    EXPECT_EQ(e.formName, c.form) << c.component;
    EXPECT_FALSE(e.text.empty()) << c.form << " " << c.component;
  }
}

TEST_P(ShippedTables, HintsAndStylesWork) {
  const MLang lang = LoadTables(GetParam());
  const int tbUp = lang.FindCaption({"tbUp", "TToolButton", "frmMain", ""});
  ASSERT_GE(tbUp, 0);
  EXPECT_EQ(lang.Captions()[static_cast<std::size_t>(tbUp)].styleKey, "HINT");
  const int title = lang.FindCaption({"lblName", "TLabel", "frmAbout", ""});
  ASSERT_GE(title, 0);
  const FontChange font =
      lang.StyleFont(lang.FindStyle(lang.Captions()[static_cast<std::size_t>(title)].styleKey), 1);
  EXPECT_TRUE(font.setBold && font.bold);
}

TEST(ShippedTextTables, LanguagesDiffer) {
  const MLang en = LoadTables(MLang::kEnglish);
  const MLang ja = LoadTables(MLang::kJapanese);
  EXPECT_EQ(en.GetText("LV_NAME"), "Name");
  EXPECT_EQ(ja.GetText("LV_NAME"), "名前");
  EXPECT_NE(en.GetText("MSG_NOCARD"), ja.GetText("MSG_NOCARD"));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ShippedTables,
                         ::testing::Values(MLang::kEnglish, MLang::kJapanese));

TEST(ShippedHelp, TopicsFoundByKeywordInBothFiles) {
  struct Language {
    const char* file;
    std::vector<std::pair<std::string, std::string>> keywordToTopic;
  };
  const Language languages[] = {
      {"tv10e.hlp",
       {{"serial port", "connect"}, {"scan", "devdlg"}, {"refresh", "read"}, {"copy", "copy"},
        {"drag and drop", "write"}, {"rename", "rename"}, {"delete", "delete"},
        {"new folder", "newfolder"}, {"no card", "errors"}, {"tv10.ini", "settings"},
        {"WRITE", "settings"}}},
      {"tv10j.hlp",
       {{"シリアルポート", "connect"}, {"検索", "devdlg"}, {"最新の情報に更新", "read"},
        {"コピー", "copy"}, {"ドラッグ アンド ドロップ", "write"}, {"名前の変更", "rename"},
        {"削除", "delete"}, {"フォルダの作成", "newfolder"}, {"カードがない", "errors"},
        {"tv10.ini", "settings"}, {"WRITE", "settings"}}},
  };
  std::set<std::string> topicIds[2];
  int n = 0;
  for (const Language& language : languages) {
    HelpFile help;
    ASSERT_TRUE(help.Load(kBin + "/" + language.file)) << language.file;
    for (const auto& [keyword, id] : language.keywordToTopic) {
      const auto topics = help.TopicsForKeyword(keyword);
      const bool found = std::any_of(topics.begin(), topics.end(),
                                     [&](const HelpTopic* t) { return t->id == id; });
      EXPECT_TRUE(found) << language.file << ": " << keyword << " does not lead to " << id;
    }
    for (const HelpTopic& topic : help.Topics()) {
      EXPECT_FALSE(topic.title.empty()) << language.file << " " << topic.id;
      EXPECT_FALSE(topic.keywords.empty()) << language.file << " " << topic.id;
      EXPECT_FALSE(topic.html.empty()) << language.file << " " << topic.id;
      topicIds[n].insert(topic.id);
      // Links between topics lead somewhere.
      for (std::size_t at = topic.html.find("href=\"#"); at != std::string::npos;
           at = topic.html.find("href=\"#", at + 1)) {
        const std::size_t end = topic.html.find('"', at + 7);
        const std::string target = topic.html.substr(at + 7, end - at - 7);
        EXPECT_NE(help.TopicById(target), nullptr) << language.file << ": link to " << target;
      }
    }
    EXPECT_FALSE(help.Keywords().empty());
    ++n;
  }
  EXPECT_EQ(topicIds[0], topicIds[1]) << "both help files cover the same topics";
}

}  // namespace
}  // namespace talvix
