#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvix {

// One help topic: an HTML fragment with a title and the keywords that lead
// to it from the help index.
struct HelpTopic {
  std::string id;
  std::string title;
  std::vector<std::string> keywords;
  std::string html;  // the topic's body, as written in the file
};

// The help files "tv10e.hlp" (English) and "tv10j.hlp" (Japanese).
//
// A help file is a UTF-8 HTML page that a browser can show as it is. Each
// topic is a <section> element whose start tag and end tag stand on lines of
// their own:
//
//   <section id="copy" data-title="Copying files to the PC" data-keywords="copy; PC folder">
//   <h1>Copying files to the PC</h1>
//   <p>...</p>
//   </section>
//
//   - id: the topic's name, used in links between topics (<a href="#copy">);
//   - data-title: the title shown in lists of topics;
//   - data-keywords: the topic's index entries, separated by ";".
// Attribute values are in double quotes; &amp; &lt; &gt; &quot; and &#39; may
// be used in them. Everything outside the sections (head, styles, the body's
// own tags) is ignored. A section that is not closed ends at the next section
// or at the end of the file. Line ends may be LF or CR LF.
class HelpFile {
 public:
  // Reads and parses a help file; false (and no topics) when it cannot be read.
  bool Load(const std::string& path);
  void Parse(std::string_view text);

  const std::vector<HelpTopic>& Topics() const { return topics_; }
  const HelpTopic* TopicById(std::string_view id) const;
  // Topics listing `keyword` among their keywords (ASCII letters compared
  // without case), in file order.
  std::vector<const HelpTopic*> TopicsForKeyword(std::string_view keyword) const;
  // Every keyword once, sorted without regard to ASCII case: the help index.
  std::vector<std::string> Keywords() const;
  // The index entries that start with `typed` (without case), for the index's
  // search field; all of them for an empty text.
  std::vector<std::string> KeywordsStartingWith(std::string_view typed) const;

  // "tv10j.hlp" for language 17, "tv10e.hlp" for any other language.
  static const char* FileNameFor(uint16_t languageId);

 private:
  std::vector<HelpTopic> topics_;
};

}  // namespace talvix
