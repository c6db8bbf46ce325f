#include <QApplication>

#include "glimra/core/CommandLine.h"
#include "glimra/ui/CGlimraApp.h"
#include "platform/qt/QtPump.h"

int main(int argc, char** argv) {
    const std::string line = glimra::JoinArguments(argc, argv);
    // Without a picture to show there is nothing to do, not even a window.
    std::string file, folder;
    if (!glimra::ParseGlimraCommandLine(line, file, folder)) return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glimra"));
    // While a picture goes over the cable the window keeps painting.
    platform::QtPump pump;
    glimra::CGlimraApp viewer;
    if (!viewer.InitInstance(line)) return 0;
    return app.exec();
}
