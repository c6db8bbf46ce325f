#include "talvix/ui/dialogs/CFolderDlg.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <memory>

#include "talvix/settings/MLang.h"
#include "talvix/ui/dialogs/FolderBrowser.h"
#include "talvix/ui/dialogs/TfrmNewFolder.h"

namespace talvix::ui {

CFolderDlg::CFolderDlg(const MLang& lang) : lang_(lang) {}

std::string CFolderDlg::DesktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop.toStdString();
    return QDir::homePath().toStdString();
}

bool CFolderDlg::Browse(QWidget* owner)
{
    if (path.empty())
        path = DesktopFolder();
    newFolder_ = false;

    std::unique_ptr<TfrmNewFolder> ownForm;
    TfrmNewFolder* form = newFolderForm_;
    if (form == nullptr) {
        ownForm = std::make_unique<TfrmNewFolder>(lang_, owner);
        form = ownForm.get();
    }
    FolderBrowser browser(owner, QString::fromStdString(title), QString::fromStdString(lang_.GetText("BTN_NEW")),
                          form);
    browser.SelectFolder(QString::fromStdString(path));
    const int result = browser.exec();
    if (browser.NewFolderMade()) {
        newFolder_ = true;
        newFolderPath_ = browser.NewFolderPath().toStdString();
        return false;
    }
    const QString chosen = browser.SelectedFolder();
    if (result != QDialog::Accepted || chosen.isEmpty())
        return false;
    path = chosen.toStdString();
    return true;
}

bool CFolderDlg::Choose(QWidget* owner)
{
    while (true) {
        if (Browse(owner))
            return true;
        if (!newFolder_)
            return false;
        path = newFolderPath_;
    }
}

}  // namespace talvix::ui
