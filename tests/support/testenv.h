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

// A real tmpfs of a few pages mounted on a folder of its own for as long as
// the object lives, to meet a full disk. Mounting needs Linux and root;
// whyNot() tells why there is none otherwise.
class SmallFilesystem {
public:
    explicit SmallFilesystem(qint64 bytes);
    ~SmallFilesystem();
    bool mounted() const { return m_mounted; }
    QString whyNot() const { return m_whyNot; }
    QString path(const QString &name) const;
    // Writes a filler file so that about freeBytes stay free.
    void fillLeaving(qint64 freeBytes) const;

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_whyNot;
};
