#include "talvix/ui/dialogs/FolderBrowser.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "talvix/ui/common/WidgetPlacement.h"
#include "talvix/ui/dialogs/TfrmNewFolder.h"

namespace talvix::ui {

FolderBrowser::FolderBrowser(QWidget* owner, const QString& title, const QString& newButtonText,
                             TfrmNewFolder* newFolder)
    : QDialog(owner), newFolder_(newFolder)
{
    setObjectName(QStringLiteral("FolderBrowser"));
    setModal(true);
    setWindowTitle(title);
    resize(380, 420);

    lblTitle_ = new QLabel(title, this);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    lblTitle_->setTextFormat(Qt::PlainText);
    lblTitle_->setWordWrap(true);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    model_->setRootPath(QDir::rootPath());

    tree_ = new QTreeView(this);
    tree_->setObjectName(QStringLiteral("tvFolders"));
    tree_->setModel(model_);
    tree_->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        tree_->hideColumn(column);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setUniformRowHeights(true);
    tree_->setSortingEnabled(true);
    tree_->sortByColumn(0, Qt::AscendingOrder);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, &FolderBrowser::SelectionChanged);

    btnNew_ = new QPushButton(newButtonText, this);
    btnNew_->setObjectName(QStringLiteral("btnNew"));
    btnNew_->setAutoDefault(false);
    btnOk_ = new QPushButton(tr("OK"), this);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnOk_->setDefault(true);
    btnOk_->setEnabled(false);
    btnCancel_ = new QPushButton(tr("Cancel"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setAutoDefault(false);
    if (newFolder_ != nullptr) {
        // OK and Cancel in the language of the tables, as the new-folder
        // dialog has them.
        for (QPushButton* own : {btnOk_, btnCancel_}) {
            const auto* twin = newFolder_->findChild<QPushButton*>(own->objectName());
            if (twin != nullptr && !twin->text().isEmpty())
                own->setText(twin->text());
        }
    }
    connect(btnNew_, &QPushButton::clicked, this, &FolderBrowser::NewFolder);
    connect(btnOk_, &QPushButton::clicked, this, [this] {
        if (!SelectedFolder().isEmpty())
            accept();
    });
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnNew_);
    buttons->addStretch(1);
    buttons->addWidget(btnOk_);
    buttons->addWidget(btnCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle_);
    layout->addWidget(tree_, 1);
    layout->addLayout(buttons);
}

void FolderBrowser::SelectFolder(const QString& path)
{
    QString folder = QDir::cleanPath(QDir(QDir::rootPath()).absoluteFilePath(path));
    while (!QFileInfo(folder).isDir() && folder != QDir::rootPath())
        folder = QFileInfo(folder).absolutePath();
    const QModelIndex index = model_->index(folder);
    if (!index.isValid())
        return;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        tree_->expand(up);
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    SelectionChanged();
}

QString FolderBrowser::SelectedFolder() const
{
    const QModelIndex index = tree_->currentIndex();
    if (!index.isValid())
        return QString();
    return model_->filePath(index);
}

void FolderBrowser::SelectionChanged()
{
    current_ = SelectedFolder();
    btnOk_->setEnabled(!current_.isEmpty());
}

void FolderBrowser::NewFolder()
{
    if (newFolder_ == nullptr)
        return;
    CentreOver(newFolder_, this);
    newFolder_->basePath = current_.toStdString();
    newFolder_->exec();
    if (newFolder_->resultPath != newFolder_->basePath) {
        // Closed for the new folder: the picker opens again with it selected.
        newFolderMade_ = true;
        newFolderPath_ = QString::fromStdString(newFolder_->resultPath);
        reject();
    }
}

}  // namespace talvix::ui
