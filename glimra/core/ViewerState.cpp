#include "glimra/core/ViewerState.h"

#include "imaging/PictureNames.h"

namespace glimra {

std::string ViewerState::PicturePath() const { return imaging::PicturePath(pictureFolder, currentFile); }

std::string NeighbourPicture(const std::vector<std::string>& names, const std::string& name, int direction) {
    if (direction == 0) return name;
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] != name) continue;
        if (direction > 0) return names[(i + 1) % names.size()];
        return names[i == 0 ? names.size() - 1 : i - 1];
    }
    return name;
}

}  // namespace glimra
