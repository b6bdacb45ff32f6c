#pragma once
#include "model/passage.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QLockFile;

namespace mirka {

// One recorded page of the note. Its id stays with it for the note's life,
// so its recording time and saved copy follow it whatever else is recorded
// or deleted, even among equal pages.
struct RecordedPage {
    quint64 id = 0;
    QString title;
    QString address;
    QDateTime recorded;   // invalid when not known (a page from an older note)
    QString copyPath;     // the saved copy, empty when there is none
    bool copyPending = false; // the copy is still being written

    bool hasCopy() const { return !copyPath.isEmpty() && !copyPending; }
};

// The one note: theme, recorded pages with their copies, the file it was
// read from or saved to, and whether it changed since. The body lives in
// the editor; it travels as RTF bytes when the note is read or written.
//
// Copies made since the last save wait in a folder of the note's own under
// the per-user data folder, removed with the note, so a note closed without
// saving leaves nothing behind; a save moves them beside the note.
class Note : public QObject {
    Q_OBJECT
public:
    explicit Note(QObject *parent = nullptr);
    ~Note() override;

    QString theme() const { return m_theme; }
    // A change of the theme marks the note modified.
    void setTheme(const QString &theme);

    const QList<RecordedPage> &pages() const { return m_pages; }
    int indexOf(quint64 id) const;

    // Appends a page and marks the note modified. Returns its id; with
    // copyPath, *copyPath is where its copy is to be written (empty when the
    // waiting folder cannot be made), to be reported with copyWritten.
    quint64 AddRecordedPage(const QString &title, const QString &address,
                            const QDateTime &when = QDateTime::currentDateTime(), QString *copyPath = nullptr);
    void copyWritten(quint64 id, bool ok);
    // Lets copies still being written arrive, up to the time given.
    void waitForPending(int milliseconds);
    // Deleting a page leaves the modified flag as it was.
    void removePage(int index);
    // Everything at once, as read from files.
    void setContent(const QString &theme, const QList<RecordedPage> &pages);
    // After a save: the copies' places beside the note, by page id; copies
    // that were waiting for it are removed.
    void copiesSaved(const QList<RecordedPage> &saved);

    // The note's file, empty before the first save.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &path);

    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // The folder copies wait in before a save; made on first use.
    QString waitingFolder();

    // A passage taken from a page, for the note's window to insert at its
    // caret.
    void takePassage(const quotecapture::Passage &passage) { emit passageTaken(passage); }

signals:
    void themeChanged(const QString &theme);
    void pageAdded(int index);
    void pageRemoved(int index);
    void pageChanged(int index);
    void pagesReset();
    void fileNameChanged(const QString &path);
    void modifiedChanged(bool modified);
    void passageTaken(const mirka::quotecapture::Passage &passage);

private:
    void dropWaitingCopies(const QList<RecordedPage> &keep);

    QString m_theme = QStringLiteral("テーマ名");
    QList<RecordedPage> m_pages;
    QString m_fileName;
    bool m_modified = false;
    quint64 m_nextId = 1;
    QString m_waiting;
    // Held while this note's copies wait, so that a later start can tell
    // folders left by a program that ended without closing its note.
    std::unique_ptr<QLockFile> m_lock;
};

// The program's one note, and the note window state the file commands keep.
class NoteSession : public QObject {
    Q_OBJECT
public:
    static NoteSession &instance();

    // The note, or nullptr when there is none.
    Note *note() const { return m_note; }
    // The note, made (and announced, so that a window shows it) when there is
    // none.
    Note &ensureNote();
    // Ends the note: its window has closed.
    void endNote();

    // 3 while no note is open, 4 while one is (New or Open made it so); a
    // note made by recording a page exists while the state is still 3.
    int windowState() const { return m_state; }
    void setWindowState(int state);

signals:
    void noteCreated(mirka::Note *note);
    void windowStateChanged(int state);

private:
    NoteSession() = default;
    Note *m_note = nullptr;
    int m_state = 3;
};

// Appends a recorded page to the note, making the note (and so its window)
// when there is none; the note window state is left alone.
quint64 AddRecordedPage(const QString &title, const QString &address, QString *copyPath = nullptr);

} // namespace mirka
