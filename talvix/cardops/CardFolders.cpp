#include "talvix/cardops/CardFolders.h"

#include "talvix/cardops/CardPath.h"

#include <algorithm>

namespace talvix {

bool CardFolder::Add(const platform::FindData& entry)
{
    if (Full())
        return false;
    entries.push_back(std::make_unique<platform::FindData>(entry));
    return true;
}

platform::FindData* CardFolder::Entry(const std::string& name)
{
    for (auto& e : entries)
        if (e->cFileName == name)
            return e.get();
    return nullptr;
}

std::string CardFolder::RelativePath() const
{
    return cardpath::LastComponents(path, level);
}

void CardFolders::Clear()
{
    for (auto& s : slots_)
        s.reset();
    removed_.clear();
    CardFolderCount = 0;
}

CardFolder* CardFolders::Slot(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return nullptr;
    return slots_[static_cast<size_t>(slot)].get();
}

const CardFolder* CardFolders::Slot(int slot) const
{
    if (slot < 0 || slot >= kSlots)
        return nullptr;
    return slots_[static_cast<size_t>(slot)].get();
}

CardFolder* CardFolders::Create(int slot, uint16_t level, const std::string& path)
{
    if (slot < 0 || slot >= kSlots)
        return nullptr;
    auto record = std::make_unique<CardFolder>();
    record->index = slot;
    record->level = level;
    record->path = path;
    slots_[static_cast<size_t>(slot)] = std::move(record);
    return slots_[static_cast<size_t>(slot)].get();
}

CardFolder* CardFolders::Append(uint16_t level, const std::string& path)
{
    if (CardFolderCount >= kSlots)
        return nullptr;
    CardFolder* record = Create(CardFolderCount, level, path);
    ++CardFolderCount;
    return record;
}

bool CardFolders::RemoveFolder(const CardFolder* record)
{
    if (record == nullptr)
        return false;
    for (int i = 0; i < CardFolderCount; ++i) {
        if (slots_[static_cast<size_t>(i)].get() != record)
            continue;
        removed_.push_back(std::move(slots_[static_cast<size_t>(i)]));
        for (int j = i; j + 1 < kSlots; ++j) {
            slots_[static_cast<size_t>(j)] = std::move(slots_[static_cast<size_t>(j + 1)]);
            if (slots_[static_cast<size_t>(j)])
                slots_[static_cast<size_t>(j)]->index = j;
        }
        slots_[kSlots - 1].reset();
        --CardFolderCount;
        return true;
    }
    return false;
}

CardFolder* CardFolders::EnsureRoot()
{
    if (CardFolderCount > 0)
        return FindFolder("");
    CardFolder* root = Slot(0);
    if (root == nullptr || root->level != 0)
        root = Create(0, 0, cardpath::kDrive);
    CardFolderCount = 1;
    return root;
}

CardFolder* CardFolders::FindFolder(const std::string& relative)
{
    const std::string wanted = cardpath::Upper(relative);
    for (int i = 0; i < CardFolderCount; ++i) {
        CardFolder* record = Slot(i);
        if (record != nullptr && cardpath::Upper(record->RelativePath()) == wanted)
            return record;
    }
    return nullptr;
}

platform::FindData* CardFolders::FindCardEntry(const std::string& relative)
{
    for (int i = 0; i < CardFolderCount; ++i) {
        CardFolder* record = Slot(i);
        if (record == nullptr)
            continue;
        const std::string base = record->RelativePath() + "\\";
        if (relative.compare(0, base.size(), base) != 0)
            continue;
        for (auto& e : record->entries)
            if (base + e->cFileName == relative)
                return e.get();
    }
    return nullptr;
}

int CardFolders::IndexInFolder(const CardFolder* record, const std::string& path)
{
    if (record == nullptr)
        return 0;
    const std::string wanted = cardpath::Upper(cardpath::LastComponent(path));
    for (size_t i = 0; i < record->entries.size(); ++i)
        if (cardpath::Upper(record->entries[i]->cFileName) == wanted)
            return static_cast<int>(i);
    return -1;
}

bool CardFolders::RemoveEntry(CardFolder* record, const std::string& name)
{
    if (record == nullptr)
        return false;
    const std::string wanted = cardpath::Upper(name);
    for (auto it = record->entries.begin(); it != record->entries.end(); ++it) {
        if (cardpath::Upper((*it)->cFileName) == wanted) {
            record->entries.erase(it);
            return true;
        }
    }
    return false;
}

void CardFolders::ApplyRename(const std::string& parent, const std::string& oldName, const std::string& newName)
{
    const std::string renamed = parent + oldName;
    const size_t index = cardpath::Split(parent).size();
    for (int i = 0; i < CardFolderCount; ++i) {
        CardFolder* record = Slot(i);
        if (record == nullptr)
            continue;
        const std::string relative = record->RelativePath();
        if (relative + "\\" == parent) {
            if (platform::FindData* e = record->Entry(oldName))
                e->cFileName = newName;
        } else if (relative == renamed || relative.compare(0, renamed.size() + 1, renamed + "\\") == 0) {
            std::vector<std::string> parts = cardpath::Split(relative);
            if (index >= parts.size())
                continue;
            parts[index] = newName;
            const bool drive = record->path.compare(0, 2, cardpath::kDrive) == 0;
            std::string path = drive ? cardpath::kDrive : "";
            for (const std::string& p : parts)
                path += "\\" + p;
            record->path = path;
        }
    }
}

CardFolders::NewFolder CardFolders::AddFolder(CardFolder& parent, const std::string& name,
                                              const platform::FileTime& time)
{
    NewFolder made;
    if (parent.Full() || CardFolderCount >= kSlots)
        return made;
    platform::FindData entry;
    entry.cFileName = name;
    entry.dwFileAttributes = platform::FILE_ATTRIBUTE_DIRECTORY;
    entry.ftCreationTime = entry.ftLastAccessTime = entry.ftLastWriteTime = time;
    parent.Add(entry);
    made.entry = parent.entries.back().get();
    made.record = Append(static_cast<uint16_t>(parent.level + 1), parent.path + "\\" + name);
    return made;
}

std::vector<CardFolders::Child> CardFolders::Children(const CardFolder& record)
{
    std::vector<Child> children;
    const std::string base = record.RelativePath();
    for (const auto& e : record.entries) {
        if (!e->IsDirectory())
            continue;
        const bool seen = std::any_of(children.begin(), children.end(),
                                      [&](const Child& c) { return c.name == e->cFileName; });
        if (seen)
            continue;
        Child c;
        c.name = e->cFileName;
        c.relative = base + "\\" + e->cFileName;
        children.push_back(std::move(c));
    }
    // Byte order, as the tree sorts its nodes.
    std::sort(children.begin(), children.end(), [](const Child& a, const Child& b) {
        return std::lexicographical_compare(
            a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
    for (Child& c : children)
        c.record = FindFolder(c.relative);
    return children;
}

}  // namespace talvix
