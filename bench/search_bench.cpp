// The search across notes: generates 1,000 notes (about 20 MB of RTF) with
// 3,000 saved copies (about 300 MB of MHTML) in a folder under /tmp, then
// prints the first build of the index (and the longest the event loop
// stalled meanwhile), query times (p50, p95, max, for words of one, two,
// three and more characters), the update after one save, and the memory
// the index took beyond the program's.
// Run by hand: bench/search_bench [NOTES]   (default 1000; 3 copies each).
// With MIRKA_BENCH_DIR set the notes are made there once and kept, and
// only the index is built again.
#include "common/codepage.h"
#include "note/richtext/rtf.h"
#include "procstatus.h"
#include "search/indexer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <random>
#include <time.h>

using mirka::search::Indexer;

namespace {

const char *const kWords[] = {
    "研究", "調査", "資料", "図書館", "歴史", "地域", "文化", "経済", "社会", "環境", "技術", "情報", "分析",
    "結果", "方法", "理論", "実験", "観察", "記録", "報告", "論文", "引用", "参考", "文献", "時代", "江戸",
    "明治", "大正", "昭和", "言語", "教育", "政策", "制度", "人口", "産業", "交通", "都市", "農業", "気候",
    "データ", "システム", "ネットワーク", "インターネット", "コンピュータ", "ソフトウェア", "プログラム",
    "デザイン", "アーカイブ", "ページ", "ブラウザ", "の", "は", "が", "を", "に", "で", "と", "も", "から",
    "まで", "について", "として", "による", "という", "ことが", "られる", "である", "した", "する",
    "Qt", "SQLite", "HTML", "Web", "API", "2026", "ﾃﾞｰﾀ", "ＡＢＣ",
};

struct Text {
    std::mt19937 random{20261207};
    QString sentence()
    {
        QString s;
        const int n = 6 + int(random() % 10);
        for (int i = 0; i < n; ++i)
            s += QString::fromUtf8(kWords[random() % std::size(kWords)]);
        return s + (random() % 4 ? QStringLiteral("。") : QStringLiteral("、"));
    }
    QString paragraphs(int chars)
    {
        QString out;
        while (out.size() < chars)
            out += sentence() + (random() % 5 ? QString() : QStringLiteral("\n"));
        return out;
    }
};

QByteArray quotedPrintable(const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    int column = 0;
    for (const char c : bytes) {
        const uchar b = uchar(c);
        if (b >= 0x80 || b == '=') {
            out += '=';
            out += hex[b >> 4];
            out += hex[b & 15];
            column += 3;
        } else {
            out += c;
            column += 1;
        }
        if (column >= 73) {
            out += "=\r\n";
            column = 0;
        }
    }
    return out;
}

QByteArray savedPage(Text &text, int n)
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>page</title>"
                      "<script>var x = 'スクリプト';</script></head><body>";
    for (int i = 0; i < 40; ++i)
        html += "<div class=\"c" + QByteArray::number(i) + "\"><p>" + text.paragraphs(120).toUtf8()
            + "</p><a href=\"https://example.com/" + QByteArray::number(n) + "\">リンク</a></div>\n";
    html += "<p>固有語" + QByteArray::number(n) + "</p></body></html>";
    QByteArray css;
    while (css.size() < 15000)
        css += ".c" + QByteArray::number(css.size()) + " { margin: 0 1em; color: #333; }\n";
    const QByteArray image = QByteArray(26000, char(n)).toBase64(); // about 35 KB
    return "From: <Saved by Blink>\r\nSnapshot-Content-Location: https://example.com/\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n\tboundary=\"----MultipartBoundary--b----\"\r\n"
           "\r\n------MultipartBoundary--b----\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: quoted-printable\r\n"
           "Content-Location: https://example.com/\r\n\r\n"
        + quotedPrintable(html) + "\r\n------MultipartBoundary--b----\r\nContent-Type: text/css\r\n\r\n" + css
        + "\r\n------MultipartBoundary--b----\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        + image + "\r\n------MultipartBoundary--b------\r\n";
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
        f.commit();
    }
}

QByteArray noteBody(Text &text, const QString &extra)
{
    QTextDocument doc;
    doc.setPlainText(text.paragraphs(2900) + extra);
    return mirka::rtf::write(&doc);
}

// notes in folders of 100, three copies each.
void generate(const QString &root, int notes)
{
    Text text;
    qint64 rtfBytes = 0, pageBytes = 0;
    for (int n = 0; n < notes; ++n) {
        const QString folder = root + QStringLiteral("/f%1").arg(n / 100);
        const QString name = QStringLiteral("note%1").arg(n);
        QDir().mkpath(folder + u'/' + name + QStringLiteral(".files"));
        const QByteArray rtf = noteBody(text, QStringLiteral("見出し%1").arg(n));
        rtfBytes += rtf.size();
        writeFile(folder + u'/' + name + QStringLiteral(".rtf"), rtf);
        QString qvt = QStringLiteral("\"テーマ%1\"\r\n").arg(n);
        QByteArray index;
        for (int c = 0; c < 3; ++c) {
            const QByteArray page = savedPage(text, n * 3 + c);
            pageBytes += page.size();
            const QByteArray file = "p" + QByteArray::number(c) + ".mhtml";
            writeFile(folder + u'/' + name + QStringLiteral(".files/") + QString::fromLatin1(file), page);
            index += "2026-11-" + QByteArray::number(10 + c) + "T10:00:00+09:00\thttps://example.com/"
                + QByteArray::number(n * 3 + c) + "\tページ " + QByteArray::number(c) + "\t" + file + "\r\n";
            qvt += QStringLiteral("\"ページ %1\",\"https://example.com/%2\"\r\n").arg(c).arg(n * 3 + c);
        }
        writeFile(folder + u'/' + name + QStringLiteral(".files/index.txt"), index);
        writeFile(folder + u'/' + name + QStringLiteral(".qvt"), mirka::cp932::encode(qvt));
    }
    std::printf("generated %d notes (%.1f MB RTF) and %d copies (%.1f MB MHTML)\n", notes, rtfBytes / 1e6, notes * 3,
                pageBytes / 1e6);
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double percentile(QList<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[qMin(v.size() - 1, qsizetype(p * v.size()))];
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "generate") {
        generate(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        return 0;
    }
    const int notes = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/mirka-search-bench-XXXXXX"));
    QDir dir(qEnvironmentVariableIsSet("MIRKA_BENCH_DIR") ? qEnvironmentVariable("MIRKA_BENCH_DIR") : temporary.path());
    QDir(dir.path() + QStringLiteral("/index")).removeRecursively();
    // Generated by another process, so that its memory is not counted here.
    if (!dir.exists(QStringLiteral("notes"))
        && QProcess::execute(QCoreApplication::applicationFilePath(),
                             {QStringLiteral("generate"), dir.path() + QStringLiteral("/notes"), QString::number(notes)})
            != 0)
        return 1;
    const long baseKb = statusKb("VmRSS:");

    Indexer indexer(dir.path() + QStringLiteral("/index"));
    for (int f = 0; f * 100 < notes; ++f)
        indexer.addFolder(dir.path() + QStringLiteral("/notes/f%1").arg(f));

    QElapsedTimer gap;
    qint64 longest = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { longest = qMax(longest, gap.restart()); });
    QElapsedTimer t;
    t.start();
    gap.start();
    tick.start(10);
    bool started = false;
    indexer.start();
    QEventLoop loop;
    QObject::connect(&indexer, &Indexer::progress, &loop, [&](int, int total) {
        started = started || total > 0;
        if (started && total == 0)
            loop.quit();
    });
    loop.exec();
    const qint64 buildMs = t.elapsed();
    tick.stop();
    const long builtKb = statusKb("VmRSS:");
    const long peakKb = statusKb("VmHWM:");
    std::printf("first build: %.1f s; longest event-loop stall meanwhile %lld ms; index file %.0f MB\n", buildMs / 1000.0,
                longest, (QFileInfo(indexer.indexFile()).size() + QFileInfo(indexer.indexFile() + QStringLiteral("-wal")).size()) / 1e6);

    struct Query {
        const char *label;
        QStringList words;
    };
    const Query queries[] = {
        {"1 char", {"研", "史", "デ", "Q", "江"}},
        {"2 chars", {"研究", "資料", "気候", "固有", "論文"}},
        {"3+ chars", {"図書館", "ネットワーク", "見出し517", "固有語2024", "sqlite", "ﾃﾞｰﾀ"}},
        {"2 words", {"歴史 データ", "教育 政策"}},
    };
    QList<double> all;
    for (const Query &q : queries) {
        QList<double> times, cpu;
        qsizetype hits = 0;
        for (int round = 0; round < 10; ++round) {
            for (const QString &w : q.words) {
                QElapsedTimer one;
                one.start();
                const double cpu0 = threadCpuMs();
                const QList<mirka::search::Hit> found = indexer.search(w, {});
                // What the window shows first: the words around the first twenty.
                for (qsizetype i = 0; i < qMin<qsizetype>(20, found.size()); ++i)
                    indexer.snippet(found[i].id, w, {});
                times << one.nsecsElapsed() / 1e6;
                cpu << threadCpuMs() - cpu0;
                hits = qMax(hits, found.size());
            }
        }
        all += times;
        std::printf("query %-8s p50 %6.1f ms  p95 %6.1f ms  max %6.1f ms  (cpu p95 %5.1f ms; up to %lld results)\n",
                    q.label, percentile(times, 0.5), percentile(times, 0.95), percentile(times, 1.0),
                    percentile(cpu, 0.95), qlonglong(hits));
    }
    std::printf("query all      p95 %6.1f ms\n", percentile(all, 0.95));

    // A save: the body rewritten, the index told, until it has committed.
    QList<double> updates;
    Text text;
    for (int i = 0; i < 10; ++i) {
        const QString path = dir.path() + QStringLiteral("/notes/f0/note%1.rtf").arg(i);
        const QString word = QStringLiteral("新語%1").arg(i);
        writeFile(path, noteBody(text, word));
        QElapsedTimer u;
        u.start();
        QEventLoop wait;
        QObject::connect(&indexer, &Indexer::updated, &wait, [&] {
            if (indexer.search(word, {}).size() == 1)
                wait.quit();
        });
        indexer.noteTouched(path);
        wait.exec();
        updates << u.nsecsElapsed() / 1e6;
    }
    std::printf("update after one save: median %.1f ms, max %.1f ms\n", percentile(updates, 0.5),
                percentile(updates, 1.0));
    std::printf("memory beyond the program's: %.1f MB after the build, peak %.1f MB (baseline %.1f MB)\n",
                (builtKb - baseKb) / 1024.0, (peakKb - baseKb) / 1024.0, baseKb / 1024.0);
    return 0;
}
