#pragma once
#include <QString>

namespace mirka {

// The folder that holds the program's executable, in native form.
QString executableFolder();

// That folder, a separator added unless it already ends with one (at a
// drive's or the file system's root it does), then the file name.
QString fileBesideExecutable(const QString &fileName);

// Where the program keeps the settings file of that name: beside the
// executable, as users' existing files are. Only when that folder exists but
// the user may not write to it (a system-wide install under /usr or Program
// Files) does the file live in the per-user configuration folder instead,
// started from a copy of the file beside the executable if there is one.
QString settingsFile(const QString &fileName);

// Whether two paths name the same place, compared as the file system does
// (case-insensitively on Windows), after making them absolute and clean.
bool samePath(const QString &a, const QString &b);

// Replaces the executable's folder, so tests work in a folder of their own.
// An empty text restores the real one.
void setExecutableFolder(const QString &folder);

} // namespace mirka
