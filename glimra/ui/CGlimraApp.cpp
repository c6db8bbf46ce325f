#include "glimra/ui/CGlimraApp.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStringList>

#include "glimra/core/CommandIds.h"
#include "glimra/core/CommandLine.h"
#include "glimra/core/PictureSender.h"
#include "glimra/core/ProgramLauncher.h"
#include "glimra/ui/CGlimraView.h"
#include "glimra/ui/CMainFrame.h"
#include "imaging/IndexFile.h"
#include "imaging/NoCasePath.h"
#include "imaging/PictureNames.h"
#include "platform/ProgramPaths.h"

namespace glimra {

CGlimraApp::CGlimraApp(ViewServices services) : services_(std::move(services)) {}

CGlimraApp::~CGlimraApp() = default;

ViewServices CGlimraApp::DefaultServices() {
    ViewServices s;
    s.startProgram = [](const std::string& line) {
        const std::vector<std::string> pieces = SplitCommandLine(line);
        if (pieces.empty()) return;
        const std::string program = FindProgram(pieces[0], platform::ProgramPaths::ProgramFolder());
        if (program.empty()) return;
        QStringList args;
        for (size_t i = 1; i < pieces.size(); ++i) args << QString::fromStdString(pieces[i]);
        QProcess::startDetached(QString::fromStdString(program), args);
    };
    s.showMessage = [](QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon) {
        QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
        box.exec();
    };
    s.sendPicture = [](int32_t portClass, const std::string& file, const std::string& name) {
        PictureSender sender;
        return sender.Send(portClass, {file}, {name});
    };
    return s;
}

void CGlimraApp::ReadIndex() {
    const std::string index = imaging::FindExistingPath(imaging::PicturePath(state_.pictureFolder, "Index.TMP"));
    state_.pictureNames = imaging::ReadViewerIndex(index);
}

bool CGlimraApp::InitInstance(const std::string& commandLine) {
    if (!ReadCommandLine(commandLine)) return false;
    CreateFrame();
    return true;
}

bool CGlimraApp::ReadCommandLine(const std::string& commandLine) {
    if (!ParseGlimraCommandLine(commandLine, state_.currentFile, state_.pictureFolder)) return false;
    // The picture is decoded on the cache's worker while the window is made.
    services_.cache->Preload({state_.PicturePath()});
    ReadIndex();
    return true;
}

void CGlimraApp::CreateFrame() {
    frame_ = std::make_unique<CMainFrame>(state_, services_);
    frame_->show();
}

}  // namespace glimra
