#include <QApplication>

#include "glimra/core/CommandLine.h"
#include "rolla/core/RollaCommandLine.h"
#include "rolla/ui/SlideShowWindow.h"

int main(int argc, char** argv) {
    // The command line as one text: a folder with blanks arrives in pieces.
    const std::string line = glimra::JoinArguments(argc, argv);
    rolla::SlideShowArgs args;
    if (!rolla::ParseRollaCommandLine(line, args)) return 0;
    QApplication app(argc, argv);
    rolla::SlideShowWindow window(args);
    window.Create();
    return app.exec();
}
