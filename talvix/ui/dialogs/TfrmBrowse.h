#pragma once
#include <QDialog>

#include <atomic>

class QLabel;
class QPushButton;

namespace talvix {
class MLang;
}

namespace talvix::ui {

class AnimationView;

// The listing dialog ("frmBrowse"), shown modeless while the card is read:
// the folder-search animation, the waiting text and Abort. While shown the
// main window is disabled. Abort sets the abort flag that the listing
// thread polls; a close asked for by the user counts as Abort, and the
// caller closes the dialog when the listing is over.
class TfrmBrowse : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 192;
    static constexpr int kClientHeight = 86;
    static constexpr int kStopFrame = 29;

    TfrmBrowse(const MLang& lang, QWidget* mainWindow);

    // The abort flag; by default the dialog's own, BindAbortFlag points it
    // at another (the card session's), which must outlive the dialog.
    std::atomic<bool>& AbortFlag() { return *abort_; }
    void BindAbortFlag(std::atomic<bool>& flag) { abort_ = &flag; }

    AnimationView* Animation() const { return animate_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void PressAbort();

    QWidget* mainWindow_;
    std::atomic<bool> ownAbort_{false};
    std::atomic<bool>* abort_ = &ownAbort_;

    QLabel* lblWait_;
    AnimationView* animate_;
    QPushButton* btnAbort_;
};

}  // namespace talvix::ui
