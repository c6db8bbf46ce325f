#include <QApplication>

#include "glimra/core/CommandLine.h"
#include "glimra/ui/CGlimraApp.h"
#include "platform/qt/QtPump.h"

int main(int argc, char** argv) {
    // Without a picture to show there is nothing to do, not even a window.
    // The picture starts decoding before Qt starts up.
    glimra::CGlimraApp viewer(glimra::CGlimraApp::DefaultServices());
    if (!viewer.ReadCommandLine(glimra::JoinArguments(argc, argv))) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glimra"));
    // Waits of the device link on this thread keep the window painting.
    platform::QtPump pump;
    viewer.CreateFrame();
    return app.exec();
}
