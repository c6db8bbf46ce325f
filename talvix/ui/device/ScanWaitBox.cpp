#include "ScanWaitBox.h"

#include <algorithm>

#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "talvix/ui/common/WidgetPlacement.h"

namespace talvix::ui {

ScanWaitBox::ScanWaitBox(QWidget* parent) : QDialog(parent)
{
    setObjectName("ScanWaitBox");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    stop_ = new QPushButton(QStringLiteral("Stop"), this);
    layout->addWidget(bar_);
    layout->addWidget(stop_, 0, Qt::AlignHCenter);
    connect(stop_, &QPushButton::clicked, this, [this] {
        aborted_ = true;
        stop_->setEnabled(false);
    });
    setFixedSize(252, 71);
}

void ScanWaitBox::ShowWait(QWidget* over, const QString& text, bool progress, bool stop)
{
    if (!text.isEmpty())
        setWindowTitle(text);
    aborted_ = false;
    bar_->setValue(0);
    bar_->setVisible(progress);
    stop_->setVisible(stop);
    stop_->setEnabled(true);
    CentreOver(this, over);
    show();
    raise();
    QCoreApplication::processEvents();
}

void ScanWaitBox::SetProgress(int percent) { bar_->setValue(std::clamp(percent, 0, 100)); }

void ScanWaitBox::CloseIfVisible()
{
    if (isVisible())
        hide();
}

int ScanWaitBox::progress() const { return bar_->value(); }

}  // namespace talvix::ui
