#include "talvix/settings/MLang.h"

#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"


#include <array>
#include <climits>
#include <initializer_list>
#include <cstdlib>

namespace talvix {
namespace {

constexpr std::size_t kMaxFields = 8;
using Fields = std::array<std::string_view, kMaxFields>;

// Splits `bytes` into table lines and calls `take(fields)` for each line that
// makes an entry, until `maxEntries` entries were taken.
template <typename Take>
void ForEachEntry(std::string_view bytes, std::size_t maxEntries, Take take) {
  std::size_t taken = 0;
  std::size_t lineStart = 0;
  while (taken < maxEntries) {
    const std::size_t lf = bytes.find('\n', lineStart);
    if (lf == std::string_view::npos) {
      return;  // a last line without LF is not read
    }
    const std::string_view line = bytes.substr(lineStart, lf - lineStart);
    lineStart = lf + 1;
    if (line.size() >= 2 && line[0] == '$' && line[1] == '$') {
      continue;
    }
    Fields fields{};
    std::size_t count = 0;
    std::size_t fieldStart = 0;
    for (std::size_t i = 0; i < line.size() && count < kMaxFields; ++i) {
      if (line[i] == '\t' || line[i] == '\r') {
        fields[count++] = line.substr(fieldStart, i - fieldStart);
        fieldStart = i + 1;
      }
    }
    take(fields);
    ++taken;
  }
}

// A field longer than its limit is stored empty.
std::string Limited(std::string_view field, std::size_t max) {
  return field.size() > max ? std::string() : std::string(field);
}

// Reads a whole existing regular file. False when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out) {
  return platform::AtomicFile::Read(path, out) == platform::AtomicFile::ReadResult::Ok;
}

bool StartsWithJa(const char* locale) {
  return locale[0] == 'j' && locale[1] == 'a';
}

}  // namespace

int ReadDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) {
      value = INT_MAX;  // keep going past the digits, but never overflow
    }
  }
  return static_cast<int>(negative ? -value : value);
}

uint16_t MLang::LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* value : {lcAll, lcMessages, lang}) {
    if (value != nullptr && value[0] != '\0') {
      return StartsWithJa(value) ? kJapanese : kEnglish;
    }
  }
  return kEnglish;
}

uint16_t MLang::SelectLanguage() {
  SetLanguage(LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"),
                                 std::getenv("LANG")));
  return languageId_;
}

void MLang::SetLanguage(uint16_t languageId) {
  languageId_ = (languageId & 0xFF) == kJapanese ? kJapanese : kEnglish;
}

bool MLang::LoadStyleTable(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    return false;
  }
  ParseStyleTable(bytes);
  return true;
}

bool MLang::LoadCaptionTable(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    return false;
  }
  ParseCaptionTable(bytes);
  return true;
}

void MLang::ParseStyleTable(std::string_view bytes) {
  styles_.clear();
  ForEachEntry(bytes, kMaxStyles, [this](const Fields& f) {
    styles_.push_back(StyleEntry{Limited(f[0], StyleEntry::kKeyMax),
                                 Limited(f[1], StyleEntry::kFontNameMax),
                                 Limited(f[2], StyleEntry::kFontSizeMax),
                                 Limited(f[3], StyleEntry::kBoldMax)});
  });
}

void MLang::ParseCaptionTable(std::string_view bytes) {
  captions_.clear();
  // Columns of the text and style key of each language.
  const std::size_t textField = languageId_ == kJapanese ? 6 : 2;
  ForEachEntry(bytes, kMaxCaptions, [this, textField](const Fields& f) {
    captions_.push_back(CaptionEntry{Limited(f[0], CaptionEntry::kFormNameMax),
                                     Limited(f[1], CaptionEntry::kComponentNameMax),
                                     Limited(f[textField], CaptionEntry::kTextMax),
                                     Limited(f[textField + 1], CaptionEntry::kStyleKeyMax)});
  });
}

int MLang::FindStyle(std::string_view key) const {
  for (std::size_t i = 0; i < styles_.size(); ++i) {
    if (styles_[i].key == key) {
      return static_cast<int>(i);
    }
  }
  return 0;
}

int MLang::FindCaption(const ComponentRef& component) const {
  for (std::size_t i = 0; i < captions_.size(); ++i) {
    const CaptionEntry& entry = captions_[i];
    if (entry.formName.empty()) {
      return -1;
    }
    bool matches;
    if (entry.formName == component.ownerName || entry.formName == component.ownerOwnerName) {
      matches = entry.componentName == component.name;
    } else {
      matches = entry.formName == component.name;
    }
    if (matches) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string MLang::GetText(std::string_view key) const {
  for (const CaptionEntry& entry : captions_) {
    if (entry.formName == kProgramTextForm && entry.componentName == key) {
      return entry.text;
    }
  }
  return std::string();
}

CaptionUse MLang::UseFor(std::string_view className, std::string_view styleKey) {
  const bool hint = styleKey == kHintStyle;
  if (className == "TMenuItem") {
    return {true, false, false};
  }
  if (className == "TToolButton") {
    return hint ? CaptionUse{false, true, false} : CaptionUse{true, false, false};
  }
  if (className == "TBitBtn" || className == "TButton") {
    return hint ? CaptionUse{false, true, false} : CaptionUse{true, false, true};
  }
  for (std::string_view c : {"TLabel", "TRadioButton", "TRadioGroup", "TGroupBox", "TTabSheet",
                             "TCheckBox"}) {
    if (className == c) {
      return {true, false, true};
    }
  }
  for (std::string_view c : {"TPageControl", "TListBox", "TComboBox", "TEdit", "TStringGrid"}) {
    if (className == c) {
      return {false, false, true};
    }
  }
  return {};
}

FontChange MLang::StyleFont(int index, int largeFonts) const {
  FontChange change;
  if (index <= 0 || static_cast<std::size_t>(index) >= styles_.size()) {
    return change;
  }
  const StyleEntry& style = styles_[static_cast<std::size_t>(index)];
  if (style.fontName != "$$") {
    change.setFace = true;
    change.face = style.fontName;
    change.charset = languageId_ == kJapanese ? kCharsetShiftJis : kCharsetAnsi;
  }
  if (style.fontSize != "$$") {
    change.setSize = true;
    change.size = ReadDecimal(style.fontSize) - largeFonts;
  }
  if (style.bold != "$$") {
    change.setBold = true;
    change.bold = platform::EqualsNoCase(style.bold, "true");
  }
  return change;
}

}  // namespace talvix
