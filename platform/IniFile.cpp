#include "platform/IniFile.h"

#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"

#include <functional>

namespace platform {

namespace {

std::string Trim(const std::string& s) { return std::string(TrimBlanks(s)); }

struct Line {
    enum Kind { Other, Section, Key };
    Kind kind = Other;
    std::string raw;    // as in the file, without the line end
    std::string name;   // section or key name, trimmed
    std::string value;  // key value, trimmed
};

struct Document {
    std::vector<Line> lines;
    std::string eol = "\n";

    void Parse(const std::string& text);
    std::string Text() const;
    // Index of the first section header with this name, or -1.
    int FindSection(const std::string& section) const;
    // One past the last line of the section that starts at `header`.
    size_t SectionEnd(size_t header) const;
    int FindKey(size_t header, const std::string& key) const;
};

void Document::Parse(const std::string& text)
{
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        Line line;
        line.raw = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.raw.empty() && line.raw.back() == '\r') {
            line.raw.pop_back();
            if (first && end != std::string::npos)
                eol = "\r\n";
        }
        std::string t = Trim(line.raw);
        if (first && t.compare(0, 3, "\xEF\xBB\xBF") == 0)
            t = Trim(t.substr(3));
        first = false;
        if (!t.empty() && t[0] == '[') {
            const size_t close = t.find(']');
            if (close != std::string::npos) {
                line.kind = Line::Section;
                line.name = Trim(t.substr(1, close - 1));
            }
        } else if (!t.empty() && t[0] != ';' && t[0] != '#') {
            const size_t eq = t.find('=');
            if (eq != std::string::npos && eq > 0) {
                line.kind = Line::Key;
                line.name = Trim(t.substr(0, eq));
                line.value = Trim(t.substr(eq + 1));
            }
        }
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

std::string Document::Text() const
{
    std::string out;
    for (const Line& line : lines) {
        out += line.raw;
        out += eol;
    }
    return out;
}

int Document::FindSection(const std::string& section) const
{
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == Line::Section && EqualsNoCase(lines[i].name, section))
            return static_cast<int>(i);
    return -1;
}

size_t Document::SectionEnd(size_t header) const
{
    size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != Line::Section)
        ++i;
    return i;
}

int Document::FindKey(size_t header, const std::string& key) const
{
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines[i].kind == Line::Key && EqualsNoCase(lines[i].name, key))
            return static_cast<int>(i);
    return -1;
}

bool Load(const std::string& path, Document& doc)
{
    std::string text;
    if (AtomicFile::Read(path, text) != AtomicFile::ReadResult::Ok)
        return false;
    doc.Parse(text);
    return true;
}

bool HasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos || s.find('\0') != std::string::npos;
}

bool Change(const std::string& path, const std::function<AtomicFile::Edit(Document&)>& change)
{
    return AtomicFile::Update(
        path, std::string(),
        [&](std::string& text) {
            Document doc;
            doc.Parse(text);
            const AtomicFile::Edit result = change(doc);
            if (result == AtomicFile::Edit::Write)
                text = doc.Text();
            return result;
        },
        true);
}

// Cuts `value` to at most `limit` bytes without splitting a UTF-8 sequence.
void CutUtf8(std::string& value, size_t limit)
{
    if (value.size() <= limit)
        return;
    size_t cut = limit;
    // Step back over continuation bytes to the start of the cut character,
    // unless that character still fits.
    size_t lead = cut;
    while (lead > 0 && (static_cast<unsigned char>(value[lead]) & 0xC0) == 0x80)
        --lead;
    if (lead < cut)
        cut = lead;
    value.resize(cut);
}

AtomicFile::Edit WriteKey(Document& doc, const std::string& s, const std::string& k, const std::string& value)
{
    Line line;
    line.kind = Line::Key;
    line.name = k;
    line.value = Trim(value);
    line.raw = k + "=" + value;
    const int header = doc.FindSection(s);
    if (header < 0) {
        if (!doc.lines.empty() && !Trim(doc.lines.back().raw).empty())
            doc.lines.push_back(Line{});
        Line head;
        head.kind = Line::Section;
        head.name = s;
        head.raw = "[" + s + "]";
        doc.lines.push_back(std::move(head));
        doc.lines.push_back(std::move(line));
        return AtomicFile::Edit::Write;
    }
    const int existing = doc.FindKey(static_cast<size_t>(header), k);
    if (existing >= 0) {
        Line& old = doc.lines[static_cast<size_t>(existing)];
        if (old.raw == line.raw)
            return AtomicFile::Edit::Keep;
        old = std::move(line);
        return AtomicFile::Edit::Write;
    }
    // A new key goes after the last line of the section that is not blank.
    const size_t end = doc.SectionEnd(static_cast<size_t>(header));
    size_t at = static_cast<size_t>(header) + 1;
    for (size_t i = at; i < end; ++i)
        if (!Trim(doc.lines[i].raw).empty())
            at = i + 1;
    doc.lines.insert(doc.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    return AtomicFile::Edit::Write;
}

AtomicFile::Edit RemoveKey(Document& doc, const std::string& s, const std::string& k)
{
    const int header = doc.FindSection(s);
    if (header < 0)
        return AtomicFile::Edit::Keep;
    const int line = doc.FindKey(static_cast<size_t>(header), k);
    if (line < 0)
        return AtomicFile::Edit::Keep;
    doc.lines.erase(doc.lines.begin() + line);
    return AtomicFile::Edit::Write;
}

AtomicFile::Edit RemoveSection(Document& doc, const std::string& s)
{
    const int header = doc.FindSection(s);
    if (header < 0)
        return AtomicFile::Edit::Keep;
    const size_t end = doc.SectionEnd(static_cast<size_t>(header));
    doc.lines.erase(doc.lines.begin() + header, doc.lines.begin() + static_cast<std::ptrdiff_t>(end));
    return AtomicFile::Edit::Write;
}

// One change, already checked with IniFile::Storable.
AtomicFile::Edit ApplyChange(Document& doc, const IniChange& change)
{
    switch (change.kind) {
    case IniChange::Kind::Write: return WriteKey(doc, Trim(change.section), Trim(change.key), change.value);
    case IniChange::Kind::DeleteKey: return RemoveKey(doc, Trim(change.section), Trim(change.key));
    case IniChange::Kind::DeleteSection: return RemoveSection(doc, Trim(change.section));
    }
    return AtomicFile::Edit::Keep;
}

}  // namespace

IniChange IniChange::Write(std::string section, std::string key, std::string value)
{
    return IniChange{Kind::Write, std::move(section), std::move(key), std::move(value)};
}

IniChange IniChange::DeleteKey(std::string section, std::string key)
{
    return IniChange{Kind::DeleteKey, std::move(section), std::move(key), {}};
}

IniChange IniChange::DeleteSection(std::string section)
{
    return IniChange{Kind::DeleteSection, std::move(section), {}, {}};
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

bool IniFile::ReadString(const std::string& section, const std::string& key, std::string& value,
                         std::size_t bufferSize) const
{
    value.clear();
    Document doc;
    if (!Load(path_, doc))
        return false;
    const int header = doc.FindSection(Trim(section));
    if (header < 0)
        return false;
    const int line = doc.FindKey(static_cast<size_t>(header), Trim(key));
    if (line < 0)
        return false;
    value = doc.lines[static_cast<size_t>(line)].value;
    CutUtf8(value, bufferSize > 0 ? bufferSize - 1 : 0);
    return true;
}

bool IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    return WriteMany({IniChange::Write(section, key, value)});
}

bool IniFile::DeleteKey(const std::string& section, const std::string& key)
{
    return WriteMany({IniChange::DeleteKey(section, key)});
}

bool IniFile::DeleteSection(const std::string& section)
{
    return WriteMany({IniChange::DeleteSection(section)});
}

bool IniFile::Storable(const IniChange& change)
{
    if (change.kind != IniChange::Kind::Write)
        return true;  // a name that cannot be stored just matches nothing
    const std::string s = Trim(change.section);
    const std::string k = Trim(change.key);
    return !s.empty() && !k.empty() && !HasLineBreak(s) && !HasLineBreak(k) && !HasLineBreak(change.value) &&
           s.find(']') == std::string::npos && k.find('=') == std::string::npos && k[0] != '[' && k[0] != ';' &&
           k[0] != '#';
}

bool IniFile::WriteMany(const std::vector<IniChange>& changes)
{
    for (const IniChange& change : changes)
        if (!Storable(change))
            return false;
    return Change(path_, [&](Document& doc) {
        bool changed = false;
        for (const IniChange& change : changes)
            changed = ApplyChange(doc, change) == AtomicFile::Edit::Write || changed;
        return changed ? AtomicFile::Edit::Write : AtomicFile::Edit::Keep;
    });
}

std::vector<std::string> IniFile::Sections() const
{
    std::vector<std::string> names;
    Document doc;
    if (!Load(path_, doc))
        return names;
    for (const Line& line : doc.lines) {
        if (line.kind != Line::Section)
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || EqualsNoCase(n, line.name);
        if (!seen)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> IniFile::Keys(const std::string& section) const
{
    std::vector<std::string> names;
    Document doc;
    if (!Load(path_, doc))
        return names;
    const int header = doc.FindSection(Trim(section));
    if (header < 0)
        return names;
    const size_t end = doc.SectionEnd(static_cast<size_t>(header));
    for (size_t i = static_cast<size_t>(header) + 1; i < end; ++i) {
        const Line& line = doc.lines[i];
        if (line.kind != Line::Key)
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || EqualsNoCase(n, line.name);
        if (!seen)
            names.push_back(line.name);
    }
    return names;
}

}  // namespace platform
