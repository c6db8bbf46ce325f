// The library-wide state of ReSize and the steps of one call. The library
// holds exactly one engine for the whole process.
#pragma once

#include "Buffer.h"
#include "ErrorTexts.h"
#include "FilterTable.h"
#include "KernelPath.h"

#include <cstdint>

namespace ostra {

class ResizeEngine {
public:
    // Chooses the error texts from the locale and the fastest row loops.
    ResizeEngine();

    // See ReSize in the public header.
    uint8_t* ReSize(void* info, const void* bits, int32_t newWidth, int32_t newHeight);

    // For tests: force a set of row loops (false if this CPU lacks it).
    bool SetKernelPath(KernelPath path);
    KernelPath kernelPath() const { return path_; }
    int columnPhases() const { return columnPhases_; }
    int rowPhases() const { return rowPhases_; }
    const uint8_t* resultPixels() const { return resultPixels_.data(); }
    const ErrorTexts& texts() const { return texts_; }

private:
    enum class Failure { None, Memory, Format };

    Failure Run(uint8_t* info, const uint8_t* bits, int32_t newWidth, int32_t newHeight);
    void ReleaseAll();

    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int newWidth_ = 0;
    int newHeight_ = 0;
    Buffer image24_;  // 24-bit copy of 1-, 4- and 8-bit input, during a call
    Buffer resultPixels_;
    FilterTable columnTaps_;
    FilterTable rowTaps_;
    int columnPhases_ = 0;
    int rowPhases_ = 0;
    ErrorTexts texts_;
    KernelPath path_;
};

}  // namespace ostra
