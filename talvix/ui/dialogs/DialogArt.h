#pragma once
#include <QPixmap>

#include <vector>

namespace talvix::ui::dialogart {

// The pictures of the dialogs, drawn by the program.

// The copy animations: 10 frames of 252 x 49 pixels, played at 6 frames a
// second. `toCard` false: from the card to the PC ("COPY256"); true: from
// the PC to the card ("COPY256R").
constexpr int kCopyFrameWidth = 252;
constexpr int kCopyFrameHeight = 49;
constexpr int kCopyFrameCount = 10;
constexpr int kCopyFrameMs = 167;  // 166667 microseconds a frame
std::vector<QPixmap> CopyFrames(bool toCard);

// The folder-search animation of the listing dialog: a magnifier sweeping
// over a folder, 29 frames of 48 x 50 pixels.
constexpr int kSearchFrameWidth = 48;
constexpr int kSearchFrameHeight = 50;
constexpr int kSearchFrameCount = 29;
constexpr int kSearchFrameMs = 100;
std::vector<QPixmap> SearchFrames();

// 32 x 32 pictures of a file and of a folder (the overwrite question), and
// the program's own icon for windows that show it when the application has
// none set.
QPixmap FilePicture();
QPixmap FolderPicture();
QPixmap ProgramPicture();

}  // namespace talvix::ui::dialogart
