#include "model/notefile.h"

#include "common/codepage.h"
#include "common/fieldrecord.h"
#include "common/fileerror.h"
#include "common/paths.h"
#include "common/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace mirka::notefile {

namespace {

const QString kNewSuffix = QStringLiteral(".mirka-new");
const QString kMarkerSuffix = QStringLiteral(".mirka-commit");
const QString kIndexName = QStringLiteral("index.txt");

qsizetype lastSeparator(const QString &path)
{
#ifdef _WIN32
    return std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
#else
    return path.lastIndexOf(u'/');
#endif
}

QString folderOf(const QString &path) { return path.left(lastSeparator(path) + 1); }
QString nameOf(const QString &path) { return path.mid(lastSeparator(path) + 1); }

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

// A page as the companion file stores it (code page, quotes, addresses made
// storable), so a page read back from the note still finds its entry.
QByteArray storedKey(const QString &title, const QString &address)
{
    return FieldRecordWriter().text(title).text(cp932::storableAddress(address)).data();
}

bool samePage(const RecordedPage &entry, const RecordedPage &page)
{
    return (entry.title == page.title && entry.address == page.address)
        || storedKey(entry.title, entry.address) == storedKey(page.title, page.address);
}

bool fail(QString *failedPath, QString *reason, const QString &path, const QString &why)
{
    if (failedPath)
        *failedPath = path;
    if (reason)
        *reason = why;
    return false;
}

// Has the system put what was written to the file on the disk.
bool putOnDisk(QFile &f)
{
    if (!f.flush())
        return false;
#ifdef _WIN32
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(f.handle())));
#else
    return ::fsync(f.handle()) == 0;
#endif
}

// Writes a whole file and has the system put it on the disk before
// returning, so that nothing committed later can point at lost data.
bool writeSynced(const QString &path, const QByteArray &data, QString *reason)
{
    if (isSpecialFile(path)) {
        *reason = notRegularFileReason();
        return false;
    }
    QFile f(path);
    clearSystemError();
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *reason = systemErrorReason(lastSystemError(), true);
        return false;
    }
    clearSystemError();
    const bool ok = f.write(data) == data.size() && putOnDisk(f);
    if (!ok) {
        *reason = systemErrorReason(lastSystemError(), true);
        f.close();
        QFile::remove(path);
        return false;
    }
    f.close();
    return true;
}

// Copies a saved page into the copies folder and onto the disk; false with
// the reason, and nothing left at the target, when it cannot.
bool copyFile(const QString &from, const QString &to, QString *reason)
{
    QFile in(from);
    clearSystemError();
    if (!in.open(QIODevice::ReadOnly)) {
        *reason = systemErrorReason(lastSystemError(), false);
        return false;
    }
    QFile out(to);
    clearSystemError();
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *reason = systemErrorReason(lastSystemError(), true);
        return false;
    }
    bool ok = true;
    while (ok && !in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        clearSystemError();
        ok = !chunk.isEmpty() && out.write(chunk) == chunk.size();
    }
    ok = ok && putOnDisk(out);
    if (!ok) {
        *reason = systemErrorReason(lastSystemError(), true);
        out.close();
        QFile::remove(to);
    }
    return ok;
}

// Renames over an existing file in one step.
bool renameReplacing(const QString &from, const QString &to)
{
#ifdef _WIN32
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

// Puts a folder's entries (renames, removals) on the disk.
void syncFolder(const QString &folder)
{
#ifndef _WIN32
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder); // MOVEFILE_WRITE_THROUGH already waited for the disk
#endif
}

// The files one save of a note touches.
struct Places {
    QString folder;    // the note's folder, with its separator
    QString note;
    QString companion;
    QString copies;
    QString index;
    QString marker;
};

Places placesFor(const QString &notePath)
{
    Places p;
    p.folder = folderOf(notePath);
    p.note = notePath;
    p.companion = companionFor(notePath);
    p.copies = copiesFolderFor(p.companion);
    p.index = p.copies + u'/' + kIndexName;
    p.marker = p.companion + kMarkerSuffix;
    return p;
}

QString relative(const Places &p, const QString &path) { return path.mid(p.folder.size()); }

// What a commit marker may name: the three files of this note renamed from
// their new versions, and the index or copies of its folder removed. A
// marker edited to name anything else is not acted on.
bool applyMarker(const Places &p, const QByteArray &marker, QString *failedPath, QString *reason)
{
    const QStringList lines = QString::fromUtf8(marker).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QSet<QString> committable{relative(p, p.note), relative(p, p.companion), relative(p, p.index)};
    QStringList renames, removals;
    for (const QString &line : lines) {
        const QStringList f = line.split(u'\t');
        if (f.size() == 2 && f[0] == QLatin1String("rename") && committable.contains(f[1]))
            renames << f[1];
        else if (f.size() == 2 && f[0] == QLatin1String("remove")
                 && (f[1] == relative(p, p.index)
                     || (folderOf(f[1]) == relative(p, p.copies) + u'/' && isCopyName(nameOf(f[1])))))
            removals << f[1];
    }
    for (const QString &name : std::as_const(renames)) {
        const QString target = p.folder + name;
        if (QFileInfo::exists(target + kNewSuffix) && !renameReplacing(target + kNewSuffix, target))
            return fail(failedPath, reason, target, systemErrorReason(lastSystemError(), true));
    }
    syncFolder(p.folder);
    for (const QString &name : std::as_const(removals))
        QFile::remove(p.folder + name);
    syncFolder(p.copies);
    QDir().rmdir(p.copies); // only when nothing is left in it
    QFile::remove(p.marker);
    syncFolder(p.folder);
    return true;
}

// A name for a copy in the folder that is free there and still the
// program's own pattern.
QString freeCopyName(const QString &folder, const QString &name, const QSet<QString> &taken)
{
    QString base = name;
    base.chop(6); // ".mhtml"
    if (base.size() > 19)
        base.truncate(19); // the time part, without a counter
    QString candidate = base + QStringLiteral(".mhtml");
    for (int n = 2; taken.contains(candidate) || QFileInfo::exists(folder + u'/' + candidate); ++n)
        candidate = QStringLiteral("%1-%2.mhtml").arg(base).arg(n);
    return candidate;
}

QSet<QString> namesInIndex(const QString &indexPath)
{
    QSet<QString> names;
    QByteArray bytes;
    if (!readWholeFile(indexPath, &bytes, nullptr, maxSettingsFileSize))
        return names;
    for (const QByteArray &line : FieldRecordReader::lines(bytes)) {
        const QStringList f = QString::fromUtf8(line).split(u'\t');
        if (f.size() == 4 && isCopyName(f[3]))
            names.insert(f[3]);
    }
    return names;
}

bool looksLikeRtf(const QString &path)
{
    if (isSpecialFile(path))
        return false;
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "{\\rtf";
}

} // namespace

QString companionFor(const QString &notePath)
{
    const qsizetype sep = lastSeparator(notePath);
    const QString name = notePath.mid(sep + 1);
    const bool extension = name.size() >= 4 && name[name.size() - 4] == u'.';
    return notePath.left(sep + 1) + (extension ? name.left(name.size() - 4) : name) + QStringLiteral(".qvt");
}

QString oldCompanionFor(const QString &notePath)
{
    const qsizetype sep = lastSeparator(notePath);
    const QString name = notePath.mid(sep + 1);
    return notePath.left(sep + 1) + (name.size() >= 4 ? name.left(name.size() - 4) : name)
        + QStringLiteral(".qvt");
}

QString copiesFolderFor(const QString &companionPath)
{
    QString base = companionPath;
    if (base.endsWith(QLatin1String(".qvt"), Qt::CaseInsensitive))
        base.chop(4);
    return base + QStringLiteral(".files");
}

bool isCopyName(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{8}-\\d{6}-\\d{3}(-\\d+)?\\.mhtml$"));
    return pattern.match(fileName).hasMatch();
}

QByteArray indexBytes(const QList<RecordedPage> &pages)
{
    QByteArray out;
    for (const RecordedPage &p : pages) {
        const QString file = p.hasCopy() ? nameOf(p.copyPath) : QString();
        out += QStringList{isoWithOffset(p.recorded), oneLine(p.address), oneLine(p.title), file}
                   .join(u'\t')
                   .toUtf8();
        out += "\r\n";
    }
    return out;
}

QList<RecordedPage> indexEntries(const QByteArray &index, const QString &folder)
{
    QList<RecordedPage> entries;
    for (const QByteArray &line : FieldRecordReader::lines(index)) {
        const QStringList f = QString::fromUtf8(line).split(u'\t');
        if (f.size() != 4)
            continue;
        RecordedPage e;
        e.recorded = QDateTime::fromString(f[0], Qt::ISODate);
        e.address = f[1];
        e.title = f[2];
        if (isCopyName(f[3]) && QFileInfo(folder + u'/' + f[3]).isFile())
            e.copyPath = folder + u'/' + f[3];
        entries << e;
    }
    return entries;
}

void pairWithIndex(QList<RecordedPage> *pages, const QByteArray &index, const QString &folder)
{
    const QList<RecordedPage> entries = indexEntries(index, folder);
    QList<bool> used(entries.size(), false);
    QList<bool> paired(pages->size(), false);
    auto take = [&](int page, int entry) {
        (*pages)[page].recorded = entries[entry].recorded;
        (*pages)[page].copyPath = entries[entry].copyPath;
        used[entry] = paired[page] = true;
    };
    for (int i = 0; i < pages->size() && i < entries.size(); ++i)
        if (samePage(entries[i], (*pages)[i]))
            take(i, i);
    // Pages out of place take the next unused entry with their key.
    QHash<QByteArray, QList<int>> byKey;
    for (int e = 0; e < entries.size(); ++e)
        if (!used[e])
            byKey[storedKey(entries[e].title, entries[e].address)] << e;
    for (int i = 0; i < pages->size() && !byKey.isEmpty(); ++i) {
        if (paired[i])
            continue;
        auto it = byKey.find(storedKey((*pages)[i].title, (*pages)[i].address));
        if (it != byKey.end() && !it->isEmpty())
            take(i, it->takeFirst());
    }
}

void recover(const QString &notePath)
{
    const Places p = placesFor(notePath);
    QByteArray marker;
    if (readWholeFile(p.marker, &marker, nullptr, maxSettingsFileSize)) {
        applyMarker(p, marker, nullptr, nullptr);
        return;
    }
    // Interrupted before it committed itself: the old files stand, and what
    // was written beside them goes.
    for (const QString &path : {p.note, p.companion, p.index, p.marker})
        if (QFileInfo(path + kNewSuffix).isFile())
            QFile::remove(path + kNewSuffix);
}

bool read(const QString &notePath, Content *out, QString *failedPath, QString *reason)
{
    recover(notePath);
    *out = Content();
    if (!readWholeFile(notePath, &out->body, reason))
        return fail(failedPath, nullptr, notePath, QString());

    QString companion = companionFor(notePath);
    if (!QFileInfo::exists(companion)) {
        const QString old = oldCompanionFor(notePath);
        if (QFileInfo::exists(old) && !samePath(old, notePath))
            companion = old;
    }
    out->companionPath = companion;
    // A body another program wrote has no companion yet; the next save
    // writes one.
    if (!QFileInfo::exists(companion) || samePath(companion, notePath)) {
        out->theme.clear();
        out->companionPath = companionFor(notePath);
        return true;
    }
    QByteArray bytes;
    if (!readWholeFile(companion, &bytes, reason, maxSettingsFileSize))
        return fail(failedPath, nullptr, companion, QString());
    FieldRecordReader reader(bytes);
    const QString broken = QStringLiteral("テーマと記録したページが途中で切れています。");
    if (!reader.read(&out->theme))
        return fail(failedPath, reason, companion, broken);
    while (!reader.atEnd()) {
        if (out->pages.size() >= maxPages) {
            out->morePages = true;
            break;
        }
        RecordedPage page;
        if (!reader.read(&page.title) || !reader.read(&page.address))
            return fail(failedPath, reason, companion, broken);
        out->pages << page;
    }
    const QString copies = copiesFolderFor(companion);
    QByteArray index;
    if (readWholeFile(copies + u'/' + kIndexName, &index, nullptr, maxSettingsFileSize))
        pairWithIndex(&out->pages, index, copies);
    return true;
}

QString otherOwner(const QString &notePath)
{
    const Places p = placesFor(notePath);
    if (!QFileInfo::exists(p.companion) && !QFileInfo::exists(p.copies))
        return QString();
    const QDir folder(p.folder.isEmpty() ? QStringLiteral(".") : p.folder);
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden)) {
        const QString other = p.folder + name;
        if (samePath(other, notePath) || samePath(other, p.companion) || name.endsWith(kNewSuffix)
            || name.endsWith(kMarkerSuffix))
            continue;
        const QString itsCompanion = companionFor(other);
        const bool owns = samePath(itsCompanion, p.companion)
            || (!QFileInfo::exists(itsCompanion) && samePath(oldCompanionFor(other), p.companion));
        if (owns && looksLikeRtf(other))
            return other;
    }
    return QString();
}

bool write(const QString &notePath, const QByteArray &body, const QString &theme,
           const QList<RecordedPage> &pages, QList<RecordedPage> *saved, QString *failedPath, QString *reason,
           QList<std::pair<QString, QString>> *copyFailures)
{
    const Places p = placesFor(notePath);
    if (samePath(p.note, p.companion))
        return fail(failedPath, reason, notePath,
                    QStringLiteral("ノートのファイルと \".qvt\" ファイルが同じ名前になります。"));
    const QString owner = otherOwner(notePath);
    if (!owner.isEmpty())
        return fail(failedPath, reason, p.companion,
                    QStringLiteral("別のノート \"%1\" が使っている \".qvt\" ファイルです。別の名前で保存してください。")
                        .arg(QDir::toNativeSeparators(owner)));
    for (const QString &path : {p.note, p.companion})
        if (isSpecialFile(path))
            return fail(failedPath, reason, path, notRegularFileReason());
    recover(notePath);
    // The body first: a folder that cannot take it fails the save before
    // anything else is made.
    QString bodyFailure;
    if (!writeSynced(p.note + kNewSuffix, body, &bodyFailure))
        return fail(failedPath, reason, p.note, bodyFailure);

    // Copies go into the folder under names no index gives yet: a save
    // that stops here leaves them to the next save's sweep. A copy that
    // cannot be put there is told, not fatal: the note is saved without it
    // and the page keeps its waiting copy for the next save to try again.
    *saved = pages;
    QList<RecordedPage> indexed;
    bool anyEntry = false;
    bool folderUsable = true;
    QSet<QString> taken;
    QStringList added;
    auto undoCopies = [&added, &p] {
        for (const QString &path : std::as_const(added))
            QFile::remove(path);
        QFile::remove(p.note + kNewSuffix);
    };
    auto copyFailed = [copyFailures](const QString &path, const QString &why) {
        if (copyFailures)
            copyFailures->append({path, why});
    };
    auto makeFolder = [&] {
        if (!folderUsable)
            return false;
        clearSystemError();
        if (QFileInfo(p.copies).isDir() || QDir().mkdir(p.copies))
            return true;
        folderUsable = false;
        copyFailed(p.copies, systemErrorReason(lastSystemError(), true));
        return false;
    };
    for (RecordedPage &page : *saved) {
        if (page.copyPending || !QFileInfo(page.copyPath).isFile())
            page.copyPath.clear(); // still unwritten, or removed by hand: the time stays
        page.copyPending = false;
        anyEntry = anyEntry || page.recorded.isValid() || !page.copyPath.isEmpty();
        RecordedPage entry = page;
        if (!page.copyPath.isEmpty()) {
            if (samePath(folderOf(page.copyPath), p.copies + u'/')) {
                taken.insert(nameOf(page.copyPath));
            } else if (!makeFolder()) {
                entry.copyPath.clear();
            } else {
                const QString name = freeCopyName(p.copies, nameOf(page.copyPath), taken);
                const QString target = p.copies + u'/' + name;
                QString why;
                if (copyFile(page.copyPath, target, &why)) {
                    added << target;
                    taken.insert(name);
                    page.copyPath = entry.copyPath = target;
                } else {
                    copyFailed(target, why);
                    entry.copyPath.clear();
                }
            }
        }
        indexed << entry;
    }

    FieldRecordWriter companion;
    companion.text(theme).endLine();
    for (const RecordedPage &page : std::as_const(*saved))
        companion.text(page.title).text(cp932::storableAddress(page.address)).endLine();

    QString indexWhy;
    if (anyEntry && makeFolder() && !writeSynced(p.index + kNewSuffix, indexBytes(indexed), &indexWhy)) {
        copyFailed(p.index, indexWhy);
        folderUsable = false;
    }
    const bool withIndex = anyEntry && folderUsable;
    auto unwrite = [&p] {
        QFile::remove(p.companion + kNewSuffix);
        QFile::remove(p.index + kNewSuffix);
    };
    QString companionWhy;
    if (!writeSynced(p.companion + kNewSuffix, companion.data(), &companionWhy)) {
        unwrite();
        undoCopies();
        return fail(failedPath, reason, p.companion, companionWhy);
    }
    QByteArray marker = "mirka-commit\r\n";
    for (const QString &path : {p.note, p.companion})
        marker += "rename\t" + relative(p, path).toUtf8() + "\r\n";
    if (withIndex)
        marker += "rename\t" + relative(p, p.index).toUtf8() + "\r\n";
    // Copies the previous index named that this save no longer needs; an
    // index that could not be replaced keeps naming them.
    if (withIndex)
        for (const QString &name : namesInIndex(p.index))
            if (!taken.contains(name))
                marker += "remove\t" + relative(p, p.copies + u'/' + name).toUtf8() + "\r\n";
    if (!anyEntry && QFileInfo::exists(p.index))
        marker += "remove\t" + relative(p, p.index).toUtf8() + "\r\n";

    // The commit point: once the marker stands, the save is finished even
    // if the program ends before the renames.
    QString why;
    if (!writeSynced(p.marker + kNewSuffix, marker, &why) || !renameReplacing(p.marker + kNewSuffix, p.marker)) {
        if (why.isEmpty())
            why = systemErrorReason(lastSystemError(), true);
        QFile::remove(p.marker + kNewSuffix);
        unwrite();
        undoCopies();
        return fail(failedPath, reason, p.marker, why);
    }
    syncFolder(p.folder);
    if (!applyMarker(p, marker, failedPath, reason))
        return false;

    // Copies of the program's own naming that no index names: left by a
    // save that was interrupted, or by hand.
    if ((withIndex || !anyEntry) && QFileInfo(p.copies).isDir()) {
        for (const QString &name : QDir(p.copies).entryList(QDir::Files))
            if (isCopyName(name) && !taken.contains(name))
                QFile::remove(p.copies + u'/' + name);
        QDir().rmdir(p.copies);
    }
    return true;
}

} // namespace mirka::notefile
