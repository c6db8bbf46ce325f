#pragma once
#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace talvix {
class MLang;
}

namespace talvix::ui {

// The new-folder dialog ("frmNewFolder"): makes a folder, with any missing
// folders on the way, below the base path.
//
// The caller sets basePath, shows the dialog modally and compares resultPath
// with basePath: they differ exactly when a folder was made (resultPath is
// then basePath + "/" + the typed name). A name that cannot be made keeps the
// dialog open.
class TfrmNewFolder : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 313;
    static constexpr int kClientHeight = 68;

    TfrmNewFolder(const MLang& lang, QWidget* parent = nullptr);

    std::string basePath;    // UTF-8, absolute, without a trailing "/"
    std::string resultPath;  // set to basePath when shown

    // True when `name` may be made below a base folder: not empty, and each
    // of its "/"-separated parts is not empty, not "." or "..", and at most
    // 255 bytes, so the folder always lies inside the base folder.
    static bool ValidName(const std::string& name);

    // The OK button: with a base path and a valid name, makes the folder and
    // closes the dialog. False (dialog left open) when nothing was made.
    bool CreateFolder();

    QLineEdit* Edit() const { return edNew_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    const MLang& lang_;
    QLineEdit* edNew_;
    QPushButton* btnOk_;
    QPushButton* btnCancel_;
};

}  // namespace talvix::ui
