// Orvane: the suite's full-screen start menu.
#include <QApplication>

#include "orvane/ui/TfrmMain.h"
#include "platform/InstanceLock.h"
#include "platform/ProgramPaths.h"

int main(int argc, char** argv)
{
    const std::string launcherFolder = platform::ProgramPaths::ProgramFolder();
    const std::string stateFolder = platform::ProgramPaths::StateFolder(launcherFolder, "orvane");

    // One Orvane at a time: a second one ends at once, silently.
    platform::InstanceLock lock;
    if (!lock.Acquire(stateFolder + "/orv.key"))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));

    orvane::OrvaneSetup setup{launcherFolder, stateFolder, talvix::CProfile("orh10.ini", "orvane"), {}};
    orvane::TfrmMain frmMain(std::move(setup));
    frmMain.show();
    return app.exec();
}
