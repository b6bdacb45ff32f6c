// A figure from /proc/self/status (VmHWM:, VmRSS:, …) in kB; -1 where there
// is none (other systems).
#pragma once

#include <QByteArray>
#include <QFile>

inline long statusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
