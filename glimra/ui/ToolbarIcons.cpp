#include "glimra/ui/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace glimra {

namespace {

// A curved arrow turning clockwise, drawn in a 32-unit square.
void DrawTurningArrow(QPainter& p) {
    QPen pen(QColor(20, 90, 170), 3.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 7, 20, 20), 200 * 16, -250 * 16);
    // Arrow head at the end of the arc (lower right, pointing down-left).
    QPainterPath head;
    head.moveTo(27.5, 15);
    head.lineTo(19.5, 18);
    head.lineTo(27.5, 24.5);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 90, 170));
    p.translate(0, 2);
    p.drawPath(head);
}

void DrawTriangle(QPainter& p, bool pointRight, double x) {
    QPainterPath t;
    if (pointRight) {
        t.moveTo(x, 8);
        t.lineTo(x + 12, 16);
        t.lineTo(x, 24);
    } else {
        t.moveTo(x + 12, 8);
        t.lineTo(x, 16);
        t.lineTo(x + 12, 24);
    }
    t.closeSubpath();
    p.drawPath(t);
}

void DrawPictureFrame(QPainter& p, const QRectF& r) {
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(170, 215, 250));
    p.drawRect(r);
    // A hill and a sun inside.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 150, 60));
    QPainterPath hill;
    hill.moveTo(r.left() + 0.6, r.bottom() - 0.6);
    hill.quadTo(r.center().x(), r.top() + r.height() * 0.35, r.right() - 0.6, r.bottom() - 0.6);
    hill.closeSubpath();
    p.drawPath(hill);
    p.setBrush(QColor(250, 200, 40));
    p.drawEllipse(QPointF(r.right() - r.width() * 0.25, r.top() + r.height() * 0.3), r.width() * 0.1, r.width() * 0.1);
}

}  // namespace

QPixmap DrawToolIcon(ToolIcon which, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    switch (which) {
    case ToolIcon::kEdit:
        DrawPictureFrame(p, QRectF(3, 9, 20, 16));
        // A pencil across the corner.
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(240, 180, 40));
        p.drawPolygon(QPolygonF({QPointF(16, 26), QPointF(27, 5), QPointF(31, 7), QPointF(20, 28)}));
        p.setBrush(QColor(240, 210, 170));
        p.drawPolygon(QPolygonF({QPointF(16, 26), QPointF(20, 28), QPointF(16, 31)}));
        break;
    case ToolIcon::kTransfer:
        DrawPictureFrame(p, QRectF(2, 4, 16, 13));
        // A small device and an arrow towards it.
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.setBrush(QColor(200, 200, 210));
        p.drawRoundedRect(QRectF(19, 16, 11, 14), 2, 2);
        p.setBrush(QColor(60, 60, 80));
        p.drawRect(QRectF(21, 18, 7, 5));
        p.setPen(QPen(QColor(200, 40, 40), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 22), QPointF(15, 26));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 40, 40));
        p.drawPolygon(QPolygonF({QPointF(17.5, 27.5), QPointF(11.5, 28), QPointF(15, 22.5)}));
        break;
    case ToolIcon::kRotateClockwise:
        DrawTurningArrow(p);
        break;
    case ToolIcon::kRotateCounterClockwise:
        break;  // the clockwise arrow mirrored, below
    case ToolIcon::kPrevious:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 120, 60));
        DrawTriangle(p, false, 6);
        DrawTriangle(p, false, 15);
        break;
    case ToolIcon::kNext:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 120, 60));
        DrawTriangle(p, true, 5);
        DrawTriangle(p, true, 14);
        break;
    case ToolIcon::kSlideShow:
        // A screen on a stand with a play mark.
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(3, 4, 26, 19));
        p.drawLine(QPointF(16, 23), QPointF(16, 28));
        p.drawLine(QPointF(10, 29), QPointF(22, 29));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 60, 40));
        p.drawPolygon(QPolygonF({QPointF(13, 8.5), QPointF(21, 13.5), QPointF(13, 18.5)}));
        break;
    case ToolIcon::kApp:
        DrawPictureFrame(p, QRectF(3, 5, 26, 22));
        break;
    }
    p.end();
    if (which == ToolIcon::kRotateCounterClockwise) {
        return QPixmap::fromImage(DrawToolIcon(ToolIcon::kRotateClockwise, size).toImage().mirrored(true, false));
    }
    return pm;
}

QIcon MakeToolIcon(ToolIcon which) {
    QIcon icon;
    icon.addPixmap(DrawToolIcon(which, 16));
    icon.addPixmap(DrawToolIcon(which, 32));
    icon.addPixmap(DrawToolIcon(which, 64));
    return icon;
}

}  // namespace glimra
