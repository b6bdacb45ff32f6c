#include "testenv.h"

#include "common/paths.h"

#include <QDir>
#include <QFile>
#include <QSettings>

TestEnv::TestEnv()
{
    mirka::setExecutableFolder(m_dir.path());
    QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
    const QString settings = m_dir.path() + QStringLiteral("/settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
    // The per-user data and cache folders (the browser's profile) too.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/cache")));
}

TestEnv::~TestEnv() { mirka::setExecutableFolder(QString()); }

QString TestEnv::path(const QString &name) const { return m_dir.path() + u'/' + name; }

QByteArray TestEnv::read(const QString &name) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TestEnv::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

#ifdef __linux__
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

SmallFilesystem::SmallFilesystem(qint64 bytes)
{
#ifdef __linux__
    if (geteuid() != 0) {
        m_whyNot = QStringLiteral("mounting a small tmpfs needs root");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_whyNot = QStringLiteral("mount tmpfs failed: ") + QString::fromLocal8Bit(strerror(errno));
        return;
    }
    m_mounted = true;
#else
    Q_UNUSED(bytes);
    m_whyNot = QStringLiteral("a small tmpfs is mounted on Linux only");
#endif
}

SmallFilesystem::~SmallFilesystem()
{
#ifdef __linux__
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
#endif
}

QString SmallFilesystem::path(const QString &name) const { return m_dir.path() + u'/' + name; }

void SmallFilesystem::fillLeaving(qint64 freeBytes) const
{
#ifdef __linux__
    struct statvfs st;
    if (::statvfs(QFile::encodeName(m_dir.path()).constData(), &st) != 0)
        return;
    const qint64 avail = qint64(st.f_bavail) * qint64(st.f_frsize);
    QFile filler(path(QStringLiteral("filler")));
    if (avail > freeBytes && filler.open(QIODevice::WriteOnly))
        filler.write(QByteArray(avail - freeBytes, 'x'));
#else
    Q_UNUSED(freeBytes);
#endif
}
