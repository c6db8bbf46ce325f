#pragma once
#include <cstddef>
#include <string>

#include "imaging/PictureBlock.h"
#include "imaging/Rgb32Image.h"

namespace imaging {

// Largest bitmap file we read into memory.
constexpr size_t kMaxBitmapFileBytes = size_t(512) << 20;

// Reads a bitmap file as it is stored: as many bytes as the size field of its
// file header gives, but never more than the file really holds (a size field
// below the headers' size counts as missing, then the whole file is read),
// into a zero-filled block one byte larger. False when the file cannot be
// read, is shorter than a file header or larger than kMaxBitmapFileBytes.
// The block is not checked here; PictureBlock::Layout() does that.
bool LoadBitmapFile(const std::string& path, PictureBlock& out);

// Writes a block whose layout is valid as a bitmap file (its size field set
// to the bytes written), through a temporary file and a rename.
bool SaveBitmapFile(const std::string& path, const PictureBlock& picture);

// Converts a valid block of any supported depth and compression (1, 4, 8 bits
// with colour table, RLE8, RLE4, 16 and 32 bits with masks, 24 bits) to
// 32-bit pixels. False for a block whose Layout() fails.
bool ConvertToRgb32(const PictureBlock& picture, Rgb32Image& out);

// Makes a bottom-up 24-bit block from 32-bit pixels.
PictureBlock BlockFromRgb32(const Rgb32Image& image);

// Returns a 24-bit copy of any valid block (the same block when it already is
// an uncompressed bottom-up 24-bit one); empty on failure.
PictureBlock ToBgr24(const PictureBlock& picture);

}  // namespace imaging
