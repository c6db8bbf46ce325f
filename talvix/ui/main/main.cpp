// Talvix, the card browser: the main window over the card of the current
// device.
#include "platform/qt/QtPump.h"
#include "talvix/ui/main/TfrmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Talvix"));
    QApplication::setApplicationDisplayName(QStringLiteral("Talvix"));
    // Every wait for the device keeps the windows answering.
    platform::QtPump pump;

    talvix::ui::TfrmMain frmMain;
    if (!frmMain.Create())
        return 0;  // another copy runs
    frmMain.show();
    return app.exec();
}
