#pragma once
#include "talvix/cardops/CardFolders.h"
#include "talvix/cardops/CardStatus.h"
#include "talvix/cardops/CardThread.h"
#include "talvix/cardops/StopFlags.h"

#include <atomic>
#include <functional>
#include <cstdint>
#include <string>

namespace talvix {

class FileOpe;
class OverwriteAsker;
class ReadOnlyAsker;
class CopyProgressSink;
class CardViewSink;

// What every card operation shares: the link to the card, the folder table,
// the result word `CardStatus`, the one worker thread with its `ThreadDone`
// flag, the dialogs' stop flags, dummy mode and the hooks into the windows.
//
// The owner (main window, tvcard, a test) sets the hooks and settings on its
// own thread while no operation runs. While a worker runs, the thread alone
// writes CardStatus and the folder table; the owner reads them after the
// thread has set ThreadDone.
class CardSession {
public:
    explicit CardSession(FileOpe* ope = nullptr);

    // Run first by every card thread: switches the device into file-transfer
    // mode, sets the transfer rate, reads the card status and judges it
    // (CheckCard). `abort` is the stop flag of the dialog that stands in
    // front of this operation. Sets CardStatus; true when the card is usable.
    bool OpenTransfer(const std::atomic<bool>& abort);

    // Takes the device back to device-control mode; the result is not looked at.
    void LeaveTransfer();

    // The frame of the copy and the write threads: opens the transfer (not on
    // the dummy card) and reads the volume record, runs `work` unless `cancel`
    // is already up, turns a cancel seen by then into ST_ABORT, and leaves the
    // transfer again. `work` returns true when it got through its whole list.
    void RunInTransfer(const std::atomic<bool>& cancel, const std::function<bool()>& work);

    // Judges the four card status bytes: ST_NOCARD when bits 0 and 1 of byte 1
    // are both clear; ST_NOFORMAT when byte 2 is not zero; ST_NOBLOCK when
    // byte 3 offers no block size; else ST_OK with `blockSize` set (bit 0 of
    // byte 3: 4096; otherwise the highest set bit k of bits 1..7: 2^(k+5)).
    static uint32_t CheckCard(const uint8_t status[4], int& blockSize);

    // Reads the card's volume label (after OpenTransfer) into volumeLabel;
    // empty when the device gives none.
    void ReadVolume();

    FileOpe* ope = nullptr;
    CardFolders folders;
    std::atomic<uint32_t> CardStatus{ST_OK};
    CardThread thread;  // its ThreadDone is the completion flag
    StopFlags flags;

    bool dummyMode = false;
    std::string programPath;     // program folder with one trailing "/" (dummy card: programPath + "MMC")
    int transferRate = 115200;   // "BAUDRATE" chosen in the device dialog
    std::string volumeLabel;     // CP932 label of the last listing

    OverwriteAsker* overwriteAsker = nullptr;
    ReadOnlyAsker* readOnlyAsker = nullptr;
    CopyProgressSink* progressSink = nullptr;
    CardViewSink* viewSink = nullptr;

    std::atomic<bool>& ThreadDone() { return thread.ThreadDone; }
};

}  // namespace talvix
