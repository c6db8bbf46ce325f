#pragma once
#include <QDialog>

#include "talvix/ui/common/WaitView.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace talvix::ui {

// A small wait window of the device dialog's own, used when the program has
// not handed it the general wait dialog: a title, a progress bar and an
// optional Stop button.
class ScanWaitBox : public QDialog, public WaitView {
    Q_OBJECT
public:
    explicit ScanWaitBox(QWidget* parent = nullptr);

    void ShowWait(QWidget* over, const QString& text, bool progress, bool stop) override;
    void SetProgress(int percent) override;
    bool Aborted() const override { return aborted_; }
    void CloseIfVisible() override;

    int progress() const;

private:
    QProgressBar* bar_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool aborted_ = false;
};

}  // namespace talvix::ui
