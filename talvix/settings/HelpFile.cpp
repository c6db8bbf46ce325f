#include "talvix/settings/HelpFile.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace talvix {
namespace {

using platform::AsciiLowered;

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string DecodeEntities(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [name, c] : kEntities) {
        if (text.substr(i, name.size()) == name) {
          out += c;
          i += name.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) {
      out += text[i++];
    }
  }
  return out;
}

// Value of attribute `name` in a start tag, "" when it is missing.
std::string Attribute(std::string_view tag, std::string_view name) {
  for (std::size_t at = tag.find(name); at != std::string_view::npos;
       at = tag.find(name, at + 1)) {
    // The name must stand on its own (after a blank) and be followed by ="
    const bool ownWord = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t');
    const std::string_view rest = tag.substr(at + name.size());
    if (!ownWord || rest.size() < 2 || rest[0] != '=' || rest[1] != '"') {
      continue;
    }
    const std::size_t end = rest.find('"', 2);
    if (end == std::string_view::npos) {
      return std::string();
    }
    return DecodeEntities(rest.substr(2, end - 2));
  }
  return std::string();
}

std::vector<std::string> SplitKeywords(std::string_view list) {
  std::vector<std::string> keywords;
  while (!list.empty()) {
    const std::size_t semi = list.find(';');
    const std::string_view piece = Trim(list.substr(0, semi));
    if (!piece.empty()) {
      keywords.emplace_back(piece);
    }
    if (semi == std::string_view::npos) {
      break;
    }
    list.remove_prefix(semi + 1);
  }
  return keywords;
}

bool IsSectionStart(std::string_view line) {
  return line.substr(0, 9) == "<section " && line.back() == '>';
}

}  // namespace

bool HelpFile::Load(const std::string& path) {
  topics_.clear();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    return false;
  }
  Parse(content.str());
  return true;
}

void HelpFile::Parse(std::string_view text) {
  topics_.clear();
  HelpTopic* open = nullptr;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view rawLine = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (!rawLine.empty() && rawLine.back() == '\r') {
      rawLine.remove_suffix(1);
    }
    const std::string_view line = Trim(rawLine);
    if (!line.empty() && IsSectionStart(line)) {
      HelpTopic topic;
      topic.id = Attribute(line, "id");
      topic.title = Attribute(line, "data-title");
      topic.keywords = SplitKeywords(Attribute(line, "data-keywords"));
      topics_.push_back(std::move(topic));
      open = &topics_.back();
      continue;
    }
    if (open == nullptr) {
      continue;
    }
    if (line == "</section>") {
      open = nullptr;
      continue;
    }
    open->html.append(rawLine);
    open->html += '\n';
  }
}

const HelpTopic* HelpFile::TopicById(std::string_view id) const {
  for (const HelpTopic& topic : topics_) {
    if (topic.id == id) {
      return &topic;
    }
  }
  return nullptr;
}

std::vector<const HelpTopic*> HelpFile::TopicsForKeyword(std::string_view keyword) const {
  const std::string wanted = AsciiLowered(Trim(keyword));
  std::vector<const HelpTopic*> found;
  for (const HelpTopic& topic : topics_) {
    for (const std::string& k : topic.keywords) {
      if (AsciiLowered(k) == wanted) {
        found.push_back(&topic);
        break;
      }
    }
  }
  return found;
}

std::vector<std::string> HelpFile::Keywords() const {
  std::vector<std::pair<std::string, std::string>> keyed;  // (folded, as written)
  for (const HelpTopic& topic : topics_) {
    for (const std::string& k : topic.keywords) {
      keyed.emplace_back(AsciiLowered(k), k);
    }
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> keywords;
  const std::string* previous = nullptr;
  for (const auto& [folded, written] : keyed) {
    if (previous == nullptr || *previous != folded) {
      keywords.push_back(written);
    }
    previous = &folded;
  }
  return keywords;
}

std::vector<std::string> HelpFile::KeywordsStartingWith(std::string_view typed) const {
  const std::string prefix = AsciiLowered(Trim(typed));
  std::vector<std::string> matching;
  for (const std::string& k : Keywords()) {
    if (AsciiLowered(k).compare(0, prefix.size(), prefix) == 0) {
      matching.push_back(k);
    }
  }
  return matching;
}

const char* HelpFile::FileNameFor(uint16_t languageId) {
  return (languageId & 0xFF) == 17 ? "tv10j.hlp" : "tv10e.hlp";
}

}  // namespace talvix
