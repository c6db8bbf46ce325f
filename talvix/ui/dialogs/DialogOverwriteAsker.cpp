#include "talvix/ui/dialogs/DialogOverwriteAsker.h"

#include "platform/qt/UiInvoker.h"
#include "talvix/ui/dialogs/TfrmOWDlg.h"

namespace talvix::ui {

DialogOverwriteAsker::DialogOverwriteAsker(TfrmOWDlg& dialog, const platform::UiInvoker& invoker)
    : dialog_(dialog), invoker_(invoker)
{
}

OverwriteAsker::Answer DialogOverwriteAsker::AskOverwrite(const OverwriteQuestion& question)
{
    if (invoker_.OnUiThread())
        return dialog_.Ask(question);
    Answer answer = Cancel;
    if (!invoker_.Send([&] { answer = dialog_.Ask(question); }))
        return Cancel;
    return answer;
}

}  // namespace talvix::ui
