#pragma once
#include <QString>

class QWidget;

namespace talvix::ui {

// A wait window that long work on the UI thread shows in front of the
// windows: a title, an optional progress bar (0..100) and an optional Stop
// button. The general wait dialog implements it; the device scan uses it.
// While it is shown the windows behind it must not take input.
class WaitView {
public:
    virtual ~WaitView() = default;
    // Shows the window centred over `over` (null: the screen). A non-empty
    // `text` becomes the title. Progress starts at 0; the stop flag is reset.
    virtual void ShowWait(QWidget* over, const QString& text, bool progress, bool stop) = 0;
    virtual void SetProgress(int percent) = 0;
    // True once the user pressed Stop during this showing.
    virtual bool Aborted() const = 0;
    // Closes the window when it is shown.
    virtual void CloseIfVisible() = 0;
};

}  // namespace talvix::ui
