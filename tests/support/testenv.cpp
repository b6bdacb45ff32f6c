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
