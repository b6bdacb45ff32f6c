// The note files under kill -9: "save FOLDER" saves one version after
// another (a large body, the theme, pages with copies, the oldest page
// dropped each time) until it is killed; "check FOLDER" opens the note as
// the program does and says whether body, companion and copies are of one
// version. Driven by killloop.sh.
#include "common/savefile.h"
#include "model/note.h"
#include "model/notefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cstdio>

namespace nf = mirka::notefile;

namespace {

QByteArray body(int version)
{
    QByteArray b = "{\\rtf1 version " + QByteArray::number(version) + "\\par ";
    b += QByteArray(8 * 1000 * 1000, 'x'); // about the note of the report
    return b + "}";
}

int versionIn(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("version (\\d+)"));
    const QRegularExpressionMatch m = number.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

int check(const QString &notePath)
{
    nf::Content c;
    QString failed, reason;
    if (!nf::read(notePath, &c, &failed, &reason)) {
        if (!QFileInfo::exists(notePath)) {
            std::printf("none\n");
            return 0;
        }
        std::printf("unreadable %s %s\n", qPrintable(failed), qPrintable(reason));
        return 1;
    }
    const int bodyVersion = versionIn(QString::fromLatin1(c.body.left(40)));
    const int themeVersion = versionIn(c.theme);
    bool ok = bodyVersion == themeVersion && c.pages.size() == std::min(bodyVersion, 5);
    for (const mirka::RecordedPage &p : c.pages) {
        QByteArray copy;
        // Each page of version v is "page k" with a copy saying so.
        ok = ok && p.hasCopy() && mirka::readWholeFile(p.copyPath, &copy) && copy == p.title.toUtf8()
            && p.title.startsWith(QLatin1String("page ")) && p.title.mid(5).toInt() <= bodyVersion;
    }
    const QString folder = nf::copiesFolderFor(nf::companionFor(notePath));
    const int files = int(QDir(folder).entryList({QStringLiteral("*.mhtml")}, QDir::Files).size());
    std::printf("%s body %d theme %d pages %lld copies on disk %d\n", ok ? "ok" : "MIXED", bodyVersion,
                themeVersion, (long long)c.pages.size(), files);
    return ok ? 0 : 2;
}

int save(const QString &notePath)
{
    nf::Content c;
    QString failed, reason;
    int version = 0;
    mirka::Note note;
    if (nf::read(notePath, &c, &failed, &reason)) {
        version = versionIn(c.theme);
        note.setContent(c.theme, c.pages);
    }
    for (;;) {
        ++version;
        QString copyPath;
        const QString title = QStringLiteral("page %1").arg(version);
        const quint64 id = note.AddRecordedPage(title, QStringLiteral("http://example.org/%1").arg(version),
                                                QDateTime::currentDateTime(), &copyPath);
        note.copyWritten(id, mirka::writeFileAtomically(copyPath, title.toUtf8()));
        if (note.pages().size() > 5)
            note.removePage(0);
        note.setTheme(QStringLiteral("version %1").arg(version));
        QList<mirka::RecordedPage> saved;
        if (!nf::write(notePath, body(version), note.theme(), note.pages(), &saved, &failed, &reason)) {
            std::fprintf(stderr, "save failed: %s %s\n", qPrintable(failed), qPrintable(reason));
            return 1;
        }
        note.copiesSaved(saved);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (argc != 3)
        return 2;
    const QString notePath = QDir(QString::fromLocal8Bit(argv[2])).filePath(QStringLiteral("調査.rtf"));
    return qstrcmp(argv[1], "save") == 0 ? save(notePath) : check(notePath);
}
