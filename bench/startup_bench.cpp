// Start-up profile: time from process start to the frame shown, without and
// with the start-page browser, and the CPU the busy indicator costs while a
// page loads. Each figure comes from a fresh process (bench/startup.sh runs
// them); this program does one measurement per run.
//
//   bench_startup frame            frame shown, no browser at start
//   bench_startup browser          frame shown, and the start page loaded
//   bench_startup busy             CPU while a page loads slowly (3 s)
#include "about/frmAbout.h"
#include "browser/WebBrowser.h"
#include "browser/frmBrowser.h"
#include "common/fieldrecord.h"
#include "common/paths.h"
#include "common/savefile.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
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
