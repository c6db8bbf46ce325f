#include "talvix/ui/main/ProgressPanel.h"

#include "platform/Cp932.h"
#include "platform/qt/UiInvoker.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace talvix::ui {

ProgressPanel::ProgressPanel(QWidget* owner, const platform::UiInvoker& invoker)
    : QDialog(nullptr), owner_(owner), invoker_(invoker), label_(new QLabel(this)), bar_(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmProgress"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    label_->setMinimumWidth(320);
    layout->addWidget(label_);
    bar_->setRange(0, 100);
    layout->addWidget(bar_);
    auto* stop = new QPushButton(tr("Cancel"), this);
    layout->addWidget(stop, 0, Qt::AlignRight);
    connect(stop, &QPushButton::clicked, this, [this] {
        if (stop_ != nullptr)
            stop_->store(true);
    });
}

void ProgressPanel::Begin(const QString& title, const QString& text, std::atomic<bool>* stop, bool withBar)
{
    stop_ = stop;
    setWindowTitle(title);
    label_->setText(text);
    bar_->setValue(0);
    bar_->setVisible(withBar);
    adjustSize();
    if (owner_ != nullptr) {
        owner_->setEnabled(false);
        const QRect o = owner_->frameGeometry();
        move(o.left() + (o.width() - width()) / 2, o.top() + (o.height() - height()) / 2);
    }
    setEnabled(true);  // stays usable while its owner is disabled
    show();
}

void ProgressPanel::End()
{
    hide();
    stop_ = nullptr;
    if (owner_ != nullptr)
        owner_->setEnabled(true);
}

void ProgressPanel::CopyProgress(const std::string& cardPath, int percent)
{
    const QString path = QString::fromStdString("M:" + platform::ToUtf8(cardPath));
    invoker_.Send([this, path, percent] {
        label_->setText(path);
        bar_->setValue(percent);
    });
}

QString ProgressPanel::currentText() const
{
    return label_->text();
}

int ProgressPanel::percent() const
{
    return bar_->value();
}

}  // namespace talvix::ui
