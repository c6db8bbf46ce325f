#include "talvix/ui/main/MainAskers.h"

#include "platform/Cp932.h"
#include "talvix/settings/MLang.h"

namespace talvix::ui {

namespace {
QString Text(const MLang& texts, const char* key)
{
    return QString::fromStdString(texts.GetText(key));
}
}  // namespace

MainAskers::MainAskers(const MLang& texts, MessageFn message) : texts_(texts), message_(std::move(message)) {}

ReadOnlyAsker::Answer MainAskers::AskReadOnlyDelete(const std::string& name, bool offerNo)
{
    const QString text =
        Text(texts_, "MSG_RODEL1") + QString::fromStdString(platform::ToUtf8(name)) + Text(texts_, "MSG_RODEL2");
    const auto buttons = offerNo ? (QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                                 : (QMessageBox::Ok | QMessageBox::Cancel);
    switch (message_(QMessageBox::Question, text, buttons)) {
    case QMessageBox::Yes:
    case QMessageBox::Ok: return ReadOnlyAsker::Yes;
    case QMessageBox::No: return ReadOnlyAsker::No;
    default: return ReadOnlyAsker::Cancel;
    }
}

}  // namespace talvix::ui
