#include "talvix/ui/dialogs/AnimationView.h"

#include <QPainter>

#include <algorithm>

namespace talvix::ui {

AnimationView::AnimationView(QWidget* parent) : QWidget(parent)
{
    setProperty("talvixClass", "TAnimate");
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &AnimationView::Step);
}

void AnimationView::Load(std::vector<QPixmap> frames, int intervalMs)
{
    timer_.stop();
    frames_ = std::move(frames);
    timer_.setInterval(std::max(1, intervalMs));
    current_ = frames_.empty() ? 0 : 1;
    from_ = 1;
    to_ = FrameCount();
    updateGeometry();
    update();
}

void AnimationView::Play(int from, int to)
{
    if (frames_.empty())
        return;
    from_ = std::clamp(from, 1, FrameCount());
    to_ = std::clamp(to, from_, FrameCount());
    current_ = from_;
    update();
    timer_.start();
}

void AnimationView::Stop()
{
    timer_.stop();
}

void AnimationView::Step()
{
    if (frames_.empty())
        return;
    current_ = current_ >= to_ || current_ < from_ ? from_ : current_ + 1;
    update();
}

QSize AnimationView::sizeHint() const
{
    return frames_.empty() ? QSize(16, 16) : frames_.front().deviceIndependentSize().toSize();
}

void AnimationView::paintEvent(QPaintEvent*)
{
    if (current_ < 1 || current_ > FrameCount())
        return;
    const QPixmap& frame = frames_[static_cast<size_t>(current_ - 1)];
    QPainter painter(this);
    const QSize size = frame.deviceIndependentSize().toSize();
    // Centred, as the animation control shows a clip smaller than itself.
    painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, frame);
}

}  // namespace talvix::ui
