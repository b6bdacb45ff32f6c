#pragma once
#include <QString>

namespace mirka {

// The folder that holds the program's executable, in native form.
QString executableFolder();

// That folder, a separator added unless it already ends with one (at a
// drive's or the file system's root it does), then the file name.
QString fileBesideExecutable(const QString &fileName);

// Replaces the executable's folder, so tests work in a folder of their own.
// An empty text restores the real one.
void setExecutableFolder(const QString &folder);

} // namespace mirka
