// LibreOffice as the judge of what we write: documents in other editors'
// shapes are read and written, and LibreOffice converts both the originals
// and ours to HTML in one batch. What it sees of ours (text, tables with
// each row's cells, spans and widths, pictures, links, list labels) must be
// what it sees of the original, and what we read.
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtf.h"
#include "note/richtext/rtfformat.h"
#include "note/richtext/rtfobjects.h"
#include "rtfdocuments.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextTable>
#include <QtTest>
#include <climits>

namespace {

// What both sides are compared on.
struct Seen {
    QString text;        // the body's words, one blank between
    QStringList tables;  // "width: row | cell rowspan width 'text' ..."
    QStringList pictures; // "w x h"
    QStringList links;   // "text -> address"
    QStringList labels;  // the numbers a reader sees per list item, innermost last
    QString cellParagraphs; // LibreOffice's paragraphs in each table cell
};

QString words(const QString &s) { return s.simplified(); }

// ---- what LibreOffice made of it

QString decodeEntities(QString s)
{
    static const QRegularExpression num(QStringLiteral("&#(x?)([0-9a-fA-F]+);"));
    QString out;
    qsizetype at = 0;
    for (auto m = num.globalMatch(s); m.hasNext();) {
        const auto x = m.next();
        out += QStringView(s).mid(at, x.capturedStart() - at);
        out += QChar::fromUcs4(x.captured(2).toUInt(nullptr, x.captured(1).isEmpty() ? 10 : 16));
        at = x.capturedEnd();
    }
    out += QStringView(s).mid(at);
    return out.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\"")).replace(QLatin1String("&nbsp;"), QLatin1String(" "))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString attribute(const QString &attrs, const char *name)
{
    const QRegularExpression re(QStringLiteral("\\b%1=\"([^\"]*)\"").arg(QLatin1String(name)));
    return re.match(attrs).captured(1);
}

QString counterText(int n, const QString &type)
{
    if (type == QLatin1String("a") || type == QLatin1String("A")) {
        QString s;
        for (int v = n; v > 0; v = (v - 1) / 26)
            s.prepend(QChar(u'a' + (v - 1) % 26));
        return type == QLatin1String("A") ? s.toUpper() : s;
    }
    if (type == QLatin1String("i") || type == QLatin1String("I")) {
        static const std::pair<int, const char *> r[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                                                         {90, "xc"}, {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"},
                                                         {5, "v"}, {4, "iv"}, {1, "i"}};
        QString s;
        for (const auto &p : r)
            for (; n >= p.first; n -= p.first)
                s += QLatin1String(p.second);
        return type == QLatin1String("I") ? s.toUpper() : s;
    }
    return QString::number(n);
}

Seen fromLibreOffice(const QString &html)
{
    Seen seen;
    QString body = html.mid(html.indexOf(QLatin1String("<body")));
    // Footnote texts and page headers stand apart from the body's text.
    body.remove(QRegularExpression(QStringLiteral("<div id=\"sdfootnote\\d+\">.*?</div>"),
                                   QRegularExpression::DotMatchesEverythingOption));
    body.remove(QRegularExpression(QStringLiteral("<div title=\"(header|footer)\">.*?</div>"),
                                   QRegularExpression::DotMatchesEverythingOption));
    body.remove(QRegularExpression(QStringLiteral("<!--.*?-->"), QRegularExpression::DotMatchesEverythingOption));
    struct Table {
        int width = 0, padding = 0, paragraphs = 0;
        QStringList rows;
        QString row, cell, cellHead;
    };
    std::vector<Table> tables;
    QStringList done; // tables in the order they start
    std::vector<int> doneIndex;
    struct List {
        bool ordered;
        QString type;
        int next;
    };
    std::vector<List> lists;
    std::vector<int> counters;
    QString linkHref, linkText;
    bool inLink = false;
    static const QRegularExpression tag(QStringLiteral("<(/?)([a-zA-Z0-9]+)([^>]*)>"));
    qsizetype at = 0;
    const auto addText = [&](const QString &t) {
        seen.text += t;
        if (!tables.empty())
            tables.back().cell += t;
        if (inLink)
            linkText += t;
    };
    for (auto it = tag.globalMatch(body); it.hasNext();) {
        const auto m = it.next();
        addText(decodeEntities(body.mid(at, m.capturedStart() - at)));
        at = m.capturedEnd();
        const bool close = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        const QString attrs = m.captured(3);
        if (name == QLatin1String("p") || name == QLatin1String("br") || name == QLatin1String("li")
            || name == QLatin1String("td") || name == QLatin1String("table"))
            addText(QStringLiteral(" "));
        if (name == QLatin1String("p") && !close && !tables.empty())
            ++tables.back().paragraphs;
        if (name == QLatin1String("table") && !close) {
            Table t;
            t.width = attribute(attrs, "width").toInt();
            t.padding = attribute(attrs, "cellpadding").toInt();
            tables.push_back(t);
            doneIndex.push_back(int(done.size()));
            done.append(QString());
        } else if (name == QLatin1String("table") && !tables.empty()) {
            const Table t = tables.back();
            tables.pop_back();
            done[doneIndex.back()] = QStringLiteral("w=%1: %2").arg(t.width).arg(t.rows.join(QLatin1String(" / ")));
            doneIndex.pop_back();
        } else if (name == QLatin1String("tr") && close && !tables.empty()) {
            tables.back().rows.append(tables.back().row.trimmed());
            tables.back().row.clear();
        } else if (name == QLatin1String("td") && !tables.empty()) {
            Table &t = tables.back();
            if (!close) {
                // Not colspan: it counts LibreOffice's own grid of every row's edges.
                const int rowspan = qMax(1, attribute(attrs, "rowspan").toInt());
                t.cellHead = QStringLiteral("%1 w=%2").arg(rowspan).arg(attribute(attrs, "width").toInt() + 2 * t.padding);
                t.cell.clear();
                t.paragraphs = 0;
            } else {
                t.row += QStringLiteral(" [%1 '%2']").arg(t.cellHead, words(t.cell));
                seen.cellParagraphs += QString::number(t.paragraphs);
            }
        } else if (name == QLatin1String("img") && !close) {
            seen.pictures += QStringLiteral("%1x%2").arg(attribute(attrs, "width"), attribute(attrs, "height"));
        } else if (name == QLatin1String("a")) {
            if (!close && !attrs.contains(QLatin1String("sdfootnote")) && !attribute(attrs, "href").isEmpty()) {
                inLink = true;
                linkHref = attribute(attrs, "href");
                linkText.clear();
            } else if (close && inLink) {
                const QString link = words(linkText) + QStringLiteral(" -> ") + linkHref;
                if (seen.links.isEmpty() || seen.links.last() != link)
                    seen.links += link;
                inLink = false;
            }
        } else if (name == QLatin1String("ol") || name == QLatin1String("ul")) {
            if (!close) {
                const QString start = attribute(attrs, "start");
                lists.push_back({name == QLatin1String("ol"), attribute(attrs, "type"), start.isEmpty() ? 1 : start.toInt()});
            } else if (!lists.empty()) {
                lists.pop_back();
                counters.resize(lists.size());
            }
        } else if (name == QLatin1String("li") && !close && !lists.empty()) {
            counters.resize(lists.size());
            List &l = lists.back();
            counters.back() = l.next++;
            QStringList numbers;
            for (size_t i = 0; i < lists.size(); ++i)
                numbers += lists[i].ordered ? counterText(counters[i], lists[i].type) : QStringLiteral("•");
            seen.labels += numbers.join(QLatin1Char(' '));
        }
    }
    seen.tables = done;
    seen.text = words(seen.text);
    return seen;
}

// ---- what we read

void addTable(Seen &seen, QTextTable *t);

QString cellText(const QTextTableCell &cell, Seen *seen)
{
    QString text;
    for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it) {
        if (QTextFrame *f = it.currentFrame()) {
            if (auto *inner = qobject_cast<QTextTable *>(f); inner && seen)
                addTable(*seen, inner);
            continue;
        }
        text += it.currentBlock().text() + QLatin1Char(' ');
    }
    text.remove(QChar::ObjectReplacementCharacter);
    return words(text);
}

void addTable(Seen &seen, QTextTable *t)
{
    const qsizetype index = seen.tables.size();
    seen.tables.append(QString());
    QStringList rows;
    int left = INT_MAX, right = 0;
    for (int r = 0; r < t->rows(); ++r) {
        QString row;
        for (int c = 0; c < t->columns(); ++c) {
            const QTextTableCell cell = t->cellAt(r, c);
            if (cell.row() != r || cell.column() != c)
                continue;
            // Each cell's own edges as read; cells added to square the table have none.
            const QVariantList cells = cell.format().property(mirka::rtf::RtfCells).toList();
            if (cells.isEmpty())
                continue;
            const int from = cells.first().toList().value(1).toInt(), to = cells.last().toList().value(2).toInt();
            left = qMin(left, from);
            right = qMax(right, to);
            row += QStringLiteral(" [%1 w=%2 '%3']").arg(cell.rowSpan()).arg(qRound((to - from) / 15.0))
                       .arg(cellText(cell, &seen));
        }
        if (!row.isEmpty())
            rows += row.trimmed();
    }
    seen.tables[index] = QStringLiteral("w=%1: %2").arg(qRound((right - qMin(left, right)) / 15.0)).arg(rows.join(QLatin1String(" / ")));
}

// The numbers of a label, innermost last: "2.1." gives "2 1", "a)" gives "a".
QString labelNumbers(const QString &label)
{
    static const QRegularExpression number(QStringLiteral("[0-9]+|[a-zA-Z]+"));
    QStringList numbers;
    for (auto it = number.globalMatch(label); it.hasNext();)
        numbers += it.next().captured();
    return numbers.isEmpty() && !label.trimmed().isEmpty() ? QStringLiteral("•") : numbers.join(QLatin1Char(' '));
}

Seen fromMirka(QTextDocument &doc)
{
    Seen seen;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.textList())
            seen.labels += labelNumbers(mirka::rtf::listLabel(b));
        seen.text += QLatin1Char(' ');
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat cf = f.charFormat();
            if (cf.isImageFormat()) {
                const QTextImageFormat img = cf.toImageFormat();
                seen.pictures += QStringLiteral("%1x%2").arg(qRound(img.width())).arg(qRound(img.height()));
                if (cf.isAnchor())
                    seen.links += QStringLiteral(" -> ") + cf.anchorHref();
                continue;
            }
            if (cf.objectType() == mirka::rtf::KeptObjectType) {
                seen.text += mirka::rtf::readerText(cf);
                continue;
            }
            seen.text += f.text();
            if (cf.isAnchor() && !cf.anchorHref().isEmpty())
                seen.links += words(f.text()) + QStringLiteral(" -> ") + cf.anchorHref();
        }
    }
    seen.links.removeDuplicates();
    seen.text = words(seen.text.remove(QChar::ObjectReplacementCharacter));
    for (QTextFrame *f : doc.rootFrame()->childFrames())
        if (auto *t = qobject_cast<QTextTable *>(f))
            addTable(seen, t);
    return seen;
}

// LibreOffice's widths in our figures where they are within 2 pixels of
// ours: both round twips to pixels, and LibreOffice its cell padding too.
QStringList roughly(QStringList theirs, const QStringList &ours)
{
    static const QRegularExpression width(QStringLiteral("w=(\\d+)"));
    for (qsizetype i = 0; i < theirs.size() && i < ours.size(); ++i) {
        QList<QRegularExpressionMatch> a, b;
        for (auto it = width.globalMatch(theirs[i]); it.hasNext();)
            a += it.next();
        for (auto it = width.globalMatch(ours[i]); it.hasNext();)
            b += it.next();
        if (a.size() != b.size())
            continue;
        for (qsizetype k = a.size() - 1; k >= 0; --k) {
            if (qAbs(a[k].captured(1).toInt() - b[k].captured(1).toInt()) <= 2)
                theirs[i].replace(a[k].capturedStart(1), a[k].capturedLength(1), b[k].captured(1));
        }
    }
    return theirs;
}

// HTML numbers every level of a list item; a label shows its own level's
// number and those of the levels it names ("2.1." two, "a)" one). HTML has
// no list item without a number: ours without a label take LibreOffice's.
QStringList labelsAsOurs(QStringList theirs, const QStringList &ours)
{
    if (theirs.size() != ours.size())
        return theirs;
    for (qsizetype i = 0; i < theirs.size(); ++i) {
        const QStringList numbers = theirs[i].split(QLatin1Char(' '));
        const qsizetype n = ours[i].isEmpty() ? 0 : ours[i].count(QLatin1Char(' ')) + 1;
        theirs[i] = ours[i].isEmpty() ? QString() : numbers.mid(qMax<qsizetype>(0, numbers.size() - n)).join(QLatin1Char(' '));
    }
    return theirs;
}

} // namespace

class TestRtfOracle : public QObject {
    Q_OBJECT
private slots:
    void libreOfficeReadsWhatWasRead()
    {
        // MIRKA_RTF_DOCUMENTS=DIR: only write the documents there (fuzz seeds).
        if (const QString out = qEnvironmentVariable("MIRKA_RTF_DOCUMENTS"); !out.isEmpty()) {
            QVERIFY(mirka::rtf::testdocs::writeDocuments(out));
            return;
        }
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed; scripts/setup.sh installs it");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        std::vector<std::unique_ptr<QTextDocument>> read;
        QStringList files;
        const auto docs = mirka::rtf::testdocs::documents();
        for (const auto &d : docs) {
            auto doc = std::make_unique<QTextDocument>();
            doc->setDefaultFont(RichTextBox::defaultBodyFont());
            QVERIFY(mirka::rtf::read(d.second, doc.get()));
            QFile f(dir.filePath(d.first + QStringLiteral(".rtf")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(mirka::rtf::write(doc.get()));
            files += f.fileName();
            QFile original(dir.filePath(QStringLiteral("original_") + d.first + QStringLiteral(".rtf")));
            QVERIFY(original.open(QIODevice::WriteOnly));
            original.write(d.second);
            files += original.fileName();
            read.push_back(std::move(doc));
        }
        QElapsedTimer timer;
        timer.start();
        QProcess lo;
        lo.setProcessChannelMode(QProcess::MergedChannels);
        lo.start(soffice, QStringList{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(dir.filePath("profile")).toString(),
                                      QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("html"),
                                      QStringLiteral("--outdir"), dir.filePath("html")}
                              + files);
        QVERIFY(lo.waitForFinished(180000));
        qInfo("LibreOffice converted %d documents in %lld ms", int(files.size()), timer.elapsed());
        for (size_t i = 0; i < docs.size(); ++i) {
            const QString name = docs[i].first;
            QFile html(dir.filePath(QStringLiteral("html/") + name + QStringLiteral(".html")));
            QVERIFY2(html.open(QIODevice::ReadOnly), qPrintable(name + ": LibreOffice could not load what we wrote\n"
                                                                  + QString::fromLocal8Bit(lo.readAll())));
            const Seen theirs = fromLibreOffice(QString::fromUtf8(html.readAll()));
            const Seen ours = fromMirka(*read[i]);
            // A save changes nothing LibreOffice sees of the original.
            QFile originalHtml(dir.filePath(QStringLiteral("html/original_") + name + QStringLiteral(".html")));
            QVERIFY(originalHtml.open(QIODevice::ReadOnly));
            const Seen before = fromLibreOffice(QString::fromUtf8(originalHtml.readAll()));
            QCOMPARE(theirs.text, before.text);
            QCOMPARE(theirs.tables, before.tables);
            QCOMPARE(theirs.cellParagraphs, before.cellParagraphs);
            QCOMPARE(theirs.pictures, before.pictures);
            QCOMPARE(theirs.links, before.links);
            QCOMPARE(theirs.labels, before.labels);
            const auto same = [&](const QStringList &a, const QStringList &b, const char *what) {
                QVERIFY2(a == b, qPrintable(QStringLiteral("%1, %2:\n  LibreOffice: %3\n  we read:     %4")
                                                .arg(name, QLatin1String(what), a.join(QLatin1String("\n               ")),
                                                     b.join(QLatin1String("\n               ")))));
            };
            same({theirs.text}, {ours.text}, "text");
            same(roughly(theirs.tables, ours.tables), ours.tables, "tables (widths in pixels, within 2)");
            same(theirs.pictures, ours.pictures, "pictures");
            same(theirs.links, ours.links, "links");
            same(labelsAsOurs(theirs.labels, ours.labels), ours.labels, "list labels");
        }
    }
};

QTEST_MAIN(TestRtfOracle)
#include "tst_rtforacle.moc"
