// The editor's layout of hostile notes: every input of the fuzz corpora
// (or the folders given) read, laid out at a window's width and at a narrow
// one, and a screenful painted. The reader bounds what a note may ask of
// the layout; this shows what the worst of them still costs. Prints the
// count and the slowest inputs; run by hand: bench/layout_bench [DIR...]
#include "note/richtext/rtf.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList dirs = app.arguments().mid(1);
    if (dirs.isEmpty())
        dirs = {QStringLiteral(MIRKA_FUZZ_DIR "/corpus"), QStringLiteral(MIRKA_FUZZ_DIR "/seeds")};
    std::vector<std::pair<double, QString>> times;
    for (const QString &dir : std::as_const(dirs)) {
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (!f.open(QIODevice::ReadOnly))
                continue;
            QByteArray rtf = f.readAll();
            QElapsedTimer t;
            t.start();
            QTextDocument doc;
            if (!mirka::rtf::read(rtf, &doc))
                mirka::rtf::read("{\\rtf1 " + rtf, &doc);
            doc.setTextWidth(900);
            doc.documentLayout()->documentSize();
            QImage screen(900, 600, QImage::Format_ARGB32_Premultiplied);
            QPainter p(&screen);
            doc.drawContents(&p, QRectF(0, 0, 900, 600));
            p.end();
            doc.setTextWidth(120);
            doc.documentLayout()->documentSize();
            times.emplace_back(t.nsecsElapsed() / 1e6, f.fileName());
        }
    }
    std::sort(times.begin(), times.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::printf("laid out %zu notes; the slowest (ms, read and laid out twice):\n", times.size());
    for (size_t i = 0; i < times.size() && i < 5; ++i)
        std::printf("  %8.1f  %s\n", times[i].first, qPrintable(times[i].second));
    return 0;
}
