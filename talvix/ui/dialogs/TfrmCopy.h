#pragma once
#include <QDialog>
#include <QString>

#include <atomic>

class QLabel;
class QProgressBar;
class QPushButton;

namespace talvix {
class MLang;
}

namespace talvix::ui {

class AnimationView;

// The progress dialog ("frmCopy") shown while files are copied from the
// card or written to it: the direction's animation, the folder line, the
// current file, a progress bar and Cancel.
//
// Shown modeless by the caller (centred on the main window, `direction` set
// first) and closed by it once the card thread is done; while shown the main
// window is disabled. Cancel sets the cancel flag, which the copy and write
// threads poll; the dialog stays until the caller closes it. A close asked
// for by the user (window manager, Escape) counts as Cancel.
class TfrmCopy : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 436;
    static constexpr int kClientHeight = 148;
    static constexpr int kStopFrame = 10;

    TfrmCopy(const MLang& lang, QWidget* mainWindow);

    // 0 card to PC, 1 PC to card; set before showing.
    int direction = 0;

    // Sets the folder line from the last components of `source` and
    // `destination` (UTF-8; "/" or "\" separated). An empty argument keeps
    // the name shown before.
    void ShowFolders(const QString& source, const QString& destination);

    // The progress message: `file` is the current file's relative card path
    // (UTF-8), `percent` 0..100.
    void CopyProgress(const QString& file, int percent);

    // The cancel flag the copy and write threads poll. By default the
    // dialog's own; BindCancelFlag points it at another (the card session's),
    // which must outlive the dialog.
    std::atomic<bool>& CancelFlag() { return *cancel_; }
    void BindCancelFlag(std::atomic<bool>& flag) { cancel_ = &flag; }

    QString FolderLine() const;
    QString FileLine() const;
    int Percent() const;
    AnimationView* Animation() const { return animate_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void PressCancel();
    void UpdateFolderLine();

    const MLang& lang_;
    QWidget* mainWindow_;
    std::atomic<bool> ownCancel_{false};
    std::atomic<bool>* cancel_ = &ownCancel_;
    QString fromText_;
    QString toText_;
    QString sourceName_;
    QString destinationName_;
    int loadedDirection_ = -1;

    AnimationView* animate_;
    QLabel* stFileName_;
    QLabel* stFolderName_;
    QProgressBar* pBar_;
    QPushButton* btnCancel_;
};

}  // namespace talvix::ui
