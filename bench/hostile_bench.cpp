// The RTF reader on hostile shapes of input beside a normal note of the same
// size: seconds and peak memory per MB of input for each, and each shape's
// cost relative to the normal note. Every shape is read in a process of its
// own (this program again, with --shape NAME MB), so peaks do not mask each
// other. Run by hand: bench/hostile_bench [MB]   (default 4)
#include "note/richtext/richtextbox.h"
#include "note/richtext/rtf.h"
#include "procstatus.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextDocument>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Repeats unit(i) until the document holds about `bytes` bytes.
QByteArray build(qsizetype bytes, const char *head, const std::function<QByteArray(int)> &unit,
                 const char *tail = "}")
{
    QByteArray out;
    out.reserve(bytes + 4096);
    out += head;
    for (int i = 0; out.size() < bytes; ++i)
        out += unit(i);
    out += tail;
    return out;
}

const char *const kTables = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                            "{\\f1\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56"
                            "\\'83\\'62\\'83\\'4e;}}{\\colortbl ;\\red255\\green0\\blue0;}\r\n";

struct Shape {
    const char *name;
    std::function<QByteArray(qsizetype)> make;
};

const std::vector<Shape> &shapes()
{
    static const std::vector<Shape> list = {
        {"normal note", [](qsizetype n) {
             // What the writer makes of a Japanese note: paragraphs of mixed
             // text, a bold and a coloured run now and then.
             return build(n, kTables, [](int i) {
                 QByteArray p = "\\pard\\f1\\fs22 \\u26085\\'93\\'fa\\u26412\\'96\\'7b\\u35486\\'8c\\'ea"
                                "\\u12398\\'82\\'cc\\u12513\\'83\\'81\\u12514\\'83\\'82 ";
                 p += "\\f0 Notes on the history of the region, page ";
                 p += QByteArray::number(i);
                 p += (i % 3 == 0) ? " {\\b bold words}" : (i % 3 == 1) ? " \\cf1 red\\cf0" : " plain";
                 p += " and more text to fill the line.\\par\r\n";
                 return p;
             });
         }},
        {"stray closing braces", [](qsizetype n) {
             return build(n, "{\\rtf1 x}", [](int) { return QByteArray(1024, '}'); }, "");
         }},
        {"stray braces, then text", [](qsizetype n) {
             return build(n, "{\\rtf1 x}", [](int) { return QByteArray(1024, '}'); }, "x");
         }},
        {"control-word runs", [](qsizetype n) {
             return build(n, "{\\rtf1 ", [](int) {
                 return QByteArray("\\b\\i\\ul\\fs24\\cf1\\b0\\i0\\ulnone\\strike\\strike0\\f0\\plain ");
             });
         }},
        {"unknown control words", [](qsizetype n) {
             return build(n, "{\\rtf1 ", [](int i) {
                 return "\\xyzzy" + QByteArray::number(i) + "\\abcdefghijklmnopqrstuvwxyzabcdef ";
             });
         }},
        {"unclosed groups", [](qsizetype n) {
             return build(n, "{\\rtf1 ", [](int) { return QByteArray("{\\b x"); }, "");
         }},
        {"deep nesting", [](qsizetype n) {
             return build(n, "{\\rtf1 ", [](int) {
                 return QByteArray(5000, '{') + "x" + QByteArray(5000, '}');
             });
         }},
        {"empty paragraphs", [](qsizetype n) {
             return build(n, "{\\rtf1 ", [](int) { return QByteArray("\\par\r\n"); });
         }},
        {"alternating runs", [](qsizetype n) {
             return build(n, kTables, [](int i) {
                 return QByteArray(i % 2 ? "{\\b x}" : "{\\i y}");
             });
         }},
        {"font table", [](qsizetype n) {
             return build(n, "{\\rtf1{\\fonttbl", [](int i) {
                 const QByteArray k = QByteArray::number(i);
                 return "{\\f" + k + "\\fnil\\fcharset128 Font" + k + ";}";
             }, "}\\f7 x}");
         }},
        {"colour table", [](qsizetype n) {
             return build(n, "{\\rtf1{\\colortbl;", [](int i) {
                 return "\\red" + QByteArray::number(i % 256) + "\\green1\\blue2;";
             }, "}\\cf9 x}");
         }},
        {"hex bytes", [](qsizetype n) {
             return build(n, "{\\rtf1\\ansi\\ansicpg932 ", [](int) { return QByteArray("\\'82\\'a0\\'82"); });
         }},
        {"skipped destinations", [](qsizetype n) {
             return build(n, "{\\rtf1 ", [](int) {
                 return QByteArray("{\\*\\unknown {\\b a}{\\i b}\\bin2 }{ c}");
             });
         }},
        {"one long line", [](qsizetype n) {
             return build(n, "{\\rtf1 ", [](int) { return QByteArray("abcdefghij klmnopqrst uvwxyz "); });
         }},
    };
    return list;
}

int child(const QString &name, double mb)
{
    for (const Shape &s : shapes()) {
        if (QLatin1String(s.name) != name)
            continue;
        const QByteArray input = s.make(qsizetype(mb * 1024 * 1024));
        QTextDocument doc;
        doc.setDefaultFont(RichTextBox::defaultBodyFont());
        const long before = statusKb("VmHWM:");
        QElapsedTimer t;
        t.start();
        mirka::rtf::read(input, &doc);
        const qint64 ms = t.elapsed();
        const long peak = statusKb("VmHWM:");
        std::printf("%lld %ld %lld %d\n", qint64(input.size()), peak - before, ms, doc.blockCount());
        return 0;
    }
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--shape"))
        return child(args[2], args[3].toDouble());
    const double mb = args.size() > 1 ? args[1].toDouble() : 4.0;

    std::printf("RTF reader, %.0f MB per shape (seconds and peak memory per MB of input)\n", mb);
    std::printf("%-26s %8s %9s %10s %10s %9s %8s\n", "shape", "MB", "s/MB", "peak MB/MB", "paragraphs",
                "time x", "mem x");
    double normalTime = 0, normalMem = 0, worstTime = 0, worstMem = 0;
    for (const Shape &s : shapes()) {
        QProcess p;
        p.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--shape"), QLatin1String(s.name), QString::number(mb)});
        p.waitForFinished(-1);
        const QList<QByteArray> f = p.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 4) {
            std::printf("%-26s failed\n", s.name);
            continue;
        }
        const double inMb = f[0].toDouble() / (1024 * 1024);
        const double perMbTime = f[2].toDouble() / 1000.0 / inMb;
        const double perMbMem = f[1].toDouble() / 1024.0 / inMb;
        if (normalTime == 0) {
            normalTime = qMax(perMbTime, 1e-3);
            normalMem = qMax(perMbMem, 1e-3);
        }
        const double tx = perMbTime / normalTime, mx = perMbMem / normalMem;
        worstTime = qMax(worstTime, tx);
        worstMem = qMax(worstMem, mx);
        std::printf("%-26s %8.2f %9.3f %10.2f %10s %9.2f %8.2f\n", s.name, inMb, perMbTime, perMbMem,
                    f[3].constData(), tx, mx);
        std::fflush(stdout);
    }
    std::printf("worst shape against the normal note: time %.2fx, memory %.2fx\n", worstTime, worstMem);
    return 0;
}
