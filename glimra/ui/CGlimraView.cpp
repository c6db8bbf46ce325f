#include "glimra/ui/CGlimraView.h"

#include <stdlib.h>
#include <unistd.h>

#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTimerEvent>
#include <QWheelEvent>
#include <vector>

#include "glimra/core/CommandIds.h"
#include "glimra/core/TransferJpeg.h"
#include "glimra/ui/CMainFrame.h"
#include "glimra/ui/OffUiThread.h"
#include "imaging/FileRotation.h"
#include "imaging/NoCasePath.h"
#include "imaging/PictureNames.h"

namespace glimra {

namespace {

constexpr int kTimer1PeriodMs = 200;
constexpr int16_t kRotateLockAfterFailure = 50;
constexpr int16_t kRotateLockAfterTurn = 4;

// Makes the temporary file of a transfer, "IMGxxxxxx.TMP", in `folder`, or in
// the system's temporary folder when the picture folder cannot take it.
std::string MakeTransferTempFile(const std::string& folder) {
    std::vector<std::string> places = {folder.empty() ? std::string(".") : folder, QDir::tempPath().toStdString()};
    for (const std::string& place : places) {
        std::string tmpl = imaging::PicturePath(place, "IMGXXXXXX.TMP");
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        int fd = ::mkstemps(name.data(), 4);
        if (fd >= 0) {
            ::close(fd);
            return std::string(name.data());
        }
    }
    return {};
}

}  // namespace

CGlimraView::CGlimraView(ViewerState& state, ViewServices& services, CMainFrame* frame)
    : QWidget(frame), state_(state), services_(services), frame_(frame) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

CGlimraView::~CGlimraView() = default;

void CGlimraView::OnCommand(int id) {
    switch (id) {
    case kCmdZoom100:
    case kCmdZoom200:
    case kCmdZoom300:
    case kCmdZoom400:
        state_.zoomFactor = int16_t(id - kCmdZoom100 + 1);
        state_.scrollX = state_.scrollY = 0;
        state_.layoutPending = true;
        ResetScrollBoxes();
        DrawPicture(true);
        break;
    case kCmdNextPicture:
    case kCmdPreviousPicture:
        state_.scrollX = state_.scrollY = 0;
        state_.currentFile = NeighbourPicture(state_.pictureNames, state_.currentFile, id == kCmdNextPicture ? 1 : -1);
        frame_->UpdateCaption();
        state_.layoutPending = true;
        ResetScrollBoxes();
        DrawPicture(true);
        break;
    case kCmdSlideShow:
        StartSlideShow();
        break;
    case kCmdEditTool:
        StartEditTool();
        break;
    case kCmdRotateClockwise:
        RotatePicture(imaging::kRotateClockwise);
        break;
    case kCmdRotateCounterClockwise:
        RotatePicture(imaging::kRotateCounterClockwise);
        break;
    case kCmdTransfer:
        TransferPicture();
        break;
    default:
        break;
    }
}

void CGlimraView::ResetScrollBoxes() {
    frame_->SetScrollBox(Qt::Horizontal, 0);
    frame_->SetScrollBox(Qt::Vertical, 0);
}

void CGlimraView::DrawPicture(bool fitFrame) {
    PrepareDraw(fitFrame);
    update();
}

FrameGeometry CGlimraView::MeasureFrame() const {
    FrameGeometry g;
    const QWidget* top = window();
    const QRect outer = top->frameGeometry();
    g.frameLeft = outer.left();
    g.frameTop = outer.top();
    g.frameWidth = outer.width();
    g.frameHeight = outer.height();
    g.clientWidth = width();
    g.clientHeight = height();
    const QScreen* screen = top->screen() != nullptr ? top->screen() : QGuiApplication::primaryScreen();
    const QRect desk = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    g.desktopWidth = desk.width();
    g.desktopHeight = desk.height();
    return g;
}

void CGlimraView::ResizeFrameOuter(int32_t outerWidth, int32_t outerHeight) {
    QWidget* top = window();
    const QSize border = top->frameGeometry().size() - top->geometry().size();
    top->resize(std::max(1, outerWidth - border.width()), std::max(1, outerHeight - border.height()));
}

void CGlimraView::FitFrame(int32_t w, int32_t h) {
    const FrameGeometry g = MeasureFrame();
    int32_t cw = 0, ch = 0;
    FitClientSize(g, w, h, cw, ch);
    ResizeFrameOuter(g.frameWidth + (cw - g.clientWidth), g.frameHeight + (ch - g.clientHeight));
}

void CGlimraView::LayOutBars(int32_t w, int32_t h) {
    const FrameGeometry g = MeasureFrame();
    const BarLayout bars = LayoutBars(g, w, h);
    frame_->ShowScrollBar(Qt::Horizontal, bars.horizontal);
    frame_->ShowScrollBar(Qt::Vertical, bars.vertical);
    if (bars.resizeFrame) ResizeFrameOuter(bars.frameWidth, bars.frameHeight);
    frame_->SetScrollRange(Qt::Horizontal, ScrollMaximum(w, width()));
    frame_->SetScrollRange(Qt::Vertical, ScrollMaximum(h, height()));
}

void CGlimraView::PrepareDraw(bool fitFrame) {
    if (!state_.firstDrawDone) {
        fitFrame = true;
        state_.firstDrawDone = true;
    }
    const std::string path = state_.PicturePath();
    std::shared_ptr<const imaging::Rgb32Image> picture = services_.cache->Get(path);
    if (!picture) {
        // A broken picture leaves no outdated thumbnail behind.
        imaging::DeleteThumbnail(path);
        broken_ = true;
        picture_.reset();
        image_ = QImage();
        state_.layoutPending = false;
        PreloadNeighbours();
        return;
    }
    broken_ = false;
    if (picture != picture_) {
        picture_ = picture;
        image_ = QImage(reinterpret_cast<const uchar*>(picture_->pixels.data()), picture_->width, picture_->height,
                        picture_->width * 4, QImage::Format_RGB32);
    }
    const int32_t w = state_.zoomFactor * picture_->width;
    const int32_t h = state_.zoomFactor * picture_->height;
    if (fitFrame) FitFrame(w, h);
    state_.displayWidth = w;
    state_.displayHeight = h;
    if (state_.layoutPending) LayOutBars(w, h);
    state_.layoutPending = false;
    PreloadNeighbours();
}

void CGlimraView::PreloadNeighbours() {
    if (state_.pictureNames.empty()) return;
    std::vector<std::string> paths;
    for (int direction : {1, -1}) {
        const std::string name = NeighbourPicture(state_.pictureNames, state_.currentFile, direction);
        if (name != state_.currentFile) paths.push_back(imaging::PicturePath(state_.pictureFolder, name));
    }
    services_.cache->Preload(paths);
}

void CGlimraView::paintEvent(QPaintEvent*) {
    // Every paint looks at the file again (a cheap check of its size and
    // time): a picture changed on disk shows at once.
    PrepareDraw(false);
    QPainter p(this);
    if (broken_) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(QRect(0, 0, width() - 1, height() - 1));
        p.drawText(QRect(1, 1, std::max(1, width() - 2), std::max(1, height() - 2)), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("Broken Image File."));
    } else if (!image_.isNull()) {
        const int z = state_.zoomFactor;
        const int64_t sx = state_.scrollX, sy = state_.scrollY;
        // Only the part of the picture inside the view is scaled and drawn.
        const int64_t x0 = std::clamp<int64_t>(sx / z, 0, image_.width());
        const int64_t y0 = std::clamp<int64_t>(sy / z, 0, image_.height());
        const int64_t x1 = std::clamp<int64_t>((sx + width() + z - 1) / z, 0, image_.width());
        const int64_t y1 = std::clamp<int64_t>((sy + height() + z - 1) / z, 0, image_.height());
        // White where the view reaches beyond the picture.
        const QRect pictureArea(int(-sx), int(-sy), int(state_.displayWidth), int(state_.displayHeight));
        QRegion outside = QRegion(rect()) - QRegion(pictureArea.intersected(rect()));
        for (const QRect& r : outside) p.fillRect(r, Qt::white);
        if (x1 > x0 && y1 > y0) {
            const QRect source(int(x0), int(y0), int(x1 - x0), int(y1 - y0));
            const QRect target(int(x0 * z - sx), int(y0 * z - sy), int((x1 - x0) * z), int((y1 - y0) * z));
            p.drawImage(target, image_, source);
        }
    } else {
        p.fillRect(rect(), Qt::white);
    }
    timer1_.start(kTimer1PeriodMs, this);
    ++paintCount_;
}

void CGlimraView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer1_.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (rotateLock_ > 0) --rotateLock_;
}

QMenu* CGlimraView::CreateZoomMenu() {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(QStringLiteral("zoomMenu133"));
    const char* texts[] = {"100%", "200%", "300%", "400%"};
    for (int i = 0; i < 4; ++i) {
        QAction* a = menu->addAction(QString::fromLatin1(texts[i]));
        a->setCheckable(true);
        a->setChecked(state_.zoomFactor == i + 1);
        a->setData(kCmdZoom100 + i);
        connect(a, &QAction::triggered, this, [this, i] { OnCommand(kCmdZoom100 + i); });
    }
    return menu;
}

void CGlimraView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        CreateZoomMenu()->popup(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

void CGlimraView::OnScroll(Qt::Orientation orientation, ScrollCode code, int32_t thumb) {
    const bool vertical = orientation == Qt::Vertical;
    const int32_t max = ScrollMaximum(vertical ? state_.displayHeight : state_.displayWidth,
                                      vertical ? height() : width());
    frame_->SetScrollRange(orientation, max);
    const int32_t cur = frame_->ScrollBox(orientation);
    int32_t& pos = vertical ? state_.scrollY : state_.scrollX;
    pos = cur;
    int32_t target = cur;
    if (!ScrollTarget(code, cur, max, thumb, target)) return;
    pos = target;
    frame_->SetScrollBox(orientation, target);
    DrawPicture(false);
}

void CGlimraView::wheelEvent(QWheelEvent* event) { OnWheel(event); }

void CGlimraView::OnWheel(QWheelEvent* event) {
    event->accept();
    const QPoint delta = event->angleDelta();
    const bool horizontal = delta.x() != 0 && delta.y() == 0;
    const Qt::Orientation orientation =
        horizontal || (event->modifiers() & Qt::ShiftModifier) ? Qt::Horizontal : Qt::Vertical;
    if (!frame_->scrollBar(orientation)->isVisible()) return;  // nothing to scroll that way
    wheelRest_ += horizontal ? delta.x() : delta.y();
    // 120 units are one notch; a notch is three line steps.
    while (wheelRest_ >= 40) {
        wheelRest_ -= 40;
        OnScroll(orientation, ScrollCode::kLineUp, 0);
    }
    while (wheelRest_ <= -40) {
        wheelRest_ += 40;
        OnScroll(orientation, ScrollCode::kLineDown, 0);
    }
}

void CGlimraView::StartSlideShow() {
    int32_t mode = 0, time = 1000;
    services_.settings.ReadViewerSettings(mode, time, state_.portClass);
    const std::string line = "rolla.mod /index.TMP/" + state_.pictureFolder + "/" + std::to_string(mode) + "/" +
                             std::to_string(time);
    if (services_.startProgram) services_.startProgram(line);
}

void CGlimraView::StartEditTool() {
    std::string tool;
    services_.settings.ReadEditToolName(tool);
    // Without a tool there is nothing to start (the picture itself must
    // never be taken for the program).
    if (tool.empty()) return;
    if (services_.startProgram) services_.startProgram(tool + " " + imaging::FindExistingPath(state_.PicturePath()));
}

void CGlimraView::RotatePicture(int mode) {
    if (rotateLock_ != 0) return;
    rotateLock_ = kRotateLockAfterFailure;
    // The file as it is spelt on disk, so that it is rewritten under its own name.
    const std::string path = imaging::FindExistingPath(state_.PicturePath());
    // The file is turned on a worker; the window keeps painting meanwhile.
    int turned = 0;
    frame_->setEnabled(false);
    RunOffUiThread([&] { turned = imaging::FileRotation(path, path, mode); });
    frame_->setEnabled(true);
    if (turned == 0) return;
    imaging::DeleteThumbnail(path);
    DrawPicture(true);
    rotateLock_ = kRotateLockAfterTurn;
}

void CGlimraView::TransferPicture() {
    int32_t mode = 0, time = 0;
    services_.settings.ReadViewerSettings(mode, time, state_.portClass);
    const std::string picturePath = state_.PicturePath();
    const std::string tempPath = MakeTransferTempFile(state_.pictureFolder);
    if (tempPath.empty()) return;
    const std::string transferName = imaging::TransferName(state_.currentFile);
    // Preparing the JPEG and the device link run on a worker: the window
    // keeps painting but takes no commands until the transfer is over.
    bool prepared = false;
    int result = kSendNotSupported;
    const int32_t portClass = state_.portClass;
    frame_->setEnabled(false);
    RunOffUiThread([&] {
        prepared = PrepareTransferJpeg(picturePath, tempPath) == 0;
        if (prepared && services_.sendPicture) result = services_.sendPicture(portClass, tempPath, transferName);
    });
    frame_->setEnabled(true);
    ::unlink(tempPath.c_str());
    if (!prepared) return;
    if (!services_.showMessage) return;
    const QString caption = QStringLiteral("Transmission");
    switch (result) {
    case kSendFinished:
        services_.showMessage(this, caption, QStringLiteral("Finish"), QMessageBox::Information);
        break;
    case kSendFailure:
        services_.showMessage(this, caption, QStringLiteral("Failure"), QMessageBox::Critical);
        break;
    case kSendMemoryError:
        services_.showMessage(this, caption, QStringLiteral("Memory Error"), QMessageBox::Critical);
        break;
    case kSendStopped:
        services_.showMessage(this, caption, QStringLiteral("Stop"), QMessageBox::Information);
        break;
    case kSendNotSupported:
        services_.showMessage(this, caption, QStringLiteral("This device does not support this feature."),
                              QMessageBox::Critical);
        break;
    default:
        break;
    }
}

}  // namespace glimra
