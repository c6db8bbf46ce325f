#include "talvix/ui/main/ShellTypes.h"

#include "platform/Cp932.h"
#include "talvix/settings/FileName.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace talvix::ui {

ShellTypes::ShellTypes(std::string stateFolder) : tmpFolder_(std::move(stateFolder) + "/tmp") {}

std::string ShellTypes::Placeholder(const platform::FindData& entry) const
{
    ::mkdir(tmpFolder_.c_str(), 0777);  // failure (it exists) is fine
    if (entry.IsDirectory())
        return tmpFolder_;
    std::string ext = platform::ToUtf8(FileName::GetExt(entry.cFileName));
    // The extension becomes part of a PC name: nothing that leaves the folder.
    if (ext.find('/') != std::string::npos || ext.find('\0') != std::string::npos)
        ext.clear();
    const std::string path = tmpFolder_ + "/tmp." + ext;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0)
        ::close(fd);
    return path;
}

ShellTypes::Info ShellTypes::ShellInfo(const platform::FindData& entry)
{
    const std::string path = Placeholder(entry);
    if (auto it = cache_.find(path); it != cache_.end())
        return it->second;

    Info info;
    static QMimeDatabase mimes;
    static QFileIconProvider provider;
    const QString qpath = QString::fromStdString(path);
    QMimeType mime;
    if (entry.IsDirectory())
        mime = mimes.mimeTypeForName(QStringLiteral("inode/directory"));
    else
        mime = mimes.mimeTypeForFile(qpath, QMimeDatabase::MatchExtension);
    info.typeName = mime.comment();
    if (info.typeName.isEmpty())
        info.typeName = mime.name();
    QIcon icon = QIcon::fromTheme(mime.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(mime.genericIconName());
    if (icon.isNull())
        icon = provider.icon(QFileInfo(qpath));
    if (icon.isNull())
        icon = provider.icon(entry.IsDirectory() ? QFileIconProvider::Folder : QFileIconProvider::File);
    info.smallIcon = icon;
    info.largeIcon = icon;
    cache_[path] = info;
    return info;
}

}  // namespace talvix::ui
