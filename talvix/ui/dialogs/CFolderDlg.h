#pragma once
#include <string>

class QWidget;

namespace talvix {
class MLang;
}

namespace talvix::ui {

class TfrmNewFolder;

// The folder picker: our folder browser preselected with `path`, with the
// "new folder" button that opens the new-folder dialog.
//
// Browse gives true with `path` = the chosen folder, false when the browser
// was closed without a choice. Making a folder through the button closes the
// browser too: Browse is then false with NewFolderMade() set, and the caller
// browses again with `path` = NewFolderPath() so the new folder is
// preselected. Choose runs that loop.
class CFolderDlg {
public:
    explicit CFolderDlg(const MLang& lang);

    // The new-folder dialog the button opens (the program's one); without
    // it the browser makes a dialog of its own for each use.
    void SetNewFolderForm(TfrmNewFolder* form) { newFolderForm_ = form; }

    // In: the folder to preselect (empty: the desktop folder); out: the
    // chosen folder. UTF-8, native.
    std::string path;
    // The text shown above the folder tree.
    std::string title;

    bool Browse(QWidget* owner);
    // Browses, and again with each folder the user makes, until a folder is
    // chosen (true, in `path`) or the browser is cancelled (false).
    bool Choose(QWidget* owner);

    bool NewFolderMade() const { return newFolder_; }
    const std::string& NewFolderPath() const { return newFolderPath_; }

    // The desktop folder (the home folder when there is no desktop folder).
    static std::string DesktopFolder();

private:
    const MLang& lang_;
    TfrmNewFolder* newFolderForm_ = nullptr;
    bool newFolder_ = false;
    std::string newFolderPath_;
};

}  // namespace talvix::ui
