#pragma once
#include <QByteArray>
#include <QString>

namespace mirka {

// Replaces the file at path with data atomically: a failed or interrupted
// write leaves the previous file untouched. On failure returns false and puts
// a user-readable reason into *error.
bool writeFileAtomically(const QString &path, const QByteArray &data, QString *error = nullptr);

// Reads a whole file; false (with a reason) when it cannot be read.
bool readWholeFile(const QString &path, QByteArray *data, QString *error = nullptr);

} // namespace mirka
