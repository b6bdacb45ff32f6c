#include "common/paths.h"

#include <QCoreApplication>
#include "common/apptitle.h"
#include "common/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

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

QString settingsFile(const QString &fileName)
{
    const QString beside = fileBesideExecutable(fileName);
    const QFileInfo folder(executableFolder());
    if (!folder.isDir() || folder.isWritable())
        return beside;
    const QString userFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + appTitle();
    if (!QDir().mkpath(userFolder))
        return beside;
    const QString user = userFolder + u'/' + fileName;
    // Copying would open a FIFO or device, and block or never end.
    if (!QFileInfo::exists(user) && QFileInfo::exists(beside) && !isSpecialFile(beside))
        QFile::copy(beside, user);
    return QDir::toNativeSeparators(user);
}

void setExecutableFolder(const QString &folder)
{
    folderOverride() = QDir::toNativeSeparators(folder);
}

} // namespace mirka
