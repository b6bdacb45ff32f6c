#include "model/note.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QStandardPaths>
#include <QUuid>

namespace mirka {

Note::Note(QObject *parent) : QObject(parent) {}

Note::~Note()
{
    if (m_waiting.isEmpty())
        return;
    m_lock.reset();
    QDir(m_waiting).removeRecursively();
    QDir().rmdir(QFileInfo(m_waiting).path()); // when no other note is waiting
}

void Note::setTheme(const QString &theme)
{
    if (theme == m_theme)
        return;
    m_theme = theme;
    emit themeChanged(theme);
    setModified(true);
}

int Note::indexOf(quint64 id) const
{
    for (int i = 0; i < m_pages.size(); ++i)
        if (m_pages[i].id == id)
            return i;
    return -1;
}

QString Note::waitingFolder()
{
    if (!m_waiting.isEmpty())
        return m_waiting;
    const QString parent = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
        + QStringLiteral("/pagecopies");
    // Folders whose lock no running program holds were left behind by one
    // that ended without closing its note: nothing can save them any more.
    for (const QString &name : QDir(parent).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QLockFile other(parent + u'/' + name + QStringLiteral("/lock"));
        if (other.tryLock(0)) {
            other.unlock();
            QDir(parent + u'/' + name).removeRecursively();
        }
    }
    const QString folder = parent + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!QDir().mkpath(folder))
        return QString();
    m_lock = std::make_unique<QLockFile>(folder + QStringLiteral("/lock"));
    m_lock->setStaleLockTime(0);
    m_lock->tryLock(0);
    m_waiting = folder;
    return m_waiting;
}

quint64 Note::AddRecordedPage(const QString &title, const QString &address, const QDateTime &when,
                              QString *copyPath)
{
    RecordedPage p;
    p.id = m_nextId++;
    p.title = title;
    p.address = address;
    p.recorded = when.addMSecs(-when.time().msec()); // the index keeps whole seconds
    if (copyPath) {
        const QString folder = waitingFolder();
        if (!folder.isEmpty()) {
            QString name = when.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QStringLiteral(".mhtml");
            for (int n = 2; QFileInfo::exists(folder + u'/' + name); ++n)
                name = when.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QStringLiteral("-%1.mhtml").arg(n);
            p.copyPath = folder + u'/' + name;
            p.copyPending = true;
        }
        *copyPath = p.copyPath;
    }
    m_pages << p;
    emit pageAdded(int(m_pages.size()) - 1);
    setModified(true);
    return p.id;
}

void Note::copyWritten(quint64 id, bool ok)
{
    const int i = indexOf(id);
    if (i < 0 || !m_pages[i].copyPending)
        return;
    RecordedPage &p = m_pages[i];
    p.copyPending = false;
    if (!ok || QFileInfo(p.copyPath).size() <= 0) {
        QFile::remove(p.copyPath);
        p.copyPath.clear();
    }
    emit pageChanged(i);
}

void Note::waitForPending(int milliseconds)
{
    auto pending = [this] {
        return std::any_of(m_pages.cbegin(), m_pages.cend(), [](const RecordedPage &p) { return p.copyPending; });
    };
    QDeadlineTimer deadline(milliseconds);
    while (pending() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void Note::removePage(int index)
{
    if (index < 0 || index >= m_pages.size())
        return;
    const RecordedPage gone = m_pages.takeAt(index);
    // A copy still waiting for a save belongs to nothing now.
    if (!m_waiting.isEmpty() && gone.copyPath.startsWith(m_waiting + u'/') && !gone.copyPending)
        QFile::remove(gone.copyPath);
    emit pageRemoved(index);
}

void Note::dropWaitingCopies(const QList<RecordedPage> &keep)
{
    if (m_waiting.isEmpty())
        return;
    QSet<QString> kept;
    for (const RecordedPage &p : keep)
        if (p.copyPath.startsWith(m_waiting + u'/'))
            kept.insert(QFileInfo(p.copyPath).fileName());
    for (const QString &name : QDir(m_waiting).entryList({QStringLiteral("*.mhtml")}, QDir::Files))
        if (!kept.contains(name))
            QFile::remove(m_waiting + u'/' + name);
}

void Note::setContent(const QString &theme, const QList<RecordedPage> &pages)
{
    m_pages = pages;
    for (RecordedPage &p : m_pages)
        if (p.id == 0)
            p.id = m_nextId++;
    dropWaitingCopies(m_pages);
    emit pagesReset();
    if (theme != m_theme) {
        m_theme = theme;
        emit themeChanged(theme);
    }
}

void Note::copiesSaved(const QList<RecordedPage> &saved)
{
    for (const RecordedPage &s : saved) {
        const int i = indexOf(s.id);
        if (i < 0 || m_pages[i].copyPending || m_pages[i].copyPath == s.copyPath)
            continue;
        m_pages[i].copyPath = s.copyPath;
        emit pageChanged(i);
    }
    dropWaitingCopies(m_pages);
}

void Note::setFileName(const QString &path)
{
    if (path == m_fileName)
        return;
    m_fileName = path;
    emit fileNameChanged(path);
}

void Note::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
}

NoteSession &NoteSession::instance()
{
    static NoteSession s;
    return s;
}

Note &NoteSession::ensureNote()
{
    if (!m_note) {
        m_note = new Note(this);
        emit noteCreated(m_note);
    }
    return *m_note;
}

void NoteSession::endNote()
{
    if (!m_note)
        return;
    Note *gone = std::exchange(m_note, nullptr);
    gone->deleteLater();
}

void NoteSession::setWindowState(int state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit windowStateChanged(state);
}

quint64 AddRecordedPage(const QString &title, const QString &address, QString *copyPath)
{
    return NoteSession::instance().ensureNote().AddRecordedPage(title, address, QDateTime::currentDateTime(),
                                                                 copyPath);
}

} // namespace mirka
