#include "talvix/ui/dialogs/TfrmOWDlg.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QShowEvent>

#include "platform/Cp932.h"
#include "talvix/settings/MLang.h"
#include "talvix/ui/CaptionForm.h"
#include "talvix/ui/dialogs/DialogArt.h"
#include "talvix/ui/dialogs/DialogTexts.h"

namespace talvix::ui {
namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& rect, bool image = false)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(rect);
    if (image) {
        label->setProperty("talvixClass", "TImage");
        label->setAlignment(Qt::AlignCenter);
    } else {
        label->setTextFormat(Qt::PlainText);
    }
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int left, int tag)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 180, 96, 25);
    button->setProperty("tag", tag);
    button->setAutoDefault(false);
    return button;
}

// The name as the user reads it: card paths are CP932 bytes.
QString Readable(const std::string& name, TfrmOWDlg::Side side)
{
    if (side == TfrmOWDlg::Side::Card)
        return QString::fromStdString(platform::ToUtf8(name));
    return QString::fromStdString(name);
}

QPixmap ShellIcon(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QFileIconProvider().icon(info);
    QPixmap pixmap = icon.isNull() ? QPixmap() : icon.pixmap(32, 32);
    return pixmap.isNull() ? dialogart::FilePicture() : pixmap;
}

}  // namespace

TfrmOWDlg::TfrmOWDlg(const MLang& lang, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      lang_(lang),
      mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("frmOWDlg"));
    setModal(true);
    setFixedSize(kClientWidth, kDesignClientHeight);

    lblMsg_ = MakeLabel(this, "lblMsg", QRect(56, 8, 420, 34));
    lblMsg_->setWordWrap(true);
    imgIcon_ = MakeLabel(this, "imgIcon", QRect(12, 10, 32, 32), true);
    imgFile_ = MakeLabel(this, "imgFile", QRect(12, 10, 32, 32), true);
    imgFolder_ = MakeLabel(this, "imgFolder", QRect(12, 10, 32, 32), true);
    imgFile_->setPixmap(dialogart::FilePicture());
    imgFolder_->setPixmap(dialogart::FolderPicture());
    imgFile_->hide();
    imgFolder_->hide();

    lblExFile_ = MakeLabel(this, "lblExFile", QRect(56, 52, 420, 16));
    imgIcon1_ = MakeLabel(this, "imgIcon1", QRect(72, 70, 32, 32), true);
    lblExSize_ = MakeLabel(this, "lblExSize", QRect(114, 70, 362, 16));
    lblExDate_ = MakeLabel(this, "lblExDate", QRect(114, 88, 362, 16));
    lblRepFile_ = MakeLabel(this, "lblRepFile", QRect(56, 110, 420, 16));
    imgIcon2_ = MakeLabel(this, "imgIcon2", QRect(72, 128, 32, 32), true);
    lblRepSize_ = MakeLabel(this, "lblRepSize", QRect(114, 128, 362, 16));
    lblRepDate_ = MakeLabel(this, "lblRepDate", QRect(114, 146, 362, 16));
    // The folder form is 123 pixels high with its buttons at 93.
    lblFolder1_ = MakeLabel(this, "lblFolder1", QRect(56, 44, 420, 15));
    lblFolder2_ = MakeLabel(this, "lblFolder2", QRect(56, 59, 420, 15));
    lblFolder3_ = MakeLabel(this, "lblFolder3", QRect(56, 74, 420, 15));

    btnYes_ = MakeButton(this, "btnYes", 70, OverwriteAsker::Yes);
    btnAll_ = MakeButton(this, "btnAll", 172, OverwriteAsker::YesToAll);
    btnNo_ = MakeButton(this, "btnNo", 274, OverwriteAsker::No);
    btnCancel_ = MakeButton(this, "btnCancel", 376, OverwriteAsker::Cancel);
    btnYes_->setDefault(true);
    for (QPushButton* button : {btnYes_, btnAll_, btnNo_, btnCancel_}) {
        connect(button, &QPushButton::clicked, this, [this, button] { AnswerWith(button->property("tag").toInt()); });
    }

    CaptionForm(lang_, this);
    setWindowTitle(Text("TI_OW"));
    yesLeft_ = btnYes_->x();
    noLeft_ = btnNo_->x();
}

QString TfrmOWDlg::Text(const char* key) const
{
    return QString::fromStdString(lang_.GetText(key));
}

QString TfrmOWDlg::SizeText(const platform::FindData& entry) const
{
    return Text("LBL_SIZE") +
           QString::fromStdString(dialogtexts::FormatSize(entry.nFileSizeHigh, entry.nFileSizeLow));
}

QString TfrmOWDlg::DateText(const platform::FindData& entry, Side side) const
{
    // PC times are UTC; shown as the local time the user knows them by, like
    // the card's times, which are local already.
    platform::FileTime time = entry.ftLastWriteTime;
    if (side == Side::Pc) {
        platform::FileTime local;
        if (platform::FileTimeToLocalFileTime(time, local))
            time = local;
    }
    QString date;
    QString clock;
    dialogtexts::LongDateAndTime(time, QLocale::system(), date, clock);
    return Text("LBL_DATE") + date + Text("LBL_SEP") + clock;
}

void TfrmOWDlg::ShowExisting(const std::string& name, const platform::FindData& entry, Side side)
{
    lblExSize_->setText(SizeText(entry));
    lblExDate_->setText(DateText(entry, side));

    folder_ = entry.IsDirectory();
    imgIcon_->setPixmap(folder_ ? imgFolder_->pixmap() : imgFile_->pixmap());
    for (QWidget* detail : {static_cast<QWidget*>(imgIcon1_), static_cast<QWidget*>(imgIcon2_),
                            static_cast<QWidget*>(lblExFile_), static_cast<QWidget*>(lblExSize_),
                            static_cast<QWidget*>(lblExDate_), static_cast<QWidget*>(lblRepFile_),
                            static_cast<QWidget*>(lblRepSize_), static_cast<QWidget*>(lblRepDate_)}) {
        detail->setVisible(!folder_);
    }
    for (QLabel* line : {lblFolder1_, lblFolder2_, lblFolder3_})
        line->setVisible(folder_);
    formHeight_ = folder_ ? kFolderFormHeight : kFileFormHeight;
    setFixedSize(kClientWidth, formHeight_ - kTitleBar);
    for (QPushButton* button : {btnYes_, btnAll_, btnNo_, btnCancel_})
        button->move(button->x(), formHeight_ - 60);

    const QString shortName = dialogtexts::LastComponent(Readable(name, side));
    if (folder_) {
        lblMsg_->setText(Text("LBL_OWF1") + shortName + Text("LBL_OWF2"));
        setWindowTitle(Text("TI_OWF"));
    } else {
        lblMsg_->setText(Text("LBL_OW1") + shortName + Text("LBL_OW2"));
        setWindowTitle(Text("TI_OW"));
    }
}

void TfrmOWDlg::ShowIcon(const std::string& path)
{
    const QPixmap icon = ShellIcon(path);
    imgIcon1_->setPixmap(icon);
    imgIcon2_->setPixmap(icon);
}

void TfrmOWDlg::ShowReplacement(const std::string&, const platform::FindData& entry, Side side)
{
    lblRepSize_->setText(SizeText(entry));
    lblRepDate_->setText(DateText(entry, side));
}

int TfrmOWDlg::ShowModal()
{
    exec();
    return OverwriteAnswer;
}

OverwriteAsker::Answer TfrmOWDlg::Ask(const OverwriteQuestion& question)
{
    const Side existingSide = question.toCard ? Side::Card : Side::Pc;
    const Side replacementSide = question.toCard ? Side::Pc : Side::Card;
    ShowExisting(question.existingName, question.existing, existingSide);
    ShowIcon(question.iconPath);
    ShowReplacement(question.existingName, question.replacement, replacementSide);
    switch (ShowModal()) {
    case OverwriteAsker::Yes:
        return OverwriteAsker::Yes;
    case OverwriteAsker::YesToAll:
        return OverwriteAsker::YesToAll;
    case OverwriteAsker::No:
        return OverwriteAsker::No;
    default:
        return OverwriteAsker::Cancel;
    }
}

void TfrmOWDlg::showEvent(QShowEvent* event)
{
    OverwriteAnswer = OverwriteAsker::Cancel;
    if (mainWindow_ != nullptr) {
        const QRect owner = mainWindow_->frameGeometry();
        const QSize own = frameGeometry().size();
        move(owner.left() + (owner.width() - own.width()) / 2, owner.top() + (owner.height() - own.height()) / 2);
    }
    btnYes_->move(yesLeft_, btnYes_->y());
    btnNo_->move(noLeft_, btnNo_->y());
    btnAll_->setVisible(true);
    btnCancel_->setVisible(true);
    btnYes_->setFocus();
    QDialog::showEvent(event);
}

void TfrmOWDlg::AnswerWith(int tag)
{
    OverwriteAnswer = tag;
    done(tag);
}

void TfrmOWDlg::reject()
{
    // Escape or a close request: the command ends.
    AnswerWith(OverwriteAsker::Cancel);
}

}  // namespace talvix::ui
