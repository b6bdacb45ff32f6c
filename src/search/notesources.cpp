#include "search/notesources.h"

#include "common/fieldrecord.h"
#include "common/savefile.h"
#include "model/notefile.h"
#include "note/richtext/rtf.h"
#include "search/pagetext.h"

#include <QDir>
#include <QFileInfo>
#include <QTextDocument>

namespace mirka::search {

namespace {

// Bigger files are passed over: their words would cost more than they find.
constexpr qint64 kMaxFile = 64LL * 1024 * 1024;

QString fileStamp(const QString &path)
{
    const QFileInfo f(path);
    if (!f.exists())
        return QStringLiteral("-");
    return QStringLiteral("%1@%2").arg(f.size()).arg(f.lastModified().toMSecsSinceEpoch());
}

} // namespace

QList<Entry> entriesOfNote(const QString &notePath, const QString &folder)
{
    QList<Entry> out;
    const QFileInfo info(notePath);
    if (!info.isFile())
        return out;
    const QString companion = mirka::notefile::companionFor(notePath);
    Entry note;
    note.kind = Kind::Note;
    note.path = notePath;
    note.folder = folder;
    note.when = info.lastModified();
    note.stamp = fileStamp(notePath) + u'|' + fileStamp(companion);
    out << note;

    const QString copies = mirka::notefile::copiesFolderFor(companion);
    QByteArray index;
    if (!mirka::readWholeFile(copies + QStringLiteral("/index.txt"), &index, nullptr, mirka::maxSettingsFileSize))
        return out;
    for (const mirka::RecordedPage &c : mirka::notefile::indexEntries(index, copies)) {
        if (!c.hasCopy())
            continue;
        Entry copy;
        copy.kind = Kind::Copy;
        copy.path = c.copyPath;
        copy.folder = folder;
        copy.note = notePath;
        copy.title = c.title;
        copy.address = c.address;
        copy.when = c.recorded;
        copy.stamp = fileStamp(copy.path) + u'|' + c.recorded.toString(Qt::ISODate) + u'|' + c.title + u'|' + c.address;
        out << copy;
    }
    return out;
}

QList<Entry> entriesOfFolder(const QString &folder)
{
    QList<Entry> out;
    const QDir dir(folder);
    if (!dir.exists())
        return out;
    const QStringList notes = dir.entryList({QStringLiteral("*.rtf")}, QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : notes)
        out << entriesOfNote(dir.filePath(name), folder);
    return out;
}

bool readText(Entry &entry, QString *text)
{
    QByteArray bytes;
    if (!mirka::readWholeFile(entry.path, &bytes, nullptr, kMaxFile))
        return false;
    if (entry.kind == Kind::Copy) {
        *text = mirka::pagetext::fromSavedPage(bytes) + u'\n' + entry.title + u'\n' + entry.address;
        return true;
    }
    QTextDocument doc;
    if (!mirka::rtf::read(bytes, &doc))
        return false;
    QString out = doc.toPlainText();
    out.replace(QChar::ObjectReplacementCharacter, u' ');
    // The theme and the recorded pages, from the companion file.
    QByteArray companion;
    if (mirka::readWholeFile(mirka::notefile::companionFor(entry.path), &companion, nullptr,
                             mirka::maxSettingsFileSize)) {
        mirka::FieldRecordReader reader(companion);
        if (reader.read(&entry.title))
            out += u'\n' + entry.title;
        for (QString value; reader.read(&value);)
            out += u'\n' + value;
    }
    *text = out;
    return true;
}

} // namespace mirka::search
