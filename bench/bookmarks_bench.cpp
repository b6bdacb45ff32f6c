// Importing a large bookmarks file into the favourites: makes a file of
// ENTRIES bookmarks (default 100,000; about 180 bytes each, some script
// addresses and repeats among them) and prints the time of each step of
// the import (reading the links, merging under the 32,767 limit, writing
// tobla.ini, filling a browser window's favourites box) and the peak memory.
// Run by hand: bench/bookmarks_bench [ENTRIES]
#include "browser/bookmarksfile.h"
#include "browser/frmBrowser.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "procstatus.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

using mirka::favourites::Favourite;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    mirka::setExecutableFolder(dir.path());
    QStandardPaths::setTestModeEnabled(true);

    QByteArray file = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META HTTP-EQUIV=\"Content-Type\" "
                      "CONTENT=\"text/html; charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
    for (int i = 0; i < entries; ++i) {
        const QByteArray n = QByteArray::number(i % 97 == 0 ? i - 1 : i); // some repeats
        const QByteArray address = i % 50 == 0 ? "javascript:alert(" + n + ")" : "https://example.org/資料/" + n + "?q=a&amp;b";
        file += "    <DT><A HREF=\"" + address + "\" ADD_DATE=\"1600000000\" LAST_MODIFIED=\"1600000001\">"
                "調査の記録 &amp; 参考文献 " + n + "</A>\n";
    }
    file += "</DL><p>\n";
    std::printf("%d bookmarks, %.1f MB\n", entries, file.size() / 1e6);

    const long before = statusKb("VmHWM:");
    QElapsedTimer t;
    t.start();
    const QList<Favourite> bookmarks = mirka::bookmarksfile::parse(file);
    const qint64 parsed = t.restart();
    QList<Favourite> list;
    const mirka::bookmarksfile::Merged merged = mirka::bookmarksfile::merge(list, bookmarks);
    const qint64 mergedMs = t.restart();
    QString reason;
    if (!mirka::writeFileAtomically(mirka::favourites::filePath(), mirka::favourites::format(list), &reason))
        std::printf("write failed: %s\n", qPrintable(reason));
    const qint64 written = t.restart();
    frmBrowser *b = frmBrowser::createNew();
    t.restart();
    b->LoadFavourites();
    const qint64 filled = t.restart();

    std::printf("read %lld ms (%lld links), merge %lld ms (%d added, %d known, %d not web pages, %d over the limit), "
                "write %lld ms, favourites box %lld ms (%d entries)\n",
                parsed, qlonglong(bookmarks.size()), mergedMs, merged.added, merged.known, merged.unopened,
                merged.overLimit, written, filled, b->ImageCombo1->count());
    std::printf("peak memory %ld MB (%ld MB before reading, the file included)\n", statusKb("VmHWM:") / 1024,
                before / 1024);
    return 0;
}
