#include "orvane/ui/MenuArt.h"

#include "orvane/launch/MenuModel.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace orvane {

namespace {

const QColor kInk(232, 236, 244);
const QColor kDimInk(150, 160, 180);
const QColor kCard(24, 30, 44);
const QColor kQuitRed(206, 38, 48);

struct ItemLook {
    const char* name;
    const char* role;
    const char* japanese;
    QColor accent;
    const char* line1;
    const char* line2;
};

const ItemLook kItems[7] = {
    {"Welcome", "", "ようこそ", QColor(120, 170, 255), "Point at an item or move with", "the arrow keys; Enter starts it."},
    {"Gallo", "Picture Organiser", "写真の整理", QColor(245, 166, 35), "Sort, view and print your", "pictures in albums."},
    {"Rekam", "Video Capture", "ビデオの取り込み", QColor(46, 196, 182), "Bring video from your camera", "onto the computer."},
    {"Edvo", "Video Editing", "ビデオの編集", QColor(168, 110, 240), "Cut and join your clips into", "a finished movie."},
    {"Create", "Title Screen Creation", "タイトル画面の作成", QColor(72, 144, 255), "Start a new 640x480 title", "picture from a blank page."},
    {"Edit", "Title Screen Editing", "タイトル画面の編集", QColor(72, 144, 255), "Open a saved title picture", "and change it."},
    {"Transfer", "Title Screen Transfer", "タイトル画面の転送", QColor(72, 144, 255), "Hand your title pictures to", "the organiser for the device."},
};

QFont UiFont(int pixelSize, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QFont JapaneseFont(int pixelSize)
{
    QFont f(QStringLiteral("IPAPGothic"));
    f.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")});
    f.setPixelSize(pixelSize);
    return f;
}

QRect CardRect(int item)
{
    const QRect r = MenuArt::HoverRect(item);
    return item <= 3 ? r.adjusted(6, 5, -6, -5) : r.adjusted(4, 4, -4, -4);
}

// The region whose clicks quit, in description-picture coordinates: the
// click rule of the menu model, taken over pixel by pixel (a pixel quits
// when its own click point does).
QRectF QuitRegionBounds()
{
    const double left = MenuModel::kExitLeft + 1 - MenuModel::TextToPanelX(0);
    const double right = MenuModel::kExitRight - MenuModel::TextToPanelX(0);
    const double top = MenuModel::kExitTop + 1 - MenuModel::TextToPanelY(0);
    const double bottom = MenuModel::kExitBottom - MenuModel::TextToPanelY(0);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// The menu background in panel coordinates.
void PaintBackground(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, MenuArt::kPanelHeight);
    sky.setColorAt(0.0, QColor(14, 20, 36));
    sky.setColorAt(0.55, QColor(8, 11, 20));
    sky.setColorAt(1.0, QColor(2, 3, 6));
    p.fillRect(QRect(0, 0, MenuArt::kPanelWidth, MenuArt::kPanelHeight), sky);

    // A faint glow behind the program row and a fine grid for depth.
    QRadialGradient glow(QPointF(320, 150), 330);
    glow.setColorAt(0.0, QColor(60, 90, 160, 70));
    glow.setColorAt(1.0, QColor(60, 90, 160, 0));
    p.fillRect(QRect(0, 0, MenuArt::kPanelWidth, MenuArt::kPanelHeight), glow);
    p.setPen(QPen(QColor(255, 255, 255, 10), 1));
    for (int x = 0; x < MenuArt::kPanelWidth; x += 20)
        p.drawLine(x, 0, x, MenuArt::kPanelHeight);
    for (int y = 0; y < MenuArt::kPanelHeight; y += 20)
        p.drawLine(0, y, MenuArt::kPanelWidth, y);

    // Header and section captions.
    p.setPen(kInk);
    p.setFont(UiFont(22, true));
    p.drawText(QRect(132, 18, 300, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Orvane"));
    p.setPen(kDimInk);
    p.setFont(UiFont(11));
    p.drawText(QRect(232, 18, 380, 30), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Video & Photo Suite"));
    QLinearGradient rule(38, 0, 602, 0);
    rule.setColorAt(0.0, QColor(120, 170, 255, 200));
    rule.setColorAt(1.0, QColor(120, 170, 255, 0));
    p.fillRect(QRect(38, 58, 564, 2), rule);

    p.setPen(kDimInk);
    p.setFont(UiFont(12, true));
    p.drawText(QPoint(45, 86), QStringLiteral("PROGRAMS"));
    p.drawText(QPoint(52, 306), QStringLiteral("TITLE SCREENS"));
    p.fillRect(QRect(45, 90, 70, 1), QColor(150, 160, 180, 120));
    p.fillRect(QRect(52, 310, 100, 1), QColor(150, 160, 180, 120));

    // A short welcome between the two rows.
    p.setPen(kInk);
    p.setFont(UiFont(13));
    p.drawText(QRect(45, 222, 320, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Start a program, or make a title screen"));
    p.drawText(QRect(45, 240, 320, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("for your device."));
    p.setPen(kDimInk);
    p.setFont(JapaneseFont(11));
    p.drawText(QRect(45, 262, 320, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8("プログラムを選ぶか、タイトル画面を作ります。"));
}

// Icons, drawn in a box of the given size centred at c.
void IconPhotos(QPainter& p, QPointF c, const QColor& a)
{
    p.save();
    p.translate(c);
    for (int i = 0; i < 2; ++i) {
        p.save();
        p.rotate(i == 0 ? -10 : 6);
        p.translate(i == 0 ? -6 : 4, i == 0 ? -2 : 2);
        QRectF frame(-20, -15, 40, 30);
        p.setPen(QPen(QColor(250, 250, 250), 2));
        p.setBrush(i == 0 ? a.darker(170) : QColor(40, 60, 90));
        p.drawRect(frame);
        if (i == 1) {
            QPainterPath hills;
            hills.moveTo(-19, 14);
            hills.lineTo(-8, 0);
            hills.lineTo(0, 8);
            hills.lineTo(8, -2);
            hills.lineTo(19, 14);
            hills.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(a);
            p.drawPath(hills);
            p.setBrush(QColor(255, 236, 150));
            p.drawEllipse(QPointF(-9, -7), 4, 4);
        }
        p.restore();
    }
    p.restore();
}

void IconCamera(QPainter& p, QPointF c, const QColor& a)
{
    p.save();
    p.translate(c);
    p.setPen(QPen(QColor(250, 250, 250), 2));
    p.setBrush(QColor(40, 52, 70));
    p.drawRoundedRect(QRectF(-22, -13, 32, 26), 5, 5);
    QPainterPath lens;
    lens.moveTo(10, -7);
    lens.lineTo(23, -13);
    lens.lineTo(23, 13);
    lens.lineTo(10, 7);
    lens.closeSubpath();
    p.setBrush(a);
    p.drawPath(lens);
    p.setBrush(QColor(40, 52, 70));
    p.drawRect(QRectF(-18, -20, 14, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 60, 60));
    p.drawEllipse(QPointF(-14, -5), 3, 3);
    p.restore();
}

void IconFilm(QPainter& p, QPointF c, const QColor& a)
{
    p.save();
    p.translate(c);
    p.rotate(-8);
    p.setPen(QPen(QColor(250, 250, 250), 2));
    p.setBrush(QColor(30, 34, 44));
    p.drawRect(QRectF(-26, -15, 52, 30));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 230, 230));
    for (int i = 0; i < 6; ++i) {
        p.drawRect(QRectF(-23 + i * 8.6, -13, 4, 4));
        p.drawRect(QRectF(-23 + i * 8.6, 9, 4, 4));
    }
    p.setBrush(a);
    QPainterPath play;
    play.moveTo(-6, -7);
    play.lineTo(9, 0);
    play.lineTo(-6, 7);
    play.closeSubpath();
    p.drawPath(play);
    p.restore();
}

void IconPage(QPainter& p, QPointF c, int kind, const QColor& a)
{
    p.save();
    p.translate(c);
    QPainterPath page;
    page.moveTo(-13, -17);
    page.lineTo(6, -17);
    page.lineTo(13, -10);
    page.lineTo(13, 17);
    page.lineTo(-13, 17);
    page.closeSubpath();
    p.setPen(QPen(QColor(250, 250, 250), 2));
    p.setBrush(QColor(236, 240, 248));
    p.drawPath(page);
    p.setPen(QPen(a, 3, Qt::SolidLine, Qt::RoundCap));
    if (kind == 4) {
        p.drawLine(QPointF(0, -6), QPointF(0, 8));
        p.drawLine(QPointF(-7, 1), QPointF(7, 1));
    } else if (kind == 5) {
        p.setPen(QPen(QColor(150, 160, 180), 1.5));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(-8, -8 + i * 6), QPointF(6, -8 + i * 6));
        p.setPen(Qt::NoPen);
        p.setBrush(a);
        p.save();
        p.translate(6, 6);
        p.rotate(-45);
        p.drawRect(QRectF(-3, -13, 6, 20));
        p.setBrush(QColor(255, 210, 150));
        QPainterPath tip;
        tip.moveTo(-3, 7);
        tip.lineTo(3, 7);
        tip.lineTo(0, 13);
        tip.closeSubpath();
        p.drawPath(tip);
        p.restore();
    } else {
        QPainterPath arrow;
        arrow.moveTo(-6, -3);
        arrow.lineTo(10, -3);
        arrow.lineTo(10, -9);
        arrow.lineTo(20, 1);
        arrow.lineTo(10, 11);
        arrow.lineTo(10, 5);
        arrow.lineTo(-6, 5);
        arrow.closeSubpath();
        p.setPen(QPen(QColor(250, 250, 250), 1.5));
        p.setBrush(a);
        p.drawPath(arrow);
    }
    p.restore();
}

void PaintIcon(QPainter& p, int item, QPointF c, const QColor& a)
{
    switch (item) {
    case 1: IconPhotos(p, c, a); break;
    case 2: IconCamera(p, c, a); break;
    case 3: IconFilm(p, c, a); break;
    default: IconPage(p, c, item, a); break;
    }
}

// One button of the menu in panel coordinates, plain or lit.
void PaintButton(QPainter& p, int item, bool lit)
{
    const ItemLook& look = kItems[item];
    const QRectF card = CardRect(item);
    const qreal radius = item <= 3 ? 12 : 10;
    if (lit) {
        // Soft halo around the lit card.
        for (int i = 4; i >= 1; --i) {
            QColor halo = look.accent;
            halo.setAlpha(22 * (5 - i));
            p.setPen(QPen(halo, i * 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(card.adjusted(-i * 0.5, -i * 0.5, i * 0.5, i * 0.5), radius, radius);
        }
    }
    QLinearGradient fill(card.topLeft(), card.bottomLeft());
    if (lit) {
        fill.setColorAt(0.0, look.accent.lighter(115));
        fill.setColorAt(1.0, look.accent.darker(190));
    } else {
        fill.setColorAt(0.0, kCard.lighter(135));
        fill.setColorAt(1.0, kCard);
    }
    QColor border = look.accent;
    border.setAlpha(lit ? 255 : 110);
    p.setPen(QPen(border, lit ? 2 : 1.2));
    p.setBrush(fill);
    p.drawRoundedRect(card, radius, radius);

    // A glassy highlight across the top half.
    QLinearGradient shine(card.topLeft(), QPointF(card.left(), card.center().y()));
    shine.setColorAt(0.0, QColor(255, 255, 255, lit ? 70 : 28));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(card.adjusted(2, 2, -2, -card.height() / 2), radius - 2, radius - 2);

    const QColor iconAccent = lit ? QColor(255, 255, 255) : look.accent;
    if (item <= 3) {
        PaintIcon(p, item, QPointF(card.left() + 40, card.center().y()), iconAccent);
        p.setPen(lit ? QColor(255, 255, 255) : kInk);
        p.setFont(UiFont(17, true));
        const QRectF text(card.left() + 74, card.top() + 16, card.width() - 80, 24);
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(look.name));
        p.setPen(lit ? QColor(255, 255, 255, 230) : kDimInk);
        p.setFont(UiFont(10));
        const QRectF role(card.left() + 74, card.top() + 40, card.width() - 80, 32);
        p.drawText(role, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, QString::fromLatin1(look.role));
    } else {
        PaintIcon(p, item, QPointF(card.center().x() - (item == 6 ? 4 : 0), card.top() + 30), iconAccent);
        p.setPen(lit ? QColor(255, 255, 255) : kInk);
        p.setFont(UiFont(12, true));
        p.drawText(QRectF(card.left(), card.bottom() - 26, card.width(), 20), Qt::AlignCenter,
                   QString::fromLatin1(look.name));
    }
}

// The description area as drawn: a rounded panel whose lower-right corner
// is square, so that the Quit corner fills it. Its right and bottom edges
// are the edges of the region whose clicks quit.
// The slanted side of the Quit corner: a pixel quits when the coordinates of
// its click point add up to more than the limit, so the line runs half a
// pixel past the last pixel that does not.
QLineF QuitSlant()
{
    const QRectF b = QuitRegionBounds();
    const double sum = MenuModel::kExitSum + 1 - MenuModel::TextToPanelX(0) - MenuModel::TextToPanelY(0) + 0.5;
    return QLineF(QPointF(b.left(), sum - b.left()), QPointF(sum - b.top(), b.top()));
}

QRectF TextPanelRect()
{
    const QRectF quit = QuitRegionBounds();
    return QRectF(0.5, 0.5, quit.right() - 1.0, quit.bottom() - 1.0);
}

QPainterPath TextPanelPath()
{
    const QRectF r = TextPanelRect();
    QPainterPath rounded;
    rounded.addRoundedRect(r, 10, 10);
    QPainterPath corner;
    corner.addRect(QRectF(r.center(), r.bottomRight()));
    return rounded.united(corner).simplified();
}

// The Quit corner of the description area, in the description picture's
// coordinates: exactly the points whose click quits (MenuArt::QuitCornerPath).
void PaintQuitCorner(QPainter& p, bool pressed)
{
    p.save();
    const QPainterPath corner = MenuArt::QuitCornerPath();
    const QRectF bounds = corner.boundingRect();
    QLinearGradient red(bounds.center(), bounds.bottomRight());
    red.setColorAt(0.0, pressed ? kQuitRed.darker(150) : kQuitRed.lighter(115));
    red.setColorAt(1.0, pressed ? kQuitRed.darker(220) : kQuitRed.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawPath(corner);
    // A light edge along the slant.
    p.setPen(QPen(pressed ? QColor(255, 120, 120) : QColor(255, 190, 190, 160), 1.2));
    p.drawLine(QuitSlant());
    // The label in the middle of the corner, along the slant.
    p.translate(bounds.right() - 27, bounds.bottom() - 25);
    p.rotate(-45);
    p.setPen(QColor(255, 255, 255));
    p.setFont(UiFont(14, true));
    p.drawText(QRectF(-40, -10, 80, 20), Qt::AlignCenter, QStringLiteral("Quit"));
    p.restore();
}

// The menu background under the description area, so that the corners of
// the rounded panel and the larger exit picture blend into the menu.
void PaintBackgroundBehindText(QPainter& p)
{
    p.save();
    p.translate(-MenuArt::kTextLeft, -MenuArt::kTextTop);
    PaintBackground(p);
    p.restore();
}

void PaintTextPanel(QPainter& p)
{
    const QRectF r = TextPanelRect();
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0.0, QColor(22, 30, 48));
    fill.setColorAt(1.0, QColor(10, 13, 22));
    p.setPen(QPen(QColor(120, 170, 255, 90), 1.2));
    p.setBrush(fill);
    p.drawPath(TextPanelPath());
}

void PaintDescription(QPainter& p, int item)
{
    const ItemLook& look = kItems[item];
    PaintTextPanel(p);
    p.fillRect(QRectF(14, 16, 4, 44), look.accent);
    p.setPen(kInk);
    p.setFont(UiFont(item == 0 ? 20 : 18, true));
    p.drawText(QRectF(26, 12, 196, 26), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(look.name));
    p.setPen(look.accent.lighter(120));
    p.setFont(JapaneseFont(12));
    p.drawText(QRectF(26, 38, 196, 20), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(look.japanese));
    if (item != 0) {
        p.setPen(kDimInk);
        p.setFont(UiFont(10, true));
        p.drawText(QRectF(14, 70, 200, 16), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(look.role).toUpper());
    }
    p.setPen(kInk);
    p.setFont(UiFont(11));
    p.drawText(QRectF(14, 92, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(look.line1));
    p.drawText(QRectF(14, 110, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(look.line2));
    p.setPen(kDimInk);
    p.setFont(UiFont(10));
    p.drawText(QRectF(14, 150, 130, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               item == 0 ? QStringLiteral("Esc or the red corner quits.") : QStringLiteral("Click or press Enter to start."));
    PaintQuitCorner(p, false);
}

QPixmap NewPixmap(int w, int h)
{
    QPixmap pm(w, h);
    pm.fill(Qt::black);
    return pm;
}

}  // namespace

QRect MenuArt::HoverRect(int item)
{
    switch (item) {
    case 1: return {39, 98, 183, 98};
    case 2: return {218, 97, 181, 98};
    case 3: return {406, 96, 188, 105};
    case 4: return {48, 318, 90, 88};
    case 5: return {133, 318, 91, 87};
    case 6: return {252, 318, 88, 87};
    default: return {};
    }
}

QPainterPath MenuArt::QuitCornerPath()
{
    const QRectF b = QuitRegionBounds();
    const QLineF slant = QuitSlant();
    QPainterPath path;
    path.addPolygon(QPolygonF{b.bottomLeft(), slant.p1(), slant.p2(), b.topRight(), b.bottomRight()});
    path.closeSubpath();
    return path;
}

QPixmap MenuArt::MenuPicture()
{
    QPixmap pm = NewPixmap(kPanelWidth, kPanelHeight);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    PaintBackground(p);
    for (int item = 1; item <= 6; ++item)
        PaintButton(p, item, false);
    p.translate(kTextLeft, kTextTop);
    PaintDescription(p, 0);
    return pm;
}

QPixmap MenuArt::HoverPicture(int item)
{
    const QRect r = HoverRect(item);
    if (r.isEmpty())
        return {};
    QPixmap pm = NewPixmap(r.width(), r.height());
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(-r.topLeft());
    p.setClipRect(r);
    PaintBackground(p);
    PaintButton(p, item, true);
    return pm;
}

QPixmap MenuArt::DescriptionPicture(int item)
{
    QPixmap pm = NewPixmap(231, 214);
    if (item < 0 || item > 6)
        return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    PaintBackgroundBehindText(p);
    PaintDescription(p, item);
    return pm;
}

QPixmap MenuArt::ExitPicture()
{
    QPixmap pm = NewPixmap(259, 255);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    PaintBackgroundBehindText(p);
    PaintTextPanel(p);
    p.setPen(kInk);
    p.setFont(UiFont(20, true));
    p.drawText(QRectF(8, 40, 206, 30), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Good-bye"));
    p.setPen(kDimInk);
    p.setFont(JapaneseFont(13));
    p.drawText(QRectF(8, 72, 206, 22), Qt::AlignHCenter | Qt::AlignVCenter, QString::fromUtf8("終了します"));
    p.setFont(UiFont(11));
    p.drawText(QRectF(8, 100, 206, 20), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Closing the menu..."));
    PaintQuitCorner(p, true);
    return pm;
}

QPixmap MenuArt::MakerLogo()
{
    QPixmap pm = NewPixmap(79, 32);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    // The menu background around the rounded corners.
    p.save();
    p.translate(-38, -20);
    PaintBackground(p);
    p.restore();
    QLinearGradient g(0, 0, 0, 32);
    g.setColorAt(0.0, QColor(40, 110, 230));
    g.setColorAt(1.0, QColor(16, 52, 140));
    p.setPen(QPen(QColor(150, 190, 255), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 78, 31), 6, 6);
    p.setPen(QColor(255, 255, 255));
    QFont f = UiFont(15, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    p.setFont(f);
    p.drawText(QRectF(0, 0, 79, 32), Qt::AlignCenter, QStringLiteral("MARLO"));
    return pm;
}

}  // namespace orvane
