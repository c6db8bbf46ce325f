#pragma once
#include <QBasicTimer>
#include <QImage>
#include <QWidget>
#include <memory>

#include "glimra/core/ScrollMath.h"
#include "glimra/core/ViewerState.h"
#include "glimra/ui/ViewServices.h"
#include "imaging/Rgb32Image.h"

class QMenu;

namespace glimra {

class CMainFrame;

// The view that fills the frame and draws the current picture at the zoom,
// scrolled so that display pixel (scrollX, scrollY) is at its top-left corner.
// The picture is taken from the decoded-picture cache, which decodes it again
// only when its file has changed, and the pictures before and after it in the
// index are decoded ahead on the cache's worker.
class CGlimraView : public QWidget {
    Q_OBJECT
public:
    CGlimraView(ViewerState& state, ViewServices& services, CMainFrame* frame);
    ~CGlimraView() override;

    // Carries out a command of the toolbar, keys or pop-up menu.
    void OnCommand(int id);

    // Sets up the picture for drawing (frame fitting and scroll bars as the
    // draw rules say) and asks for a repaint.
    void DrawPicture(bool fitFrame);

    // A scroll request from the frame's bars; `thumb` is the released thumb's position.
    void OnScroll(Qt::Orientation orientation, ScrollCode code, int32_t thumb);

    // The mouse wheel over the view or its bars: three line steps a notch.
    void OnWheel(QWheelEvent* event);

    void StartSlideShow();
    void StartEditTool();
    void RotatePicture(int mode);
    void TransferPicture();

    // The pop-up menu of the right button, its current zoom checked.
    QMenu* CreateZoomMenu();

    int16_t rotateLock() const { return rotateLock_; }
    bool brokenShown() const { return broken_; }
    // Number of paints so far (for tests and the benchmark).
    uint64_t paintCount() const { return paintCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Steps of a draw up to the painting: load, fit, lay out.
    void PrepareDraw(bool fitFrame);
    void FitFrame(int32_t w, int32_t h);
    void LayOutBars(int32_t w, int32_t h);
    FrameGeometry MeasureFrame() const;
    void ResizeFrameOuter(int32_t outerWidth, int32_t outerHeight);
    void PreloadNeighbours();
    void ResetScrollBoxes();

    ViewerState& state_;
    ViewServices& services_;
    CMainFrame* frame_;
    std::shared_ptr<const imaging::Rgb32Image> picture_;
    QImage image_;  // wraps picture_'s pixels
    bool broken_ = false;
    int16_t rotateLock_ = 0;
    uint64_t paintCount_ = 0;
    QBasicTimer timer1_;
    int wheelRest_ = 0;  // part of a notch not yet turned into steps
};

}  // namespace glimra
