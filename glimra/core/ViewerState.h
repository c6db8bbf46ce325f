#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace glimra {

// What the viewer knows about the one picture it shows: one window, one
// picture, kept by the application object for the whole run.
struct ViewerState {
    std::string pictureFolder;              // may or may not end in "/"
    std::string currentFile;                // file name of the picture shown
    std::vector<std::string> pictureNames;  // the folder's index, in file order
    int16_t zoomFactor = 1;                 // 1..4 = 100..400 %
    int32_t scrollX = 0;                    // display pixel at the view's top-left corner
    int32_t scrollY = 0;
    int32_t displayWidth = 0;               // picture size at display scale
    int32_t displayHeight = 0;
    bool layoutPending = true;              // next draw sets up scroll bars and frame size
    bool firstDrawDone = false;
    int32_t portClass = 0;                  // "Port Class" as last read

    // pictureFolder, a "/" when needed, and currentFile.
    std::string PicturePath() const;
};

// The entry after (direction > 0) or before (direction < 0) `name` in
// `names`, wrapping around at either end; `name` itself when direction is 0
// or the name is not in the list.
std::string NeighbourPicture(const std::vector<std::string>& names, const std::string& name, int direction);

}  // namespace glimra
