#include "platform/Registry.h"

#include "platform/AsciiText.h"
#include "platform/AtomicFile.h"

#include <cstdlib>

namespace platform {

namespace {

constexpr const char* kHeader = "REGEDIT4";
constexpr size_t kWrapColumn = 77;

std::string Trim(const std::string& s) { return std::string(TrimBlanks(s)); }

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool StartsWithNoCase(const std::string& s, size_t pos, const char* prefix)
{
    for (size_t i = 0; prefix[i] != '\0'; ++i)
        if (pos + i >= s.size() || AsciiLower(s[pos + i]) != AsciiLower(prefix[i]))
            return false;
    return true;
}

// A key path without surrounding backslashes; empty when it is not usable
// (empty, an empty component, or control characters).
std::string NormalKey(const std::string& key)
{
    size_t b = 0, e = key.size();
    while (b < e && key[b] == '\\')
        ++b;
    while (e > b && key[e - 1] == '\\')
        --e;
    std::string out = key.substr(b, e - b);
    if (out.empty() || out.find("\\\\") != std::string::npos)
        return {};
    for (unsigned char c : out)
        if (c < 0x20 || c == 0x7f)
            return {};
    return out;
}

// True when `key` is `parent` or lies below it.
bool IsAtOrBelow(const std::string& key, const std::string& parent)
{
    if (key.size() < parent.size())
        return false;
    if (!EqualsNoCase(key.substr(0, parent.size()), parent))
        return false;
    return key.size() == parent.size() || key[parent.size()] == '\\';
}

// One logical line of the file (a value may span several physical lines).
struct Entry {
    enum Kind { Other, Header, Section, Value };
    Kind kind = Other;
    std::vector<std::string> raw;  // the physical lines, without line ends
    std::string key;               // Section: its path; Value: the path of its section
    bool live = true;              // Section: false for "[-...]" or an unusable path
    std::string name;              // Value
    RegValue value;                // Value

    bool IsBlank() const { return kind == Other && raw.size() == 1 && Trim(raw[0]).empty(); }
};

// Reads a quoted text starting at s[pos] == '"'; on success pos is past the closing quote.
bool ParseQuoted(const std::string& s, size_t& pos, std::string& out)
{
    out.clear();
    if (pos >= s.size() || s[pos] != '"')
        return false;
    for (size_t i = pos + 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '"' || s[i + 1] == '\\')) {
            out += s[i + 1];
            ++i;
            continue;
        }
        out += c;
    }
    return false;
}

bool OnlyBlanksFrom(const std::string& s, size_t pos)
{
    for (; pos < s.size(); ++pos)
        if (!IsBlank(s[pos]))
            return false;
    return true;
}

// Comma-separated hexadecimal bytes ("01,a2, ff"); a trailing comma is allowed.
bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& out)
{
    out.clear();
    size_t i = 0;
    for (;;) {
        while (i < s.size() && IsBlank(s[i]))
            ++i;
        if (i == s.size())
            return true;
        int value = 0, digits = 0;
        while (i < s.size() && HexDigit(s[i]) >= 0) {
            value = value * 16 + HexDigit(s[i]);
            if (++digits > 2)
                return false;
            ++i;
        }
        if (digits == 0)
            return false;
        out.push_back(static_cast<uint8_t>(value));
        while (i < s.size() && IsBlank(s[i]))
            ++i;
        if (i == s.size())
            return true;
        if (s[i] != ',')
            return false;
        ++i;
    }
}

// The data part of a value line (after "="), joined over continuation lines.
bool ParseData(const std::string& data, RegValue& value)
{
    value = RegValue{};
    if (!data.empty() && data[0] == '"') {
        size_t pos = 0;
        std::string text;
        if (!ParseQuoted(data, pos, text) || !OnlyBlanksFrom(data, pos))
            return false;
        value.type = REG_SZ;
        value.data.assign(text.begin(), text.end());
        value.data.push_back(0);
        return true;
    }
    if (StartsWithNoCase(data, 0, "dword:")) {
        const std::string digits = Trim(data.substr(6));
        if (digits.empty() || digits.size() > 8)
            return false;
        uint32_t n = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0)
                return false;
            n = n * 16 + static_cast<uint32_t>(d);
        }
        value.type = REG_DWORD;
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<uint8_t>(n >> (8 * i)));
        return true;
    }
    if (StartsWithNoCase(data, 0, "hex")) {
        size_t pos = 3;
        uint32_t type = REG_BINARY;
        if (pos < data.size() && data[pos] == '(') {
            const size_t close = data.find(')', pos);
            if (close == std::string::npos || close == pos + 1 || close - pos - 1 > 8)
                return false;
            type = 0;
            for (size_t i = pos + 1; i < close; ++i) {
                const int d = HexDigit(data[i]);
                if (d < 0)
                    return false;
                type = type * 16 + static_cast<uint32_t>(d);
            }
            pos = close + 1;
        }
        if (pos >= data.size() || data[pos] != ':')
            return false;
        value.type = type;
        return ParseHexBytes(data.substr(pos + 1), value.data);
    }
    return false;
}

// A value line: "Name"=data or @=data. `joined` is the line with its
// continuation lines already appended.
bool ParseValueLine(const std::string& joined, std::string& name, RegValue& value)
{
    const std::string line = Trim(joined);
    size_t pos = 0;
    if (!line.empty() && line[0] == '@') {
        name.clear();
        pos = 1;
    } else if (!ParseQuoted(line, pos, name)) {
        return false;
    }
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    if (pos >= line.size() || line[pos] != '=')
        return false;
    ++pos;
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    return ParseData(line.substr(pos), value);
}

bool EndsWithBackslash(const std::string& line)
{
    const std::string t = Trim(line);
    return !t.empty() && t.back() == '\\';
}

struct Document {
    std::vector<Entry> entries;
    std::string eol = "\n";

    void Parse(const std::string& text);
    std::string Text() const;
    const Entry* Find(const std::string& key, const std::string& name) const;
    bool KeyExists(const std::string& key) const;
    int LastSectionOf(const std::string& key) const;
    void AppendSection(const std::string& key);
    void InsertIntoSection(int section, Entry entry);
};

void Document::Parse(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    bool sawEol = false;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (!sawEol)
                eol = "\r\n";
        }
        if (end != std::string::npos)
            sawEol = true;
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    if (!lines.empty() && lines[0].compare(0, 3, "\xEF\xBB\xBF") == 0)
        lines[0].erase(0, 3);

    std::string currentKey;
    bool inLiveSection = false;
    bool seenSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        Entry e;
        e.raw.push_back(lines[i]);
        const std::string t = Trim(lines[i]);
        if (!seenSection && (t == kHeader || t == "Windows Registry Editor Version 5.00")) {
            e.kind = Entry::Header;
        } else if (t.size() >= 2 && t.front() == '[' && t.back() == ']') {
            seenSection = true;
            e.kind = Entry::Section;
            const std::string inner = t.substr(1, t.size() - 2);
            e.key = NormalKey(inner);
            e.live = !e.key.empty() && inner[0] != '-';
            currentKey = e.key;
            inLiveSection = e.live;
        } else if (!t.empty() && (t[0] == '"' || t[0] == '@')) {
            // Gather continuation lines of a hexadecimal value.
            std::string joined = lines[i];
            const size_t eq = joined.find('=');
            bool isHex = false;
            if (eq != std::string::npos) {
                const std::string data = Trim(joined.substr(eq + 1));
                isHex = StartsWithNoCase(data, 0, "hex");
            }
            size_t last = i;
            if (isHex) {
                while (EndsWithBackslash(joined) && last + 1 < lines.size()) {
                    std::string head = Trim(joined);
                    head.pop_back();
                    joined = head + Trim(lines[last + 1]);
                    ++last;
                    e.raw.push_back(lines[last]);
                }
            }
            if (inLiveSection && ParseValueLine(joined, e.name, e.value)) {
                e.kind = Entry::Value;
                e.key = currentKey;
                i = last;
            } else {
                // Not understood: keep the first line alone; the following
                // lines get their own chance.
                e.raw.resize(1);
            }
        }
        entries.push_back(std::move(e));
    }
}

std::string Document::Text() const
{
    std::string out;
    for (const Entry& e : entries)
        for (const std::string& line : e.raw) {
            out += line;
            out += eol;
        }
    return out;
}

const Entry* Document::Find(const std::string& key, const std::string& name) const
{
    const Entry* found = nullptr;
    for (const Entry& e : entries)
        if (e.kind == Entry::Value && EqualsNoCase(e.key, key) && EqualsNoCase(e.name, name))
            found = &e;  // a later line wins, as on import
    return found;
}

bool Document::KeyExists(const std::string& key) const
{
    for (const Entry& e : entries)
        if (e.kind == Entry::Section && e.live && IsAtOrBelow(e.key, key))
            return true;
    return false;
}

int Document::LastSectionOf(const std::string& key) const
{
    int found = -1;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].kind == Entry::Section && entries[i].live && EqualsNoCase(entries[i].key, key))
            found = static_cast<int>(i);
    return found;
}

void Document::AppendSection(const std::string& key)
{
    bool hasHeader = false;
    for (const Entry& e : entries)
        if (e.kind == Entry::Header)
            hasHeader = true;
    if (!hasHeader) {
        Entry header;
        header.kind = Entry::Header;
        header.raw.push_back(kHeader);
        entries.insert(entries.begin(), std::move(header));
        Entry blank;
        blank.raw.push_back("");
        entries.insert(entries.begin() + 1, std::move(blank));
    }
    // Trailing blank lines are cut to one before the new section.
    while (entries.size() >= 2 && entries.back().IsBlank() && entries[entries.size() - 2].IsBlank())
        entries.pop_back();
    if (!entries.empty() && !entries.back().IsBlank()) {
        Entry blank;
        blank.raw.push_back("");
        entries.push_back(std::move(blank));
    }
    Entry section;
    section.kind = Entry::Section;
    section.key = key;
    section.raw.push_back("[" + key + "]");
    entries.push_back(std::move(section));
}

void Document::InsertIntoSection(int section, Entry entry)
{
    // After the last line of the section that is not blank.
    size_t at = static_cast<size_t>(section) + 1;
    size_t end = at;
    while (end < entries.size() && entries[end].kind != Entry::Section) {
        if (!entries[end].IsBlank())
            at = end + 1;
        ++end;
    }
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

std::string QuoteText(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

bool PrintableText(const std::vector<uint8_t>& data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (data[i] < 0x20 || data[i] == 0x7f)
            return false;
    return true;
}

// The physical lines of a value in the layout regedit writes.
std::vector<std::string> FormatValue(const std::string& name, const RegValue& value)
{
    const std::string head = (name.empty() ? std::string("@") : QuoteText(name)) + "=";
    static const char digits[] = "0123456789abcdef";
    const auto& d = value.data;
    if (value.type == REG_DWORD && d.size() == 4) {
        const uint32_t n = static_cast<uint32_t>(d[0]) | static_cast<uint32_t>(d[1]) << 8 |
                           static_cast<uint32_t>(d[2]) << 16 | static_cast<uint32_t>(d[3]) << 24;
        std::string hex = "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            hex += digits[(n >> shift) & 0xf];
        return {head + hex};
    }
    if (value.type == REG_SZ && !d.empty() && d.back() == 0 && PrintableText(d, d.size() - 1))
        return {head + QuoteText(std::string(d.begin(), d.end() - 1))};

    std::string kind = "hex";
    if (value.type != REG_BINARY) {
        kind += "(";
        bool started = false;
        for (int shift = 28; shift >= 0; shift -= 4) {
            const uint32_t digit = (value.type >> shift) & 0xf;
            if (digit != 0 || started || shift == 0) {
                kind += digits[digit];
                started = true;
            }
        }
        kind += ")";
    }
    std::vector<std::string> lines;
    std::string line = head + kind + ":";
    for (size_t i = 0; i < d.size(); ++i) {
        std::string byte = {digits[d[i] >> 4], digits[d[i] & 0xf]};
        if (i + 1 < d.size())
            byte += ',';
        if (line.size() + byte.size() > kWrapColumn && line.back() == ',') {
            lines.push_back(line + "\\");
            line = "  ";
        }
        line += byte;
    }
    lines.push_back(line);
    return lines;
}

bool ValidName(const std::string& name)
{
    for (unsigned char c : name)
        if (c == '\r' || c == '\n' || c == 0)
            return false;
    return true;
}

bool Load(const std::string& path, Document& doc)
{
    std::string text;
    if (AtomicFile::Read(path, text) == AtomicFile::ReadResult::Failed)
        return false;
    doc.Parse(text);
    return true;
}

// Runs `change` on the document under the lock and writes it back when it says so.
bool Change(const std::string& path, const std::function<AtomicFile::Edit(Document&)>& change)
{
    return AtomicFile::Update(
        path, path + ".lock",
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

// Document-level forms of the changes; keys are already normal.
AtomicFile::Edit CreateKeyIn(Document& doc, const std::string& k)
{
    if (doc.KeyExists(k))
        return AtomicFile::Edit::Keep;
    doc.AppendSection(k);
    return AtomicFile::Edit::Write;
}

AtomicFile::Edit DeleteKeyIn(Document& doc, const std::string& k)
{
    // A removed section takes every line up to the next section header.
    std::vector<Entry> kept;
    bool dropping = false, changed = false;
    for (Entry& e : doc.entries) {
        if (e.kind == Entry::Section)
            dropping = IsAtOrBelow(e.key, k);
        if (dropping)
            changed = true;
        else
            kept.push_back(std::move(e));
    }
    doc.entries = std::move(kept);
    return changed ? AtomicFile::Edit::Write : AtomicFile::Edit::Keep;
}

AtomicFile::Edit SetValueIn(Document& doc, const std::string& k, const std::string& name, const RegValue& value)
{
    Entry entry;
    entry.kind = Entry::Value;
    entry.key = k;
    entry.name = name;
    entry.value = value;
    entry.raw = FormatValue(name, value);
    // Replace the line that is read now; drop earlier duplicates.
    int last = -1;
    for (size_t i = 0; i < doc.entries.size(); ++i) {
        const Entry& e = doc.entries[i];
        if (e.kind == Entry::Value && EqualsNoCase(e.key, k) && EqualsNoCase(e.name, name))
            last = static_cast<int>(i);
    }
    if (last >= 0) {
        entry.key = doc.entries[static_cast<size_t>(last)].key;
        doc.entries[static_cast<size_t>(last)] = std::move(entry);
        for (size_t i = static_cast<size_t>(last); i-- > 0;) {
            const Entry& e = doc.entries[i];
            if (e.kind == Entry::Value && EqualsNoCase(e.key, k) && EqualsNoCase(e.name, name))
                doc.entries.erase(doc.entries.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return AtomicFile::Edit::Write;
    }
    int section = doc.LastSectionOf(k);
    if (section < 0) {
        doc.AppendSection(k);
        section = static_cast<int>(doc.entries.size()) - 1;
    }
    doc.InsertIntoSection(section, std::move(entry));
    return AtomicFile::Edit::Write;
}

AtomicFile::Edit DeleteValueIn(Document& doc, const std::string& k, const std::string& name)
{
    const size_t before = doc.entries.size();
    std::erase_if(doc.entries, [&](const Entry& e) {
        return e.kind == Entry::Value && EqualsNoCase(e.key, k) && EqualsNoCase(e.name, name);
    });
    return doc.entries.size() == before ? AtomicFile::Edit::Keep : AtomicFile::Edit::Write;
}

// One change whose key is already normal.
AtomicFile::Edit ApplyChange(Document& doc, const RegChange& change)
{
    switch (change.kind) {
    case RegChange::Kind::CreateKey: return CreateKeyIn(doc, change.key);
    case RegChange::Kind::DeleteKey: return DeleteKeyIn(doc, change.key);
    case RegChange::Kind::SetValue: return SetValueIn(doc, change.key, change.name, change.value);
    case RegChange::Kind::DeleteValue: return DeleteValueIn(doc, change.key, change.name);
    }
    return AtomicFile::Edit::Keep;
}

// All changes in order; Write when any of them altered the document.
AtomicFile::Edit ApplyAll(Document& doc, const std::vector<RegChange>& changes)
{
    bool changed = false;
    for (const RegChange& change : changes)
        changed = ApplyChange(doc, change) == AtomicFile::Edit::Write || changed;
    return changed ? AtomicFile::Edit::Write : AtomicFile::Edit::Keep;
}

RegValue DwordValue(uint32_t value)
{
    RegValue v;
    v.type = REG_DWORD;
    for (int i = 0; i < 4; ++i)
        v.data.push_back(static_cast<uint8_t>(value >> (8 * i)));
    return v;
}

RegValue StringValue(const std::string& value)
{
    RegValue v;
    v.type = REG_SZ;
    v.data.assign(value.begin(), value.end());
    v.data.push_back(0);
    return v;
}

}  // namespace

RegChange RegChange::CreateKey(std::string key)
{
    return RegChange{Kind::CreateKey, std::move(key), {}, {}};
}

RegChange RegChange::DeleteKey(std::string key)
{
    return RegChange{Kind::DeleteKey, std::move(key), {}, {}};
}

RegChange RegChange::SetValue(std::string key, std::string name, RegValue value)
{
    return RegChange{Kind::SetValue, std::move(key), std::move(name), std::move(value)};
}

RegChange RegChange::SetDword(std::string key, std::string name, uint32_t value)
{
    return SetValue(std::move(key), std::move(name), DwordValue(value));
}

RegChange RegChange::SetString(std::string key, std::string name, const std::string& value)
{
    return SetValue(std::move(key), std::move(name), StringValue(value));
}

RegChange RegChange::DeleteValue(std::string key, std::string name)
{
    return RegChange{Kind::DeleteValue, std::move(key), std::move(name), {}};
}

Registry::Registry(std::string path) : path_(path.empty() ? DefaultPath() : std::move(path)) {}

std::string Registry::DefaultPath()
{
    const char* over = std::getenv("MARLO_REGISTRY");
    if (over != nullptr && over[0] != '\0')
        return over;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.config";
    }
    return base + "/marlo/machine.reg";
}

bool Registry::CreateKey(const std::string& key)
{
    const std::string k = NormalKey(key);
    if (k.empty())
        return false;
    Document now;
    if (!Load(path_, now))
        return false;
    if (now.KeyExists(k))
        return true;  // nothing to change: no lock, no rewrite
    return Change(path_, [&](Document& doc) { return CreateKeyIn(doc, k); });
}

bool Registry::KeyExists(const std::string& key) const
{
    const std::string k = NormalKey(key);
    Document doc;
    return !k.empty() && Load(path_, doc) && doc.KeyExists(k);
}

bool Registry::DeleteKey(const std::string& key)
{
    const std::string k = NormalKey(key);
    if (k.empty())
        return false;
    Document now;
    if (!Load(path_, now))
        return false;
    if (!now.KeyExists(k))
        return true;  // nothing to remove: no lock, no rewrite
    return Change(path_, [&](Document& doc) { return DeleteKeyIn(doc, k); });
}

bool Registry::SetValue(const std::string& key, const std::string& name, const RegValue& value)
{
    const std::string k = NormalKey(key);
    if (k.empty() || !ValidName(name))
        return false;
    return Change(path_, [&](Document& doc) { return SetValueIn(doc, k, name, value); });
}

bool Registry::SetDword(const std::string& key, const std::string& name, uint32_t value)
{
    return SetValue(key, name, DwordValue(value));
}

bool Registry::SetString(const std::string& key, const std::string& name, const std::string& value)
{
    return SetValue(key, name, StringValue(value));
}

bool Registry::Apply(const std::vector<RegChange>& changes)
{
    std::vector<RegChange> normal = changes;
    for (RegChange& change : normal) {
        change.key = NormalKey(change.key);
        if (change.key.empty() || (change.kind == RegChange::Kind::SetValue && !ValidName(change.name)))
            return false;
    }
    Document now;
    if (!Load(path_, now))
        return false;
    if (ApplyAll(now, normal) == AtomicFile::Edit::Keep)
        return true;  // nothing to change: no lock, no rewrite
    return Change(path_, [&](Document& doc) { return ApplyAll(doc, normal); });
}

std::optional<RegValue> Registry::GetValue(const std::string& key, const std::string& name) const
{
    const std::string k = NormalKey(key);
    Document doc;
    if (k.empty() || !Load(path_, doc))
        return std::nullopt;
    const Entry* e = doc.Find(k, name);
    if (e == nullptr)
        return std::nullopt;
    return e->value;
}

std::optional<uint32_t> Registry::GetDword(const std::string& key, const std::string& name) const
{
    const std::optional<RegValue> v = GetValue(key, name);
    if (!v || v->data.size() != 4)
        return std::nullopt;
    const auto& d = v->data;
    return static_cast<uint32_t>(d[0]) | static_cast<uint32_t>(d[1]) << 8 |
           static_cast<uint32_t>(d[2]) << 16 | static_cast<uint32_t>(d[3]) << 24;
}

std::optional<std::string> Registry::GetString(const std::string& key, const std::string& name) const
{
    const std::optional<RegValue> v = GetValue(key, name);
    if (!v)
        return std::nullopt;
    std::string text(v->data.begin(), v->data.end());
    const size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

bool Registry::DeleteValue(const std::string& key, const std::string& name)
{
    const std::string k = NormalKey(key);
    if (k.empty())
        return false;
    Document now;
    if (!Load(path_, now))
        return false;
    if (now.Find(k, name) == nullptr)
        return true;  // nothing to remove: no lock, no rewrite
    return Change(path_, [&](Document& doc) { return DeleteValueIn(doc, k, name); });
}

std::vector<std::string> Registry::ValueNames(const std::string& key) const
{
    std::vector<std::string> names;
    const std::string k = NormalKey(key);
    Document doc;
    if (k.empty() || !Load(path_, doc))
        return names;
    for (const Entry& e : doc.entries) {
        if (e.kind != Entry::Value || !EqualsNoCase(e.key, k))
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || EqualsNoCase(n, e.name);
        if (!seen)
            names.push_back(e.name);
    }
    return names;
}

std::vector<std::string> Registry::SubKeys(const std::string& key) const
{
    std::vector<std::string> names;
    const std::string k = NormalKey(key);
    Document doc;
    if (k.empty() || !Load(path_, doc))
        return names;
    for (const Entry& e : doc.entries) {
        if (e.kind != Entry::Section || !e.live || e.key.size() <= k.size() || !IsAtOrBelow(e.key, k))
            continue;
        std::string child = e.key.substr(k.size() + 1);
        const size_t slash = child.find('\\');
        if (slash != std::string::npos)
            child.resize(slash);
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || EqualsNoCase(n, child);
        if (!seen)
            names.push_back(child);
    }
    return names;
}

}  // namespace platform
