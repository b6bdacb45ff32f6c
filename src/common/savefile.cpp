#include "common/savefile.h"

#include "common/fileerror.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mirka {

namespace {

void setReason(QString *out, const QString &reason)
{
    if (out)
        *out = reason;
}

// Opens, writes and flushes; nothing replaces the old file yet. QSaveFile
// buffers small writes and would only meet a full disk inside commit(),
// which then still renames the short file over the old one: the explicit
// flush brings the error out here.
bool prepare(QSaveFile &f, const QByteArray &data, QString *error)
{
    if (isSpecialFile(f.fileName())) {
        setReason(error, notRegularFileReason());
        return false;
    }
    clearSystemError();
    if (!f.open(QIODevice::WriteOnly)) {
        setReason(error, systemErrorReason(lastSystemError(), true));
        return false;
    }
    clearSystemError();
    if (f.write(data) != data.size() || !f.flush() || f.error() != QFileDevice::NoError) {
        setReason(error, systemErrorReason(lastSystemError(), true));
        f.cancelWriting();
        return false;
    }
    return true;
}

} // namespace

bool isSpecialFile(const QString &path)
{
#ifdef _WIN32
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
#else
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return !S_ISREG(st.st_mode);
#endif
}

bool exceedsSize(const QString &path, qint64 maxBytes)
{
    const QFileInfo info(path); // isFile() is false for FIFOs and devices
    return info.isFile() && info.size() > maxBytes;
}

bool writeFilesTogether(const QList<FileToWrite> &files, QString *failedPath, QString *error)
{
    std::vector<std::unique_ptr<QSaveFile>> saves;
    for (const FileToWrite &f : files) {
        saves.push_back(std::make_unique<QSaveFile>(f.path));
        if (!prepare(*saves.back(), f.data, error)) {
            for (auto &s : saves)
                s->cancelWriting();
            if (failedPath)
                *failedPath = f.path;
            return false;
        }
    }
    // What each file held, to put back when a later commit fails.
    struct Old {
        bool existed = false;
        QByteArray data;
    };
    std::vector<Old> old(files.size());
    for (qsizetype i = 0; i + 1 < files.size(); ++i)
        old[i].existed = readWholeFile(files[i].path, &old[i].data);

    for (qsizetype i = 0; i < files.size(); ++i) {
        clearSystemError();
        if (saves[i]->commit())
            continue;
        setReason(error, systemErrorReason(lastSystemError(), true));
        if (failedPath)
            *failedPath = files[i].path;
        for (qsizetype j = i + 1; j < files.size(); ++j)
            saves[j]->cancelWriting();
        for (qsizetype j = 0; j < i; ++j) {
            if (old[j].existed)
                writeFileAtomically(files[j].path, old[j].data);
            else
                QFile::remove(files[j].path);
        }
        return false;
    }
    return true;
}

bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error)
{
    return writeFilesTogether({FileToWrite{path, data}}, nullptr, error);
}

bool readWholeFile(const QString &path, QByteArray *data, QString *error, qint64 maxBytes)
{
    // Checked before opening: opening a FIFO blocks, opening a device can
    // act on it.
    if (isSpecialFile(path)) {
        setReason(error, notRegularFileReason());
        return false;
    }
    QFile f;
#ifdef _WIN32
    f.setFileName(path);
    clearSystemError();
    if (!f.open(QIODevice::ReadOnly)) {
        setReason(error, systemErrorReason(lastSystemError(), false));
        return false;
    }
#else
    // Without blocking, and checked again on what was opened, in case the
    // name changed hands in between.
    clearSystemError();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        setReason(error, systemErrorReason(lastSystemError(), false));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        setReason(error, notRegularFileReason());
        return false;
    }
    if (!f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        setReason(error, systemErrorReason(lastSystemError(), false));
        return false;
    }
#endif
    if (maxBytes >= 0 && f.size() > maxBytes) {
        setReason(error, tooLargeReason(maxBytes));
        return false;
    }
    clearSystemError();
    QByteArray bytes;
    if (maxBytes < 0) {
        bytes = f.readAll();
    } else {
        // Never more than the limit, even from a file that grows while read.
        char chunk[65536];
        qint64 n = 0;
        while (bytes.size() <= maxBytes && (n = f.read(chunk, sizeof chunk)) > 0)
            bytes.append(chunk, n);
    }
    if (f.error() != QFileDevice::NoError) {
        setReason(error, systemErrorReason(lastSystemError(), false));
        return false;
    }
    if (maxBytes >= 0 && bytes.size() > maxBytes) {
        setReason(error, tooLargeReason(maxBytes));
        return false;
    }
    *data = bytes;
    return true;
}

} // namespace mirka
