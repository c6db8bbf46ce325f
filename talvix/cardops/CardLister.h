#pragma once
#include "talvix/cardops/CardSession.h"

#include <cstdint>
#include <string>

namespace talvix {

// Listing of the card into the folder table.
//
// Find_Th walks the card depth-first from M: and records every folder in
// pre-order (at most 255 folders, 1024 entries per folder), leaving out ".",
// "..", hidden and system entries and the volume label. LoadDummyCard fills
// the same table from the PC folder "MMC" in the program folder instead.
class CardLister {
public:
    explicit CardLister(CardSession& session);

    // Runs Find_Th and waits for it (pumping). The result is CardStatus and
    // the folder table, which only counts when CardStatus is ST_OK.
    void StartListing();

    // Thread body and listing steps (public for the tests).
    void Find_Th();
    bool ListCard();
    int ReadFolder(int slot, uint16_t level, const std::string& path);
    bool ReadSubfolders(int slot);

    // Fills the table from programPath + "MMC" on the calling thread. False
    // when that folder cannot be read (the table is then empty).
    bool LoadDummyCard();

private:
    int ReadDummyFolder(int slot, uint16_t level, const std::string& cardPath, const std::string& pcPath);
    void ReadDummySubfolders(int slot, const std::string& pcPath);
    bool Aborted() const;

    CardSession& s_;
    int nextSlot_ = 1;
};

}  // namespace talvix
