// Renders the launcher's menu in each focus state to PNG files, for looking
// at the drawn art:  orvane_artshot <output folder>
// menu<n>.png and exit.png are the pictures put together as the menu shows
// them; window<n>.png is the real window (800x600) grabbed with item n focused.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include "orvane/ui/MenuArt.h"
#include "orvane/ui/TfrmMain.h"

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

    // The window itself, in a scratch launcher folder of its own.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    const std::string folder = scratch.path().toStdString();
    orvane::OrvaneSetup setup{folder, folder, talvix::CProfile::AtPath(folder + "/orh10.ini", folder),
                              folder + "/machine.reg"};
    orvane::TfrmMain frm(std::move(setup));
    frm.resize(800, 600);
    frm.show();
    QApplication::processEvents();
    for (int focus = 0; focus <= 6; ++focus) {
        frm.SetFocusItem(focus);
        QApplication::processEvents();
        frm.grab().save(QStringLiteral("%1/window%2.png").arg(out).arg(focus));
    }
    return 0;
}
