#include "common/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace mirka {

static QString &folderOverride()
{
    static QString folder;
    return folder;
}

QString executableFolder()
{
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString fileBesideExecutable(const QString &fileName)
{
    QString path = executableFolder();
    const QChar sep = QDir::separator();
    if (!path.endsWith(sep))
        path += sep;
    return path + fileName;
}

void setExecutableFolder(const QString &folder)
{
    folderOverride() = QDir::toNativeSeparators(folder);
}

} // namespace mirka
