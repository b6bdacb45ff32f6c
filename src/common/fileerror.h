#pragma once
#include <QString>

// Why a file could not be read or written, in words the user reads, and the
// one form every file failure message takes.
namespace mirka {

// The system's error code of the failing call just made (errno, or
// GetLastError on Windows), and a way to clear it before the call.
int lastSystemError();
void clearSystemError();

// The reason for a system error code in Japanese; writing chooses between
// "not allowed to write" and "not allowed to read" for a refused access.
// Code 0 (no code known) gives a general reason.
QString systemErrorReason(int code, bool writing);

// Reasons of the program's own refusals.
QString notRegularFileReason();
QString tooLargeReason(qint64 maxBytes);

// The message of a failed file operation: what failed, the file (in the
// system's notation), why.
QString fileFailureMessage(const QString &headline, const QString &path, const QString &reason);

} // namespace mirka
