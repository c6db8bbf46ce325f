// Renders the launcher's menu in each focus state to PNG files, for looking
// at the drawn art:  orvane_artshot <output folder>
#include <QApplication>
#include <QDir>
#include <QPainter>

#include "orvane/ui/MenuArt.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    using orvane::MenuArt;
    for (int focus = 0; focus <= 6; ++focus) {
        QPixmap panel = MenuArt::MenuPicture();
        QPainter p(&panel);
        if (focus > 0)
            p.drawPixmap(MenuArt::HoverRect(focus).topLeft(), MenuArt::HoverPicture(focus));
        p.drawPixmap(MenuArt::kTextLeft, MenuArt::kTextTop, MenuArt::DescriptionPicture(focus));
        p.drawPixmap(38, 20, MenuArt::MakerLogo());
        p.end();
        panel.save(QStringLiteral("%1/menu%2.png").arg(out).arg(focus));
    }
    QPixmap panel = MenuArt::MenuPicture();
    QPainter p(&panel);
    p.drawPixmap(MenuArt::kTextLeft, MenuArt::kTextTop, MenuArt::ExitPicture());
    p.drawPixmap(38, 20, MenuArt::MakerLogo());
    p.end();
    panel.save(QStringLiteral("%1/exit.png").arg(out));
    return 0;
}
