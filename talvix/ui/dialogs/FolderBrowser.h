#pragma once
#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace talvix::ui {

class TfrmNewFolder;

// The folder browser of the folder picker: the title text above a tree of
// the file system's folders, OK, Cancel and the new-folder button.
//
// The new-folder button opens `newFolder` centred on the browser with the
// selected folder as its base; when it makes a folder the browser closes
// without a choice (rejected) and NewFolderMade() tells why.
class FolderBrowser : public QDialog {
    Q_OBJECT
public:
    FolderBrowser(QWidget* owner, const QString& title, const QString& newButtonText, TfrmNewFolder* newFolder);

    // Selects `path` (or, when it does not exist, the nearest folder above
    // it) and shows it in the tree.
    void SelectFolder(const QString& path);
    // The selected folder; empty when none.
    QString SelectedFolder() const;

    bool NewFolderMade() const { return newFolderMade_; }
    QString NewFolderPath() const { return newFolderPath_; }

    QTreeView* Tree() const { return tree_; }
    QPushButton* NewButton() const { return btnNew_; }
    QPushButton* OkButton() const { return btnOk_; }
    QPushButton* CancelButton() const { return btnCancel_; }

    // The new-folder button's action.
    void NewFolder();

private:
    void SelectionChanged();

    TfrmNewFolder* newFolder_;
    bool newFolderMade_ = false;
    QString newFolderPath_;
    QString current_;

    QLabel* lblTitle_;
    QFileSystemModel* model_;
    QTreeView* tree_;
    QPushButton* btnNew_;
    QPushButton* btnOk_;
    QPushButton* btnCancel_;
};

}  // namespace talvix::ui
