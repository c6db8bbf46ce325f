#include "orvane/ui/TfrmOWM.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace orvane {

namespace {

QFont SmallFont()
{
    QFont f = QApplication::font();
    f.setPixelSize(11);
    return f;
}

}  // namespace

TfrmOWM::TfrmOWM(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOWM"));
    // A dialog frame without the title-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(true);
    setFixedSize(361, 88);
    QFont formFont = QApplication::font();
    formFont.setPixelSize(12);
    setFont(formFont);

    imgIcon = new QLabel(this);
    imgIcon->setGeometry(8, 8, 33, 33);
    imgIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));

    Msg = new QLabel(this);
    Msg->setObjectName(QStringLiteral("Msg"));
    Msg->setFont(SmallFont());
    Msg->setGeometry(56, 16, 297, 32);
    Msg->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const struct {
        QPushButton** button;
        const char* name;
        const char* text;
        int x;
    } buttons[] = {
        {&BitBtn1, "BitBtn1", "Yes", 40},
        {&BitBtn2, "BitBtn2", "Save as New", 136},
        {&BitBtn3, "BitBtn3", "No", 232},
    };
    for (const auto& b : buttons) {
        *b.button = new QPushButton(QString::fromLatin1(b.text), this);
        (*b.button)->setObjectName(QString::fromLatin1(b.name));
        (*b.button)->setFont(SmallFont());
        (*b.button)->setGeometry(b.x, 56, 89, 20);
        (*b.button)->setAutoDefault(false);
    }
    BitBtn1->setDefault(true);
    // Tab order follows the buttons from left to right.
    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, BitBtn3);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmOWM::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfrmOWM::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TfrmOWM::BitBtn3Click);
}

void TfrmOWM::showEvent(QShowEvent* event)
{
    cancelled = false;
    // Centred on the screen.
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

void TfrmOWM::BitBtn1Click()
{
    overwrite = true;
    cancelled = false;
    accept();
}

void TfrmOWM::BitBtn2Click()
{
    overwrite = false;
    cancelled = false;
    accept();
}

void TfrmOWM::BitBtn3Click()
{
    cancelled = true;
    QDialog::reject();
}

void TfrmOWM::reject()
{
    // Esc or a close from the window system: the same as "No".
    cancelled = true;
    QDialog::reject();
}

}  // namespace orvane
