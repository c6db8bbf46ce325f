#pragma once
#include <string>

namespace imaging {

// The path of a picture: the folder, a "/" when the folder is not empty and
// does not already end in one, and the file name.
std::string PicturePath(const std::string& folder, const std::string& file);

// The thumbnail the picture organiser keeps beside a picture: the picture
// path with its extension (the text after a dot among the last five bytes of
// the file name) replaced by "TBM"; ".TBM" is added when there is none.
std::string ThumbnailPath(const std::string& picturePath);

// Deletes the thumbnail of a picture, found by its exact name or else
// without regard to letter case (".TBM" beside ".tbm"). An absent thumbnail
// is not an error. A picture whose own name ends in ".TBM" is never deleted
// as its thumbnail. True when no thumbnail of it remains.
bool DeleteThumbnail(const std::string& picturePath);

// The 8.3 name a picture is given on a device, as CP932 bytes: "________.UPF"
// with the first up to eight underscores replaced by the file name up to its
// first dot (IMG0001.JPG gives IMG0001_.UPF). A double-byte character that
// would be cut by the eighth place leaves an underscore there. Characters
// CP932 cannot hold become "_".
std::string TransferName(const std::string& fileName);

}  // namespace imaging
