#pragma once
#include "model/note.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <utility>

// The note on disk: the body file, its ".qvt" companion (theme and recorded
// pages, CP932 field records) and the copies folder beside them, whose
// UTF-8 "index.txt" gives each page's recording time and copy file.
//
// A save writes every new file beside its place and syncs it, then writes a
// small commit marker naming the renames still to be made, makes them, and
// removes the marker. Reading and saving first finish a save that a kill
// interrupted after its marker was written; before that point the old
// files were never touched. Either way the pair and its copies belong to
// one save.
namespace mirka::notefile {

// A name ending in "." and three characters keeps the companion rule of
// older versions (調査.rtf gives 調査.qvt); any other takes the whole name
// ("研究ノート" gives 研究ノート.qvt), so two such notes never share one.
QString companionFor(const QString &notePath);
// The companion older versions gave any name: its last four characters
// replaced (a name shorter than four kept whole).
QString oldCompanionFor(const QString &notePath);
// "x.qvt" gives "x.files", which sorts beside the note's own files.
QString copiesFolderFor(const QString &companionPath);
// The names the program gives copies; nothing else in a copies folder is
// ever named by the index, read or removed.
bool isCopyName(const QString &fileName);

struct Content {
    QByteArray body;
    QString theme;
    QList<RecordedPage> pages;
    bool morePages = false;   // the companion holds more than a note can
    QString companionPath;    // where it was read from (or will be written)
};

// A note holds at most this many recorded pages (list indexes are 16-bit).
constexpr int maxPages = 32767;

// Reads the pair. A missing companion (none by either rule) gives an empty
// theme and no pages. False with the file and the reason on failure.
bool read(const QString &notePath, Content *out, QString *failedPath, QString *reason);

// Another note body whose companion or copies folder a save to notePath
// would take over; empty when there is none.
QString otherOwner(const QString &notePath);

// Writes the pair and the copies folder as one. *saved gets the pages with
// their copies' new places. False with the file and the reason on failure,
// the previous files left as they were. A copy, the copies folder or its
// index that cannot be written does not stop the save: each goes to
// *copyFailures (file, reason), and a page whose copy stayed behind keeps
// it where it was for the next save.
bool write(const QString &notePath, const QByteArray &body, const QString &theme,
           const QList<RecordedPage> &pages, QList<RecordedPage> *saved, QString *failedPath, QString *reason,
           QList<std::pair<QString, QString>> *copyFailures = nullptr);

// Finishes a save of this note that was interrupted after it committed
// itself; removes what one interrupted before left behind.
void recover(const QString &notePath);

// The index of a copies folder, one line per page in page order.
QByteArray indexBytes(const QList<RecordedPage> &pages);
// Its entries as pages with their times and copies (a copy only when the
// entry names a file of the program's in the folder).
QList<RecordedPage> indexEntries(const QByteArray &index, const QString &folder);
// Gives the pages the times and copies the index holds for them: the entry
// at the same place when it names the same page, else the next unused one
// that does, so an index from an older version or edited by hand only ever
// loses copies.
void pairWithIndex(QList<RecordedPage> *pages, const QByteArray &index, const QString &folder);

} // namespace mirka::notefile
