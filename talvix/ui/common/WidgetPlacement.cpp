#include "WidgetPlacement.h"

#include <algorithm>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include "talvix/settings/CProfile.h"
#include "talvix/settings/FormPlacement.h"

namespace talvix::ui {

namespace {

QScreen* ScreenOf(const QWidget* widget)
{
    QScreen* screen = widget ? widget->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

// The frame's extra size around the client area (zero before the window
// was first shown, or on platforms without frames).
QSize FrameExtra(const QWidget* form)
{
    const QRect outer = form->frameGeometry();
    const QRect inner = form->geometry();
    return QSize(outer.width() - inner.width(), outer.height() - inner.height());
}

}  // namespace

void RestoreWidgetPlacement(const CProfile& profile, QWidget* form, bool sizeable)
{
    if (!form)
        return;
    QScreen* screen = ScreenOf(form);
    const QRect outer = form->frameGeometry();
    FormGeometry current{outer.left(), outer.top(), outer.width(), outer.height()};
    WorkArea area;
    int screenWidth = current.width;
    int screenHeight = current.height;
    if (screen) {
        const QRect avail = screen->availableGeometry();
        area = WorkArea{avail.left(), avail.top(), avail.left() + avail.width(), avail.top() + avail.height()};
        screenWidth = screen->geometry().width();
        screenHeight = screen->geometry().height();
    } else {
        area = WorkArea{0, 0, screenWidth, screenHeight};
    }
    const FormGeometry placed = RestoreFormPlacement(profile, form->objectName().toStdString(), sizeable, current,
                                                     area, screenWidth, screenHeight);
    if (sizeable && (placed.width != current.width || placed.height != current.height)) {
        const QSize extra = FrameExtra(form);
        form->resize(std::max(1, placed.width - extra.width()), std::max(1, placed.height - extra.height()));
    }
    form->move(placed.left, placed.top);
}

bool SaveWidgetPlacement(CProfile& profile, const QWidget* form)
{
    if (!form)
        return false;
    const QRect outer = form->frameGeometry();
    const bool saved = SaveFormPlacement(profile, form->objectName().toStdString(),
                                         FormGeometry{outer.left(), outer.top(), outer.width(), outer.height()});
    // Let pending window work run once, as after any placement change.
    QCoreApplication::processEvents();
    return saved;
}

void CentreOver(QWidget* window, const QWidget* over)
{
    if (!window)
        return;
    const QSize size = window->frameGeometry().size();
    QRect target;
    if (over && over->isVisible())
        target = over->frameGeometry();
    QScreen* screen = ScreenOf(over && over->isVisible() ? over : window);
    const QRect avail = screen ? screen->availableGeometry() : QRect();
    if (!target.isValid())
        target = avail;
    if (!target.isValid()) {
        return;
    }
    int left = target.left() + (target.width() - size.width()) / 2;
    int top = target.top() + (target.height() - size.height()) / 2;
    if (avail.isValid()) {
        left = std::max(avail.left(), std::min(left, avail.left() + avail.width() - size.width()));
        top = std::max(avail.top(), std::min(top, avail.top() + avail.height() - size.height()));
    }
    window->move(left, top);
}

}  // namespace talvix::ui
