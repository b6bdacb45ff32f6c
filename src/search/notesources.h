#pragma once
#include "search/searchindex.h"

// What the search index reads: the notes of a folder (their ".rtf" body
// files), each with its companion file and the saved copies listed in its
// copies folder. Files are only ever read. No widgets: the body is read
// into a QTextDocument with the program's own RTF reader.
namespace mirka::search {

// The note and its copies as the files are now, without their text.
QList<Entry> entriesOfNote(const QString &notePath, const QString &folder);
// Those of every note in the folder (not its subfolders); none when the
// folder is gone.
QList<Entry> entriesOfFolder(const QString &folder);
// The words of an entry: a note's body, theme and recorded titles and
// addresses; a copy's page text, title and address. A note's title becomes
// its theme. False when its file cannot be read.
bool readText(Entry &entry, QString *text);

} // namespace mirka::search
