#include "orvane/title/CPNReg.h"

#include <cstring>

namespace orvane {

namespace {

constexpr const char* kCoverDir = "Cover Dir";
constexpr const char* kCoverFileName = "Cover File Name";
constexpr const char* kCoverTitle = "Cover Title";
// Each value is read into a buffer of this size; a longer one cannot be read.
constexpr size_t kValueBuffer = 300;

platform::RegValue StringWithoutZero(const std::string& text)
{
    platform::RegValue v;
    v.type = platform::REG_SZ;
    v.data.assign(text.begin(), text.end());
    return v;
}

}  // namespace

CPNReg::CPNReg(std::string registryPath) : registry_(std::move(registryPath)) {}

bool CPNReg::AddAlbum(const tagXX& album)
{
    if (albumCount() >= kMaxAlbums)
        return false;
    albums_.push_back(album);
    return true;
}

bool CPNReg::ReadValue(const std::string& key, const char* name, std::string& out) const
{
    const std::optional<platform::RegValue> v = registry_.GetValue(key, name);
    if (!v)
        return false;
    if (v->type != platform::REG_SZ && v->type != platform::REG_EXPAND_SZ)
        return false;
    // Stored with or without a terminating zero; the text ends at the first zero.
    size_t len = v->data.size();
    const void* zero = len != 0 ? std::memchr(v->data.data(), 0, len) : nullptr;
    if (zero != nullptr)
        len = static_cast<size_t>(static_cast<const uint8_t*>(zero) - v->data.data());
    if (len >= kValueBuffer)
        return false;
    out.assign(v->data.begin(), v->data.begin() + static_cast<std::ptrdiff_t>(len));
    return true;
}

bool CPNReg::ReadAlbumKey(int n)
{
    const std::string key = KeyOf(n);
    if (!registry_.KeyExists(key))
        return false;
    tagXX album;
    album.albumNumber = static_cast<uint8_t>(n);
    if (!ReadValue(key, kCoverDir, album.coverDir) || !ReadValue(key, kCoverFileName, album.coverFileName) ||
        !ReadValue(key, kCoverTitle, album.coverTitle))
        return false;
    return AddAlbum(album);
}

int CPNReg::ReadAlbumKeys()
{
    albums_.clear();
    for (int n = 0; n < kMaxAlbums; ++n)
        ReadAlbumKey(n);
    return albumCount();
}

bool CPNReg::DeleteAlbumKeys()
{
    // One rewrite of the store for all of them (none when no key exists).
    std::vector<platform::RegChange> changes;
    for (int n = 0; n < kMaxAlbums; ++n)
        changes.push_back(platform::RegChange::DeleteKey(KeyOf(n)));
    return registry_.Apply(changes);
}

void CPNReg::AddValues(std::vector<platform::RegChange>& changes, int number, const std::string& dir,
                       const std::string& file, const std::string& title)
{
    const std::string key = KeyOf(number);
    changes.push_back(platform::RegChange::SetValue(key, kCoverDir, StringWithoutZero(dir)));
    changes.push_back(platform::RegChange::SetValue(key, kCoverFileName, StringWithoutZero(file)));
    changes.push_back(platform::RegChange::SetValue(key, kCoverTitle, StringWithoutZero(title)));
}

bool CPNReg::WriteValues(int number, const std::string& dir, const std::string& file, const std::string& title)
{
    std::vector<platform::RegChange> changes;
    AddValues(changes, number, dir, file, title);
    return registry_.Apply(changes);
}

bool CPNReg::WriteAlbumKey(int i)
{
    if (i < 0 || i >= albumCount())
        return false;
    const tagXX& a = albums_[static_cast<size_t>(i)];
    return WriteValues(a.albumNumber, a.coverDir, a.coverFileName, a.coverTitle);
}

bool CPNReg::WriteAlbumKeys()
{
    DeleteAlbumKeys();
    // The whole list goes in with one rewrite of the store; it is stored
    // completely or not at all.
    std::vector<platform::RegChange> changes;
    for (const tagXX& a : albums_)
        AddValues(changes, a.albumNumber, a.coverDir, a.coverFileName, a.coverTitle);
    return registry_.Apply(changes);
}

bool CPNReg::WriteTitleAlbum()
{
    return WriteValues(0, "Title", "default", "TitleScreen");
}

}  // namespace orvane
