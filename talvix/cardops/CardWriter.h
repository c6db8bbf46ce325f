#pragma once
#include "platform/FindData.h"
#include "talvix/cardops/CardSession.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talvix {

// One PC file or folder to write to the card.
struct tagWRITE_LIST {
    platform::FindData find;  // the PC entry, cFileName replaced by the card name (CP932)
    int depth = 0;            // 0 for a dropped item, +1 per folder level below it
    std::string pcPath;       // PC path the file is read from
    std::string cardPath;     // relative card path of the entry to create
};

// Write of PC files and folders to the card (a drop on the main window, or
// tvcard put).
//
// BuildWriteList runs on the UI thread: it expands the dropped names into a
// pre-order list with card names in 8.3 form, asks every overwrite question
// and checks that the folder table can take what is added. StartWrite runs
// Write_Th and waits for it: free space is checked, all folders are made
// (parents first), then every file is sent in blocks of at most 2048 bytes
// and stamped with the PC file's time; the folder table and the tree grow by
// what was written.
class CardWriter {
public:
    static constexpr size_t kMaxEntries = 256;
    static constexpr uint32_t kBlock = 2048;

    explicit CardWriter(CardSession& session);

    // False when the user cancelled, or when the write needs more than the
    // list, the folder table or a folder record holds (CardStatus =
    // ST_TOOMANY; nothing is written then).
    bool BuildWriteList(const std::vector<std::string>& dropNames, const std::string& dropFolder);
    bool AddWriteEntry(const std::string& pcParent, const std::string& cardFolder, int depth,
                       const platform::FindData& pcEntry);
    bool AddWriteFolder(const std::string& pcFolder, const std::string& cardFolder, int depth);
    void FreeWriteList();

    // Runs Write_Th and waits for it (pumping); the result is in CardStatus.
    void StartWrite();

    // Thread body and its steps (public for the tests).
    void Write_Th();
    bool WriteAll();
    bool WriteFolder(const tagWRITE_LIST& entry);
    bool WriteFileEntry(const tagWRITE_LIST& entry);
    bool WriteOneFile(const tagWRITE_LIST& entry);

    // The DOS date/time block (date, time three times) for a PC time (UTC):
    // the local wall-clock time of that moment; 1980-01-01 00:00 when the
    // time cannot be held by a DOS date.
    static void CardTimes(const platform::FileTime& pcTime, uint16_t times[6]);

    std::vector<tagWRITE_LIST> WriteList;
    uint64_t WriteTotal = 0;  // bytes of the listed files
    std::string DropFolder;   // relative card path the drop goes to
    int OverwriteAnswer = 1;

private:
    int AskOverwriteWrite(const tagWRITE_LIST& entry);
    bool CheckFits();
    // The table (and tree) updates after a folder was made or a file written.
    bool AddFolderRecord(const tagWRITE_LIST& entry);
    bool AddFileEntry(const tagWRITE_LIST& entry);
    // Reports the file being written and the share of WriteTotal done to the
    // progress sink, when there is one (the cancel flag is still looked at
    // only after the last entry).
    void Progress(const std::string& cardPath, uint64_t done);

    CardSession& s_;
    bool tooMany_ = false;
};

}  // namespace talvix
