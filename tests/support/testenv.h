#pragma once
#include <QString>
#include <QTemporaryDir>

// A folder of the test's own that stands in for the executable's folder
// (options and favourites files live there) and for the per-user settings
// store, and on Linux for the per-user data and cache folders, for as long
// as the object lives.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString folder() const { return m_dir.path(); }
    QString path(const QString &name) const;
    QByteArray read(const QString &name) const;
    void write(const QString &name, const QByteArray &bytes) const;

private:
    QTemporaryDir m_dir;
};
