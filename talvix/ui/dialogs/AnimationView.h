#pragma once
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace talvix::ui {

// An animation control ("TAnimate"): plays a list of frames drawn by the
// program at a fixed rate. Frame numbers are 1-based, as the forms give
// their start and stop frames.
class AnimationView : public QWidget {
    Q_OBJECT
public:
    explicit AnimationView(QWidget* parent = nullptr);

    // Replaces the frames (stops a running play); shows frame 1.
    void Load(std::vector<QPixmap> frames, int intervalMs);
    // Plays frames `from`..`to` (clamped to the loaded frames), repeating
    // until Stop. Nothing happens without frames.
    void Play(int from, int to);
    // Stops at the frame shown.
    void Stop();

    bool Active() const { return timer_.isActive(); }
    int FrameCount() const { return static_cast<int>(frames_.size()); }
    int CurrentFrame() const { return current_; }  // 1-based; 0 without frames
    int IntervalMs() const { return timer_.interval(); }
    // Advances one frame as the timer does (tests step the animation).
    void Step();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QPixmap> frames_;
    QTimer timer_;
    int current_ = 0;
    int from_ = 1;
    int to_ = 1;
};

}  // namespace talvix::ui
