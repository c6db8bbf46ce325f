#pragma once
#include "talvix/cardops/OverwriteAsker.h"

namespace platform {
class UiInvoker;
}

namespace talvix::ui {

class TfrmOWDlg;

// The card engine's overwrite question answered by the overwrite dialog.
// On the UI thread the dialog is asked directly; from any other thread the
// question is handed to the UI thread and the caller waits for the answer
// (the UI thread must keep its event loop running meanwhile). When the
// question cannot be delivered the answer is Cancel, so nothing is replaced
// without the user's word.
class DialogOverwriteAsker : public OverwriteAsker {
public:
    DialogOverwriteAsker(TfrmOWDlg& dialog, const platform::UiInvoker& invoker);

    Answer AskOverwrite(const OverwriteQuestion& question) override;

private:
    TfrmOWDlg& dialog_;
    const platform::UiInvoker& invoker_;
};

}  // namespace talvix::ui
