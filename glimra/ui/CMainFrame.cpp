#include "glimra/ui/CMainFrame.h"

#include <QAction>
#include <QGridLayout>
#include <QKeySequence>
#include <QScrollBar>
#include <QToolBar>
#include <QWheelEvent>

#include "glimra/core/CommandIds.h"
#include "glimra/ui/CGlimraView.h"
#include "glimra/ui/ToolbarIcons.h"

namespace glimra {

namespace {

struct ButtonInfo {
    int id;
    ToolIcon icon;
    const char* prompt;  // "fly-by" text, then "\n" and the tooltip
};

// The toolbar's buttons in order; id 0 is a gap.
const ButtonInfo kButtons[] = {
    {kCmdEditTool, ToolIcon::kEdit, "-\nEdit"},
    {kCmdTransfer, ToolIcon::kTransfer, "-\nTransfer"},
    {0, ToolIcon::kApp, nullptr},
    {kCmdRotateClockwise, ToolIcon::kRotateClockwise, nullptr},
    {kCmdRotateCounterClockwise, ToolIcon::kRotateCounterClockwise, nullptr},
    {0, ToolIcon::kApp, nullptr},
    {kCmdPreviousPicture, ToolIcon::kPrevious, "前の写真を表示する。\nPrevious picture"},
    {kCmdSlideShow, ToolIcon::kSlideShow, "スライドショウを実行する。\nSlide show"},
    {kCmdNextPicture, ToolIcon::kNext, "次の写真を表示する。\nNext picture"},
};

}  // namespace

CMainFrame::CMainFrame(ViewerState& state, ViewServices& services)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      state_(state) {
    setWindowIcon(MakeToolIcon(ToolIcon::kApp));
    UpdateCaption();

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    view_ = new CGlimraView(state, services, this);
    view_->setParent(central);
    hBar_ = new QScrollBar(Qt::Horizontal, central);
    vBar_ = new QScrollBar(Qt::Vertical, central);
    grid->addWidget(view_, 0, 0);
    grid->addWidget(vBar_, 0, 1);
    grid->addWidget(hBar_, 1, 0);
    setCentralWidget(central);
    ConnectScrollBar(hBar_, Qt::Horizontal);
    ConnectScrollBar(vBar_, Qt::Vertical);
    hBar_->hide();
    vBar_->hide();

    CreateToolBar();
    view_->setFocus();
    // The first draw fits the frame to the picture; until then, and when the
    // first picture cannot be shown, the frame has a usual window size.
    resize(640, 480);
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateToolBar() {
    toolBar_ = new QToolBar(QStringLiteral("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("AFX_IDW_TOOLBAR"));
    toolBar_->setIconSize(QSize(32, 32));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    for (const ButtonInfo& b : kButtons) {
        if (b.id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        auto* action = new QAction(MakeToolIcon(b.icon), QString(), this);
        action->setData(b.id);
        action->setObjectName(QStringLiteral("cmd%1").arg(b.id));
        if (b.prompt != nullptr) {
            const QStringList parts = QString::fromUtf8(b.prompt).split(QLatin1Char('\n'));
            action->setStatusTip(parts.value(0));
            action->setToolTip(parts.value(1));
            action->setText(parts.value(1));
        }
        connect(action, &QAction::triggered, this, [this, id = b.id] { view_->OnCommand(id); });
        toolBar_->addAction(action);
    }
    // Ctrl+N and Ctrl+B step through the pictures.
    if (QAction* next = commandAction(kCmdNextPicture)) next->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    if (QAction* prev = commandAction(kCmdPreviousPicture)) prev->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

QAction* CMainFrame::commandAction(int id) const {
    for (QAction* a : toolBar_->actions()) {
        if (a->data().toInt() == id && !a->isSeparator()) return a;
    }
    return nullptr;
}

QScrollBar* CMainFrame::scrollBar(Qt::Orientation o) const { return o == Qt::Horizontal ? hBar_ : vBar_; }

void CMainFrame::ConnectScrollBar(QScrollBar* bar, Qt::Orientation o) {
    bar->setRange(0, 0);
    bar->installEventFilter(this);
    // The picture moves when a line or page step is asked for or the thumb
    // is let go, not while it is dragged.
    bar->setTracking(false);
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, o, bar](int action) {
        ScrollCode code = ScrollCode::kOther;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub: code = ScrollCode::kLineUp; break;
        case QAbstractSlider::SliderSingleStepAdd: code = ScrollCode::kLineDown; break;
        case QAbstractSlider::SliderPageStepSub: code = ScrollCode::kPageUp; break;
        case QAbstractSlider::SliderPageStepAdd: code = ScrollCode::kPageDown; break;
        case QAbstractSlider::SliderToMinimum:
        case QAbstractSlider::SliderToMaximum:
            // "Top" and "Bottom" are not scroll steps of the view: the bar
            // stays where the picture is.
            bar->setSliderPosition(bar->value());
            return;
        default: return;
        }
        view_->OnScroll(o, code, 0);
    });
    connect(bar, &QAbstractSlider::sliderReleased, this,
            [this, o, bar] { view_->OnScroll(o, ScrollCode::kThumbPosition, bar->sliderPosition()); });
    // The bar's own jumps ("Scroll here" of its menu) put the thumb somewhere
    // at once: a released thumb at that place. Our own moves of the bar are
    // made with its signals blocked and never arrive here.
    connect(bar, &QAbstractSlider::valueChanged, this,
            [this, o](int value) { view_->OnScroll(o, ScrollCode::kThumbPosition, value); });
}

void CMainFrame::UpdateCaption() {
    setWindowTitle(QStringLiteral("Glimra - ( ") + QString::fromStdString(state_.currentFile) + QStringLiteral(" )"));
}

void CMainFrame::ShowScrollBar(Qt::Orientation o, bool show) { scrollBar(o)->setVisible(show); }

void CMainFrame::SetScrollRange(Qt::Orientation o, int32_t max) {
    QScrollBar* bar = scrollBar(o);
    const QSignalBlocker block(bar);
    bar->setRange(0, max);
    bar->setPageStep(std::max(1, o == Qt::Horizontal ? view_->width() : view_->height()));
}

void CMainFrame::SetScrollBox(Qt::Orientation o, int32_t position) {
    QScrollBar* bar = scrollBar(o);
    const QSignalBlocker block(bar);
    bar->setValue(position);
    bar->setSliderPosition(position);
}

int32_t CMainFrame::ScrollBox(Qt::Orientation o) const { return scrollBar(o)->value(); }

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over a bar moves the picture by the view's rules.
    if (event->type() == QEvent::Wheel && (watched == hBar_ || watched == vBar_)) {
        view_->OnWheel(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    state_.layoutPending = true;
    SetScrollBox(Qt::Vertical, 0);
}

}  // namespace glimra
