#include "talvix/ui/dialogs/TfrmCopy.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "talvix/settings/MLang.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/dialogs/AnimationView.h"
#include "talvix/ui/dialogs/DialogArt.h"
#include "talvix/ui/dialogs/DialogTexts.h"

namespace talvix::ui {

TfrmCopy::TfrmCopy(const MLang& lang, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      lang_(lang),
      mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("frmCopy"));
    setFixedSize(kClientWidth, kClientHeight);
    setCursor(Qt::WaitCursor);

    animate_ = new AnimationView(this);
    animate_->setObjectName(QStringLiteral("Animate1"));
    animate_->setGeometry(90, 6, 256, 49);

    stFolderName_ = new QLabel(this);
    stFolderName_->setObjectName(QStringLiteral("stFolderName"));
    stFolderName_->setProperty("talvixClass", "TStaticText");
    stFolderName_->setTextFormat(Qt::PlainText);
    stFolderName_->setGeometry(12, 60, 412, 18);

    stFileName_ = new QLabel(this);
    stFileName_->setObjectName(QStringLiteral("stFileName"));
    stFileName_->setProperty("talvixClass", "TStaticText");
    stFileName_->setTextFormat(Qt::PlainText);
    stFileName_->setGeometry(12, 79, 412, 18);

    pBar_ = new QProgressBar(this);
    pBar_->setObjectName(QStringLiteral("PBar"));
    pBar_->setRange(0, 100);
    pBar_->setValue(0);
    pBar_->setTextVisible(false);
    pBar_->setGeometry(12, 99, 412, 14);

    btnCancel_ = new QPushButton(this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setGeometry(178, 118, 80, 25);
    btnCancel_->setDefault(true);
    btnCancel_->setCursor(Qt::ArrowCursor);
    connect(btnCancel_, &QPushButton::clicked, this, &TfrmCopy::PressCancel);

    CaptionForm(lang_, this);
    setWindowTitle(QString::fromStdString(lang_.GetText("TI_COPY")));
    fromText_ = QString::fromStdString(lang_.GetText("LB_FROMTEXT"));
    toText_ = QString::fromStdString(lang_.GetText("LB_TOTEXT"));
    stFolderName_->clear();
    stFileName_->clear();
    direction = 0;
}

void TfrmCopy::ShowFolders(const QString& source, const QString& destination)
{
    if (!source.isEmpty())
        sourceName_ = dialogtexts::LastComponent(source);
    if (!destination.isEmpty())
        destinationName_ = dialogtexts::LastComponent(destination);
    UpdateFolderLine();
}

void TfrmCopy::UpdateFolderLine()
{
    const QString source = QStringLiteral("'") + sourceName_ + QStringLiteral("' ");
    const QString destination = QStringLiteral("'") + destinationName_ + QStringLiteral("' ");
    QString line;
    if (lang_.LanguageId() == MLang::kJapanese)
        line = QStringLiteral(" ") + source + fromText_ + QStringLiteral(" ") + destination + toText_;
    else
        line = fromText_ + QStringLiteral(" ") + source + toText_ + QStringLiteral(" ") + destination;
    stFolderName_->setText(line);
}

void TfrmCopy::CopyProgress(const QString& file, int percent)
{
    stFileName_->setText(file);
    UpdateFolderLine();
    pBar_->setValue(std::clamp(percent, 0, 100));
}

QString TfrmCopy::FolderLine() const
{
    return stFolderName_->text();
}

QString TfrmCopy::FileLine() const
{
    return stFileName_->text();
}

int TfrmCopy::Percent() const
{
    return pBar_->value();
}

void TfrmCopy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;  // only a window brought back by the window system
    const int wanted = direction == 1 ? 1 : 0;
    if (loadedDirection_ != wanted) {
        animate_->Load(dialogart::CopyFrames(wanted == 1), dialogart::kCopyFrameMs);
        loadedDirection_ = wanted;
    }
    btnCancel_->setEnabled(true);
    if (mainWindow_ != nullptr)
        mainWindow_->setEnabled(false);
    setEnabled(true);  // a child window is disabled with the main window otherwise
    CancelFlag().store(false);
    pBar_->setValue(0);
    animate_->Play(1, kStopFrame);
}

void TfrmCopy::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous())
        return;
    CancelFlag().store(true);
    animate_->Stop();
    if (mainWindow_ != nullptr)
        mainWindow_->setEnabled(true);
}

void TfrmCopy::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous()) {
        // The user asked the window to close: stop the copy, but keep the
        // dialog until the caller closes it when the thread has ended.
        PressCancel();
        event->ignore();
        return;
    }
    event->accept();
}

void TfrmCopy::reject()
{
    PressCancel();
}

void TfrmCopy::PressCancel()
{
    if (!btnCancel_->isEnabled())
        return;
    btnCancel_->setEnabled(false);
    CancelFlag().store(true);
}

}  // namespace talvix::ui
