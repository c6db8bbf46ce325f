#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvix {

// One line of the style table "tv10.sty": a named font style.
// Each field is empty when the line gave none or gave one longer than its limit.
struct StyleEntry {
  static constexpr std::size_t kKeyMax = 19;
  static constexpr std::size_t kFontNameMax = 59;
  static constexpr std::size_t kFontSizeMax = 2;
  static constexpr std::size_t kBoldMax = 5;

  std::string key;
  std::string fontName;  // face name, or "$$" to keep the face
  std::string fontSize;  // decimal points, or "$$"
  std::string bold;      // "true" (any case) for bold, another word for normal, or "$$"
};

// One line of the caption table "tv10.cpt", with the two columns of the
// language chosen when the table was loaded.
struct CaptionEntry {
  static constexpr std::size_t kFormNameMax = 99;
  static constexpr std::size_t kComponentNameMax = 99;
  static constexpr std::size_t kStyleKeyMax = 19;
  static constexpr std::size_t kTextMax = 199;

  std::string formName;       // form of the control, or "PrgLevel" for a program text
  std::string componentName;  // control name, or the text key of a program text
  std::string text;           // caption, hint or program text
  std::string styleKey;       // key of a style, or "HINT"
};

// What a caption entry is matched against: a control as the form knows it.
struct ComponentRef {
  std::string_view name;            // the control's own name
  std::string_view className;       // its class as the tables name it ("TLabel", ...)
  std::string_view ownerName;       // the form that owns it
  std::string_view ownerOwnerName;  // the owner of that form ("" for none)
};

// What the caption table's entry does to a control of a given class.
struct CaptionUse {
  bool setCaption = false;
  bool setHint = false;
  bool applyStyle = false;
};

// The font changes one style entry asks for. A part that is not to be set
// keeps the control's current value.
struct FontChange {
  bool setFace = false;
  std::string face;
  int charset = 0;  // 128 (Shift-JIS) for Japanese texts, else 0 (ANSI)
  bool setSize = false;
  int size = 0;     // points
  bool setBold = false;
  bool bold = false;
};

// The text and caption tables. Every caption, hint and message of the card
// browser comes from here: captions by form and control name, program texts
// by key. Files are read as bytes (UTF-8 on this platform); nothing is
// converted. Line and field rules (kept exactly so that tables made for the
// program read the same everywhere):
//   - a line ends with LF; bytes after the last LF are ignored;
//   - a line starting with "$$" is a comment; every other line, even an empty
//     one, makes an entry;
//   - a field ends at a TAB or a CR; text between the last TAB or CR of a line
//     and its LF is dropped (so a table saved with bare LF line ends loses the
//     last field of every line);
//   - a field longer than its limit is stored empty;
//   - style lines: key, font name, font size, bold flag;
//   - caption lines: form, component, then text and style key for language 9
//     (fields 3, 4), language 12 (5, 6) and language 17 (7, 8);
//   - at most 50 style and 500 caption entries; later lines are ignored.
class MLang {
 public:
  static constexpr uint16_t kEnglish = 9;
  static constexpr uint16_t kFrench = 12;  // columns exist in the format, never chosen
  static constexpr uint16_t kJapanese = 17;
  static constexpr std::size_t kMaxStyles = 50;
  static constexpr std::size_t kMaxCaptions = 500;
  static constexpr int kCharsetAnsi = 0;
  static constexpr int kCharsetShiftJis = 128;
  static constexpr const char* kProgramTextForm = "PrgLevel";
  static constexpr const char* kHintStyle = "HINT";

  // Sets the language from the user's locale (see LanguageFromLocale) and
  // returns it. Call before LoadCaptionTable: only the chosen columns are kept.
  uint16_t SelectLanguage();
  // 17 when the locale that rules messages (the first non-empty of LC_ALL,
  // LC_MESSAGES, LANG) starts with "ja", else 9. Null counts as empty.
  static uint16_t LanguageFromLocale(const char* lcAll, const char* lcMessages, const char* lang);
  // Sets the language directly: 17 stays 17, anything else becomes 9.
  void SetLanguage(uint16_t languageId);
  uint16_t LanguageId() const { return languageId_; }

  // Read a table file and replace that table's entries with its lines. A file
  // that cannot be opened or read leaves the table as it was and gives false.
  bool LoadStyleTable(const std::string& path);
  bool LoadCaptionTable(const std::string& path);
  // The same, from bytes already in memory.
  void ParseStyleTable(std::string_view bytes);
  void ParseCaptionTable(std::string_view bytes);

  // Index of the first style whose key equals `key` byte for byte; 0 when
  // none does. Index 0 also means "no style": the first style line is a
  // heading and is never applied.
  int FindStyle(std::string_view key) const;
  // Index of the caption entry for a control, or -1. An entry with an empty
  // form name ends the search.
  int FindCaption(const ComponentRef& component) const;
  // Text of the program-text entry with this key (the whole table is
  // searched, empty lines included); empty when there is none.
  std::string GetText(std::string_view key) const;

  // What an entry with `styleKey` does to a control of class `className`.
  static CaptionUse UseFor(std::string_view className, std::string_view styleKey);
  // The font change of style `index` (as FindStyle gives it); nothing to do
  // for index 0 or an index out of range. `largeFonts` (1 above 108 dpi, else
  // 0) is taken off the size.
  FontChange StyleFont(int index, int largeFonts) const;
  // 1 when a screen of `dpi` pixels per inch counts as large-font, else 0.
  static int LargeFontsFor(int dpi) { return dpi > 108 ? 1 : 0; }

  const std::vector<StyleEntry>& Styles() const { return styles_; }
  const std::vector<CaptionEntry>& Captions() const { return captions_; }

 private:
  uint16_t languageId_ = kEnglish;
  std::vector<StyleEntry> styles_;
  std::vector<CaptionEntry> captions_;
};

// Reads a decimal number the way the font-size field is read: leading blanks
// and a sign allowed, reading stops at the first other byte, no digits give 0.
int ReadDecimal(std::string_view text);

}  // namespace talvix
