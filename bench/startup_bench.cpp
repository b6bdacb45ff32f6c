// Start-up profile: time from process start to the frame shown, without and
// with the start-page browser, and the CPU the busy indicator costs while a
// page loads. Each figure comes from a fresh process (bench/startup.sh runs
// them); this program does one measurement per run.
//
//   bench_startup frame            frame shown, no browser at start
//   bench_startup browser          frame shown, and the start page loaded
//   bench_startup busy             CPU while a page loads slowly (3 s)
//   bench_startup record           recording pages of three weights: time to
//                                  return, time and size of the saved copy;
//                                  reading and pairing 1,000 copies on open
#include "about/frmAbout.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/fieldrecord.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "note/frmDocument.h"
#include "model/note.h"
#include "model/notefile.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QToolBar>
#include <QToolButton>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <cstdio>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace {

// Milliseconds since this process was started by the kernel.
double msSinceProcessStart()
{
    QFile f(QStringLiteral("/proc/self/stat"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 overall
    timespec up{};
    clock_gettime(CLOCK_BOOTTIME, &up);
    const double nowMs = up.tv_sec * 1000.0 + up.tv_nsec / 1e6;
    return nowMs - startTicks * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// Runs the event loop for ms milliseconds without spinning.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0
        + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

void writeOptions(const QString &startPage, int check)
{
    mirka::FieldRecordWriter w;
    w.text(startPage).endLine().text(QString()).endLine().number(check).endLine();
    mirka::writeFileAtomically(mirka::fileBesideExecutable(QStringLiteral("mirka.ini")), w.data());
}

// Answers each request after a delay, so a page stays loading.
class SlowServer : public QTcpServer {
public:
    explicit SlowServer(int delayMs) : m_delay(delayMs) { listen(QHostAddress::LocalHost); }

protected:
    void incomingConnection(qintptr fd) override
    {
        auto *s = new QTcpSocket(this);
        s->setSocketDescriptor(fd);
        QTimer::singleShot(m_delay, s, [s] {
            s->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n"
                     "<html><head><title>slow</title></head><body>slow</body></html>");
            s->disconnectFromHost();
        });
    }

private:
    int m_delay;
};

// A local page of about textKb of text and the given number of pictures.
QString weightedPage(const QString &dir, const QString &name, int textKb, int pictures)
{
    QByteArray html = "<html><head><meta charset=utf-8><title>" + name.toUtf8() + "</title></head><body>";
    for (int i = 0; i < pictures; ++i) {
        QImage img(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, qRgb((x * 7 + i * 31) % 256, (y * 5 + x) % 256, (x ^ y) % 256));
        const QString pic = QStringLiteral("%1-%2.png").arg(name).arg(i);
        img.save(dir + u'/' + pic);
        html += "<img src=\"" + pic.toUtf8() + "\">";
    }
    const QByteArray para = "<p>" + QByteArray("調査の記録、ページの本文。").repeated(20) + "</p>\n";
    while (html.size() < textKb * 1024)
        html += para;
    html += "</body></html>";
    const QString path = dir + u'/' + name + QStringLiteral(".html");
    mirka::writeFileAtomically(path, html);
    return path;
}

int benchRecord(const QString &dir)
{
    writeOptions(QString(), 0);
    frmMain frame;
    frame.Form_Load();
    frame.show();
    frmBrowser *b = frmBrowser::createNew();
    QToolButton *record = nullptr;
    for (QAction *a : b->tbToolBar->actions())
        if (a->data().toString() == QLatin1String("check"))
            record = qobject_cast<QToolButton *>(b->tbToolBar->widgetForAction(a));
    struct Weight {
        const char *name;
        int textKb, pictures;
    };
    for (const Weight &w : {Weight{"light", 2, 0}, Weight{"medium", 100, 10}, Weight{"heavy", 1000, 40}}) {
        const QString page = weightedPage(dir, QString::fromLatin1(w.name), w.textKb, w.pictures);
        b->cboAddress->setEditText(QUrl::fromLocalFile(page).toString());
        b->NavigateFromAddressBox();
        QElapsedTimer t;
        t.start();
        while ((b->brwWebBrowser->Busy() || b->windowTitle() != QLatin1String(w.name)) && t.elapsed() < 20000)
            runFor(10);
        runFor(300);
        t.restart();
        record->click();
        const double returned = t.nsecsElapsed() / 1e6;
        const mirka::RecordedPage *c = nullptr;
        while (t.elapsed() < 60000) {
            c = &frmDocument::instance()->note->pages().constLast();
            if (!c->copyPending)
                break;
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        const double written = t.nsecsElapsed() / 1e6;
        std::printf("record %-6s (page %5lld KB): returns in %.1f ms, copy written in %.0f ms, %lld KB\n",
                    w.name, (long long)(QFileInfo(page).size() / 1024), returned, written,
                    (long long)(QFileInfo(c->copyPath).size() / 1024));
    }

    // Opening a note with 1,000 copies adds reading the index and pairing.
    QList<mirka::RecordedPage> many, pages;
    for (int i = 0; i < 1000; ++i) {
        const QString n = QString::number(i);
        const QString name = QStringLiteral("20261207-000000-%1.mhtml").arg(i, 3, 10, QChar(u'0'));
        mirka::writeFileAtomically(dir + u'/' + name, "copy");
        many << mirka::RecordedPage{0, "ページ " + n, "http://example.org/" + n, QDateTime::currentDateTime(),
                                    dir + u'/' + name};
        pages << mirka::RecordedPage{0, "ページ " + n, "http://example.org/" + n};
    }
    // Read in the opposite order, so every page is paired by its key.
    std::reverse(pages.begin(), pages.end());
    const QByteArray index = mirka::notefile::indexBytes(many);
    QElapsedTimer t;
    t.start();
    mirka::notefile::pairWithIndex(&pages, index, dir);
    const int paired = int(std::count_if(pages.cbegin(), pages.cend(), [](const mirka::RecordedPage &p) { return p.hasCopy(); }));
    std::printf("open: index of %d copies read and paired in %.1f ms\n", paired, t.nsecsElapsed() / 1e6);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("frame");

    QTemporaryDir dir;
    mirka::setExecutableFolder(dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    const QString page = dir.filePath(QStringLiteral("start.html"));
    mirka::writeFileAtomically(page, "<html><head><title>start</title></head><body>start</body></html>");

    if (mode == QLatin1String("busy")) {
        writeOptions(QString(), 0);
        QApplication::setWindowIcon(frmAbout::programIcon());
        frmMain frame;
        frame.Form_Load();
        frame.show();
        frmBrowser *b = frmBrowser::createNew();
        // Let the engine settle before measuring.
        b->cboAddress->setEditText(QUrl::fromLocalFile(page).toString());
        b->NavigateFromAddressBox();
        QElapsedTimer settle;
        settle.start();
        while (b->brwWebBrowser->Busy() && settle.elapsed() < 10000)
            runFor(20);
        runFor(1000);

        SlowServer server(3000);
        const double idleCpu0 = cpuMs();
        QElapsedTimer t;
        t.start();
        runFor(1500);
        const double idlePct = (cpuMs() - idleCpu0) * 100.0 / double(t.elapsed());

        b->cboAddress->setEditText(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()));
        b->NavigateFromAddressBox();
        const double cpu0 = cpuMs();
        t.restart();
        runFor(2500);
        const double busyPct = (cpuMs() - cpu0) * 100.0 / double(t.elapsed());
        std::printf("busy indicator: %.1f%% of one core while loading, %.1f%% idle "
                    "(caption %s)\n",
                    busyPct, idlePct, qPrintable(b->windowTitle()));
        return 0;
    }

    if (mode == QLatin1String("record"))
        return benchRecord(dir.path());

    const bool withBrowser = mode == QLatin1String("browser");
    writeOptions(QUrl::fromLocalFile(page).toString(), withBrowser ? 1 : 0);
    const double atMain = msSinceProcessStart();
    QApplication::setWindowIcon(frmAbout::programIcon());
    frmMain frame;
    frame.Form_Load();
    frame.show();
    // Shown means painted once: wait for the first frame of the window.
    QElapsedTimer guard;
    guard.start();
    while ((!frame.windowHandle() || !frame.windowHandle()->isExposed()) && guard.elapsed() < 10000)
        app.processEvents(QEventLoop::AllEvents, 5);
    app.processEvents();
    const double shown = msSinceProcessStart();
    double loaded = -1;
    if (withBrowser) {
        frmBrowser *b = frmBrowser::sharedIfOpen();
        while (b && guard.elapsed() < 20000
               && (b->brwWebBrowser->Busy() || b->windowTitle() != QLatin1String("start")))
            app.processEvents(QEventLoop::AllEvents, 5);
        loaded = msSinceProcessStart();
    }
    std::printf("%s: main() at %.0f ms, frame shown at %.0f ms", qPrintable(mode), atMain, shown);
    if (withBrowser)
        std::printf(", start page loaded at %.0f ms", loaded);
    std::printf("\n");
    return 0;
}
