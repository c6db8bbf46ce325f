#pragma once
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>

#include "imaging/PictureCache.h"
#include "imaging/Rgb32Image.h"
#include "rolla/core/SlidePlacement.h"

namespace rolla {

// One picture ready for the screen: where it goes and its pixels at that
// size (the decoded picture itself when no scaling is needed).
struct Slide {
    std::shared_ptr<const imaging::Rgb32Image> source;  // the decoded picture
    std::shared_ptr<const imaging::Rgb32Image> pixels;  // at placement size
    Placement placement;
};

// Makes slides for one screen size and mode, and the next one ahead of time
// on a worker thread while the current one is shown. A slide made ahead is
// used only if the picture file has not changed since (the cache checks its
// size and time); otherwise it is made again.
class SlidePreparer {
public:
    SlidePreparer(int16_t mode, int32_t screenWidth, int32_t screenHeight);
    ~SlidePreparer();

    // The slide of `path`; nullptr when the picture cannot be shown or the
    // mode draws nothing.
    std::shared_ptr<const Slide> Get(const std::string& path);

    // Starts making the slide of `path` in the background.
    void PrepareAhead(const std::string& path);

    imaging::PictureCache& cache() { return *cache_; }

private:
    std::shared_ptr<const Slide> Make(const std::shared_ptr<const imaging::Rgb32Image>& source) const;

    const int16_t mode_;
    const int32_t screenWidth_, screenHeight_;
    std::shared_ptr<imaging::PictureCache> cache_;
    std::mutex mutex_;
    std::string aheadPath_;
    std::string currentPath_;
    std::shared_ptr<const Slide> current_;
    std::future<std::shared_ptr<const Slide>> ahead_;
};

}  // namespace rolla
