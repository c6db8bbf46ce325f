#include "talvix/ui/main/TfrmAbout.h"

#include "talvix/settings/MLang.h"
#include "talvix/ui/CaptionForm.h"

#include <QEvent>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace talvix::ui {

TfrmAbout::TfrmAbout(const MLang& texts, const QIcon& icon, QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setProperty("talvixClass", "TImage");
    image->setPixmap(icon.pixmap(32, 32));
    auto* name = new QLabel(QStringLiteral("Talvix"), this);
    name->setObjectName(QStringLiteral("lblName"));
    auto* ver = new QLabel(QStringLiteral("バージョン"), this);
    ver->setObjectName(QStringLiteral("lblVer"));
    auto* vernum = new QLabel(this);
    vernum->setObjectName(QStringLiteral("lblVernum"));
    auto* co = new QLabel(this);
    co->setObjectName(QStringLiteral("lblCo"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(image, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(name, 0, 1, 1, 2);
    grid->addWidget(ver, 1, 1);
    grid->addWidget(vernum, 1, 2);
    grid->addWidget(co, 2, 1, 1, 2);
    grid->addWidget(ok, 3, 2, Qt::AlignRight);
    resize(305, 94);

    CaptionForm(texts, this);
    setWindowTitle(QString::fromStdString(texts.GetText("TI_ABOUT")));
    vernum->setText(QStringLiteral("1.0.0.0"));
    for (QLabel* label : findChildren<QLabel*>())
        label->installEventFilter(this);
}

void TfrmAbout::mousePressEvent(QMouseEvent* event)
{
    QDialog::mousePressEvent(event);
    accept();
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace talvix::ui
