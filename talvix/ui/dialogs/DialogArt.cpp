#include "talvix/ui/dialogs/DialogArt.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace talvix::ui::dialogart {
namespace {

QPixmap Blank(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A memory card of `size` with its top-right corner cut and its contacts.
void DrawCard(QPainter& p, const QRectF& r)
{
    QPainterPath outline;
    const qreal cut = r.width() * 0.3;
    outline.moveTo(r.left(), r.top());
    outline.lineTo(r.right() - cut, r.top());
    outline.lineTo(r.right(), r.top() + cut);
    outline.lineTo(r.right(), r.bottom());
    outline.lineTo(r.left(), r.bottom());
    outline.closeSubpath();
    p.setPen(QPen(QColor(40, 40, 60), 1.0));
    p.setBrush(QColor(70, 90, 160));
    p.drawPath(outline);
    p.setBrush(QColor(220, 180, 60));
    p.setPen(Qt::NoPen);
    const qreal w = r.width() / 7.0;
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(r.left() + w * (1 + i * 1.3), r.top() + 2, w * 0.8, r.height() * 0.2));
    p.setBrush(QColor(240, 240, 240));
    p.drawRect(QRectF(r.left() + 3, r.top() + r.height() * 0.45, r.width() - 6, r.height() * 0.35));
}

void DrawFolder(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(120, 90, 20), 1.0));
    p.setBrush(QColor(230, 190, 80));
    QPainterPath back;
    back.moveTo(r.left(), r.top() + r.height() * 0.15);
    back.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.15);
    back.lineTo(r.left() + r.width() * 0.48, r.top() + r.height() * 0.3);
    back.lineTo(r.right(), r.top() + r.height() * 0.3);
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 215, 110));
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.4, r.width(), r.height() * 0.6));
}

void DrawSheet(QPainter& p, const QRectF& r)
{
    const qreal fold = r.width() * 0.35;
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 1.0));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setPen(QPen(QColor(150, 150, 170), 1.0));
    for (qreal y = r.top() + fold + 2; y < r.bottom() - 2; y += 3)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

}  // namespace

std::vector<QPixmap> CopyFrames(bool toCard)
{
    std::vector<QPixmap> frames;
    const QRectF left(6, 8, 34, 34);
    const QRectF right(kCopyFrameWidth - 42, 8, 36, 34);
    for (int i = 0; i < kCopyFrameCount; ++i) {
        QPixmap frame = Blank(kCopyFrameWidth, kCopyFrameHeight);
        QPainter p(&frame);
        p.setRenderHint(QPainter::Antialiasing);
        // Card to PC: the card on the left, the PC folder on the right; the
        // other way round the sheets fly from the folder to the card.
        if (toCard) {
            DrawFolder(p, left);
            DrawCard(p, right.adjusted(4, 0, -4, 0));
        } else {
            DrawCard(p, left.adjusted(3, 0, -3, 0));
            DrawFolder(p, right);
        }
        const qreal t = static_cast<qreal>(i) / (kCopyFrameCount - 1);
        const qreal startX = left.right() + 4;
        const qreal endX = right.left() - 20;
        const qreal x = startX + t * (endX - startX);
        const qreal y = 22 - std::sin(std::numbers::pi * t) * 20;
        DrawSheet(p, QRectF(x, y, 16, 20));
        frames.push_back(frame);
    }
    return frames;
}

std::vector<QPixmap> SearchFrames()
{
    std::vector<QPixmap> frames;
    for (int i = 0; i < kSearchFrameCount; ++i) {
        QPixmap frame = Blank(kSearchFrameWidth, kSearchFrameHeight);
        QPainter p(&frame);
        p.setRenderHint(QPainter::Antialiasing);
        DrawFolder(p, QRectF(2, 18, 34, 28));
        const qreal angle = 2 * std::numbers::pi * i / kSearchFrameCount;
        const QPointF centre(26 + 9 * std::cos(angle), 24 + 7 * std::sin(angle));
        p.setPen(QPen(QColor(60, 40, 20), 3.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre + QPointF(6, 6), centre + QPointF(13, 13));
        p.setPen(QPen(QColor(50, 50, 50), 2.0));
        p.setBrush(QColor(200, 230, 255, 170));
        p.drawEllipse(centre, 8, 8);
        frames.push_back(frame);
    }
    return frames;
}

QPixmap FilePicture()
{
    QPixmap pixmap = Blank(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSheet(p, QRectF(6.5, 2.5, 19, 27));
    return pixmap;
}

QPixmap FolderPicture()
{
    QPixmap pixmap = Blank(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawFolder(p, QRectF(1.5, 3.5, 29, 25));
    return pixmap;
}

QPixmap ProgramPicture()
{
    QPixmap pixmap = Blank(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawCard(p, QRectF(3.5, 3.5, 20, 25));
    p.setPen(QPen(QColor(30, 30, 30), 1.0));
    p.setBrush(QColor(90, 160, 90));
    p.drawEllipse(QPointF(23, 21), 7, 7);
    p.setBrush(QColor(20, 20, 20));
    p.drawEllipse(QPointF(23, 21), 3, 3);
    return pixmap;
}

}  // namespace talvix::ui::dialogart
