#include "rolla/ui/SlideShowWindow.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

#include "imaging/IndexFile.h"
#include "imaging/NoCasePath.h"

namespace rolla {

SlideShowWindow::SlideShowWindow(const SlideShowArgs& args)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), args_(args) {
    setObjectName(QStringLiteral("MainWClass"));
    setWindowTitle(QString());
    setCursor(Qt::ArrowCursor);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(128, 128, 128));
    setPalette(pal);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(0, 0, 0, 0);
}

SlideShowWindow::~SlideShowWindow() = default;

void SlideShowWindow::Create() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desk = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    setGeometry(desk);
    preparer_ = std::make_unique<SlidePreparer>(args_.showMode, desk.width(), desk.height());
    show();
    ReadIndex();
    PrepareNext();
    timer1_.start(args_.interval, this);
}

void SlideShowWindow::ReadIndex() {
    std::string path = imaging::FindExistingPath(args_.indexPath);
    // A missing index is made as an empty file; the show then has no pictures.
    int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
    pictureList_ = imaging::ReadSlideIndex(path, args_.pictureFolder);
}

void SlideShowWindow::PrepareNext() {
    if (pictureList_.empty() || !preparer_) return;
    const size_t next = (size_t(currentIndex_) + 1) % pictureList_.size();
    preparer_->PrepareAhead(pictureList_[next]);
}

void SlideShowWindow::ShowPicture() { repaint(); }

void SlideShowWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (pictureList_.empty() || !preparer_) return;
    std::shared_ptr<const Slide> slide = preparer_->Get(pictureList_[size_t(currentIndex_)]);
    if (!slide) return;
    const imaging::Rgb32Image& px = *slide->pixels;
    const QImage image(reinterpret_cast<const uchar*>(px.pixels.data()), px.width, px.height, px.width * 4,
                       QImage::Format_RGB32);
    p.drawImage(QPoint(slide->placement.x, slide->placement.y), image);
}

void SlideShowWindow::OnTimer1() {
    timer1_.stop();
    ++currentIndex_;
    if (currentIndex_ >= int32_t(pictureList_.size())) currentIndex_ = 0;
    ShowPicture();
    PrepareNext();
    timer1_.start(args_.interval, this);
}

void SlideShowWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer1_.timerId()) {
        OnTimer1();
        return;
    }
    QWidget::timerEvent(event);
}

void SlideShowWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        close();
        return;
    }
    QWidget::mousePressEvent(event);
}

void SlideShowWindow::closeEvent(QCloseEvent* event) {
    timer1_.stop();
    pictureList_.clear();
    event->accept();
}

}  // namespace rolla
