#pragma once
#include "talvix/cardops/ReadOnlyAsker.h"

#include <QMessageBox>
#include <QString>

#include <functional>

namespace talvix {
class MLang;
}

namespace talvix::ui {

// The question the card engine asks while a delete list is built, asked as a
// message box through the main window's message routine.
class MainAskers : public ReadOnlyAsker {
public:
    // Shows a box (icon, text, buttons) and returns the button pressed.
    using MessageFn = std::function<QMessageBox::StandardButton(QMessageBox::Icon, const QString&,
                                                                QMessageBox::StandardButtons)>;

    MainAskers(const MLang& texts, MessageFn message);

    ReadOnlyAsker::Answer AskReadOnlyDelete(const std::string& name, bool offerNo) override;

private:
    const MLang& texts_;
    MessageFn message_;
};

}  // namespace talvix::ui
