#include "imaging/PictureNames.h"

#include <unistd.h>

#include <cerrno>

#include "imaging/NoCasePath.h"
#include "platform/Cp932.h"

namespace imaging {

std::string PicturePath(const std::string& folder, const std::string& file) {
    if (folder.empty() || folder.back() == '/') return folder + file;
    return folder + "/" + file;
}

std::string ThumbnailPath(const std::string& picturePath) {
    const size_t slash = picturePath.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t size = picturePath.size();
    const size_t from = size >= 5 ? size - 5 : 0;
    for (size_t i = size; i > from && i > nameStart;) {
        --i;
        if (picturePath[i] == '.') return picturePath.substr(0, i + 1) + "TBM";
    }
    return picturePath + ".TBM";
}

bool DeleteThumbnail(const std::string& picturePath) {
    const std::string thumb = FindExistingPath(ThumbnailPath(picturePath));
    // A file that already has the thumbnail extension is its own "thumbnail":
    // it is the file being shown and must never be deleted as one.
    if (EqualsNoCase(thumb, picturePath) || thumb == FindExistingPath(picturePath)) return true;
    if (::unlink(thumb.c_str()) == 0) return true;
    return errno == ENOENT;
}

std::string TransferName(const std::string& fileName) {
    std::string stem = fileName.substr(0, fileName.find('.'));
    std::string cp932;
    platform::Utf8ToCp932(stem, cp932, "_");
    std::string name = "________.UPF";
    size_t i = 0;
    while (i < 8 && i < cp932.size()) {
        const size_t len = platform::Cp932CharLength(cp932, i);
        if (len == 2 && i == 7) {
            name[i] = '_';  // the lead byte alone would leave half a character
            break;
        }
        name[i] = cp932[i];
        if (len == 2) name[i + 1] = cp932[i + 1];
        i += len == 0 ? 1 : len;
    }
    return name;
}

}  // namespace imaging
