#pragma once
#include <QMessageBox>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "glimra/core/ViewerSettings.h"
#include "imaging/PictureCache.h"

namespace glimra {

// What the viewer's windows use from outside: the decoded-picture cache,
// the organiser's settings, and the three hand-offs (starting a program,
// showing a message, sending a file to a device). The application fills in
// the real ones; tests put their own in.
struct ViewServices {
    std::shared_ptr<imaging::PictureCache> cache = std::make_shared<imaging::PictureCache>();
    ViewerSettings settings;
    // Starts a program by a command line and does not wait for it.
    std::function<void(const std::string& commandLine)> startProgram;
    // Shows a message box owned by `owner` (the view) with the given caption,
    // text and icon.
    std::function<void(QWidget* owner, const QString& caption, const QString& text, QMessageBox::Icon icon)>
        showMessage;
    // Sends one file to a device under its transfer name by the "Port Class"
    // given; returns the transfer result code (0..5).
    std::function<int(int32_t portClass, const std::string& file, const std::string& transferName)> sendPicture;
};

}  // namespace glimra
