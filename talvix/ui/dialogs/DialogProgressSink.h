#pragma once
#include "talvix/cardops/CopyProgressSink.h"

namespace platform {
class UiInvoker;
}

namespace talvix::ui {

class TfrmCopy;

// The card threads' progress message delivered to the progress dialog: the
// card path (CP932) is converted for display and the dialog is updated on
// the UI thread while the calling thread waits, so only the UI thread ever
// touches the dialog.
class DialogProgressSink : public CopyProgressSink {
public:
    DialogProgressSink(TfrmCopy& dialog, const platform::UiInvoker& invoker);

    void CopyProgress(const std::string& cardPath, int percent) override;

private:
    TfrmCopy& dialog_;
    const platform::UiInvoker& invoker_;
};

}  // namespace talvix::ui
