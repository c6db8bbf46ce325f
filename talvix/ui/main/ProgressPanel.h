#pragma once
#include "talvix/cardops/CopyProgressSink.h"

#include <QDialog>

#include <atomic>

class QLabel;
class QProgressBar;

namespace platform {
class UiInvoker;
}

namespace talvix::ui {

// A small modeless panel in front of a card operation: what is being done,
// a progress bar and a button that raises the operation's stop flag. While it
// is shown the main window is disabled. Progress from the copy thread is
// handed to the UI thread and waited for. It is a window of its own, so it
// stays usable while the main window is disabled.
class ProgressPanel : public QDialog, public CopyProgressSink {
    Q_OBJECT
public:
    ProgressPanel(QWidget* owner, const platform::UiInvoker& invoker);

    // Shows the panel centred on the owner with `title` and `text`; the
    // button sets `stop`. `withBar` shows the progress bar.
    void Begin(const QString& title, const QString& text, std::atomic<bool>* stop, bool withBar);
    // Hides the panel and enables the owner again.
    void End();

    void CopyProgress(const std::string& cardPath, int percent) override;

    QString currentText() const;
    int percent() const;

private:
    QWidget* owner_;
    const platform::UiInvoker& invoker_;
    QLabel* label_;
    QProgressBar* bar_;
    std::atomic<bool>* stop_ = nullptr;
};

}  // namespace talvix::ui
