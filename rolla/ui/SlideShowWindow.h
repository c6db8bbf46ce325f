#pragma once
#include <QBasicTimer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "rolla/core/RollaCommandLine.h"
#include "rolla/core/SlidePreparer.h"

namespace rolla {

// The slide show's one window ("MainWClass"): no caption, no border, over the
// whole screen, black behind the pictures. It shows entry 0 first, then the
// next entry each time timer 1 fires (restarted after each picture), and
// closes at a mouse click or a close request.
class SlideShowWindow : public QWidget {
    Q_OBJECT
public:
    explicit SlideShowWindow(const SlideShowArgs& args);
    ~SlideShowWindow() override;

    // What the window does on creation: cover the screen, show itself, read
    // the index file (made empty when missing) and start timer 1.
    void Create();

    // Clears the window and draws entry currentIndex.
    void ShowPicture();

    const std::vector<std::string>& pictureList() const { return pictureList_; }
    int32_t currentIndex() const { return currentIndex_; }

    // What timer 1 does: on to the next entry, show it, start the timer again.
    void OnTimer1();

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ReadIndex();
    void PrepareNext();

    SlideShowArgs args_;
    std::vector<std::string> pictureList_;
    int32_t currentIndex_ = 0;
    std::unique_ptr<SlidePreparer> preparer_;
    QBasicTimer timer1_;
};

}  // namespace rolla
