#pragma once
#include <QDateTime>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <utility>

namespace mirka {

// One recorded page as the copies folder knows it: when it was recorded and
// the file of the page as it was then (empty when no copy could be made).
struct PageCopy {
    QDateTime recorded;
    QString address;
    QString title;
    QString fileName;
    QString folder;       // where fileName lives now
    bool pending = false; // the copy is still being written
    int id = 0;

    QString filePath() const { return fileName.isEmpty() ? QString() : folder + u'/' + fileName; }
    bool hasCopy() const { return !fileName.isEmpty() && !pending; }
};

// A recorded page of the note: (title, address).
using RecordedPage = std::pair<QString, QString>;

// The recording times and saved copies of the note's recorded pages.
//
// They live in one folder beside the note (folderFor), with an index of a
// line per page: recording time (ISO 8601 with offset), address, title and
// file name, tab-separated, UTF-8. The note's own files never mention them:
// pages and copies are paired by title and address, in order, so a missing
// or hand-edited folder only loses copies.
//
// Copies made since the last save wait in a folder of this object's own in
// the per-user data folder, removed with the object: a note closed without
// saving leaves nothing behind. A save copies what the pages still need
// into the note's folder before the note files are written, and drops what
// they no longer need only after the index has been replaced, so a failure
// at any step leaves the previous folder whole.
class PageCopies : public QObject {
    Q_OBJECT
public:
    explicit PageCopies(QObject *parent = nullptr);
    ~PageCopies() override;

    static QString indexName() { return QStringLiteral("index.txt"); }
    // The copies folder of a note, from its companion file path: "x.qvt"
    // gives "x.files", which sorts beside the note's own files.
    static QString folderFor(const QString &companionPath);
    static QByteArray indexBytes(const QList<PageCopy> &copies);
    // Lines that cannot be read, or that name a file outside the folder,
    // are passed over.
    static QList<PageCopy> parseIndex(const QByteArray &bytes, const QString &folder);
    // For each page, the index into copies of its copy, or -1. Each copy
    // pairs with at most one page; equal pages take equal copies in order.
    static QList<int> match(const QList<PageCopy> &copies, const QList<RecordedPage> &pages);

    const QList<PageCopy> &entries() const { return m_entries; }
    // The entry of each page (nullptr when it has none).
    QList<const PageCopy *> forPages(const QList<RecordedPage> &pages) const;

    // Notes a page recorded now. Returns the entry's id; *copyPath is where
    // its copy is to be written (empty when the waiting folder cannot be
    // made). Report the outcome with copyWritten.
    int record(const QString &title, const QString &address, const QDateTime &when,
               QString *copyPath);
    void copyWritten(int id, bool ok);
    // Lets copies still being written finish, up to the time given.
    void waitForPending(int milliseconds);

    // Forgets every entry (and the copies waiting to be saved).
    void clear();
    // Reads the index of a note's folder; nothing else is read.
    void load(const QString &folder);

    // Saving: prepareSave copies into the folder what the pages need;
    // finishSave (after the note files are written) replaces the index and
    // removes what is no longer needed; abandonSave undoes prepareSave.
    // Failures give the path and the reason.
    bool prepareSave(const QString &folder, const QList<RecordedPage> &pages, QString *failedPath,
                     QString *reason);
    bool finishSave(QString *failedPath, QString *reason);
    void abandonSave();

    // The folder copies wait in before a save; made on first use.
    QString waitingFolder();

signals:
    void changed();

private:
    struct Save {
        QString folder;
        bool madeFolder = false;
        QList<PageCopy> kept;   // in page order, with their new places
        QStringList added;      // files copied into the folder
        QStringList oldListed;  // files the folder's index named before
    };

    void removeWaitingFiles();

    QList<PageCopy> m_entries;
    QString m_waiting;
    // Held while this note's copies wait, so that a later start can tell
    // folders left by a program that ended without closing the note.
    std::unique_ptr<QLockFile> m_lock;
    int m_nextId = 1;
    Save m_save;
};

} // namespace mirka
