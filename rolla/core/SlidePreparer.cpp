#include "rolla/core/SlidePreparer.h"

#include "imaging/Resampler.h"

namespace rolla {

SlidePreparer::SlidePreparer(int16_t mode, int32_t screenWidth, int32_t screenHeight)
    : mode_(mode), screenWidth_(screenWidth), screenHeight_(screenHeight),
      cache_(std::make_shared<imaging::PictureCache>(3)) {}

SlidePreparer::~SlidePreparer() {
    if (ahead_.valid()) ahead_.wait();
}

std::shared_ptr<const Slide> SlidePreparer::Make(const std::shared_ptr<const imaging::Rgb32Image>& source) const {
    if (!source) return nullptr;
    const Placement place = PlacePicture(mode_, source->width, source->height, screenWidth_, screenHeight_);
    if (!place.draw) return nullptr;
    auto slide = std::make_shared<Slide>();
    slide->source = source;
    slide->placement = place;
    if (place.width == source->width && place.height == source->height) {
        slide->pixels = source;
    } else {
        auto scaled = std::make_shared<imaging::Rgb32Image>(imaging::ResizeRgb32(*source, place.width, place.height));
        if (scaled->Empty()) return nullptr;
        slide->pixels = std::move(scaled);
    }
    return slide;
}

std::shared_ptr<const Slide> SlidePreparer::Get(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ahead_.valid() && aheadPath_ == path) {
        current_ = ahead_.get();
        currentPath_ = path;
    }
    // The cache hands out the same decoded picture while the file is unchanged.
    std::shared_ptr<const imaging::Rgb32Image> source = cache_->Get(path);
    if (currentPath_ == path && current_ && current_->source == source) return current_;
    current_ = Make(source);
    currentPath_ = path;
    return current_;
}

void SlidePreparer::PrepareAhead(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (ahead_.valid()) ahead_.wait();
    aheadPath_ = path;
    ahead_ = std::async(std::launch::async, [this, path] { return Make(cache_->Get(path)); });
}

}  // namespace rolla
