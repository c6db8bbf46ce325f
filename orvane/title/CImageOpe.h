#pragma once
#include <cstdint>
#include <string>

#include "imaging/PictureBlock.h"

namespace orvane {

// The title tool's image operations: load a bitmap or JPEG file, keep a
// working copy, resize it, and save it as a bitmap of a given depth or as a
// JPEG of a given quality. Every operation returns false on failure; each
// save ends the working copy.
class CImageOpe {
public:
    // File formats as the file-type information gives them.
    enum Format : uint16_t { kUnknown = 0, kBitmap = 1, kJpeg = 2 };

    // Reads `path` (an existing name in another letter case is found too).
    // Keeps the picture and its format, size and depth; the target path
    // becomes the loaded path and the target size the source size.
    bool Load(const std::string& path);
    // A fresh working copy of the loaded picture.
    bool MakeWorkCopy();
    // Scales the working copy (made first when there is none); 0 means the
    // source's width or height; the source size itself changes nothing.
    bool Resize(int width, int height);
    // Saves the working copy as a bitmap file. bits 0 keeps the depth; 24,
    // 8, 4 and 1 convert to that depth; any other value different from the
    // source's depth fails. An empty path saves to the target path
    // ("noname.jpg" when there is none yet).
    bool SaveBmp(const std::string& path, int bits);
    // Saves the working copy as a JPEG of the given quality (1..100), with
    // the same path rules.
    bool SaveJpeg(const std::string& path, int quality);

    bool HasSource() const { return !sourceImage_.Empty(); }
    bool HasWork() const { return !workImage_.Empty(); }
    uint16_t sourceFormat() const { return sourceFormat_; }
    int sourceWidth() const { return sourceWidth_; }
    int sourceHeight() const { return sourceHeight_; }
    int sourceBits() const { return sourceBits_; }
    const std::string& sourcePath() const { return sourcePath_; }
    const std::string& targetPath() const { return targetPath_; }
    int targetWidth() const { return targetWidth_; }
    int targetHeight() const { return targetHeight_; }

    // Converts a picture to 24, 8, 4 or 1 bits per pixel (8, 4 and 1 with a
    // fixed colour table, nearest colour). Empty on failure.
    static imaging::PictureBlock ConvertDepth(const imaging::PictureBlock& picture, int bits);

private:
    bool EnsureWork();
    void TakeTarget(const std::string& path);

    imaging::PictureBlock sourceImage_;
    imaging::PictureBlock workImage_;
    uint16_t sourceFormat_ = kUnknown;
    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int sourceBits_ = 0;
    std::string sourcePath_;
    std::string targetPath_;
    int targetWidth_ = 0;
    int targetHeight_ = 0;
};

}  // namespace orvane
