#include "orvane/ui/TImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace orvane {

TImage::TImage(QWidget* parent, bool autoSize) : QWidget(parent), autoSize_(autoSize)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void TImage::SetPicture(const QPixmap& picture)
{
    picture_ = picture;
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!picture_.isNull())
        p.drawPixmap(0, 0, picture_);
}

void TImage::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit mouseMoved(pos.x(), pos.y());
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit mousePressed(pos.x(), pos.y());
}

}  // namespace orvane
