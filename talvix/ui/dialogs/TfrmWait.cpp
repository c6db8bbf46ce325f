#include "talvix/ui/dialogs/TfrmWait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "talvix/settings/MLang.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/common/WidgetPlacement.h"
#include "talvix/ui/dialogs/DialogArt.h"

namespace talvix::ui {

TfrmWait::TfrmWait(const MLang& lang, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("frmWait"));
    setFixedSize(kClientWidth, kClientHeight);
    setCursor(Qt::WaitCursor);

    image1_ = new QLabel(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setProperty("talvixClass", "TImage");
    image1_->setGeometry(12, 8, 32, 32);

    lblWait_ = new QLabel(this);
    lblWait_->setObjectName(QStringLiteral("lblWait"));
    lblWait_->setTextFormat(Qt::PlainText);
    lblWait_->setText(QStringLiteral("Please wait..."));
    lblWait_->setGeometry(54, 8, 190, 18);

    pb1_ = new QProgressBar(this);
    pb1_->setObjectName(QStringLiteral("PB1"));
    pb1_->setRange(0, 100);
    pb1_->setValue(0);
    pb1_->setTextVisible(false);
    pb1_->setGeometry(54, 29, 190, 12);

    btnAbort_ = new QPushButton(this);
    btnAbort_->setObjectName(QStringLiteral("btnAbort"));
    btnAbort_->setGeometry(88, 44, 76, 24);
    btnAbort_->setCursor(Qt::ArrowCursor);
    connect(btnAbort_, &QPushButton::clicked, this, &TfrmWait::PressStop);

    CaptionForm(lang, this);
}

void TfrmWait::ShowWait(const QString& text, bool progress, bool stop)
{
    pb1_->setVisible(progress);
    btnAbort_->setVisible(stop);
    show();
    // After the showing, which titles the window with the application title,
    // so that a given text is what the user sees.
    if (!text.isEmpty())
        setWindowTitle(text);
    raise();
    QCoreApplication::processEvents();
}

void TfrmWait::ShowWait(QWidget* over, const QString& text, bool progress, bool stop)
{
    pb1_->setValue(0);
    CentreOver(this, over);
    ShowWait(text, progress, stop);
}

void TfrmWait::SetProgress(int percent)
{
    pb1_->setValue(std::clamp(percent, 0, 100));
}

void TfrmWait::CloseIfVisible()
{
    if (isVisible())
        close();
}

void TfrmWait::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    QIcon icon = QApplication::windowIcon();
    image1_->setPixmap(icon.isNull() ? dialogart::ProgramPicture() : icon.pixmap(32, 32));
    setWindowTitle(QGuiApplication::applicationDisplayName());
    AbortFlag().store(false);
    if (!saved_) {
        // The windows' own settings, not what a disabled parent imposes.
        savedMainEnabled_ = mainWindow_ == nullptr || !mainWindow_->testAttribute(Qt::WA_ForceDisabled);
        savedDeviceEnabled_ = deviceDialog_.isNull() || !deviceDialog_->testAttribute(Qt::WA_ForceDisabled);
        saved_ = true;
    }
    if (mainWindow_ != nullptr)
        mainWindow_->setEnabled(false);
    if (!deviceDialog_.isNull())
        deviceDialog_->setEnabled(false);
    setEnabled(true);  // a child window is disabled with the main window otherwise
    QCoreApplication::processEvents();
    btnAbort_->setEnabled(true);
}

void TfrmWait::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    if (saved_) {
        if (mainWindow_ != nullptr)
            mainWindow_->setEnabled(savedMainEnabled_);
        if (!deviceDialog_.isNull())
            deviceDialog_->setEnabled(savedDeviceEnabled_);
        saved_ = false;
    }
    btnAbort_->setEnabled(true);
    while (QApplication::overrideCursor() != nullptr)
        QApplication::restoreOverrideCursor();
    QCoreApplication::processEvents();
}

void TfrmWait::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous()) {
        // The window system asked: that is the Stop button where there is one;
        // the caller closes the dialog when the work is over.
        PressStop();
        event->ignore();
        return;
    }
    event->accept();
}

void TfrmWait::reject()
{
    PressStop();
}

void TfrmWait::PressStop()
{
    if (!btnAbort_->isVisible() || !btnAbort_->isEnabled())
        return;
    AbortFlag().store(true);
    btnAbort_->setEnabled(false);
}

}  // namespace talvix::ui
