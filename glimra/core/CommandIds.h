#pragma once

namespace glimra {

// Command numbers of the viewer, as its toolbar, keys and pop-up menu send them.
enum CommandId : int {
    kCmdSlideShow = 200,
    kCmdNextPicture = 201,
    kCmdPreviousPicture = 202,
    kCmdZoom100 = 32772,
    kCmdZoom200 = 32773,
    kCmdZoom300 = 32774,
    kCmdZoom400 = 32775,
    kCmdEditTool = 32777,
    kCmdTransfer = 32778,
    kCmdRotateClockwise = 32779,
    kCmdRotateCounterClockwise = 32780,
};

// Result codes of a picture transfer.
enum SendResult : int {
    kSendFinished = 0,
    kSendFailure = 1,
    kSendMemoryError = 2,
    kSendStopped = 3,
    kSendNothingToReport = 4,
    kSendNotSupported = 5,
};

}  // namespace glimra
