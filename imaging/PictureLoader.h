#pragma once
#include <string>

#include "imaging/PictureBlock.h"
#include "imaging/Rgb32Image.h"

namespace imaging {

// The two kinds of picture file, told by the first letter of the extension
// (the text after the last dot of the file name): "B"/"b" a bitmap file,
// "J"/"j" a JPEG file. Anything else, or no extension, cannot be shown.
enum class PictureKind { kNone, kBitmap, kJpeg };
PictureKind PictureKindOf(const std::string& path);

// Loads a picture into a block in bitmap-file layout. The file is looked up
// by its exact name, else without regard to letter case. A bitmap file is
// read by its size field (never past the real end of the file); a JPEG is
// decoded to 24 bits. False for a file that cannot be read, another kind of
// file, a JPEG the decoder rejects or that is cut off, or a bitmap whose
// headers do not describe pixels that lie inside it ("Broken Image File."
// for the viewers).
bool LoadPicture(const std::string& path, PictureBlock& out);

// The same picture decoded for drawing (32-bit pixels). A JPEG is decoded
// straight into this form, without the detour through a block.
bool LoadPictureRgb32(const std::string& path, Rgb32Image& out);

}  // namespace imaging
