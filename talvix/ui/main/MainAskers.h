#pragma once
#include "talvix/cardops/OverwriteAsker.h"
#include "talvix/cardops/ReadOnlyAsker.h"

#include <QMessageBox>
#include <QString>

#include <functional>

namespace talvix {
class MLang;
}

namespace talvix::ui {

// The questions the card engine asks while a copy, write or delete list is
// built, asked as message boxes through the main window's message routine.
class MainAskers : public OverwriteAsker, public ReadOnlyAsker {
public:
    // Shows a box (icon, text, buttons) and returns the button pressed.
    using MessageFn = std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&,
                                                                QMessageBox::StandardButtons)>;

    MainAskers(const MLang& texts, MessageFn message);

    OverwriteAsker::Answer AskOverwrite(const OverwriteQuestion& question) override;
    ReadOnlyAsker::Answer AskReadOnlyDelete(const std::string& name, bool offerNo) override;

private:
    const MLang& texts_;
    MessageFn message_;
};

}  // namespace talvix::ui
