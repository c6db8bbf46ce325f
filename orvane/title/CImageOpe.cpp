#include "orvane/title/CImageOpe.h"

#include <array>
#include <fstream>

#include "imaging/BitmapFile.h"
#include "imaging/JpegCodec.h"
#include "imaging/NoCasePath.h"
#include "imaging/Resampler.h"
#include "imaging/Rgb32Image.h"

namespace orvane {

namespace {

// The file type by its first bytes, as an image library tells it.
CImageOpe::Format SniffFormat(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    unsigned char head[3] = {0, 0, 0};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head))
        return CImageOpe::kUnknown;
    if (head[0] == 'B' && head[1] == 'M')
        return CImageOpe::kBitmap;
    if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
        return CImageOpe::kJpeg;
    return CImageOpe::kUnknown;
}

using Palette = std::vector<std::array<uint8_t, 3>>;  // r, g, b

Palette PaletteFor(int bits)
{
    Palette p;
    if (bits == 1) {
        p = {{0, 0, 0}, {255, 255, 255}};
    } else if (bits == 4) {
        p = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
             {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
             {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    } else {
        // A 6x6x6 colour cube and 40 greys.
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    p.push_back({uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)});
        for (int i = 0; i < 40; ++i) {
            const uint8_t v = static_cast<uint8_t>(3 + i * 252 / 39);
            p.push_back({v, v, v});
        }
    }
    return p;
}

uint8_t Nearest(const Palette& p, uint8_t r, uint8_t g, uint8_t b)
{
    int best = 0;
    int bestDist = 1 << 30;
    for (size_t i = 0; i < p.size(); ++i) {
        const int dr = int(p[i][0]) - r, dg = int(p[i][1]) - g, db = int(p[i][2]) - b;
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDist) {
            bestDist = d;
            best = static_cast<int>(i);
        }
    }
    return static_cast<uint8_t>(best);
}

void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + size_t(i)] = uint8_t(x >> (8 * i));
}

imaging::PictureBlock ToIndexed(const imaging::Rgb32Image& image, int bits)
{
    const Palette palette = PaletteFor(bits);
    const size_t stride = imaging::BitmapStride(image.width, bits);
    if (stride == 0)
        return {};
    const size_t tableBytes = palette.size() * 4;
    const size_t offset = imaging::kFileHeaderSize + imaging::kInfoHeaderSize + tableBytes;
    const size_t bitsBytes = stride * size_t(image.height);
    std::vector<uint8_t> out(offset + bitsBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, uint32_t(out.size()));
    Put32(out, 10, uint32_t(offset));
    Put32(out, 14, 40);
    Put32(out, 18, uint32_t(image.width));
    Put32(out, 22, uint32_t(image.height));
    out[26] = 1;
    out[28] = uint8_t(bits);
    Put32(out, 34, uint32_t(bitsBytes));
    Put32(out, 46, uint32_t(palette.size()));
    for (size_t i = 0; i < palette.size(); ++i) {
        uint8_t* e = &out[imaging::kFileHeaderSize + imaging::kInfoHeaderSize + i * 4];
        e[0] = palette[i][2];
        e[1] = palette[i][1];
        e[2] = palette[i][0];
    }
    const int perByte = 8 / bits;
    for (int32_t y = 0; y < image.height; ++y) {
        const uint32_t* src = image.Row(y);
        uint8_t* row = &out[offset + stride * size_t(image.height - 1 - y)];
        for (int32_t x = 0; x < image.width; ++x) {
            const uint32_t px = src[x];
            const uint8_t index = Nearest(palette, uint8_t(px >> 16), uint8_t(px >> 8), uint8_t(px));
            const int shift = 8 - bits * (1 + x % perByte);
            row[x / perByte] |= uint8_t(index << shift);
        }
    }
    return imaging::PictureBlock(std::move(out));
}

}  // namespace

imaging::PictureBlock CImageOpe::ConvertDepth(const imaging::PictureBlock& picture, int bits)
{
    if (bits == 24)
        return imaging::ToBgr24(picture);
    if (bits != 8 && bits != 4 && bits != 1)
        return {};
    imaging::Rgb32Image rgb;
    if (!imaging::ConvertToRgb32(picture, rgb))
        return {};
    return ToIndexed(rgb, bits);
}

bool CImageOpe::Load(const std::string& path)
{
    const std::string found = imaging::FindExistingPath(path);
    const Format format = SniffFormat(found);
    imaging::PictureBlock picture;
    if (format == kBitmap) {
        if (!imaging::LoadBitmapFile(found, picture))
            return false;
    } else if (format == kJpeg) {
        if (!imaging::DecodeJpegFile(found, picture))
            return false;
    } else {
        return false;
    }
    imaging::BitmapLayout layout;
    if (!picture.Layout(layout))
        return false;
    sourceImage_ = std::move(picture);
    sourceFormat_ = format;
    sourceWidth_ = layout.width;
    sourceHeight_ = layout.height;
    sourceBits_ = format == kJpeg ? 24 : layout.bitsPerPixel;
    sourcePath_ = path;
    targetPath_ = path;
    targetWidth_ = sourceWidth_;
    targetHeight_ = sourceHeight_;
    return true;
}

bool CImageOpe::MakeWorkCopy()
{
    if (sourceImage_.Empty())
        return false;
    workImage_ = sourceImage_.Clone();
    return !workImage_.Empty();
}

bool CImageOpe::EnsureWork()
{
    return !workImage_.Empty() || MakeWorkCopy();
}

bool CImageOpe::Resize(int width, int height)
{
    if (!EnsureWork())
        return false;
    if (width == 0)
        width = sourceWidth_;
    if (height == 0)
        height = sourceHeight_;
    if (width == sourceWidth_ && height == sourceHeight_)
        return true;
    if (width < 0 || height < 0)
        return false;
    imaging::PictureBlock resized = imaging::ResizePicture(workImage_, width, height);
    if (resized.Empty())
        return false;
    workImage_ = std::move(resized);
    targetWidth_ = width;
    targetHeight_ = height;
    return true;
}

void CImageOpe::TakeTarget(const std::string& path)
{
    if (!path.empty())
        targetPath_ = path;
    if (targetPath_.empty())
        targetPath_ = "noname.jpg";
}

bool CImageOpe::SaveBmp(const std::string& path, int bits)
{
    if (!EnsureWork())
        return false;
    if (bits != 0) {
        const bool known = bits == 24 || bits == 8 || bits == 4 || bits == 1;
        if (!known && bits != sourceBits_)
            return false;
        // Converted when the working copy is not already of that depth (a
        // resized copy is 24 bits whatever the source was).
        if (known && workImage_.BitsPerPixelField() != bits) {
            imaging::PictureBlock converted = ConvertDepth(workImage_, bits);
            if (converted.Empty())
                return false;
            workImage_ = std::move(converted);
        }
    }
    TakeTarget(path);
    const bool ok = imaging::SaveBitmapFile(targetPath_, workImage_);
    workImage_.Clear();
    return ok;
}

bool CImageOpe::SaveJpeg(const std::string& path, int quality)
{
    if (!EnsureWork())
        return false;
    if (workImage_.BitsPerPixelField() < 24) {
        imaging::PictureBlock converted = ConvertDepth(workImage_, 24);
        if (converted.Empty())
            return false;
        workImage_ = std::move(converted);
    }
    TakeTarget(path);
    const bool ok = imaging::EncodeJpegFile(workImage_, targetPath_, quality);
    workImage_.Clear();
    return ok;
}

}  // namespace orvane
