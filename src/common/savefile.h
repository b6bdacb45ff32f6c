#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

namespace mirka {

// No options, companion or favourites file the program writes comes near
// this; a larger one is not read.
constexpr qint64 maxSettingsFileSize = 64LL * 1024 * 1024;

struct FileToWrite {
    QString path;
    QByteArray data;
};

// Replaces several files as one: each new content is written out in full and
// checked (flushed, the device's error read) before any old file is
// replaced; then they are committed in order, and when a later one cannot be
// committed the earlier ones get their previous content back. A path that
// exists but is not a regular file is refused, never written through. On
// failure returns false with the file and the reason (in Japanese).
bool writeFilesTogether(const QList<FileToWrite> &files, QString *failedPath, QString *error);

// The same for one file: a failed or interrupted write leaves the previous
// file untouched.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

// Reads a whole regular file; false (with a reason in Japanese) when it
// cannot be read. A directory, FIFO or device is refused without being
// opened, so reading never blocks; with maxBytes >= 0 a larger file is
// refused too.
bool readWholeFile(const QString &path, QByteArray *data, QString *error = nullptr,
                   qint64 maxBytes = -1);

// Whether path names a regular file larger than maxBytes.
bool exceedsSize(const QString &path, qint64 maxBytes);

// Whether path names something other than a regular file (a directory,
// FIFO, device or socket); false when nothing is there.
bool isSpecialFile(const QString &path);

} // namespace mirka
