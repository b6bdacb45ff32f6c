#include "note/pagecopies.h"

#include "common/codepage.h"
#include "common/fieldrecord.h"
#include "common/paths.h"
#include "common/savefile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStandardPaths>
#include <QUuid>

namespace mirka {

namespace {

// Tabs and line ends would split an index line.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}

// ISO 8601 with the offset always written out, "+00:00" rather than "Z".
QString isoWithOffset(const QDateTime &t)
{
    if (!t.isValid())
        return QString();
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toOffsetFromUtc(offset).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))
        + QStringLiteral("%1%2:%3")
              .arg(QLatin1String(offset < 0 ? "-" : "+"))
              .arg(minutes / 60, 2, 10, QChar(u'0'))
              .arg(minutes % 60, 2, 10, QChar(u'0'));
}

bool plainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(u'/') && !name.contains(u'\\') && !name.contains(u':');
}

// A name not yet taken in the folder, kept as it is when free.
QString freeName(const QString &folder, const QString &name, const QSet<QString> &taken)
{
    const QFileInfo info(name);
    QString candidate = name;
    for (int n = 2; taken.contains(candidate) || QFileInfo::exists(folder + u'/' + candidate); ++n)
        candidate = QStringLiteral("%1-%2.%3").arg(info.completeBaseName(), QString::number(n), info.suffix());
    return candidate;
}

} // namespace

PageCopies::PageCopies(QObject *parent) : QObject(parent) {}

PageCopies::~PageCopies()
{
    if (m_waiting.isEmpty())
        return;
    m_lock.reset();
    QDir(m_waiting).removeRecursively();
    QDir().rmdir(QFileInfo(m_waiting).path()); // when no other note is waiting
}

QString PageCopies::folderFor(const QString &companionPath)
{
    QString base = companionPath;
    if (base.endsWith(QLatin1String(".qvt"), Qt::CaseInsensitive))
        base.chop(4);
    return base + QStringLiteral(".files");
}

QByteArray PageCopies::indexBytes(const QList<PageCopy> &copies)
{
    QByteArray out;
    for (const PageCopy &c : copies) {
        out += QStringList{isoWithOffset(c.recorded), oneLine(c.address), oneLine(c.title), c.fileName}
                   .join(u'\t')
                   .toUtf8();
        out += "\r\n";
    }
    return out;
}

QList<PageCopy> PageCopies::parseIndex(const QByteArray &bytes, const QString &folder)
{
    QList<PageCopy> out;
    for (const QByteArray &line : FieldRecordReader::lines(bytes)) {
        const QStringList f = QString::fromUtf8(line).split(u'\t');
        if (f.size() != 4)
            continue;
        PageCopy c;
        c.recorded = QDateTime::fromString(f[0], Qt::ISODate);
        c.address = f[1];
        c.title = f[2];
        c.fileName = plainFileName(f[3]) ? f[3] : QString();
        c.folder = folder;
        out << c;
    }
    return out;
}

namespace {

// A page as the companion file stores it (code page, quotes, addresses made
// storable), so a page read back from the note still finds its copy.
QByteArray storedKey(const QString &title, const QString &address)
{
    FieldRecordWriter w;
    w.text(title).text(cp932::storableAddress(address));
    return w.data();
}

} // namespace

QList<int> PageCopies::match(const QList<PageCopy> &copies, const QList<RecordedPage> &pages)
{
    QList<int> out(pages.size(), -1);
    QList<bool> used(copies.size(), false);
    // Each page takes the next unused copy with its key. Pages read back
    // unchanged pair by their text; the stored form (slower to make) is
    // only needed for those the code page changed.
    auto pairUp = [&](auto key) {
        QHash<decltype(key(QString(), QString())), QList<int>> byKey;
        for (int i = 0; i < copies.size(); ++i)
            if (!used[i])
                byKey[key(copies[i].title, copies[i].address)] << i;
        if (byKey.isEmpty())
            return;
        for (int p = 0; p < pages.size(); ++p) {
            if (out[p] >= 0)
                continue;
            auto it = byKey.find(key(pages[p].first, pages[p].second));
            if (it == byKey.end() || it->isEmpty())
                continue;
            out[p] = it->takeFirst();
            used[out[p]] = true;
        }
    };
    pairUp([](const QString &t, const QString &a) { return t + QChar(0) + a; });
    if (out.contains(-1))
        pairUp(storedKey);
    return out;
}

QList<const PageCopy *> PageCopies::forPages(const QList<RecordedPage> &pages) const
{
    QList<const PageCopy *> out;
    for (int i : match(m_entries, pages))
        out << (i >= 0 ? &m_entries[i] : nullptr);
    return out;
}

QString PageCopies::waitingFolder()
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

int PageCopies::record(const QString &title, const QString &address, const QDateTime &when,
                       QString *copyPath)
{
    PageCopy c;
    c.id = m_nextId++;
    c.recorded = when.addMSecs(-when.time().msec()); // the index keeps whole seconds
    c.title = title;
    c.address = address;
    c.folder = waitingFolder();
    if (!c.folder.isEmpty()) {
        c.fileName = when.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")) + QStringLiteral(".mhtml");
        c.fileName = freeName(c.folder, c.fileName, {});
        c.pending = true;
    }
    *copyPath = c.filePath();
    m_entries << c;
    emit changed();
    return c.id;
}

void PageCopies::copyWritten(int id, bool ok)
{
    for (PageCopy &c : m_entries) {
        if (c.id != id || !c.pending)
            continue;
        c.pending = false;
        if (!ok || QFileInfo(c.filePath()).size() <= 0) {
            QFile::remove(c.filePath());
            c.fileName.clear();
        }
        emit changed();
    }
}

void PageCopies::waitForPending(int milliseconds)
{
    auto pending = [this] {
        return std::any_of(m_entries.cbegin(), m_entries.cend(), [](const PageCopy &c) { return c.pending; });
    };
    QDeadlineTimer deadline(milliseconds);
    while (pending() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

void PageCopies::removeWaitingFiles()
{
    if (!m_waiting.isEmpty())
        for (const QString &name : QDir(m_waiting).entryList({QStringLiteral("*.mhtml")}, QDir::Files))
            QFile::remove(m_waiting + u'/' + name);
}

void PageCopies::clear()
{
    removeWaitingFiles();
    m_entries.clear();
    emit changed();
}

void PageCopies::load(const QString &folder)
{
    m_entries.clear();
    QByteArray bytes;
    if (readWholeFile(folder + u'/' + indexName(), &bytes, nullptr, maxSettingsFileSize))
        m_entries = parseIndex(bytes, folder);
    for (PageCopy &c : m_entries)
        c.id = m_nextId++;
    emit changed();
}

bool PageCopies::prepareSave(const QString &folder, const QList<RecordedPage> &pages,
                             QString *failedPath, QString *reason)
{
    m_save = Save();
    m_save.folder = folder;
    QByteArray old;
    if (readWholeFile(folder + u'/' + indexName(), &old, nullptr, maxSettingsFileSize))
        for (const PageCopy &c : parseIndex(old, folder))
            if (!c.fileName.isEmpty())
                m_save.oldListed << c.fileName;

    for (int i : match(m_entries, pages))
        if (i >= 0)
            m_save.kept << m_entries[i];
    if (m_save.kept.isEmpty())
        return true;

    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder)) {
            *failedPath = folder;
            *reason = QStringLiteral("保存したページのフォルダを作れませんでした。");
            return false;
        }
        m_save.madeFolder = true;
    }
    QSet<QString> taken;
    for (PageCopy &c : m_save.kept) {
        if (c.pending || (!c.fileName.isEmpty() && !QFileInfo::exists(c.filePath())))
            c.fileName.clear(); // still unwritten, or removed by hand: the time stays
        c.pending = false;
        if (c.fileName.isEmpty() || samePath(c.folder, folder)) {
            c.folder = folder;
            taken.insert(c.fileName);
            continue;
        }
        const QString name = freeName(folder, c.fileName, taken);
        const QString target = folder + u'/' + name;
        if (!QFile::copy(c.filePath(), target)) {
            QFile::remove(target);
            abandonSave();
            *failedPath = target;
            *reason = QStringLiteral("保存したページを書き込めませんでした。");
            return false;
        }
        m_save.added << target;
        taken.insert(name);
        c.folder = folder;
        c.fileName = name;
    }
    return true;
}

bool PageCopies::finishSave(QString *failedPath, QString *reason)
{
    const QString index = m_save.folder + u'/' + indexName();
    if (m_save.kept.isEmpty()) {
        if (QFileInfo::exists(index) && !QFile::remove(index)) {
            *failedPath = index;
            *reason = QStringLiteral("保存したページの一覧を消せませんでした。");
            abandonSave();
            return false;
        }
    } else if (!writeFileAtomically(index, indexBytes(m_save.kept), reason)) {
        *failedPath = index;
        abandonSave();
        return false;
    }

    QSet<QString> keptNames;
    for (const PageCopy &c : m_save.kept)
        keptNames.insert(c.fileName);
    for (const QString &name : std::as_const(m_save.oldListed))
        if (!keptNames.contains(name))
            QFile::remove(m_save.folder + u'/' + name);
    if (m_save.kept.isEmpty())
        QDir().rmdir(m_save.folder); // only when nothing else is in it

    // Copies that were waiting have moved beside the note; a copy still
    // unwritten after the wait is given up, its recording time kept.
    removeWaitingFiles();
    m_entries = m_save.kept;
    m_save = Save();
    emit changed();
    return true;
}

void PageCopies::abandonSave()
{
    for (const QString &path : std::as_const(m_save.added))
        QFile::remove(path);
    if (m_save.madeFolder)
        QDir().rmdir(m_save.folder);
    m_save = Save();
}

} // namespace mirka
