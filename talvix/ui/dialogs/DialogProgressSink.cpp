#include "talvix/ui/dialogs/DialogProgressSink.h"

#include <QString>

#include "platform/Cp932.h"
#include "platform/qt/UiInvoker.h"
#include "talvix/ui/dialogs/TfrmCopy.h"

namespace talvix::ui {

DialogProgressSink::DialogProgressSink(TfrmCopy& dialog, const platform::UiInvoker& invoker)
    : dialog_(dialog), invoker_(invoker)
{
}

void DialogProgressSink::CopyProgress(const std::string& cardPath, int percent)
{
    const QString file = QString::fromStdString(platform::ToUtf8(cardPath));
    invoker_.Send([this, &file, percent] { dialog_.CopyProgress(file, percent); });
}

}  // namespace talvix::ui
