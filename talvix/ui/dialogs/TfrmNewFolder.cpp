#include "talvix/ui/dialogs/TfrmNewFolder.h"

#include <QApplication>
#include <QShowEvent>
#include <QLineEdit>
#include <QPushButton>

#include "talvix/settings/FileName.h"
#include "talvix/settings/MLang.h"
#include "talvix/ui/CaptionForm.h"

namespace talvix::ui {
namespace {

constexpr size_t kNameMax = 255;  // bytes of one folder name on Linux file systems

}  // namespace

TfrmNewFolder::TfrmNewFolder(const MLang& lang, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      lang_(lang)
{
    setObjectName(QStringLiteral("frmNewFolder"));
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);

    edNew_ = new QLineEdit(this);
    edNew_->setObjectName(QStringLiteral("edNew"));
    edNew_->setText(QStringLiteral("FOLDER"));
    edNew_->setAttribute(Qt::WA_InputMethodEnabled, false);
    edNew_->setGeometry(8, 8, 297, 23);

    btnOk_ = new QPushButton(this);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnOk_->setGeometry(146, 38, 76, 25);
    btnOk_->setDefault(true);

    btnCancel_ = new QPushButton(this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    btnCancel_->setGeometry(229, 38, 76, 25);

    connect(btnOk_, &QPushButton::clicked, this, [this] {
        if (!CreateFolder())
            QApplication::beep();
    });
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);

    CaptionForm(lang_, this);
    setWindowTitle(QString::fromStdString(lang_.GetText("TI_NEW")));
}

bool TfrmNewFolder::ValidName(const std::string& name)
{
    if (name.empty())
        return false;
    size_t start = 0;
    while (true) {
        const size_t slash = name.find('/', start);
        const std::string part = name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part.empty() || part == "." || part == ".." || part.size() > kNameMax ||
            part.find('\0') != std::string::npos) {
            return false;
        }
        if (slash == std::string::npos)
            return true;
        start = slash + 1;
    }
}

bool TfrmNewFolder::CreateFolder()
{
    if (basePath.empty())
        return false;
    const std::string name = edNew_->text().toStdString();
    if (!ValidName(name))
        return false;
    std::string base = basePath;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::string folder = base == "/" ? "/" + name : base + "/" + name;
    // Every missing folder on the way is made; a file in the way, or a
    // folder that cannot be made, fails.
    if (!FileName::CheckPath(folder + "/", true))
        return false;
    resultPath = folder;
    accept();
    return true;
}

void TfrmNewFolder::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    resultPath = basePath;
    edNew_->setText(QString::fromStdString(lang_.GetText("ED_NEW")));
    edNew_->selectAll();
    edNew_->setFocus();
}

}  // namespace talvix::ui
