#pragma once
#include "search/searchindex.h"

#include <QFileSystemWatcher>
#include <QMutex>
#include <QObject>
#include <QSemaphore>
#include <QSet>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>
#include <memory>

namespace mirka::search {

// Writes the index on a thread of its own, with its own connection: folders
// to scan (each note whose files changed since it was read is read again,
// what is gone is dropped), notes just saved (before anything else), folders
// no longer searched. A damaged index is made afresh and every folder read
// again.
class IndexWorker : public QThread {
    Q_OBJECT
public:
    explicit IndexWorker(const QString &file, QObject *parent = nullptr);
    ~IndexWorker() override;

    void scan(const QStringList &folders);
    void touch(const QString &notePath, const QString &folder);
    void drop(const QString &folder);
    // A reader found the index damaged: it is made afresh.
    void rebuild();
    // Readers have closed their connection (after releaseReaders).
    void readersReleased();
    // Ends the thread after the entry it is writing.
    void stop();

signals:
    // The index file is open (fresh when it was made afresh); readers open
    // their connection now.
    void opened(bool fresh);
    // Readers close their connection: the file is about to be made afresh.
    void releaseReaders();
    void progress(int done, int total);
    // Something new has been committed.
    void updated();
    void failed(const QString &why);

protected:
    void run() override;

private:
    bool hasWork() const;
    void reopen(SearchIndex &index);
    void refreshNote(SearchIndex &index, const QString &note, const QString &folder);
    void queueChanged(SearchIndex &index, const QList<Entry> &entries, const QHash<QString, QString> &stamps);
    void put(SearchIndex &index, Entry entry);

    const QString m_file;
    QMutex m_mutex;
    QWaitCondition m_wake;
    QStringList m_scans;
    QList<std::pair<QString, QString>> m_touched;
    QStringList m_drops;
    QStringList m_known; // every folder ever asked for, to read again after damage
    QList<Entry> m_todo;
    int m_done = 0;
    bool m_stop = false;
    bool m_rebuild = false;
    QSemaphore m_released;
};

// The program's search across notes: the remembered folders (every folder
// a note was opened or saved in, and those the user adds), the index
// in the per-user data folder kept by an IndexWorker, the folders watched
// for changes by other programs, and a connection of its own for queries.
class Indexer : public QObject {
    Q_OBJECT
public:
    // dataFolder holds the index and the list of folders.
    explicit Indexer(const QString &dataFolder, QObject *parent = nullptr);
    ~Indexer() override;
    // The program's one, in the per-user data folder.
    static Indexer &instance();
    static Indexer *instanceIfMade();
    // The program is ending: the index is no longer kept.
    static bool quitting();

    QStringList folders() const { return m_folders; }
    void addFolder(const QString &folder);
    void removeFolder(const QString &folder);
    // A note was opened or saved: its folder is remembered and, once the
    // index is kept, the note is read again at once.
    void noteTouched(const QString &notePath);

    // Opens (or builds) the index in the background and keeps it up to date.
    void start();
    bool started() const { return m_worker != nullptr; }
    bool building() const { return m_total > 0; }
    int progressDone() const { return m_done; }
    int progressTotal() const { return m_total; }
    QString indexFile() const;

    QList<Hit> search(const QString &query, mirka::textfold::Options options, int limit = 500,
                      bool *more = nullptr);
    Snippet snippet(qint64 id, const QString &query, mirka::textfold::Options options);

signals:
    void progress(int done, int total);
    void updated();
    void foldersChanged();

private:
    void saveFolders();
    void watch();
    bool reader();

    QString m_data;
    QStringList m_folders;
    IndexWorker *m_worker = nullptr;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_changed;
    QTimer m_settle;
    std::unique_ptr<SearchIndex> m_reader;
    bool m_readable = false;
    int m_done = 0;
    int m_total = 0;
};

} // namespace mirka::search
