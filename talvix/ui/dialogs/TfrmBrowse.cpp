#include "talvix/ui/dialogs/TfrmBrowse.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QLabel>
#include <QPushButton>

#include "talvix/settings/MLang.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/dialogs/AnimationView.h"
#include "talvix/ui/dialogs/DialogArt.h"

namespace talvix::ui {

TfrmBrowse::TfrmBrowse(const MLang& lang, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("frmBrowse"));
    setFixedSize(kClientWidth, kClientHeight);
    setCursor(Qt::WaitCursor);

    lblWait_ = new QLabel(this);
    lblWait_->setObjectName(QStringLiteral("lblWait"));
    lblWait_->setTextFormat(Qt::PlainText);
    lblWait_->setWordWrap(true);
    lblWait_->setGeometry(62, 8, 124, 46);

    animate_ = new AnimationView(this);
    animate_->setObjectName(QStringLiteral("Animate1"));
    animate_->setGeometry(8, 4, dialogart::kSearchFrameWidth, dialogart::kSearchFrameHeight);
    animate_->Load(dialogart::SearchFrames(), dialogart::kSearchFrameMs);

    btnAbort_ = new QPushButton(this);
    btnAbort_->setObjectName(QStringLiteral("btnAbort"));
    btnAbort_->setGeometry(58, 57, 76, 25);
    btnAbort_->setDefault(true);
    btnAbort_->setCursor(Qt::ArrowCursor);
    connect(btnAbort_, &QPushButton::clicked, this, &TfrmBrowse::PressAbort);

    CaptionForm(lang, this);
    setWindowTitle(QString::fromStdString(lang.GetText("TI_BROWSE")));
}

void TfrmBrowse::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    AbortFlag().store(false);
    btnAbort_->setEnabled(true);
    if (mainWindow_ != nullptr)
        mainWindow_->setEnabled(false);
    setEnabled(true);  // a child window is disabled with the main window otherwise
    animate_->Play(1, kStopFrame);
}

void TfrmBrowse::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    animate_->Stop();
    if (mainWindow_ != nullptr)
        mainWindow_->setEnabled(true);
}

void TfrmBrowse::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous()) {
        // A close from the window system stops the listing; the caller
        // closes the dialog once the thread has ended.
        PressAbort();
        event->ignore();
        return;
    }
    event->accept();
}

void TfrmBrowse::reject()
{
    PressAbort();
}

void TfrmBrowse::PressAbort()
{
    if (!btnAbort_->isEnabled())
        return;
    AbortFlag().store(true);
    btnAbort_->setEnabled(false);
}

}  // namespace talvix::ui
