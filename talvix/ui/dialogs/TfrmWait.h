#pragma once
#include <QDialog>
#include <QPointer>

#include <atomic>

#include "talvix/ui/common/WaitView.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace talvix {
class MLang;
}

namespace talvix::ui {

// The general wait dialog ("frmWait"): the application icon, the waiting
// text, an optional progress bar and an optional Stop button. Shown modeless
// while a folder is made or an entry renamed on the card, and during the
// device scan. While shown, the main window and the device dialog are
// disabled; closing gives them back the enabled states they had.
class TfrmWait : public QDialog, public WaitView {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 252;
    static constexpr int kClientHeight = 71;

    TfrmWait(const MLang& lang, QWidget* mainWindow);

    // The device dialog, disabled like the main window while this is shown.
    void SetDeviceDialog(QWidget* deviceDialog) { deviceDialog_ = deviceDialog; }

    // A non-empty `text` becomes the title; shows or hides PB1 and Stop; shows
    // the dialog on top (where the caller placed it) and processes pending
    // events.
    void ShowWait(const QString& text, bool progress, bool stop);

    // WaitView: the same, centred over `over` first.
    void ShowWait(QWidget* over, const QString& text, bool progress, bool stop) override;
    void SetProgress(int percent) override;
    bool Aborted() const override { return abort_->load(); }
    void CloseIfVisible() override;

    // The abort flag the make-folder and rename threads and the device scan
    // poll; by default the dialog's own, BindAbortFlag points it at another
    // (the card session's), which must outlive the dialog.
    std::atomic<bool>& AbortFlag() { return *abort_; }
    void BindAbortFlag(std::atomic<bool>& flag) { abort_ = &flag; }

    QProgressBar* PB1() const { return pb1_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void PressStop();

    QWidget* mainWindow_;
    QPointer<QWidget> deviceDialog_;
    std::atomic<bool> ownAbort_{false};
    std::atomic<bool>* abort_ = &ownAbort_;
    bool savedMainEnabled_ = true;
    bool savedDeviceEnabled_ = true;
    bool saved_ = false;

    QLabel* image1_;
    QLabel* lblWait_;
    QPushButton* btnAbort_;
    QProgressBar* pb1_;
};

}  // namespace talvix::ui
