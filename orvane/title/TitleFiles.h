#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// The file rules of the title-screen tool: the blank working bitmap, the
// numbering of title images and the name of a title's thumbnail.
namespace TitleFiles {

constexpr int kTitleWidth = 640;
constexpr int kTitleHeight = 480;
constexpr uint32_t kBlankPixelBytes = 921600;        // 640 * 480 * 3
constexpr uint32_t kBlankFileBytes = 54 + 921600;    // 921654

// The bytes of the blank title: a 640x480, 24-bit, bottom-up bitmap file, all white.
std::vector<uint8_t> BlankTitleBytes();

// Creates or replaces `path` with the blank title. False when it cannot be
// written (the old file, if any, is then left whole).
bool WriteBlankTitle(const std::string& path);

// "FRAME000.jpg" in its folder, numbered up: the first of stem + 000..999 +
// "." + ext that is not an existing file (a folder of that name does not
// count; names are compared without regard to ASCII case); the one with 999
// when all exist. The stem is the file name without extension minus its last
// three characters.
std::string NextFreeFrameName(const std::string& path);

// The thumbnail of a title image: the path without its last three characters
// followed by "tbm".
std::string ThumbnailPathOf(const std::string& imagePath);

// True when `path` names an existing entry that is not a folder, looked up
// without regard to ASCII case when the exact name does not exist.
bool FileExistsAnyCase(const std::string& path);

}  // namespace TitleFiles

}  // namespace orvane
