#include "talvix/ui/main/HelpWindow.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace talvix::ui {

HelpWindow::HelpWindow(QWidget* owner)
    : QWidget(owner, Qt::Window), search_(new QLineEdit), index_(new QListWidget), browser_(new QTextBrowser)
{
    setObjectName(QStringLiteral("frmHelp"));
    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    search_->setClearButtonEnabled(true);
    leftLayout->addWidget(search_);
    leftLayout->addWidget(index_);
    auto* split = new QSplitter;
    split->addWidget(left);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(split);
    browser_->setOpenLinks(false);
    resize(720, 480);

    connect(search_, &QLineEdit::textEdited, this, [this](const QString& t) { FillIndex(t); });
    connect(search_, &QLineEdit::returnPressed, this, &HelpWindow::IndexChosen);
    connect(index_, &QListWidget::itemActivated, this, &HelpWindow::IndexChosen);
    connect(index_, &QListWidget::currentRowChanged, this, [this](int) { IndexChosen(); });
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (const HelpTopic* topic = file_.TopicById(url.fragment().toStdString()))
            ShowTopic(*topic);
    });
}

bool HelpWindow::LoadFile(const std::string& path)
{
    const bool ok = file_.Load(path);
    setWindowTitle(QString::fromStdString(path.substr(path.rfind('/') + 1)));
    if (!ok)
        browser_->setPlainText(QStringLiteral("%1: cannot be read").arg(QString::fromStdString(path)));
    FillIndex(QString());
    return ok;
}

void HelpWindow::FillIndex(const QString& typed)
{
    const QSignalBlocker block(index_);
    index_->clear();
    for (const std::string& keyword : file_.KeywordsStartingWith(typed.toStdString()))
        index_->addItem(QString::fromStdString(keyword));
    if (index_->count() > 0)
        index_->setCurrentRow(0);
}

void HelpWindow::IndexChosen()
{
    const QListWidgetItem* item = index_->currentItem();
    if (item == nullptr)
        return;
    const auto topics = file_.TopicsForKeyword(item->text().toStdString());
    if (!topics.empty())
        ShowTopic(*topics.front());
}

void HelpWindow::ShowTopic(const HelpTopic& topic)
{
    browser_->setHtml(QString::fromStdString(topic.html));
}

void HelpWindow::ShowKeyword(const QString& keyword)
{
    search_->setText(keyword);
    FillIndex(keyword);
    IndexChosen();
    show();
    raise();
    activateWindow();
    search_->setFocus();
}

}  // namespace talvix::ui
