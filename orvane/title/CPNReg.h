#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace orvane {

// One album of the picture organiser: its number and its three cover values.
struct tagXX {
    uint8_t albumNumber = 0;
    std::string coverDir;
    std::string coverFileName;
    std::string coverTitle;
};

// The picture organiser's album keys in the machine-wide registry:
// "SOFTWARE\Vendra\Pictaro\Album\Album<n>" for n = 0..99, each with the
// string values "Cover Dir", "Cover File Name" and "Cover Title", stored as
// the text's bytes without a terminating zero.
class CPNReg {
public:
    static constexpr int kMaxAlbums = 100;
    static constexpr const char* kAlbumKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendra\\Pictaro\\Album\\Album";

    // `registryPath` empty: the default store.
    explicit CPNReg(std::string registryPath = {});

    // The album list, in list order.
    const std::vector<tagXX>& albums() const { return albums_; }
    int albumCount() const { return static_cast<int>(albums_.size()); }
    // Empties the list; AddAlbum appends (false when the list is full).
    void ClearAlbums() { albums_.clear(); }
    bool AddAlbum(const tagXX& album);

    // Reads album n and appends it to the list when all three values could
    // be read. An album key lacking a value is left out of the list, so that
    // the complete albums keep their places.
    bool ReadAlbumKey(int n);
    // Rebuilds the list from the keys Album0..Album99; returns its length.
    int ReadAlbumKeys();
    // Deletes the keys Album0..Album99 (absent keys are no error), with at
    // most one rewrite of the store.
    bool DeleteAlbumKeys();
    // Writes list entry i to the key of its album number.
    bool WriteAlbumKey(int i);
    // Deletes all album keys, then writes the whole list with one rewrite of
    // the store; on a failure no album of the list is written.
    bool WriteAlbumKeys();
    // Writes album 0 as the title album ("Title", "default", "TitleScreen").
    bool WriteTitleAlbum();

    static std::string KeyOf(int n) { return kAlbumKey + std::to_string(n); }

private:
    static void AddValues(std::vector<platform::RegChange>& changes, int number, const std::string& dir,
                          const std::string& file, const std::string& title);
    bool WriteValues(int number, const std::string& dir, const std::string& file, const std::string& title);
    bool ReadValue(const std::string& key, const char* name, std::string& out) const;

    platform::Registry registry_;
    std::vector<tagXX> albums_;
};

}  // namespace orvane
