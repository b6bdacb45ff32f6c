#include "search/indexer.h"

#include "search/notesources.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace mirka::search {

namespace {

// How long entries are written before they are committed for readers.
constexpr int kBatchMs = 300;

QString cleanFolder(const QString &folder) { return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()); }

} // namespace

IndexWorker::IndexWorker(const QString &file, QObject *parent) : QThread(parent), m_file(file) {}

IndexWorker::~IndexWorker()
{
    stop();
    wait();
}

void IndexWorker::scan(const QStringList &folders)
{
    QMutexLocker lock(&m_mutex);
    for (const QString &f : folders) {
        if (!m_scans.contains(f))
            m_scans << f;
        if (!m_known.contains(f))
            m_known << f;
    }
    m_wake.wakeAll();
}

void IndexWorker::touch(const QString &notePath, const QString &folder)
{
    QMutexLocker lock(&m_mutex);
    m_touched << std::pair{notePath, folder};
    m_wake.wakeAll();
}

void IndexWorker::drop(const QString &folder)
{
    QMutexLocker lock(&m_mutex);
    m_known.removeAll(folder);
    m_scans.removeAll(folder);
    m_todo.removeIf([&folder](const Entry &e) { return e.folder == folder; });
    m_drops << folder;
    m_wake.wakeAll();
}

void IndexWorker::rebuild()
{
    QMutexLocker lock(&m_mutex);
    m_rebuild = true;
    m_wake.wakeAll();
}

void IndexWorker::readersReleased() { m_released.release(); }

void IndexWorker::stop()
{
    QMutexLocker lock(&m_mutex);
    m_stop = true;
    m_wake.wakeAll();
}

bool IndexWorker::hasWork() const
{
    return m_stop || m_rebuild || !m_touched.isEmpty() || !m_drops.isEmpty() || !m_scans.isEmpty()
        || !m_todo.isEmpty();
}

void IndexWorker::put(SearchIndex &index, Entry entry)
{
    QString text;
    if (readText(entry, &text))
        index.put(entry, text);
    else
        index.remove(entry.path); // looked at again when its folder next changes
}

// Queues every entry whose files changed since they were read; drops at
// once what is no longer there.
void IndexWorker::queueChanged(SearchIndex &index, const QList<Entry> &entries, const QHash<QString, QString> &stamps)
{
    QSet<QString> present;
    QList<Entry> changed;
    for (const Entry &e : entries) {
        present.insert(e.path);
        if (stamps.value(e.path) != e.stamp)
            changed << e;
    }
    index.begin();
    for (auto it = stamps.cbegin(); it != stamps.cend(); ++it)
        if (!present.contains(it.key()))
            index.remove(it.key());
    index.commit();
    QMutexLocker lock(&m_mutex);
    m_todo += changed;
}

void IndexWorker::refreshNote(SearchIndex &index, const QString &note, const QString &folder)
{
    const QList<Entry> entries = entriesOfNote(note, folder);
    const QHash<QString, QString> stamps = index.stamps(folder, note);
    QSet<QString> present;
    index.begin();
    for (const Entry &e : entries) {
        present.insert(e.path);
        if (stamps.value(e.path) != e.stamp)
            put(index, e);
    }
    for (auto it = stamps.cbegin(); it != stamps.cend(); ++it)
        if (!present.contains(it.key()))
            index.remove(it.key());
    index.commit();
}

void IndexWorker::reopen(SearchIndex &index)
{
    emit releaseReaders();
    m_released.tryAcquire(1, 3000);
    bool fresh = false;
    if (!index.open(&fresh)) {
        emit failed(QStringLiteral("索引を作れませんでした: %1").arg(m_file));
        stop();
        return;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_rebuild = false;
        m_todo.clear();
        m_scans = m_known;
        m_done = 0;
    }
    emit opened(true);
}

void IndexWorker::run()
{
    SearchIndex index(m_file);
    bool fresh = false;
    if (!index.open(&fresh)) {
        emit failed(QStringLiteral("索引を作れませんでした: %1").arg(m_file));
        return;
    }
    emit opened(fresh);
    for (;;) {
        QMutexLocker lock(&m_mutex);
        if (!hasWork()) {
            if (m_done > 0) {
                m_done = 0;
                emit progress(0, 0);
            }
            m_wake.wait(&m_mutex);
            continue;
        }
        if (m_stop)
            break;
        if (m_rebuild) {
            lock.unlock();
            reopen(index);
        } else if (!m_touched.isEmpty()) {
            const auto [note, folder] = m_touched.takeFirst();
            lock.unlock();
            refreshNote(index, note, folder);
            emit updated();
        } else if (!m_drops.isEmpty()) {
            const QString folder = m_drops.takeFirst();
            lock.unlock();
            index.begin();
            index.removeFolder(folder);
            index.commit();
            emit updated();
        } else if (!m_scans.isEmpty()) {
            const QString folder = m_scans.takeFirst();
            lock.unlock();
            queueChanged(index, entriesOfFolder(folder), index.stamps(folder));
            emit updated();
        } else {
            // A batch of entries, ended early by anything more urgent.
            lock.unlock();
            QElapsedTimer batch;
            batch.start();
            index.begin();
            while (batch.elapsed() < kBatchMs) {
                lock.relock();
                if (m_todo.isEmpty() || m_stop || m_rebuild || !m_touched.isEmpty() || !m_drops.isEmpty())
                    break;
                const Entry e = m_todo.takeFirst();
                lock.unlock();
                put(index, e);
                lock.relock();
                ++m_done;
                lock.unlock();
            }
            if (lock.isLocked())
                lock.unlock();
            index.commit();
            lock.relock();
            const int done = m_done, total = m_done + int(m_todo.size());
            lock.unlock();
            emit updated();
            emit progress(done, total);
        }
        if (index.damaged())
            rebuild();
    }
    index.close();
}

Indexer::Indexer(const QString &dataFolder, QObject *parent) : QObject(parent), m_data(dataFolder)
{
    QFile f(m_data + QStringLiteral("/searchfolders.txt"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (const QString folder = QString::fromUtf8(line).trimmed(); !folder.isEmpty() && !m_folders.contains(folder))
                m_folders << folder;
    m_settle.setSingleShot(true);
    m_settle.setInterval(100);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this](const QString &path) {
        m_changed.insert(path);
        m_settle.start();
    });
    // A body rewritten in place changes no folder: the bodies are watched too.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) {
        m_changed.insert(QFileInfo(path).absolutePath());
        m_settle.start();
    });
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (m_worker)
            m_worker->scan(QStringList(m_changed.cbegin(), m_changed.cend()));
        m_changed.clear();
        watch(); // a folder that was removed and made again
    });
}

Indexer::~Indexer()
{
    delete m_worker;
    m_reader.reset();
}

static Indexer *g_indexer = nullptr;
static bool g_quitting = false;

Indexer &Indexer::instance()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    // A per-user folder that moved (tests move it) is not written to any more.
    if (g_indexer && g_indexer->m_data != data && !g_indexer->started()) {
        delete g_indexer;
        g_indexer = nullptr;
    }
    if (!g_indexer) {
        g_indexer = new Indexer(data);
        // The thread ends with the program, before the application object.
        static const QMetaObject::Connection atQuit = QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
            g_quitting = true;
            delete g_indexer;
            g_indexer = nullptr;
        });
        Q_UNUSED(atQuit);
    }
    return *g_indexer;
}

bool Indexer::quitting() { return g_quitting; }

Indexer *Indexer::instanceIfMade() { return g_indexer; }

QString Indexer::indexFile() const { return m_data + QStringLiteral("/search.sqlite"); }

void Indexer::saveFolders()
{
    QDir().mkpath(m_data);
    QSaveFile f(m_data + QStringLiteral("/searchfolders.txt"));
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(m_folders.join(u'\n').toUtf8() + '\n');
    f.commit();
}

void Indexer::addFolder(const QString &folder)
{
    const QString f = cleanFolder(folder);
    if (m_folders.contains(f))
        return;
    m_folders << f;
    saveFolders();
    emit foldersChanged();
    if (m_worker) {
        m_worker->scan({f});
        watch();
    }
}

void Indexer::removeFolder(const QString &folder)
{
    if (!m_folders.removeOne(folder))
        return;
    saveFolders();
    QStringList unwatched{folder};
    for (const QString &file : m_watcher.files())
        if (QFileInfo(file).absolutePath() == folder)
            unwatched << file;
    m_watcher.removePaths(unwatched);
    emit foldersChanged();
    if (m_worker)
        m_worker->drop(folder);
}

void Indexer::noteTouched(const QString &notePath)
{
    const QString folder = cleanFolder(QFileInfo(notePath).absolutePath());
    const bool known = m_folders.contains(folder);
    if (!known)
        addFolder(folder);
    if (m_worker) {
        if (known)
            m_worker->touch(QFileInfo(notePath).absoluteFilePath(), folder);
    } else if (QFileInfo::exists(indexFile())) {
        start(); // the user searches: the index is kept from now on
    }
}

void Indexer::start()
{
    if (m_worker)
        return;
    QDir().mkpath(m_data);
    m_worker = new IndexWorker(indexFile());
    connect(m_worker, &IndexWorker::opened, this, [this] {
        m_readable = true;
        m_reader.reset();
        emit updated();
    });
    connect(m_worker, &IndexWorker::releaseReaders, this, [this] {
        m_readable = false;
        m_reader.reset();
        m_worker->readersReleased();
    });
    connect(m_worker, &IndexWorker::progress, this, [this](int done, int total) {
        m_done = done;
        m_total = total;
        emit progress(done, total);
    });
    connect(m_worker, &IndexWorker::updated, this, &Indexer::updated);
    m_worker->start(QThread::LowPriority);
    m_worker->scan(m_folders);
    watch();
}

void Indexer::watch()
{
    QStringList missing;
    const QStringList folders = m_watcher.directories();
    const QStringList watchedFiles = m_watcher.files();
    const QSet<QString> files(watchedFiles.cbegin(), watchedFiles.cend());
    for (const QString &f : m_folders) {
        const QDir dir(f);
        if (!dir.exists())
            continue;
        if (!folders.contains(f))
            missing << f;
        for (const QString &name : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files))
            if (!files.contains(dir.filePath(name)))
                missing << dir.filePath(name);
    }
    if (!missing.isEmpty())
        m_watcher.addPaths(missing);
}

bool Indexer::reader()
{
    if (!m_readable)
        return false;
    if (!m_reader) {
        m_reader = std::make_unique<SearchIndex>(indexFile());
        if (!m_reader->openForReading()) {
            m_reader.reset();
            return false;
        }
    }
    return true;
}

QList<Hit> Indexer::search(const QString &query, mirka::textfold::Options options, int limit, bool *more)
{
    if (more)
        *more = false;
    if (!reader())
        return {};
    QList<Hit> hits = m_reader->search(query, options, limit, more);
    if (m_reader->damaged()) {
        m_reader.reset();
        m_worker->rebuild();
        return {};
    }
    return hits;
}

Snippet Indexer::snippet(qint64 id, const QString &query, mirka::textfold::Options options)
{
    return reader() ? m_reader->snippet(id, query, options) : Snippet();
}

} // namespace mirka::search
