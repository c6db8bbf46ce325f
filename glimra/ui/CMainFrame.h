#pragma once
#include <QMainWindow>

#include "glimra/core/ScrollMath.h"
#include "glimra/core/ViewerState.h"
#include "glimra/ui/ViewServices.h"

class QScrollBar;
class QToolBar;
class QAction;

namespace glimra {

class CGlimraView;

// The viewer's frame: caption "Glimra - ( file )", minimise but no maximise
// box, a toolbar of 32x32 buttons docked at the top, the picture view and the
// two scroll bars that move the picture.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(ViewerState& state, ViewServices& services);
    ~CMainFrame() override;

    CGlimraView* view() const { return view_; }
    QToolBar* toolBar() const { return toolBar_; }
    QScrollBar* scrollBar(Qt::Orientation o) const;
    QAction* commandAction(int id) const;

    void UpdateCaption();
    void ShowScrollBar(Qt::Orientation o, bool show);
    void SetScrollRange(Qt::Orientation o, int32_t max);
    void SetScrollBox(Qt::Orientation o, int32_t position);
    int32_t ScrollBox(Qt::Orientation o) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateToolBar();
    void ConnectScrollBar(QScrollBar* bar, Qt::Orientation o);

    ViewerState& state_;
    CGlimraView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QScrollBar* hBar_ = nullptr;
    QScrollBar* vBar_ = nullptr;
};

}  // namespace glimra
